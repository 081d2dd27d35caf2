#include "converter/parallel.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/cpus.h"

namespace conv::parallel {

namespace {

// Beyond this many threads the work is bound by memory, not by the cores.
constexpr std::size_t kMostThreads = 8;

// Set on the pool's own threads, and on a calling thread while it shares
// out work: work shared out from within shared work runs on its thread alone.
thread_local bool t_sharing = false;

// How long a thread that has finished its part looks for more work before
// it sleeps.  Waking a sleeping thread costs the waker a system call (and
// on a virtual machine much more): work handed out in quick succession, the
// batches of one table, finds the threads still awake.
constexpr std::chrono::microseconds kStayAwake{50};

// Lets a sibling hardware thread run while this one waits in a loop.
inline void relax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

// Loops until done() or until kStayAwake has passed; true when done().
template <class Done>
bool stay_awake_until(Done done) {
  const auto until = std::chrono::steady_clock::now() + kStayAwake;
  for (;;) {
    for (int i = 0; i < 16; ++i) {
      if (done()) return true;
      relax();
    }
    if (std::chrono::steady_clock::now() >= until) return done();
  }
}

// Threads that wait for a job, run it, and wait for the next.  They are
// started on first use and live until the process ends: they hold nothing
// that needs closing, and joining them would only delay the exit.
class Pool {
 public:
  explicit Pool(std::size_t helpers) {
    threads_.reserve(helpers);
    for (std::size_t i = 0; i < helpers; ++i) threads_.emplace_back([this] { serve(); }).detach();
  }
  Pool(const Pool&) = delete;
  Pool& operator=(const Pool&) = delete;

  std::size_t helpers() const { return threads_.size(); }

  // Offers `helper` to up to `wanted` of the threads while the caller runs
  // `lead`.  Places that no thread has taken by the time `lead` returns are
  // withdrawn, so the caller waits only for the helpers that did start: a
  // thread slow to wake never holds up work the caller has already done.
  void run(const std::function<void()>& helper, const std::function<void()>& lead, std::size_t wanted) {
    wanted = std::min(wanted, threads_.size());
    {
      std::lock_guard<std::mutex> lock(mutex_);
      job_ = &helper;
      open_ = wanted;
      generation_.fetch_add(1, std::memory_order_release);
    }
    // One sleeping thread is woken here; each thread that takes a place
    // wakes the next while places are left, so the caller pays for one wake.
    wake_.notify_one();
    // The helpers use what the caller's frame holds: they are waited for even
    // when the lead's part throws.
    std::exception_ptr failure;
    try {
      lead();
    } catch (...) {
      failure = std::current_exception();
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      open_ = 0;
    }
    if (!stay_awake_until([this] { return busy_.load(std::memory_order_acquire) == 0; })) {
      std::unique_lock<std::mutex> lock(mutex_);
      done_.wait(lock, [this] { return busy_.load(std::memory_order_relaxed) == 0; });
    }
    if (failure) std::rethrow_exception(failure);
  }

 private:
  void serve() {
    t_sharing = true;
    std::uint64_t seen = 0;
    for (;;) {
      stay_awake_until([&] { return generation_.load(std::memory_order_acquire) != seen; });
      const std::function<void()>* job = nullptr;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
          const std::uint64_t now = generation_.load(std::memory_order_relaxed);
          if (now != seen) {
            seen = now;
            if (open_ > 0) break;
          }
          wake_.wait(lock);
        }
        --open_;
        busy_.fetch_add(1, std::memory_order_relaxed);
        job = job_;
        if (open_ > 0) wake_.notify_one();
      }
      (*job)();
      std::lock_guard<std::mutex> lock(mutex_);
      if (busy_.fetch_sub(1, std::memory_order_release) == 1) done_.notify_one();
    }
  }

  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  // Guarded by mutex_; generation_ and busy_ are also read without it by
  // threads that stay awake.
  const std::function<void()>* job_ = nullptr;
  std::atomic<std::uint64_t> generation_{0};
  std::size_t open_ = 0;                // places in the current job not yet taken
  std::atomic<std::size_t> busy_{0};    // helpers running the current job
};

Pool& pool() {
  // Never destroyed: see Pool.
  static Pool& shared = *new Pool(std::min(platform::available_cpus(), kMostThreads) - 1);
  return shared;
}

}  // namespace

std::size_t width() { return pool().helpers() + 1; }

void run(const std::function<void()>& helper, const std::function<void()>& lead, std::size_t wanted) {
  if (pool().helpers() == 0 || wanted == 0) {
    lead();
    return;
  }
  t_sharing = true;
  struct Done {
    ~Done() { t_sharing = false; }
  } done;
  pool().run(helper, lead, wanted);
}

void for_each(std::size_t n, const std::function<void(std::size_t)>& body) {
  if (n <= 1 || t_sharing || width() == 1) {
    for (std::size_t i = 0; i < n; ++i) body(i);
    return;
  }
  std::atomic<std::size_t> next{0};
  const std::function<void()> take = [&] {
    for (std::size_t i = next.fetch_add(1, std::memory_order_relaxed); i < n;
         i = next.fetch_add(1, std::memory_order_relaxed))
      body(i);
  };
  run(take, take, n - 1);
}

}  // namespace conv::parallel
