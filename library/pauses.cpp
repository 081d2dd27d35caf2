#include "library/pauses.h"

#include <cstdint>
#include <string>

#include "library/console_dialogue.h"
#include "library/settings.h"
#include "platform/console.h"
#include "platform/msgbox.h"

namespace lib {
namespace console = platform::console;

namespace {

constexpr char kNUL = '\0';

void box_until_ok(const std::string& text, const std::string& caption, std::uint32_t style) {
  while (platform::message_box(text, caption, style) != 1) {
  }
}

std::string box_caption() {
  std::string c(settings().APPNAME.trimmed());
  c += kNUL;
  return c;
}

}  // namespace

void pause_before_close() {
  const LibSettings& s = settings();
  if (s.BOXMODE) {
    std::string text = box_lines({"Premature Exit of " + std::string(s.APPNAME.trimmed()) + " Simulation " +
                                      std::string(s.SIMNAME.trimmed()),
                                  "", "Press OK to Close Simulation Window"});
    text += kNUL;
    box_until_ok(text, box_caption(), 0x10010);
  } else {
    console::empty_line();
    pause_for_enter("Press Enter to Close");
  }
}

void PAUSEMSG() {
  const LibSettings& s = settings();
  if (s.BOXMODE) {
    std::string text = box_lines({std::string(s.APPNAME.trimmed()) + " Simulation " +
                                      std::string(s.SIMNAME.trimmed()) + " paused",
                                  "", "Refer to Simulation Window", "", "Press OK to Continue"});
    text += kNUL;
    box_until_ok(text, box_caption(), 0x10030);
    return;
  }
  console::empty_line();
  pause_for_enter("Press Enter to Continue");
}

void pause_for_enter(std::string_view message) {
  console::line(message);
  (void)console::read_line();
}

}  // namespace lib
