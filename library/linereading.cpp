#include "library/linereading.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "library/ffmt.h"
#include "library/messages.h"
#include "library/text_basics.h"
#include "platform/connections.h"

namespace lib {
namespace rt = platform::rt;

namespace {

// Blanks LINE from its first "#" or "!" on (searched over its whole capacity).
void cut_comment(FText& line) {
  const std::size_t p = line.view().find_first_of("#!");
  if (p == std::string_view::npos) return;
  std::fill(line.data() + p, line.data() + line.capacity(), ' ');
}

// Left-adjusts LINE, cuts its comment and tells whether it is a blank or
// comment line.
bool adjust_and_cut(FText& line) {
  left_adjust(line);
  const char c = line.capacity() > 0 ? line[0] : ' ';
  const bool comment = c == '#' || c == '!' || line.blank();
  cut_comment(line);
  return comment;
}

[[noreturn]] void read_failure(std::string_view text, std::int32_t unit) {
  std::string message(text);
  ffmt::put_I(message, 5, unit);
  fatal_message(message);
}

}  // namespace

bool COMMENTLINE(FText& line) { return adjust_and_cut(line); }

bool READLINE(std::int32_t unit, FText& line) {
  std::string_view record;
  // The read asks for its status: an unconnected unit is a read error here,
  // not a run-time stop.
  const int st = rt::is_connected(unit) ? rt::read_record(unit, record) : rt::kNotConnected;
  if (st == rt::kEnd) read_failure("ERROR 0202 - End-of-file encountered reading text line from file unit number", unit);
  if (st != 0) read_failure("ERROR 0201 - Reading text line from file unit number", unit);
  line.assign(REMOVETABS(cut(record, line.capacity())));
  return !adjust_and_cut(line);
}

}  // namespace lib
