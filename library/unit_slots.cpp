#include "library/unit_slots.h"

#include <algorithm>

#include "library/settings.h"

namespace lib {

UnitTables& unit_tables() {
  static UnitTables tables;
  return tables;
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

}  // namespace lib
