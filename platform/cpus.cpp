#include "platform/cpus.h"

#include <pthread.h>
#include <sched.h>

#include <thread>

namespace platform {

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

}  // namespace platform

namespace platform {

int current_cpu() { return ::sched_getcpu(); }

bool keep_off_cpu(int cpu) {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (cpu < 0 || cpu >= CPU_SETSIZE || ::sched_getaffinity(0, sizeof set, &set) != 0) return false;
  if (!CPU_ISSET(cpu, &set) || CPU_COUNT(&set) < 2) return false;
  CPU_CLR(cpu, &set);
  return ::sched_setaffinity(0, sizeof set, &set) == 0;
}

}  // namespace platform

namespace platform {

void small_thread_stacks() {
  pthread_attr_t attr;
  if (::pthread_getattr_default_np(&attr) != 0) return;
  ::pthread_attr_setstacksize(&attr, std::size_t{1} << 18);
  ::pthread_setattr_default_np(&attr);
  ::pthread_attr_destroy(&attr);
}

}  // namespace platform
