// The identity of a file as the system knows it (its device and inode), and
// its state (identity, size and modification time).
//
// Two names are the same file when their identities are equal, whatever
// links lead to it; the converter compares identities so that it never
// writes over its own input and never reads back what it has written.  It
// compares states so that an input changed while it is read (cut, grown or
// written anew) never passes for a complete conversion.
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

// A file as it stands: another size or modification time, or another file
// under the same name, is another state.
struct FileState {
  FileId id;
  std::uint64_t size = 0;
  std::int64_t mtime_ns = 0;  // modification time, nanoseconds since 1970
  friend bool operator==(const FileState&, const FileState&) = default;
};

// The state of the file a name leads to (links followed); nullopt when there
// is no such file.
std::optional<FileState> file_state(std::string_view path);

}  // namespace platform
