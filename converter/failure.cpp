#include "converter/failure.h"

#include <string>

#include "library/exits.h"
#include "library/ffmt.h"
#include "library/numtext.h"
#include "platform/connections.h"
#include "platform/console.h"
#include "platform/mapping_guard.h"

namespace conv {

void end_if_input_changed() {
  if (const std::string name = platform::rt::changed_input(); !name.empty()) platform::rt::end_changed_input(name);
}

void fail(std::string_view message, bool after_empty_line) {
  end_if_input_changed();
  if (after_empty_line) platform::console::empty_line();
  platform::console::line(message);
  lib::EXITS(1);
}

void read_error_at(std::int64_t line) {
  std::string text = "ERROR - Reading input file at line";
  ffmt::put_I(text, 12, line);
  fail(text, false);
}

void capacity_exceeded(std::int64_t limit, std::string_view ending) {
  fail("ERROR - Exceeded maximum number of " + lib::AINTEGER8(limit) + std::string(ending));
}

}  // namespace conv
