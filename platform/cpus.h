// How many processors this process may run on.
#pragma once

#include <cstddef>

namespace platform {

// The processors of the process's CPU affinity (what `taskset` leaves it),
// at least 1.
std::size_t available_cpus();

}  // namespace platform
