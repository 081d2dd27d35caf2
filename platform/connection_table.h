// The unit table as the connection forms see it: a connection's state and the
// lookup that checks a connection's form and access.  The table itself and
// the formatted connections are in platform/connections.cpp; the binary
// record forms (platform/record_connections.cpp) reach their connections
// through this header.  Internal to platform/: the connections' users see
// only platform/connections.h.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/connections.h"
#include "platform/file_io.h"

namespace platform::rt::detail {

struct Connection {
  std::string path;
  dev_t dev = 0;
  ino_t ino = 0;
  OpenOptions options;
  bool readable = false;
  bool writable = false;
  // A connection that only reads a regular file: the file as it was opened.
  std::optional<FileState> opened;
  std::unique_ptr<FileIO> io;

  // Formatted connections.  While `live` is set, `source` holds the file and
  // its position is the connection's position; after a write the file lives
  // on disk only and the next rewind or backspace loads it again.
  std::shared_ptr<const TextBuffer> data;
  std::vector<std::shared_ptr<const TextBuffer>> retired;  // keeps earlier views valid
  TextSource source;
  bool live = false;
  std::uint64_t wpos = 0;       // where the next formatted write goes
  bool cut_pending = true;      // the next formatted write first cuts the file at wpos

  // Stream and framed connections.
  std::uint64_t pos = 0;
};

// The connection, when it has the form and allows the access; a fatal report otherwise.
Connection& require(int unit, std::string_view operation, Form form, bool read, bool write);

}  // namespace platform::rt::detail
