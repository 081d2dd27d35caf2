#include "converter/failure.h"

#include <string>

#include "library/exits.h"
#include "library/ffmt.h"
#include "library/numtext.h"
#include "platform/console.h"

namespace conv {

void fail(std::string_view message, bool after_empty_line) {
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
