// Unit-numbered file connections: the process-wide unit table and the four
// connection forms.
//
// Every connection sits on one file descriptor behind a small buffered
// positional layer (FileIO).  A formatted input is mapped at the open and
// served by a TextSource; formatted output and binary writes are
// collected in a large buffer and written with ::write.  The first write
// failure of a connection is kept and reported again at its close, so that a
// full disk can never pass for a complete output.
#include "platform/units.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <climits>
#include <limits>
#include <map>
#include <new>
#include <system_error>

#include "platform/console.h"
#include "platform/process.h"

namespace platform::rt {

TextBuffer::~TextBuffer() {
  if (mapped_) ::munmap(const_cast<char*>(data_), size_);
}

std::shared_ptr<TextBuffer> TextBuffer::map(int fd, std::size_t n) {
  // The pages are made present a window at a time as the reader walks the
  // file (follow()), so a file can be larger than the memory.
  void* p = ::mmap(nullptr, n, PROT_READ, MAP_PRIVATE, fd, 0);
  if (p == MAP_FAILED) return nullptr;
  ::madvise(p, n, MADV_SEQUENTIAL);
  auto b = std::make_shared<TextBuffer>();
  b->data_ = static_cast<const char*>(p);
  b->size_ = n;
  b->mapped_ = true;
  return b;
}

namespace {

// Pages are made present this far ahead of the reading, and let go in steps
// of this size once reading (and what is held) is this far past them.
constexpr std::size_t kPresentWindow = std::size_t{2} << 20;
// ... and no closer behind the reading than this: a reader may step back.
constexpr std::size_t kKeepBehind = std::size_t{1} << 19;
// follow() is called again after at most this many bytes of reading.
constexpr std::size_t kFollowStep = std::size_t{1} << 19;

std::size_t page_down(std::size_t offset) {
  static const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  return offset / page * page;
}

}  // namespace

std::size_t TextBuffer::follow(std::size_t pos, std::size_t keep_from) const {
  if (!mapped_) return SIZE_MAX;
  if (pos + kFollowStep >= present_to_ && present_to_ < size_) {
    const std::size_t to = std::min(size_, page_down(pos + kPresentWindow));
    // Fewer page faults than touching the pages one by one; where the system
    // cannot, they come in on first touch.
    if (to > present_to_) ::madvise(const_cast<char*>(data_) + present_to_, to - present_to_, MADV_POPULATE_READ);
    present_to_ = std::max(present_to_, to);
  }
  const std::size_t upto = page_down(std::min(keep_from > kKeepBehind ? keep_from - kKeepBehind : 0, size_));
  if (upto >= released_to_ + kPresentWindow) {
    ::madvise(const_cast<char*>(data_) + released_to_, upto - released_to_, MADV_DONTNEED);
    released_to_ = upto;
  }
  return pos + kFollowStep;
}

void TextSource::back() {
  if (at_end_) {
    // The read that met the end consumed no record: only the end condition goes.
    at_end_ = false;
    return;
  }
  if (pos_ == 0) return;
  const std::string_view d = data_;
  std::size_t stop = pos_;
  if (d[stop - 1] == '\n') --stop;  // the line end of the record read last
  const std::size_t nl = stop == 0 ? std::string_view::npos : d.rfind('\n', stop - 1);
  pos_ = nl == std::string_view::npos ? 0 : nl + 1;
}

namespace {

constexpr std::size_t kDefaultWriteBuffer = std::size_t{1} << 20;
// Writes of at least this many bytes (or of the buffer's size) bypass the buffer.
constexpr std::size_t kDirectWrite = std::size_t{1} << 18;
constexpr std::size_t kReadBuffer = std::size_t{1} << 18;
constexpr std::size_t kMaxSyscall = std::size_t{1} << 30;
constexpr std::uint64_t kMaxOffset = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());

int errno_status() { return errno > 0 ? errno : EIO; }

// Buffered reads and writes at byte offsets of one open file descriptor.
class FileIO {
 public:
  FileIO(int fd, std::uint64_t size, bool regular, std::size_t write_capacity)
      : fd_(fd), size_(size), regular_(regular), wcap_(write_capacity) {}
  int fd() const { return fd_; }
  FileIO(const FileIO&) = delete;
  FileIO& operator=(const FileIO&) = delete;
  ~FileIO() {
    if (fd_ >= 0) close();
  }

  std::uint64_t size() const { return size_; }
  // The first write failure so far, 0 when none.
  int write_error() const { return error_; }

  // Reads up to n bytes at off; fewer (got) only at the end of the file.
  int read_at(std::uint64_t off, void* dst, std::size_t n, std::size_t& got) {
    got = 0;
    if (!wbuf_.empty()) {
      if (int s = flush()) return s;
    }
    char* out = static_cast<char*>(dst);
    if (rlen_ > 0 && off >= roff_ && off < roff_ + rlen_) {
      const std::size_t take = std::min<std::uint64_t>(n, roff_ + rlen_ - off);
      std::copy_n(rbuf_.data() + (off - roff_), take, out);
      got = take;
      off += take;
      out += take;
      n -= take;
    }
    if (n == 0) return 0;
    std::size_t r = 0;
    if (n >= kReadBuffer) {
      const int s = raw_read(off, out, n, r);
      got += r;
      return s;
    }
    if (rbuf_.empty()) rbuf_.resize(kReadBuffer);
    rlen_ = 0;
    const int s = raw_read(off, rbuf_.data(), rbuf_.size(), r);
    if (s) return s;
    roff_ = off;
    rlen_ = r;
    const std::size_t take = std::min(n, r);
    std::copy_n(rbuf_.data(), take, out);
    got += take;
    return 0;
  }

  // The whole file, read with as few calls as its size allows.
  // The whole file: mapped when `map` is set and the file is regular,
  // otherwise read in chunks.
  std::shared_ptr<TextBuffer> read_all(bool map, int& status) {
    status = 0;
    if (!wbuf_.empty()) {
      if ((status = flush())) return nullptr;
    }
    struct stat st;
    if (::fstat(fd_, &st) != 0) {
      status = errno_status();
      return nullptr;
    }
    if (map && S_ISREG(st.st_mode) && st.st_size > 0) {
      if (auto mapped = TextBuffer::map(fd_, static_cast<std::size_t>(st.st_size))) return mapped;
    }
    std::string bytes;
    if (S_ISREG(st.st_mode)) bytes.reserve(static_cast<std::size_t>(st.st_size));
    std::array<char, 65536> chunk;
    std::size_t got = 0;
    for (;;) {
      if ((status = raw_read(bytes.size(), chunk.data(), chunk.size(), got))) return nullptr;
      bytes.append(chunk.data(), got);
      if (got < chunk.size()) return std::make_shared<TextBuffer>(std::move(bytes));
    }
  }

  // Writes n bytes at off, and a line end after them when `newline` is set.
  // Large pieces go straight to the file; others are collected.
  int write_at(std::uint64_t off, const void* src, std::size_t n, bool newline = false) {
    if (error_) return error_;
    const std::size_t total = n + (newline ? 1 : 0);
    if (total == 0) return 0;
    if (off > kMaxOffset - total) return EFBIG;
    if (rlen_ > 0 && off < roff_ + rlen_ && off + total > roff_) rlen_ = 0;
    if (!wbuf_.empty() && off != woff_ + wbuf_.size()) {
      if (int s = flush()) return s;
    }
    if (n >= std::min(wcap_, kDirectWrite)) {
      if (int s = flush()) return s;
      if (int s = raw_write(off, static_cast<const char*>(src), n)) return error_ = s;
      if (newline) {
        woff_ = off + n;
        wbuf_.push_back('\n');
      }
    } else {
      if (wbuf_.empty()) {
        woff_ = off;
        if (wbuf_.capacity() < wcap_) wbuf_.reserve(wcap_);
      }
      wbuf_.append(static_cast<const char*>(src), n);
      if (newline) wbuf_.push_back('\n');
      if (wbuf_.size() >= wcap_) {
        if (int s = flush()) return s;
      }
    }
    size_ = std::max(size_, off + total);
    return 0;
  }

  int flush() {
    if (error_) return error_;
    if (wbuf_.empty()) return 0;
    const int s = raw_write(woff_, wbuf_.data(), wbuf_.size());
    wbuf_.clear();
    return error_ = s;
  }

  // Cuts the file at off (regular files only; other files have no length).
  int truncate(std::uint64_t off) {
    if (int s = flush()) return s;
    if (!regular_ || off >= size_) return 0;
    if (::ftruncate(fd_, static_cast<off_t>(off)) != 0) return error_ = errno_status();
    size_ = off;
    rlen_ = 0;
    return 0;
  }

  // Writes what is buffered and closes the descriptor; the first failure since
  // the open decides the status.
  int close() {
    int s = flush();
    if (::close(fd_) != 0 && s == 0 && errno != EINTR) s = errno_status();
    fd_ = -1;
    return s;
  }

 private:
  int position(std::uint64_t off) {
    if (off == kpos_) return 0;
    if (off > kMaxOffset) return EFBIG;
    if (::lseek(fd_, static_cast<off_t>(off), SEEK_SET) < 0) return errno_status();
    kpos_ = off;
    return 0;
  }

  int raw_write(std::uint64_t off, const char* p, std::size_t n) {
    if (int s = position(off)) return s;
    while (n > 0) {
      const ssize_t w = ::write(fd_, p, std::min(n, kMaxSyscall));
      if (w < 0) {
        if (errno == EINTR) continue;
        return errno_status();
      }
      if (w == 0) return EIO;
      p += w;
      n -= static_cast<std::size_t>(w);
      kpos_ += static_cast<std::uint64_t>(w);
    }
    return 0;
  }

  int raw_read(std::uint64_t off, char* p, std::size_t n, std::size_t& got) {
    got = 0;
    if (int s = position(off)) return s;
    while (got < n) {
      const ssize_t r = ::read(fd_, p + got, std::min(n - got, kMaxSyscall));
      if (r < 0) {
        if (errno == EINTR) continue;
        return errno_status();
      }
      if (r == 0) break;
      got += static_cast<std::size_t>(r);
      kpos_ += static_cast<std::uint64_t>(r);
    }
    return 0;
  }

  int fd_;
  std::uint64_t kpos_ = 0;  // the descriptor's own offset
  std::uint64_t size_;      // file length as far as this connection knows it
  bool regular_;
  std::string wbuf_;  // bytes waiting to be written at woff_
  std::uint64_t woff_ = 0;
  std::size_t wcap_;
  std::vector<char> rbuf_;  // bytes read ahead from roff_
  std::uint64_t roff_ = 0;
  std::size_t rlen_ = 0;
  int error_ = 0;  // first write failure; kept until the close
};

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
  ~UnitTable() {
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

UnitTable& table() {
  static UnitTable t;
  return t;
}

bool has_nul(std::string_view s) { return s.find('\0') != std::string_view::npos; }

Connection& require(int unit, std::string_view operation) {
  Connection* c = table().find(unit);
  if (!c) runtime_failure(operation, unit, kNotConnected);
  return *c;
}

// The connection, when it has the form and allows the access; a fatal report otherwise.
Connection& require(int unit, std::string_view operation, Form form, bool read, bool write) {
  Connection& c = require(unit, operation);
  if (c.options.form != form || (read && !c.readable) || (write && !c.writable))
    runtime_failure(operation, unit, kWrongForm, c.path);
  return c;
}

// Loads the file from disk into the connection's text source, at its start.
// A file that is only read is mapped; one that is also written may change
// under its views, so its bytes are copied.
int reload(Connection& c) {
  int status = 0;
  std::shared_ptr<const TextBuffer> fresh = c.io->read_all(!c.writable, status);
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

bool swap_needed(ByteOrder order) {
  switch (order) {
    case ByteOrder::Big:
      return std::endian::native != std::endian::big;
    case ByteOrder::Little:
      return std::endian::native != std::endian::little;
    case ByteOrder::Native:
      break;
  }
  return false;
}

template <std::size_t N>
void order_bytes(std::array<unsigned char, N>& b, ByteOrder order) {
  if (swap_needed(order)) std::reverse(b.begin(), b.end());
}

template <class T>
int read_typed(int unit, T& v) {
  std::array<unsigned char, sizeof(T)> b;
  if (int s = read_bytes(unit, b.data(), b.size())) return s;
  order_bytes(b, table().find(unit)->options.order);
  v = std::bit_cast<T>(b);
  return 0;
}

template <class T>
int write_typed(int unit, T v) {
  auto b = std::bit_cast<std::array<unsigned char, sizeof(T)>>(v);
  const Connection& c = require(unit, "write", Form::Stream, false, true);
  order_bytes(b, c.options.order);
  return write_bytes(unit, b.data(), b.size());
}

std::uint32_t get_le32(const unsigned char* b) {
  return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
}

void put_le32(unsigned char* b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
}

// Byte offset of a direct-access record; false when the number is out of range.
bool direct_offset(const Connection& c, std::int64_t record, std::uint64_t& off) {
  const std::uint64_t len = c.options.record_length;
  if (record < 1) return false;
  const std::uint64_t index = static_cast<std::uint64_t>(record) - 1;
  if (index > (kMaxOffset - len) / len) return false;
  off = index * len;
  return true;
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
      flags |= O_CREAT | O_TRUNC;
      break;
    case Disposition::Append:
    case Disposition::Unknown:
      flags |= O_CREAT;
      break;
  }

  const std::string name(path);
  int fd;
  do {
    fd = ::open(name.c_str(), flags, 0666);
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

// ---- stream, framed and direct connections ----

int read_bytes(int unit, void* buffer, std::size_t n) {
  Connection& c = require(unit, "read", Form::Stream, true, false);
  std::size_t got = 0;
  const int s = c.io->read_at(c.pos, buffer, n, got);
  c.pos += got;
  if (s) return s;
  return got < n ? kEnd : 0;
}

int write_bytes(int unit, const void* buffer, std::size_t n) {
  Connection& c = require(unit, "write", Form::Stream, false, true);
  if (int s = c.io->write_at(c.pos, buffer, n)) return s;
  c.pos += n;
  return 0;
}

int seek(int unit, std::uint64_t position) {
  Connection& c = require(unit, "seek", Form::Stream, false, false);
  if (position > kMaxOffset) return EINVAL;
  c.pos = position;
  return 0;
}

std::uint64_t tell(int unit) { return require(unit, "tell", Form::Stream, false, false).pos; }

std::uint64_t length(int unit) { return require(unit, "length", Form::Stream, false, false).io->size(); }

int read_framed(int unit, std::vector<unsigned char>& record) {
  Connection& c = require(unit, "read", Form::Framed, true, false);
  record.clear();
  unsigned char mark[4];
  std::size_t got = 0;
  if (int s = c.io->read_at(c.pos, mark, 4, got)) return s;
  if (got == 0) return kEnd;
  if (got < 4) return kBadRecord;
  const std::uint64_t len = get_le32(mark);
  // Check the length against the file before trusting it with an allocation.
  const std::uint64_t size = c.io->size();
  if (c.pos + 4 > size || len + 4 > size - (c.pos + 4)) return kBadRecord;
  try {
    record.resize(static_cast<std::size_t>(len));
  } catch (const std::bad_alloc&) {
    return ENOMEM;
  }
  if (int s = c.io->read_at(c.pos + 4, record.data(), record.size(), got)) return s;
  if (got < len) return kBadRecord;
  if (int s = c.io->read_at(c.pos + 4 + len, mark, 4, got)) return s;
  if (got < 4 || get_le32(mark) != len) {
    record.clear();
    return kBadRecord;
  }
  c.pos += len + 8;
  return 0;
}

int write_framed(int unit, const void* data, std::size_t n) {
  Connection& c = require(unit, "write", Form::Framed, false, true);
  if (n > std::numeric_limits<std::uint32_t>::max()) return EFBIG;
  unsigned char mark[4];
  put_le32(mark, static_cast<std::uint32_t>(n));
  if (int s = c.io->write_at(c.pos, mark, 4)) return s;
  if (int s = c.io->write_at(c.pos + 4, data, n)) return s;
  if (int s = c.io->write_at(c.pos + 4 + n, mark, 4)) return s;
  c.pos += n + 8;
  return 0;
}

int read_direct(int unit, std::int64_t record, void* buffer) {
  Connection& c = require(unit, "read", Form::Direct, true, false);
  std::uint64_t off = 0;
  if (!direct_offset(c, record, off)) return EINVAL;
  std::size_t got = 0;
  if (int s = c.io->read_at(off, buffer, c.options.record_length, got)) return s;
  if (got == 0) return kEnd;
  return got < c.options.record_length ? kBadRecord : 0;
}

int write_direct(int unit, std::int64_t record, const void* buffer) {
  Connection& c = require(unit, "write", Form::Direct, false, true);
  std::uint64_t off = 0;
  if (!direct_offset(c, record, off)) return EINVAL;
  return c.io->write_at(off, buffer, c.options.record_length);
}

int read_i32(int unit, std::int32_t& v) { return read_typed(unit, v); }
int read_f32(int unit, float& v) { return read_typed(unit, v); }
int read_f64(int unit, double& v) { return read_typed(unit, v); }
int write_i32(int unit, std::int32_t v) { return write_typed(unit, v); }
int write_f32(int unit, float v) { return write_typed(unit, v); }
int write_f64(int unit, double v) { return write_typed(unit, v); }

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
