#include "library/exits.h"

#include <string>

#include "library/pauses.h"
#include "library/settings.h"
#include "library/unit_slots.h"
#include "platform/connections.h"
#include "platform/console.h"
#include "platform/process.h"

namespace lib {
namespace console = platform::console;

bool close_reporting_unwritten(std::int32_t unit) {
  const std::string path = platform::rt::connected_path(unit);
  if (platform::rt::close(unit) <= 0) return true;
  // An output that could not be written completely (disk full) must not pass
  // for a good one.
  console::empty_line();
  console::line("ERROR - Writing output file " + path);
  return false;
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
  if (s.PAUSEONEXIT) pause_before_close();
  platform::end_process(status);
}

}  // namespace lib
