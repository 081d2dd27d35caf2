// Runs the converter's real path in process on one fuzz input.
//
// The input becomes a file in a scratch folder (on a memory file system when
// there is one; files there are capped at 1 MB, beyond which a write fails
// as on a full disk) and the program is run on it as a user would, with -b:
// the console goes to a null stream, console input is empty (every pause
// returns), and the end of the process is turned into an exception.  The
// first byte of the input picks options, so that every reader meets every
// writer:
//   bit 0 -csv, bit 1 -ts2, bit 2 -s0, bit 3 -e0, bits 4-5 -col1..-col3 (0:
//   none), bit 6 the kind's variant (-mw, -mr, -dt<n>, -date), bit 7 unused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fuzzing {

struct Kind {
  std::string_view flag;       // "-wbnm", "-rafts", ...
  std::string_view file;       // the input's name in the scratch folder
  std::string_view variant;    // option added when bit 6 is set ("" for none)
  bool variant_takes_events;   // the variant is -mr: the events file follows it
};

// Runs one conversion of `data` as an input of the given kind.  With -mr the
// input's lines up to its first empty line are the event-names file and the
// rest is the input.
void run_kind(const Kind& kind, const std::uint8_t* data, std::size_t size);

// Runs the program with the given arguments (argument 0 excluded) in the
// scratch folder.
void run_arguments(const std::vector<std::string>& args);

// Writes a file into the scratch folder.
void put_file(std::string_view name, std::string_view bytes);

}  // namespace fuzzing
