// The converter's run settings and its command line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace conv {

enum class InputKind { Wbnm, Rafts, Rorb, Urbs, Xp, Darno, Rows };
enum class OutputKind { Ts1, Ts2, Csv };

// The build tag: 16 characters, printed in the banner and in every .ts1 file.
inline constexpr std::string_view BUILDTAG = "flowtab 1.0.0   ";

// Settings taken from the command line; never changed afterwards.
struct RunSettings {
  InputKind input = InputKind::Wbnm;
  OutputKind output = OutputKind::Ts1;
  bool hours = false;       // -thour, -csv
  bool zero_start = false;  // -s0
  bool zero_end = false;    // -e0
  bool batch = false;       // -b
  bool multi_event = false;  // -mr, -mw
  bool mr = false;
  bool mw = false;
  std::string EVENTFILE;    // the argument after -mr, without trailing blanks
  float dt = -1.0f;         // -dt<dt>, minutes
  bool dt_given = false;
  std::int32_t NCOL = 0;    // -col<ncol>
  bool dated_urbs = false;  // -date
  std::vector<std::string> INFILES;  // input patterns in argument order
  std::string PROGPATH;     // argument 0
  std::string ARGBUF;       // the last argument read, cut to 1000 characters
};

struct CommandLine {
  RunSettings settings;
  bool error = false;  // a long or bad argument or a bad combination: show the help
};

// True when the argument is an option; `mark` receives the length of its
// option mark ("-", "/", the byte 0x96, or the three bytes of a UTF-8 en dash).
// An argument that starts with "/" and holds a second "/" is an absolute path.
bool is_option(std::string_view arg, std::size_t* mark = nullptr);

// Reads arguments 1.. in order (argument 0 excluded), printing the messages
// of an argument longer than 1000 characters (without its trailing blanks),
// of a bad -mr argument and of the combination checks.  A -dt or -col value
// that cannot be read ends the run through EXITS.
CommandLine parse_command_line(const std::vector<std::string>& args);

// The name under which the open routine opens `name`: leading and trailing
// blanks dropped, doubled separators reduced (CLEANPATH).
std::string opened_name(std::string_view name);

// True when a regular file exists under the name by which `name` is opened
// (a folder does not count).
bool regular_file_exists(std::string_view name);

// The 59 lines of the help text.
void print_help();

}  // namespace conv
