// The files a run has created or replaced.
//
// Outputs are written in the current folder, and a wide input pattern can
// also match them: a later match may be a file that this run has just
// written.  Every output table and peak table is opened here, and its
// identity is kept from the moment it is opened for writing, so that the
// file loop can pass over such a match instead of converting its own output.
#pragma once

#include <cstdint>
#include <set>
#include <string_view>

#include "platform/file_id.h"

namespace conv {

class WrittenFiles {
 public:
  // Opens an output (created, or emptied when it exists) on a free unit of
  // the file-unit manager, with its console lines, and remembers the file.
  void open(std::int32_t& unit, std::string_view name);
  // True when the name leads to a file that this run opened for writing.
  bool holds(std::string_view path) const;

 private:
  std::set<platform::FileId> ids_;
};

}  // namespace conv
