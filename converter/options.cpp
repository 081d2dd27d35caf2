#include "converter/options.h"

#include <string>

#include "converter/failure.h"
#include "library/ffmt.h"
#include "library/ftext.h"
#include "library/paths.h"
#include "library/text_basics.h"
#include "platform/console.h"
#include "platform/filesys.h"

namespace conv {
namespace console = platform::console;

namespace {

constexpr std::size_t kArgLength = 1000;

const char* const kHelp[] = {
#include "converter/help_text.inc"
};

enum class Word { S0, E0, Mr, Mw, B, Dt, Thour, Col, Csv, Ts1, Ts2, Darno, Rafts, Rorb, Row, Urbs, Wbnm, Xp, Dss, Date };

// Option words in matching order: the first that matches wins.
const struct {
  std::string_view word;
  Word id;
} kWords[] = {
    {"s0", Word::S0},      {"e0", Word::E0},       {"mr", Word::Mr},     {"mw", Word::Mw},
    {"b", Word::B},        {"dt", Word::Dt},       {"thour", Word::Thour}, {"col", Word::Col},
    {"csv", Word::Csv},    {"ts1", Word::Ts1},     {"ts2", Word::Ts2},   {"darno", Word::Darno},
    {"rafts", Word::Rafts}, {"rorb", Word::Rorb},  {"row", Word::Row},   {"urbs", Word::Urbs},
    {"wbnm", Word::Wbnm},  {"xp", Word::Xp},       {"dss", Word::Dss},   {"date", Word::Date},
};

[[noreturn]] void bad_value(std::string_view arg) {
  fail("ERROR - Reading argument value: " + std::string(lib::trim_right(arg)), false);
}

// The value of -dt / -col: one free-form value from the given column on.  A
// null value or a slash counts as a failure: the option needs a number.
template <class T>
T read_value(std::string_view arg, std::size_t from) {
  const std::string_view text = from < arg.size() ? arg.substr(from) : std::string_view();
  ffmt::ListReader reader(text);
  T value{};
  if (reader.read(value) != ffmt::kOk || !reader.value_read()) bad_value(arg);
  return value;
}

void take_event_file(RunSettings& s, bool& error, std::string_view arg) {
  lib::FText name(kArgLength, lib::trim_right(arg));
  s.EVENTFILE = std::string(name.trimmed());
  if (is_option(s.EVENTFILE)) {
    console::empty_line();
    console::line(
        "ERROR - Text file containing event names required as next argument when using the Multiple RAFTS "
        "events -mr switch");
    error = true;
    return;
  }
  const bool blank = lib::BLANK(name);
  s.EVENTFILE = std::string(name.trimmed());
  if (blank) {
    console::empty_line();
    console::line(
        "ERROR -Text file containing event names required as next argument when using the Multiple RAFTS "
        "events -mr switch, blank encountered.");
    error = true;
    return;
  }
  if (!regular_file_exists(s.EVENTFILE)) {
    console::empty_line();
    console::line("ERROR - File " + s.EVENTFILE + " does not exist.");
    error = true;
  }
}

void apply(RunSettings& s, Word w, std::string_view arg, std::size_t mark, bool& next_is_event_file) {
  switch (w) {
    case Word::S0: s.zero_start = true; break;
    case Word::E0: s.zero_end = true; break;
    case Word::Mr:
      s.mr = true;
      s.multi_event = true;
      next_is_event_file = true;
      break;
    case Word::Mw:
      s.mw = true;
      s.multi_event = true;
      break;
    case Word::B: s.batch = true; break;
    case Word::Dt:
      s.dt = read_value<float>(arg, mark + 2);
      s.dt_given = true;
      break;
    case Word::Thour: s.hours = true; break;
    case Word::Col: s.NCOL = read_value<std::int32_t>(arg, mark + 3); break;
    case Word::Csv:
      s.output = OutputKind::Csv;
      s.hours = true;
      break;
    case Word::Ts1: s.output = OutputKind::Ts1; break;
    case Word::Ts2: s.output = OutputKind::Ts2; break;
    case Word::Darno: s.input = InputKind::Darno; break;
    case Word::Rafts: s.input = InputKind::Rafts; break;
    case Word::Rorb: s.input = InputKind::Rorb; break;
    case Word::Row: s.input = InputKind::Rows; break;
    case Word::Urbs: s.input = InputKind::Urbs; break;
    case Word::Wbnm:
      s.input = InputKind::Wbnm;
      s.output = OutputKind::Ts1;
      break;
    case Word::Xp: s.input = InputKind::Xp; break;
    case Word::Dss: break;
    case Word::Date: s.dated_urbs = true; break;
  }
}

// An argument whose text (without trailing blanks) is longer than the
// argument buffer would be used cut, and would name another file or option.
bool too_long(std::string_view whole, bool& error) {
  if (whole.size() <= kArgLength) return false;
  console::empty_line();
  console::line("ERROR - Argument longer than " + std::to_string(kArgLength) + " characters, not used: \"" +
                std::string(whole) + "\"");
  error = true;
  return true;
}

void check_message(std::string_view text, bool& error) {
  console::line(text);
  console::line(" ");
  error = true;
}

}  // namespace

std::string opened_name(std::string_view name) {
  lib::FText t(name.size(), name);
  return lib::CLEANPATH(t);
}

bool regular_file_exists(std::string_view name) { return platform::is_regular_file(opened_name(name)); }

bool is_option(std::string_view arg, std::size_t* mark) {
  std::size_t m = 0;
  if (arg.substr(0, 3) == "\xE2\x80\x93") {
    m = 3;
  } else if (!arg.empty() && (arg[0] == '-' || arg[0] == '\x96')) {
    m = 1;
  } else if (!arg.empty() && arg[0] == '/' && arg.find('/', 1) == std::string_view::npos) {
    m = 1;
  }
  if (mark) *mark = m;
  return m > 0;
}

CommandLine parse_command_line(const std::vector<std::string>& args) {
  CommandLine cl;
  RunSettings& s = cl.settings;
  bool next_is_event_file = false;
  for (const std::string& full : args) {
    const std::string_view arg = lib::cut(full, kArgLength);
    s.ARGBUF = std::string(arg);
    if (too_long(lib::trim_right(full), cl.error)) {
      next_is_event_file = false;  // not taken as the event-names file either
      continue;
    }
    if (next_is_event_file) {
      next_is_event_file = false;
      take_event_file(s, cl.error, arg);
      continue;
    }
    std::size_t mark = 0;
    if (is_option(arg, &mark)) {
      for (const auto& w : kWords) {
        const std::string_view part = mark < arg.size() ? arg.substr(mark, w.word.size()) : std::string_view();
        if (lib::ASAME(part, w.word)) {
          apply(s, w.id, arg, mark, next_is_event_file);
          break;
        }
      }
      continue;
    }
    s.INFILES.emplace_back(lib::trim_right(arg));
  }
  if (s.mr) {
    if (s.INFILES.size() > 1)
      check_message(
          "ERROR - Multiple input filename via wildcard not currently supported with the -mr switch enabled",
          cl.error);
    if (s.input == InputKind::Wbnm)
      check_message("ERROR - -mr switch compatible with RAFTS results only. Check input switches and result files",
                    cl.error);
  }
  if (s.mw && s.input == InputKind::Rafts)
    check_message("ERROR - -mw switch compatible with WBNM results only. Check input switches and result files",
                  cl.error);
  return cl;
}

void print_help() {
  for (const char* line : kHelp) console::line(line);
}

}  // namespace conv
