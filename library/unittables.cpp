#include "library/unittables.h"

#include <algorithm>

#include "platform/console.h"
#include "platform/msgbox.h"
#include "platform/process.h"
#include "platform/units.h"

namespace lib {
namespace console = platform::console;

namespace {

constexpr char kCR = '\r';
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

bool close_reporting_unwritten(std::int32_t unit) {
  const std::string path = platform::rt::connected_path(unit);
  if (platform::rt::close(unit) <= 0) return true;
  // An output that could not be written completely (disk full) must not pass
  // for a good one.
  console::empty_line();
  console::line("ERROR - Writing output file " + path);
  return false;
}

UnitTables& unit_tables() {
  static UnitTables tables;
  return tables;
}

LibSettings& settings() {
  static LibSettings s;
  return s;
}

std::array<bool, 26>& LETTERFLAGS() {
  static std::array<bool, 26> flags{};
  return flags;
}

void INITUNITS(std::int32_t IBASE) {
  LibSettings& s = settings();
  s.APPNAME.assign("");
  s.SIMNAME.assign("");
  s.BOXMODE = false;
  UnitTables& t = unit_tables();
  t.UNITBASE = std::max<std::int32_t>(IBASE, 9);
  for (int n = 1; n <= kFixedSlots; ++n) {
    FixedSlot& f = t.fixed[n - 1];
    f.unit = t.UNITBASE - 8 + n;
    f.type = "  ";
    f.namelen = 0;
    f.open = false;
  }
  for (int i = 1; i <= kPoolSlots; ++i) {
    PoolSlot& p = t.pool[i - 1];
    p.unit = t.UNITBASE + i;
    p.open = false;
    p.kind = 0;
  }
  s.INPUTDRIVE = ' ';
  s.OUTPUTDRIVE = ' ';
  s.AUTOMKDIR = false;
  s.PAUSEONEXIT = true;
  s.LOGUNIT = 0;
  s.NOCLOSEONEXIT = false;
}

void EXITS(int status) {
  const LibSettings& s = settings();
  if (!s.NOCLOSEONEXIT) {
    UnitTables& t = unit_tables();
    for (FixedSlot& f : t.fixed) {
      if (f.open && !close_reporting_unwritten(f.unit)) status = 1;
      f.open = false;
    }
    for (PoolSlot& p : t.pool) {
      if (p.open && !close_reporting_unwritten(p.unit)) status = 1;
      p.open = false;
    }
  }
  if (s.PAUSEONEXIT) {
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
  platform::end_process(status);
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

void WRITECHARS(std::string_view str, std::int32_t n) {
  if (n <= 0) return;
  console::put(cut(str, static_cast<std::size_t>(n)));
}

std::size_t lensl_length(std::string_view s) noexcept {
  std::size_t l = s.size();
  while (l > 0 && (s[l - 1] == ' ' || s[l - 1] == kNUL)) --l;
  return l;
}

std::int32_t LENSL(FText& str) {
  const std::size_t l = lensl_length(str.view());
  if (l > 0 && l < str.capacity()) str[l] = kNUL;
  return static_cast<std::int32_t>(l);
}

std::int32_t NULFIRSTBLANK(FText& str) {
  for (std::size_t i = 0; i < str.capacity(); ++i) {
    if (str[i] == ' ' || str[i] == kNUL) {
      str[i] = kNUL;
      return static_cast<std::int32_t>(i);
    }
  }
  return static_cast<std::int32_t>(str.capacity());
}

void SETFLAGS() {
  console::put("Set flags: ");
  const std::string answer = padded(read_answer(), 26);
  auto& flags = LETTERFLAGS();
  for (unsigned char c : answer) {
    if (c >= 'A' && c <= 'Z') flags[c - 'A'] = true;
    if (c >= 'a' && c <= 'z') flags[c - 'a'] = true;
  }
}

void WRITETRIM(FText& str) {
  const std::int32_t l = LENSL(str);
  WRITECHARS(str.view(), l);
}

void READTRIM(FText& str, std::int32_t& n) {
  str.assign(read_answer());
  n = LENSL(str);
}

bool YESNO(std::string_view prompt) {
  console::put(prompt);
  console::put("? ");
  const std::string answer = read_answer();
  return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

bool SAMESIGN(float a, float b) { return (a >= 0.0f) == (b >= 0.0f); }

void no_console_input() {
  console::empty_line();
  console::line("ERROR - No console input: cannot continue.");
  platform::end_process(1);
}

std::string read_answer() {
  auto answer = console::read_line();
  if (!answer) no_console_input();
  return std::move(*answer);
}

void pause_for_enter(std::string_view message) {
  console::line(message);
  (void)console::read_line();
}

void put_to_console_and_log(std::string_view text, std::int32_t logunit) {
  console::put(text);
  if (logunit > 0) platform::rt::write_text(logunit, text);
}

void line_to_console_and_log(std::string_view text, std::int32_t logunit) {
  console::line(text);
  if (logunit > 0) platform::rt::write_record(logunit, text);
}

void empty_line_to_console_and_log(std::int32_t logunit) { line_to_console_and_log({}, logunit); }

std::string box_lines(std::initializer_list<std::string_view> lines) {
  std::string text;
  bool first = true;
  for (std::string_view l : lines) {
    if (!first) text += kCR;
    first = false;
    text += l;
  }
  return text;
}

}  // namespace lib
