// The buffered positional file layer under the unit connections (FileIO), with
// the limits and the error status the connections share with it.  Internal to
// platform/: the connections' users see only platform/connections.h.
#pragma once

#include <sys/types.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_id.h"

struct stat;

namespace platform::rt {
class TextBuffer;
}  // namespace platform::rt

namespace platform::rt::detail {

// The write buffer of a connection that asks for no size of its own.
constexpr std::size_t kDefaultWriteBuffer = std::size_t{1} << 20;
// The largest byte offset the system's file calls can take.
constexpr std::uint64_t kMaxOffset = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());

// The error of the system call that just failed; EIO when it left none.
inline int errno_status() { return errno > 0 ? errno : EIO; }

// Writes all n bytes at the descriptor's position, however many calls that
// takes; 0, or the status of the call that failed (the position is then
// somewhere in between).
int write_all(int fd, const char* p, std::size_t n);

// The state of a file from what the system tells of it.
FileState state_of(const struct stat& st);

// Buffered reads and writes at byte offsets of one open file descriptor.
class FileIO {
 public:
  FileIO(int fd, std::uint64_t size, bool regular, std::size_t write_capacity)
      : fd_(fd), size_(size), regular_(regular), wcap_(write_capacity) {}
  FileIO(const FileIO&) = delete;
  FileIO& operator=(const FileIO&) = delete;
  ~FileIO() {
    if (fd_ >= 0) close();
  }

  std::uint64_t size() const { return size_; }
  // The state of the open file as it stands now; nullopt when the system
  // cannot tell.
  std::optional<FileState> state() const;
  // The first write failure so far, 0 when none.
  int write_error() const { return error_; }

  // Reads up to n bytes at off; fewer (got) only at the end of the file.
  int read_at(std::uint64_t off, void* dst, std::size_t n, std::size_t& got);

  // The whole file: mapped when `map` is set and the file is regular,
  // otherwise read in chunks.  `name`: the file's name as it was opened.
  std::shared_ptr<TextBuffer> read_all(bool map, std::string_view name, int& status);

  // Writes n bytes at off, and a line end after them when `newline` is set.
  // Large pieces go straight to the file; others are collected.
  int write_at(std::uint64_t off, const void* src, std::size_t n, bool newline = false);

  int flush();

  // Cuts the file at off (regular files only; other files have no length).
  int truncate(std::uint64_t off);

  // Writes what is buffered and closes the descriptor; the first failure since
  // the open decides the status.
  int close();

 private:
  int position(std::uint64_t off);
  int raw_write(std::uint64_t off, const char* p, std::size_t n);
  int raw_read(std::uint64_t off, char* p, std::size_t n, std::size_t& got);

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

}  // namespace platform::rt::detail
