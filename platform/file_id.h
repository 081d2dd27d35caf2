// The identity of a file as the system knows it: its device and inode.
//
// Two names are the same file when their identities are equal, whatever
// links lead to it; the converter compares identities so that it never
// writes over its own input and never reads back what it has written.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

struct FileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  friend auto operator<=>(const FileId&, const FileId&) = default;
};

// The identity of the file a name leads to (links followed); nullopt when
// there is no such file.
std::optional<FileId> file_id(std::string_view path);

}  // namespace platform
