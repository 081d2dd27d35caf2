// The console pauses: the run waits until the user acknowledges, on the
// console or, in box mode, in a message box.
#pragma once

#include <string_view>

namespace lib {

// Waits until the user acknowledges ("Press Enter to Continue").
void PAUSEMSG();
// The pause before the run ends ("Press Enter to Close", or the box that
// announces a premature exit).
void pause_before_close();
// The console pause: writes the message as a line and waits for Enter; at the
// end of input it returns as if Enter had been pressed.
void pause_for_enter(std::string_view message);

}  // namespace lib
