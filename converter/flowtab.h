// The converter's main program.
#pragma once

#include <string>
#include <vector>

namespace conv {

// Runs the converter with the command line args (args[0] is the program path).
// Never returns: the process ends through platform::end_process or EXITS.
[[noreturn]] void FLOWTAB(const std::vector<std::string>& args);

}  // namespace conv
