// The reader's one operation, apart from how its caller holds the results.
//
// The converter keeps its series as C++ vectors; a host of the exported name
// passes fixed arrays with a leading dimension and blank-padded names.  Both
// are served by one implementation that writes through a Destination.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "xpinterface/header.h"

namespace xp {

// What the caller asks for.
struct Request {
  bool all_locs = true;         // every location, or the one named by Destination::wanted()
  std::int32_t max_steps = 0;   // step capacity of the caller's times and flows
  std::int32_t max_locs = 0;    // location capacity (all locations only)
  bool count_only = false;      // count the steps, store nothing
};

// Where the results go.  Nothing is written to it before the capacity checks
// have passed.
class Destination {
 public:
  virtual ~Destination() = default;
  // One location: the ID looked for.
  virtual std::string_view wanted() const = 0;
  // All locations: their IDs, 16 characters each.
  virtual void put_names(const LocationIds& ids) = 0;
  // Room for nsteps times and flows of ncolumns series; may throw std::bad_alloc.
  virtual void make_room(std::size_t nsteps, std::size_t ncolumns) = 0;
  virtual float* times() = 0;
  virtual float* column(std::size_t i) = 0;
};

// Reads the interface file `intfile` (trailing blanks ignored).  nsteps: the
// steps read, 0 when the file is not recognised or has no location, -1 after
// a capacity error; nlocs: the file's location count (0 when not recognised;
// not set in count-only mode); found: set in one-location mode when the ID is
// there.  Prints only the two capacity errors, each followed by a pause.
void read_interface_file(std::string_view intfile, const Request& request, Destination& to, std::int32_t& nsteps,
                         std::int32_t& nlocs, bool& found);

}  // namespace xp
