#include "converter/flowtab.h"

#include <new>
#include <string>

#include "converter/failure.h"
#include "converter/fileloop.h"
#include "converter/options.h"
#include "library/ftext.h"
#include "library/pauses.h"
#include "library/settings.h"
#include "library/unit_slots.h"
#include "platform/console.h"
#include "platform/fpu.h"
#include "platform/process.h"

namespace conv {
namespace console = platform::console;

namespace {

constexpr std::int32_t kUnitBase = 1000;
constexpr std::size_t kPathLength = 1000;

// Help text, the pause, and the end of the run.
[[noreturn]] void help_and_end(int status) {
  print_help();
  console::empty_line();
  lib::pause_for_enter("Press Enter to Close");
  platform::end_process(status);
}

}  // namespace

void FLOWTAB(const std::vector<std::string>& args) {
  platform::set_flush_denormals();
  lib::INITUNITS(kUnitBase);
  const std::string progpath(lib::trim_right(lib::cut(args.empty() ? std::string() : args[0], kPathLength)));

  console::empty_line();
  console::line(progpath + ":  ");
  console::line(lib::trim_right(BUILDTAG));
  console::empty_line();

  if (args.size() <= 1) help_and_end(0);
  CommandLine cl = parse_command_line(std::vector<std::string>(args.begin() + 1, args.end()));
  if (cl.error) help_and_end(2);
  cl.settings.PROGPATH = progpath;
  try {
    run_file_loop(cl.settings);
  } catch (const std::bad_alloc&) {
    // Tables larger than the memory the process may have: the run ends as
    // after any fatal error, its outputs closed and reported.
    fail("ERROR - Out of memory.  Contact " + std::string(lib::kSupportEmail));
  }
}

}  // namespace conv
