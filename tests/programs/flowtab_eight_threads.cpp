// The program as a run starts it, except that its work is shared among eight
// threads whatever the machine's processors (no option of the program sets
// that).  The tests of conversions under a memory limit run it, so that
// every thread of a full pool meets the limit also on a machine of two
// processors.
#include <string>
#include <vector>

#include "converter/flowtab.h"
#include "converter/parallel.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  platform::reserve_standard_descriptors();
  conv::parallel::for_tests::use_threads(8);
  conv::FLOWTAB(std::vector<std::string>(argv, argv + argc));
}
