// The file-unit manager's tables: 8 fixed slots, opened by slot number, and
// a pool of 1000 units handed out first-free (library/unit_manager.h opens
// and closes files on them).  INITUNITS sets them up, with the settings.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "library/ftext.h"

namespace lib {

// One of the 8 fixed file slots, opened by slot number.
struct FixedSlot {
  std::int32_t unit = 0;
  bool open = false;
  std::string type = "  ";  // type code of the last open
  std::int32_t namelen = 0;  // significant length of the stored name; 0 = none
  FText name{1000};          // stored file name (blank until one is stored)
};

// One unit of the pool handed out first-free.
struct PoolSlot {
  std::int32_t unit = 0;
  bool open = false;
  std::int32_t kind = 0;  // 101 ".mif", 102 ".mid", 111 ".12da", 0 otherwise
};

inline constexpr int kFixedSlots = 8;
inline constexpr int kPoolSlots = 1000;

struct UnitTables {
  std::int32_t UNITBASE = 0;
  std::array<FixedSlot, kFixedSlots> fixed;
  std::array<PoolSlot, kPoolSlots> pool;
};

UnitTables& unit_tables();

// Sets up the unit tables (base max(IBASE, 9)) and the settings.
void INITUNITS(std::int32_t IBASE);

}  // namespace lib
