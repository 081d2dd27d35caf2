// The check that one file was saved (last modified) no earlier than another:
// typically an exported MapInfo file that must be newer than the data it was
// exported from.  In error mode a failed check closes the caller's two units
// and asks the user to re-export; in warning mode it only reports.
#pragma once

#include <cstdint>
#include <string_view>

namespace lib {

// True when the program may go on; false when the check failed in error mode,
// UNITA and UNITB (those above 0) have been closed and the user has been
// asked to re-export (the caller re-opens its files and checks again).  A
// file whose save date cannot be read is reported; in error mode the run then
// ends through EXITS.  ECHOUNIT above 0 receives the report line as well.
bool CHECKSAVEDATE(std::string_view savedfile, std::string_view reffile, std::int32_t& unita, std::int32_t& unitb,
                   bool iserror, std::int32_t echounit);

}  // namespace lib
