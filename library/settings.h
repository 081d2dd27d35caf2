// The library's process-wide settings: what the open, pause and exit routines
// do (log unit, message boxes, pauses, drive overrides, the copy-of-inputs
// mode, the output block size), the letter flags, and the support address.
// INITUNITS (library/unit_slots.h) gives them their start values.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "library/ftext.h"

namespace lib {

// Support address that ends several messages.
inline constexpr std::string_view kSupportEmail = "flowtab@example.org";

struct LibSettings {
  std::int32_t LOGUNIT = 0;
  bool BOXMODE = false;
  FText APPNAME{100};
  FText SIMNAME{100};
  bool PAUSEONEXIT = true;
  bool NOCLOSEONEXIT = false;
  char INPUTDRIVE = ' ';
  char OUTPUTDRIVE = ' ';
  bool AUTOMKDIR = false;
  bool COPYINPUTS = false;
  FText COPYROOT{1000};
  FText LASTCOPYPATH{1000};
  bool COPYONEFILE = false;
  std::int32_t OUTBLOCKSIZE = 0;
};

LibSettings& settings();
// Flags set by SETFLAGS, index 0 for A .. 25 for Z.
std::array<bool, 26>& LETTERFLAGS();

}  // namespace lib
