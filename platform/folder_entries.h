// The names in a folder, for the wildcard search and the copy of a base
// name's files: one system listing, read with the same rules by both.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace platform {

// Calls `each` with every name in the folder but "." and "..", in the
// system's order, and whether it is a regular file (a link counts as what
// it points to).  Returns 0, or the errno value of the failure that ended
// the listing.
int for_each_entry(const std::string& folder, const std::function<void(std::string_view name, bool regular)>& each);

}  // namespace platform
