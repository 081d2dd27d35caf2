// The unit table as the connection forms see it: a connection's state, the
// table from unit numbers to connections, and the lookup that checks a
// connection's form and access.  The table itself and the formatted
// connections are in platform/units.cpp; the binary record forms
// (platform/record_units.cpp) reach their connections through this header.
// Internal to platform/: the units' users see only platform/units.h.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_io.h"
#include "platform/units.h"

namespace platform::rt::detail {

struct Connection {
  std::string path;
  dev_t dev = 0;
  ino_t ino = 0;
  OpenOptions options;
  bool readable = false;
  bool writable = false;
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

class UnitTable {
 public:
  // Closes the connections still open at the end of the process; a failed
  // close ends it with status 1.
  ~UnitTable();

  Connection* find(int unit) {
    if (cached_ && cached_unit_ == unit) return cached_;
    const auto it = units_.find(unit);
    if (it == units_.end()) return nullptr;
    cached_unit_ = unit;
    cached_ = it->second.get();
    return cached_;
  }
  void insert(int unit, std::unique_ptr<Connection> c) {
    units_.emplace(unit, std::move(c));
  }
  // Takes the connection out of the table (nullptr when none).
  std::unique_ptr<Connection> take(int unit) {
    const auto it = units_.find(unit);
    if (it == units_.end()) return nullptr;
    std::unique_ptr<Connection> c = std::move(it->second);
    units_.erase(it);
    cached_ = nullptr;
    return c;
  }
  // The connection with the lowest unit number, taken out (nullptr when none).
  std::pair<int, std::unique_ptr<Connection>> take_first() {
    if (units_.empty()) return {0, nullptr};
    const int unit = units_.begin()->first;
    return {unit, take(unit)};
  }
  const std::map<int, std::unique_ptr<Connection>>& all() const { return units_; }

 private:
  std::map<int, std::unique_ptr<Connection>> units_;
  Connection* cached_ = nullptr;  // the last unit looked up: most calls repeat it
  int cached_unit_ = 0;
};

UnitTable& table();

// The connection, when it has the form and allows the access; a fatal report otherwise.
Connection& require(int unit, std::string_view operation, Form form, bool read, bool write);

}  // namespace platform::rt::detail
