#include <string>
#include <vector>

#include "converter/flowtab.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  // Before anything opens a file (here rather than in FLOWTAB, which the
  // fuzzing harnesses call in-process many times).
  platform::reserve_standard_descriptors();
  conv::FLOWTAB(std::vector<std::string>(argv, argv + argc));
}
