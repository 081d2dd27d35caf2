// Fuzzes the command line: the input's lines are the arguments, run in a
// folder that holds one small file of every input kind.
#include <string>
#include <vector>

#include "fuzz/driver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> args;
  std::size_t start = 0;
  while (start <= text.size() && args.size() < 64) {
    const std::size_t nl = text.find('\n', start);
    const std::size_t end = nl == std::string_view::npos ? text.size() : nl;
    args.emplace_back(text.substr(start, end - start));
    if (nl == std::string_view::npos) break;
    start = nl + 1;
  }
  fuzzing::put_file("Q100_Meta.out",
                    "#####START_META_FILE######\nWBNM Version: 2017_1b - t\n#####END_META_FILE########\n"
                    "#####START_STORM#1\n#####START_HYDROGRAPHS_A\nh\n0 0 0 0 0 1 1 0 1\n5 0 0 0 0 1 1 0 2\n"
                    "#####END_HYDROGRAPHS_A\n");
  fuzzing::put_file("Q100.tot", "    1    1    2       5.0\n          N1\n       1.000       2.000\n");
  fuzzing::put_file("events.txt", "E1\n");
  fuzzing::put_file("flows.txt", "Flow A\n1 2 3\n");
  fuzzing::run_arguments(args);
  return 0;
}
