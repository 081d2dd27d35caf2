#include "library/savedate.h"

#include <string>

#include "library/console_dialogue.h"
#include "library/exits.h"
#include "library/ftext.h"
#include "library/settings.h"
#include "library/unit_manager.h"
#include "platform/console.h"
#include "platform/filesys.h"
#include "platform/msgbox.h"
#include "platform/process.h"

namespace lib {
namespace console = platform::console;

namespace {

std::string in_quotes(std::string_view name) {
  std::string quoted(1, '"');
  quoted += name;
  quoted += '"';
  return quoted;
}

}  // namespace

bool CHECKSAVEDATE(std::string_view savedfile, std::string_view reffile, std::int32_t& unita, std::int32_t& unitb,
                   bool iserror, std::int32_t echounit) {
  const std::string_view saved_name = trim_right(savedfile);
  const std::string_view ref_name = trim_right(reffile);
  const auto t1 = platform::mtime_seconds(saved_name);
  console::put("Checking save date is later than that of " + std::string(ref_name) + "...");
  const auto t2 = platform::mtime_seconds(ref_name);
  const std::string label = iserror ? "ERROR 0004" : "WARNING 0004";

  // Either save date missing: nothing can be compared.
  if (!t1 || !t2) {
    console::line("NOT OK");
    console::empty_line();
    line_to_console_and_log(label + " - Could not access save date of " + in_quotes(saved_name) + " to check with " +
                                in_quotes(ref_name),
                            echounit);
    if (!iserror) return true;
    console::empty_line();
    console::line("NOTE - If using MORVEL.exe, use CHECK MI SAVE DATE == WARNING or OFF to suppress check");
    console::empty_line();
    EXITS(1);
  }
  if (*t1 >= *t2) {
    console::line("OK");
    console::empty_line();
    return true;
  }
  console::line("NOT OK");
  console::empty_line();
  const std::string late =
      label + " - Save date of " + in_quotes(ref_name) + " file is later than that of " + in_quotes(saved_name);
  if (!iserror) {
    line_to_console_and_log(late, echounit);
    return true;
  }
  if (unita > 0) CLOSER(unita);
  if (unitb > 0) CLOSER(unitb);
  const LibSettings& s = settings();
  if (!s.BOXMODE) {
    console::line(late);
    // The caller checks again after the re-export: at the end of console
    // input that would never end.
    console::line("Re-export mif file and press Enter, or close window.");
    if (!console::read_line()) no_console_input();
    return false;
  }
  console::line(late);
  console::line("Re-export mif file, or use CHECK MI SAVE DATE == WARNING or OFF to suppress check.");
  std::string text = box_lines({label + " - Save date of ", in_quotes(ref_name), "is later than that of ",
                                in_quotes(saved_name)});
  text += '\0';
  std::string caption = std::string(s.APPNAME.trimmed()) + " " + std::string(s.SIMNAME.trimmed());
  caption += '\0';
  if (platform::message_box(text, caption, platform::kBoxRetryCancelError) == platform::kIdRetry) return false;
  platform::end_process(1);
}

}  // namespace lib
