// Unit-numbered file connections: the process-wide unit table, the opening,
// closing and lookup of connections, the formatted (text) connections, and
// the run-time report for failures no caller is asked about.
//
// Every connection sits on one file descriptor behind a small buffered
// positional layer (FileIO, platform/file_io.cpp).  A formatted input is
// mapped at the open and served by a TextSource (platform/text_source.cpp);
// formatted output is collected in a large buffer and written with ::write.
// The stream, framed and direct forms are in platform/record_connections.cpp.
// The first write failure of a connection is kept and reported again at its
// close, so that a full disk can never pass for a complete output.
#include "platform/connections.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <utility>

#include "platform/connection_table.h"
#include "platform/console.h"
#include "platform/file_io.h"
#include "platform/process.h"

namespace platform::rt {

namespace detail {

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

UnitTable::~UnitTable() {
  // Connections left open when the process ends without close_all(): write
  // them out, and never let a failed write pass for a normal end.
  for (auto& [unit, c] : units_) {
    if (c->io->close() != 0) {
      static constexpr char msg[] = "\nRun-time error: close failed at the end of the process\n";
      [[maybe_unused]] ssize_t w = ::write(2, msg, sizeof msg - 1);
      ::_exit(1);
    }
  }
}

UnitTable& table() {
  static UnitTable t;
  return t;
}

Connection& require(int unit, std::string_view operation) {
  Connection* c = table().find(unit);
  if (!c) runtime_failure(operation, unit, kNotConnected);
  return *c;
}

Connection& require(int unit, std::string_view operation, Form form, bool read, bool write) {
  Connection& c = require(unit, operation);
  if (c.options.form != form || (read && !c.readable) || (write && !c.writable))
    runtime_failure(operation, unit, kWrongForm, c.path);
  return c;
}

}  // namespace detail

using detail::Connection;
using detail::errno_status;
using detail::FileIO;
using detail::kDefaultWriteBuffer;
using detail::require;
using detail::table;

namespace {

bool has_nul(std::string_view s) { return s.find('\0') != std::string_view::npos; }

// Loads the file from disk into the connection's text source, at its start.
// A file that is only read is mapped; one that is also written may change
// under its views, so its bytes are copied.
int reload(Connection& c) {
  int status = 0;
  std::shared_ptr<const TextBuffer> fresh = c.io->read_all(!c.writable, c.path, status);
  if (status) return status;
  if (c.data) c.retired.push_back(std::move(c.data));
  c.data = std::move(fresh);
  c.source = TextSource(c.data);
  c.live = true;
  return 0;
}

// Loads the file and positions after its last record, as the connection
// stands after a write or when opened for appending.
int reload_at_end(Connection& c) {
  if (int s = reload(c)) return s;
  std::string_view record;
  while (c.source.next(record) == 0) {
  }
  c.source.back();  // only cancels the end condition just met
  return 0;
}

// Byte offset of the next record of a text source (consumes the source).
std::uint64_t read_position(TextSource& source) {
  if (source.at_start()) return 0;
  std::string_view record;
  if (source.next(record) == kEnd) return source.contents().size();
  return static_cast<std::uint64_t>(record.data() - source.contents().data());
}

int formatted_write(int unit, std::string_view text, bool end_record) {
  Connection& c = require(unit, "write", Form::Formatted, false, true);
  if (c.live) {
    // Writing after reads: the file ends after what is written from here on.
    c.wpos = read_position(c.source);
    c.live = false;
    c.source = TextSource();
  }
  if (c.cut_pending) {
    // A sequential write makes its record the last one of the file.
    if (int s = c.io->truncate(c.wpos)) return s;
    c.cut_pending = false;
  }
  if (int s = c.io->write_at(c.wpos, text.data(), text.size(), end_record)) return s;
  c.wpos += text.size() + (end_record ? 1 : 0);
  return 0;
}

// Opens name empty for writing with flags, making it when it is missing.
//
// An existing plain file of this user with no other name is removed and made
// anew, with its permission bits, rather than emptied in place: on ext4,
// emptying a file makes its next close start writing the new data to disk at
// once, and the file system calls after it wait for that, which made a
// conversion that overwrote its last outputs half as slow again.  Anything
// else (a link, a file with several names, another user's file, a folder
// that does not let the file go) is emptied in place, so that what is
// written reaches every name the file has.
int open_replacing(const std::string& name, int flags) {
  struct stat st;
  if (::lstat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_uid == ::geteuid() &&
      ::unlink(name.c_str()) == 0) {
    const mode_t mode = st.st_mode & 07777;
    const int fd = ::open(name.c_str(), flags | O_CREAT | O_EXCL, mode);
    if (fd >= 0) {
      // The process's mask took bits off the old mode; where they cannot be
      // put back the file keeps the mode the mask gave it.
      ::fchmod(fd, mode);
      return fd;
    }
    if (errno != EEXIST) return -1;  // made again by someone else meanwhile: emptied below
  }
  return ::open(name.c_str(), flags | O_CREAT | O_TRUNC, 0666);
}

}  // namespace

int open(int unit, std::string_view path, const OpenOptions& options) {
  if (table().find(unit)) return kUnitInUse;
  if (has_nul(path)) return EINVAL;
  if (options.form == Form::Direct && options.record_length == 0) return EINVAL;

  int flags = O_CLOEXEC;
  switch (options.action) {
    case Action::Read:
      flags |= O_RDONLY;
      break;
    case Action::Write:
      flags |= O_WRONLY;
      break;
    case Action::ReadWrite:
      flags |= O_RDWR;
      break;
  }
  switch (options.disposition) {
    case Disposition::Old:
      break;
    case Disposition::Replace:
      break;
    case Disposition::Append:
    case Disposition::Unknown:
      flags |= O_CREAT;
      break;
  }

  const std::string name(path);
  int fd;
  do {
    fd = options.disposition == Disposition::Replace ? open_replacing(name, flags) : ::open(name.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return errno_status();
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    const int s = errno_status();
    ::close(fd);
    return s;
  }
  if (S_ISDIR(st.st_mode)) {
    ::close(fd);
    return EISDIR;
  }

  try {
    auto c = std::make_unique<Connection>();
    const bool regular = S_ISREG(st.st_mode);
    const std::uint64_t size = regular ? static_cast<std::uint64_t>(st.st_size) : 0;
    c->path = name;
    c->dev = st.st_dev;
    c->ino = st.st_ino;
    c->options = options;
    c->readable = options.action != Action::Write;
    c->writable = options.action != Action::Read;
    if (regular && !c->writable) c->opened = detail::state_of(st);
    c->io = std::make_unique<FileIO>(fd, size, regular,
                                     options.buffer_size ? options.buffer_size : kDefaultWriteBuffer);
    fd = -1;  // owned by the connection from here on
    const bool at_end = options.disposition == Disposition::Append;
    if (at_end) c->pos = c->wpos = size;
    if (options.form == Form::Formatted && c->readable && !at_end) {
      if (int s = reload(*c)) return s;  // the connection closes its descriptor
    }
    table().insert(unit, std::move(c));
  } catch (const std::bad_alloc&) {
    if (fd >= 0) ::close(fd);
    return ENOMEM;
  }
  return 0;
}

int close(int unit) {
  std::unique_ptr<Connection> c = table().take(unit);
  if (!c) return 0;
  return c->io->close();
}

void close_all() {
  for (;;) {
    auto [unit, c] = table().take_first();
    if (!c) return;
    // No status is asked for here: a failing close is a fatal report, which
    // closes the remaining connections on its way out.
    if (const int s = c->io->close()) runtime_failure("close", unit, s, c->path);
  }
}

bool is_connected(int unit) { return table().find(unit) != nullptr; }

std::string connected_path(int unit) {
  const Connection* c = table().find(unit);
  return c ? c->path : std::string();
}

FileInquiry inquire(std::string_view path) {
  FileInquiry r;
  if (has_nul(path)) return r;
  struct stat st;
  if (::stat(std::string(path).c_str(), &st) != 0) return r;
  r.exists = true;
  for (const auto& [unit, c] : table().all()) {
    if (c->dev == st.st_dev && c->ino == st.st_ino) {
      r.unit = unit;
      break;
    }
  }
  return r;
}

std::optional<FileId> connected_file(int unit) {
  const Connection* c = table().find(unit);
  if (!c) return std::nullopt;
  return FileId{static_cast<std::uint64_t>(c->dev), static_cast<std::uint64_t>(c->ino)};
}

std::optional<FileState> opened_state(int unit) {
  const Connection* c = table().find(unit);
  return c ? c->opened : std::nullopt;
}

namespace {

bool changed(const Connection& c) { return c.opened && c.io->state() != c.opened; }

}  // namespace

bool changed_since_open(int unit) {
  const Connection* c = table().find(unit);
  return c && changed(*c);
}

std::string changed_input() {
  for (const auto& [unit, c] : table().all()) {
    if (changed(*c)) return c->path;
  }
  return {};
}

std::vector<int> for_tests::connected_units() {
  std::vector<int> units;
  for (const auto& [unit, c] : table().all()) units.push_back(unit);
  return units;
}

int lowest_free_unit() {
  for (int unit = 1;; ++unit) {
    if (unit != 5 && unit != 6 && !table().find(unit)) return unit;
  }
}

// ---- formatted connections ----

int read_record(int unit, std::string_view& record) {
  Connection& c = require(unit, "read", Form::Formatted, true, false);
  return c.source.next(record);
}

int backspace(int unit) {
  Connection& c = require(unit, "backspace", Form::Formatted, true, false);
  c.cut_pending = true;
  if (c.live) {
    c.source.back();
    return 0;
  }
  // The connection stands after its last write (or at the end, when opened
  // for appending): step back over the file's last record.
  if (int s = reload_at_end(c)) return s;
  c.source.back();
  return 0;
}

int rewind(int unit) {
  Connection& c = require(unit, "rewind");
  switch (c.options.form) {
    case Form::Formatted:
      c.cut_pending = true;
      c.wpos = 0;
      if (!c.readable) return 0;
      if (c.live) {
        c.source.rewind();
        return 0;
      }
      return reload(c);
    case Form::Stream:
    case Form::Framed:
      c.pos = 0;
      return 0;
    case Form::Direct:
      break;
  }
  runtime_failure("rewind", unit, kWrongForm, c.path);
}

int write_record(int unit, std::string_view text) { return formatted_write(unit, text, true); }

int write_text(int unit, std::string_view text) { return formatted_write(unit, text, false); }

int write_status(int unit) {
  const Connection* c = table().find(unit);
  return c ? c->io->write_error() : kNotConnected;
}

TextSource* text_source(int unit) {
  Connection& c = require(unit, "read", Form::Formatted, true, false);
  if (!c.live) {
    if (const int s = reload_at_end(c)) runtime_failure("read", unit, s, c.path);
  }
  return &c.source;
}

// ---- failures for which no status is asked ----

void runtime_failure(std::string_view operation, int unit, int status, std::string_view path) {
  std::string msg = "Run-time error: ";
  msg += operation;
  msg += " failed on unit ";
  msg += std::to_string(unit);
  if (!path.empty()) {
    msg += " (";
    msg += path;
    msg += ')';
  }
  msg += ": ";
  msg += status_text(status);
  console::empty_line();
  console::line(msg);
  end_process(1);
}

std::string status_text(int status) {
  switch (status) {
    case 0:
      return "no error";
    case kEnd:
      return "end of file";
    case kNotConnected:
      return "the unit is not connected";
    case kWrongForm:
      return "the operation does not fit the connection";
    case kBadRecord:
      return "corrupt record framing or wrong record length";
    case kUnitInUse:
      return "the unit is already connected";
    default:
      break;
  }
  if (status > 0) return std::generic_category().message(status);
  return "status " + std::to_string(status);
}

}  // namespace platform::rt
