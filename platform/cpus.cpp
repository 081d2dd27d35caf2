#include "platform/cpus.h"

#include <pthread.h>
#include <sched.h>

// The C library's header is C: clang, unlike GCC, does not take its _Bool in
// C++, and asks the processor itself instead.
#if defined(__x86_64__) && !defined(__clang__) && __has_include(<sys/platform/x86.h>)
#define FLOWTAB_LIBC_CPU_FEATURES 1
#include <sys/platform/x86.h>
#endif

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <thread>

namespace platform {

namespace {

// What tests have asked for (for_tests).
std::atomic<bool> g_plain_code{false};
std::atomic<std::size_t> g_threads_given{SIZE_MAX};  // thread starts still given

}  // namespace

void for_tests::use_plain_code(bool plain) { g_plain_code.store(plain, std::memory_order_relaxed); }

void for_tests::refuse_threads_after(std::size_t n) { g_threads_given.store(n); }

std::size_t available_cpus() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0) {
    const int n = CPU_COUNT(&set);
    if (n > 0) return static_cast<std::size_t>(n);
  }
  const unsigned n = std::thread::hardware_concurrency();
  return n > 0 ? n : 1;
}

int current_cpu() { return ::sched_getcpu(); }

bool has_avx2() {
  static const bool yes = [] {
#if defined(FLOWTAB_LIBC_CPU_FEATURES)
    return CPU_FEATURE_ACTIVE(AVX2) && CPU_FEATURE_ACTIVE(BMI1) && CPU_FEATURE_ACTIVE(POPCNT);
#elif defined(__x86_64__)
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") && __builtin_cpu_supports("popcnt");
#else
    return false;
#endif
  }();
  return yes && !g_plain_code.load(std::memory_order_relaxed);
}

namespace {

// The process's processors but `cpu`; false when that leaves none, or `cpu`
// is not among them.
bool all_but(int cpu, cpu_set_t& set) {
  CPU_ZERO(&set);
  if (cpu < 0 || cpu >= CPU_SETSIZE || ::sched_getaffinity(0, sizeof set, &set) != 0) return false;
  if (!CPU_ISSET(cpu, &set) || CPU_COUNT(&set) < 2) return false;
  CPU_CLR(cpu, &set);
  return true;
}

}  // namespace

namespace {

void* run_body(void* arg) {
  const std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(arg));
  (*body)();
  return nullptr;
}

}  // namespace

bool start_thread(std::function<void()> body, int off_cpu) {
  std::size_t given = g_threads_given.load();
  while (given != SIZE_MAX && !g_threads_given.compare_exchange_weak(given, given == 0 ? 0 : given - 1)) {
  }
  if (given == 0) return false;
  auto owned = std::make_unique<std::function<void()>>(std::move(body));
  pthread_attr_t attr;
  if (::pthread_attr_init(&attr) != 0) return false;
  cpu_set_t others;
  if (all_but(off_cpu, others)) ::pthread_attr_setaffinity_np(&attr, sizeof others, &others);
  pthread_t thread;
  int status = EINVAL;
  if (::pthread_attr_setstacksize(&attr, std::size_t{1} << 18) == 0)
    status = ::pthread_create(&thread, &attr, run_body, owned.get());
  ::pthread_attr_destroy(&attr);
  // Where the system refuses the small stack (or the processors), the thread
  // starts as its default has it.
  if (status != 0) status = ::pthread_create(&thread, nullptr, run_body, owned.get());
  if (status != 0) return false;
  owned.release();  // the thread owns it now
  ::pthread_detach(thread);
  return true;
}

StayPut::StayPut() {
  const int cpu = current_cpu();
  if (cpu < 0 || cpu >= CPU_SETSIZE || ::pthread_getaffinity_np(::pthread_self(), sizeof before_, &before_) != 0 ||
      !CPU_ISSET(cpu, &before_) || CPU_COUNT(&before_) < 2)
    return;
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(cpu, &one);
  kept_ = ::pthread_setaffinity_np(::pthread_self(), sizeof one, &one) == 0;
}

StayPut::~StayPut() {
  if (kept_) ::pthread_setaffinity_np(::pthread_self(), sizeof before_, &before_);
}

}  // namespace platform
