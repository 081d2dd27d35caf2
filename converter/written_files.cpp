#include "converter/written_files.h"

#include "library/unit_manager.h"
#include "platform/connections.h"

namespace conv {

void WrittenFiles::open(std::int32_t& unit, std::string_view name) {
  lib::OPENFREE(unit, "O ", name);
  if (const auto id = platform::rt::connected_file(unit)) ids_.insert(*id);
}

bool WrittenFiles::holds(std::string_view path) const {
  if (ids_.empty()) return false;
  const auto id = platform::file_id(path);
  return id && ids_.contains(*id);
}

}  // namespace conv
