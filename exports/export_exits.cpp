// Exported names of the unit-table routines.
#include "library/console_dialogue.h"
#include "library/exits.h"
#include "library/fortran_abi.h"

using namespace lib;

FLOWTAB_EXPORT std::int32_t LENSL(char* str, std::size_t str_len) {
  return abi::in_place(str, str_len, [](FText& t) { return lib::LENSL(t); });
}

// A host calls this after it has printed the reason for a fatal end.
FLOWTAB_EXPORT void EXITS() { lib::EXITS(1); }
