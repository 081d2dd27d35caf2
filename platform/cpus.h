// How many processors this process may run on.
#pragma once

#include <cstddef>

namespace platform {

// The processors of the process's CPU affinity (what `taskset` leaves it),
// at least 1.
std::size_t available_cpus();

}  // namespace platform

namespace platform {

// The processor the calling thread runs on now, -1 when unknown.
int current_cpu();
// Keeps the calling thread off processor `cpu` (when it may run on others);
// false when that is not done.
bool keep_off_cpu(int cpu);

}  // namespace platform

namespace platform {

// Threads started from now on get stacks of a quarter of a megabyte.
void small_thread_stacks();

}  // namespace platform
