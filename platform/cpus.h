// The processors this process may run on, and the threads it starts on them.
#pragma once

#include <cstddef>
#include <functional>

namespace platform {

// The processors of the process's CPU affinity (what `taskset` leaves it),
// at least 1.
std::size_t available_cpus();

// The processor the calling thread runs on now, -1 when unknown.
int current_cpu();
// Keeps the calling thread off processor `cpu` (when it may run on others);
// false when that is not done.
bool keep_off_cpu(int cpu);

// Runs `body` on a thread of its own, never joined, with a stack of a quarter
// of a megabyte (the system's default where it refuses that); false when no
// thread could be started.
bool start_thread(std::function<void()> body);

}  // namespace platform
