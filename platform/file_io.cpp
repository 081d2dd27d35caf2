// FileIO: buffered reads and writes at byte offsets of one file descriptor,
// the layer every unit connection sits on.
//
// It keeps the system calls few: small writes are collected and written in
// one call, large ones go straight to the file, and small reads are served
// from a read-ahead buffer.  The first write failure is kept and returned by
// every later write and by the close, so that a lost write cannot be missed.
#include "platform/file_io.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "platform/connections.h"

namespace platform::rt::detail {

namespace {

// Writes of at least this many bytes (or of the buffer's size) bypass the
// buffer: one system call for them costs little, and a copy into the buffer
// would make its pages present for nothing.
constexpr std::size_t kDirectWrite = std::size_t{1} << 16;
constexpr std::size_t kReadBuffer = std::size_t{1} << 18;
constexpr std::size_t kMaxSyscall = std::size_t{1} << 30;
// No offset the descriptor can stand at: the next call seeks first.
constexpr std::uint64_t kUnknownPosition = UINT64_MAX;

}  // namespace

FileState state_of(const struct stat& st) {
  return FileState{FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)},
                   static_cast<std::uint64_t>(st.st_size),
                   static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

std::optional<FileState> FileIO::state() const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) return std::nullopt;
  return state_of(st);
}

int FileIO::read_at(std::uint64_t off, void* dst, std::size_t n, std::size_t& got) {
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

std::shared_ptr<TextBuffer> FileIO::read_all(bool map, std::string_view name, int& status) {
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
    if (auto mapped = TextBuffer::map(fd_, static_cast<std::size_t>(st.st_size), name)) return mapped;
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

int FileIO::write_at(std::uint64_t off, const void* src, std::size_t n, bool newline) {
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

int FileIO::flush() {
  if (error_) return error_;
  if (wbuf_.empty()) return 0;
  const int s = raw_write(woff_, wbuf_.data(), wbuf_.size());
  wbuf_.clear();
  return error_ = s;
}

int FileIO::truncate(std::uint64_t off) {
  if (int s = flush()) return s;
  if (!regular_ || off >= size_) return 0;
  if (::ftruncate(fd_, static_cast<off_t>(off)) != 0) return error_ = errno_status();
  size_ = off;
  rlen_ = 0;
  return 0;
}

int FileIO::close() {
  int s = flush();
  if (::close(fd_) != 0 && s == 0 && errno != EINTR) s = errno_status();
  fd_ = -1;
  return s;
}

int FileIO::position(std::uint64_t off) {
  if (off > kMaxOffset) return EFBIG;
  if (off == kpos_) return 0;
  if (::lseek(fd_, static_cast<off_t>(off), SEEK_SET) < 0) return errno_status();
  kpos_ = off;
  return 0;
}

int write_all(int fd, const char* p, std::size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, p, std::min(n, kMaxSyscall));
    if (w < 0) {
      if (errno == EINTR) continue;
      return errno_status();
    }
    if (w == 0) return EIO;
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return 0;
}

int FileIO::raw_write(std::uint64_t off, const char* p, std::size_t n) {
  if (int s = position(off)) return s;
  if (int s = write_all(fd_, p, n)) {
    kpos_ = kUnknownPosition;
    return s;
  }
  kpos_ += n;
  return 0;
}

int FileIO::raw_read(std::uint64_t off, char* p, std::size_t n, std::size_t& got) {
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
}  // namespace platform::rt::detail
