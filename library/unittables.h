// Process-wide file-unit tables and library settings, the console pauses and
// the orderly exit, and small console and text helpers.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "library/ftext.h"

namespace lib {

// Support address that ends several messages.
inline constexpr std::string_view kSupportEmail = "flowtab@example.org";

// One of the 8 fixed file slots, opened by slot number.
struct FixedSlot {
  std::int32_t unit = 0;
  bool open = false;
  std::string type = "  ";  // type code of the last open
  std::int32_t namelen = 0;  // significant length of the stored name; 0 = none
  FText name{1000};          // stored file name (blank until one is stored)
};

// One unit of the pool handed out first-free.
struct PoolSlot {
  std::int32_t unit = 0;
  bool open = false;
  std::int32_t kind = 0;  // 101 ".mif", 102 ".mid", 111 ".12da", 0 otherwise
};

inline constexpr int kFixedSlots = 8;
inline constexpr int kPoolSlots = 1000;

struct UnitTables {
  std::int32_t UNITBASE = 0;
  std::array<FixedSlot, kFixedSlots> fixed;
  std::array<PoolSlot, kPoolSlots> pool;
};

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

UnitTables& unit_tables();
LibSettings& settings();
// Flags set by SETFLAGS, index 0 for A .. 25 for Z.
std::array<bool, 26>& LETTERFLAGS();

// Sets up the unit tables (base max(IBASE, 9)) and the settings.
void INITUNITS(std::int32_t IBASE);

// Closes the manager's open units, pauses ("Press Enter to Close") and ends
// the process.  The status is 1 after a fatal message, 0 for a normal end; an
// output whose buffered writes failed is reported and makes it 1.
[[noreturn]] void EXITS(int status = 1);
// Closes a unit of the manager; false (after the message "ERROR - Writing
// output file " and its name) when its output could not be written completely.
bool close_reporting_unwritten(std::int32_t unit);
// Waits until the user acknowledges ("Press Enter to Continue").
void PAUSEMSG();
// Writes STR(1:N) without ending the line (N clamped to STR's length).
void WRITECHARS(std::string_view str, std::int32_t n);
// Significant length with blank and NUL both taken as trailing filler; a NUL
// is placed after the text when it is shorter than the capacity.
std::int32_t LENSL(FText& str);
// Length of the first word; its end is marked with a NUL.
std::int32_t NULFIRSTBLANK(FText& str);
// Asks for letters and sets LETTERFLAGS.
void SETFLAGS();
// Writes STR without trailing blanks and NULs (LENSL's NUL placed first).
void WRITETRIM(FText& str);
// Reads a console line into STR; N := its significant length.
void READTRIM(FText& str, std::int32_t& n);
// Writes PROMPT as it stands and "? "; true for an answer starting with y or Y.
bool YESNO(std::string_view prompt);
// True when A and B are both at least 0 or both below 0.
bool SAMESIGN(float a, float b);

// ---- shared by the library's console dialogues ----

// Significant length as LENSL counts it, without changing the text.
std::size_t lensl_length(std::string_view s) noexcept;
// Writes "\n" and the line "ERROR - No console input: cannot continue." and
// ends the process with status 1 (a dialogue that cannot get an answer).
[[noreturn]] void no_console_input();
// Reads one console answer, ending the process when the input has ended.
std::string read_answer();
// The console pause: writes the message as a line and waits for Enter; at the
// end of input it returns as if Enter had been pressed.
void pause_for_enter(std::string_view message);
// Writes a line to the console and, when the log unit is above 0, to that
// unit (LOGUNIT unless another is given).
void line_to_console_and_log(std::string_view text, std::int32_t logunit = settings().LOGUNIT);
// The same without ending the line.
void put_to_console_and_log(std::string_view text, std::int32_t logunit = settings().LOGUNIT);
void empty_line_to_console_and_log(std::int32_t logunit = settings().LOGUNIT);
// A message-box text: the lines joined by CR (character 13).
std::string box_lines(std::initializer_list<std::string_view> lines);

}  // namespace lib
