// The processors this process may run on, and the threads it starts on them.
#pragma once

#include <sched.h>

#include <cstddef>
#include <functional>

namespace platform {

// The processors of the process's CPU affinity (what `taskset` leaves it),
// at least 1.
std::size_t available_cpus();

// The processor the calling thread runs on now, -1 when unknown.
int current_cpu();
// True when programs may use AVX2, with BMI1 and POPCNT beside it, on this
// processor and system (and a test has not said otherwise).  Read from what
// the C library found out at start-up: asking the processor again costs a
// trap to the host in a virtual machine.
bool has_avx2();

// Runs `body` on a thread of its own, never joined, with a stack of a quarter
// of a megabyte (the system's default where it refuses that); false when no
// thread could be started.  With `off_cpu` set, the thread never runs on that
// processor (when it may run on others), from its very start: a new thread
// placed on its creator's processor would otherwise hold the creator up.
bool start_thread(std::function<void()> body, int off_cpu = -1);

// For tests only: no option of the program reaches these.
namespace for_tests {

// While `plain`, has_avx2() says false, so that the code written for any
// processor runs where AVX2 code would.
void use_plain_code(bool plain);

// The system is made to refuse every thread that start_thread() is asked
// for after the next `n` (SIZE_MAX: none is refused, as in a run).
void refuse_threads_after(std::size_t n);

}  // namespace for_tests

// While it lives, the thread that made it keeps to the processor it ran on
// then (where the system allows); its processors come back at its end.
class StayPut {
 public:
  StayPut();
  ~StayPut();
  StayPut(const StayPut&) = delete;
  StayPut& operator=(const StayPut&) = delete;

 private:
  cpu_set_t before_;
  bool kept_ = false;
};

}  // namespace platform
