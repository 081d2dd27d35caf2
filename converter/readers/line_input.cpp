#include "converter/readers/line_input.h"

#include <string>

#include "library/ffmt.h"
#include "library/numtext.h"
#include "library/unittables.h"
#include "platform/console.h"

namespace conv {

void read_error_at(std::int64_t line) {
  std::string text = "ERROR - Reading input file at line";
  ffmt::put_I(text, 12, line);
  platform::console::line(text);
  lib::EXITS(1);
}

void capacity_exceeded(std::int64_t limit, std::string_view ending) {
  platform::console::empty_line();
  platform::console::line("ERROR - Exceeded maximum number of " + lib::AINTEGER8(limit) + std::string(ending));
  lib::EXITS(1);
}

}  // namespace conv
