// Unit-numbered file connections.
//
// Files are read and written through integer unit numbers, as the library's
// file-unit manager hands them out.  A connection is opened with a form:
//
//   Formatted  text records: the bytes up to "\n", one "\r" before it dropped.
//              An input file is mapped when it is opened and its records
//              are served from the mapping; an output is buffered.
//   Stream     bytes without structure, read and written at a byte position.
//   Framed     records, each between two 4-byte little-endian byte counts.
//   Direct     fixed-length records addressed by number (1 and up).
//
// Status values: 0 success, kEnd (-1) end of file, a positive number for an
// error (an errno value, or one of the codes below).  Reading or writing a
// unit that is not connected is never silently turned into a new file: it is
// a fatal run-time report (runtime_failure).
#pragma once

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_id.h"
#include "platform/mapping_guard.h"

namespace platform::rt {

constexpr int kEnd = -1;
// Positive status codes of our own (above the errno range).
constexpr int kNotConnected = 5001;   // the unit is not connected
constexpr int kWrongForm = 5002;      // operation does not fit the connection's form or action
constexpr int kBadRecord = 5003;      // corrupt framing, or a record of the wrong length
constexpr int kUnitInUse = 5004;      // open on a unit that is already connected

enum class Form { Formatted, Stream, Framed, Direct };
enum class Action { Read, Write, ReadWrite };
enum class Disposition {
  Old,      // the file must exist; opened at its start
  Replace,  // created, or emptied when it exists
  Append,   // created when missing; writes go to its end
  Unknown,  // opened at its start when it exists, created when missing
};
enum class ByteOrder { Native, Big, Little };

struct OpenOptions {
  Form form = Form::Formatted;
  Action action = Action::Read;
  Disposition disposition = Disposition::Old;
  ByteOrder order = ByteOrder::Native;  // applied by the typed binary reads and writes
  std::size_t record_length = 0;        // Direct: bytes per record
  std::size_t buffer_size = 0;          // outputs: 0 = default buffering
};

// Connects the file to the unit.  0 or a positive error status.
int open(int unit, std::string_view path, const OpenOptions& options);
// Disconnects the unit (the file is kept).  Buffered output is written first;
// a write that failed at any time since the open is reported here.  Closing a
// unit that is not connected does nothing and returns 0.
int close(int unit);
// Closes every connection (end of the process).
void close_all();

bool is_connected(int unit);
// The unit's path as given to open; empty when not connected.
std::string connected_path(int unit);

struct FileInquiry {
  bool exists = false;  // anything of that name exists (a folder too)
  int unit = 0;         // unit the file is connected to (same device and inode), 0 if none
};
FileInquiry inquire(std::string_view path);

// The identity of the file connected to the unit; nullopt when not connected.
std::optional<FileId> connected_file(int unit);

// Lowest unit number from 1 up that is not connected; never 5 or 6.
int lowest_free_unit();

// ---- formatted connections ----

// Reads the next record.  The view stays valid until the unit is closed.
int read_record(int unit, std::string_view& record);
// Steps back one record.  After a read that met the end of the file, one step
// back only cancels that end condition (the next read meets the end again);
// a second one steps back over the last record.  At the start: nothing.
int backspace(int unit);
// Positions before the first record.
int rewind(int unit);
// Writes text and ends the record.
int write_record(int unit, std::string_view text);
// Writes text without ending the record.
int write_text(int unit, std::string_view text);
// The first write failure of the unit since it was opened (0 when none): the
// writes that follow a failure are lost, and the close reports it.
int write_status(int unit);

// The bytes of a whole text input.  A regular file that is only read is
// mapped, so its bytes are the system's file cache and are given back when the
// last view of them goes; anything else is read into a string.
class TextBuffer {
 public:
  TextBuffer() = default;
  explicit TextBuffer(std::string bytes) : str_(std::move(bytes)), data_(str_.data()), size_(str_.size()) {}
  ~TextBuffer();
  TextBuffer(const TextBuffer&) = delete;
  TextBuffer& operator=(const TextBuffer&) = delete;

  // The first n bytes of the open file fd, mapped read-only; nullptr when the
  // file cannot be mapped.  `name` is the file's name as it was opened: a
  // file cut short while it is mapped ends the run with it (MappingGuard).
  static std::shared_ptr<TextBuffer> map(int fd, std::size_t n, std::string_view name);

  std::string_view view() const { return std::string_view(data_, size_); }

  // For a mapped file, memory follows the reading rather than the file's
  // size: the pages a little ahead of `pos` are made present, and those
  // before `keep_from` are let go (the file keeps them: a later read brings
  // them back).  Returns the position from which it is worth calling again.
  std::size_t follow(std::size_t pos, std::size_t keep_from) const;

 private:

  std::string str_;
  const char* data_ = nullptr;
  std::size_t size_ = 0;
  bool mapped_ = false;
  std::size_t window_ = 0;                // made present ahead of the reading, let go in steps of it
  mutable std::size_t present_to_ = 0;   // the pages before this offset were made present
  mutable std::size_t released_to_ = 0;  // the pages before this offset were let go
  std::optional<MappingGuard> guard_;    // while mapped
};

// An input file held in memory and served record by record, with the
// step-back rule of backspace().  Formatted input connections use one; readers
// that walk a file line by line may use it directly (text_source()).
class TextSource {
 public:
  TextSource() = default;
  explicit TextSource(std::shared_ptr<const TextBuffer> bytes)
      : owner_(std::move(bytes)), data_(owner_->view()), check_at_(owner_->follow(0, 0)) {}

  // The record of `text` that starts at `start` when the next one starts at
  // `next`: without its line end, and without a carriage return before that.
  static std::string_view record_at(std::string_view text, std::size_t start, std::size_t next) {
    if (next > start && text[next - 1] == '\n') --next;
    if (next > start && text[next - 1] == '\r') --next;
    return text.substr(start, next - start);
  }

  // 0 and the next record, or kEnd.
  int next(std::string_view& record) {
    const std::string_view d = data_;
    if (pos_ >= d.size()) {
      at_end_ = true;
      return kEnd;
    }
    const std::size_t start = pos_;
    const void* nl = std::memchr(d.data() + start, '\n', d.size() - start);
    pos_ = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - d.data()) + 1 : d.size();
    record = record_at(d, start, pos_);
    if (pos_ >= check_at_) [[unlikely]]
      follow();
    return 0;
  }
  void back();
  void rewind() {
    pos_ = 0;
    at_end_ = false;
  }
  bool at_start() const { return pos_ == 0 && !at_end_; }
  // The byte offset of the next record; seek() makes reading go on from an
  // offset that position() gave.
  std::size_t position() const { return pos_; }
  void seek(std::size_t pos) {
    pos_ = pos;
    at_end_ = false;
    if (pos_ >= check_at_) follow();
  }
  std::string_view contents() const { return data_; }

  // The bytes from `offset` on are still needed although reading has passed
  // them (lines read ahead and not yet used); they are kept present until
  // the next hold().
  void hold(std::size_t offset) { hold_ = offset; }

 private:
  void follow() { check_at_ = owner_->follow(pos_, std::min(pos_, hold_)); }

  std::shared_ptr<const TextBuffer> owner_;
  std::string_view data_;
  std::size_t pos_ = 0;   // byte offset of the next record
  bool at_end_ = false;   // the last read met the end of the file
  std::size_t check_at_ = SIZE_MAX;  // follow() once reading gets here
  std::size_t hold_ = SIZE_MAX;      // see hold()
};
TextSource* text_source(int unit);

// ---- stream, framed and direct connections ----

// Stream: reads exactly n bytes at the current position.  kEnd when fewer
// than n bytes remain (the position is then at the end of the file).
int read_bytes(int unit, void* buffer, std::size_t n);
int write_bytes(int unit, const void* buffer, std::size_t n);
// Stream: byte position from the start (0-based).
int seek(int unit, std::uint64_t position);
std::uint64_t tell(int unit);
// Stream: the file's length in bytes as the connection knows it (its own
// writes included); 0 for a file that is not a regular file.
std::uint64_t length(int unit);

// Framed: the next record's data bytes.  kEnd at the end of the file;
// kBadRecord when the framing is corrupt.
int read_framed(int unit, std::vector<unsigned char>& record);
int write_framed(int unit, const void* data, std::size_t n);

// Direct: record number from 1.
int read_direct(int unit, std::int64_t record, void* buffer);
int write_direct(int unit, std::int64_t record, const void* buffer);

// Typed values through the connection's byte order (stream connections).
int read_i32(int unit, std::int32_t& v);
int read_f32(int unit, float& v);
int read_f64(int unit, double& v);
int write_i32(int unit, std::int32_t v);
int write_f32(int unit, float v);
int write_f64(int unit, double v);

// ---- failures for which no status is asked ----

// Prints a one-line run-time report on the console and ends the process with
// status 1.  `operation` names what failed ("open", "read", "close", ...).
[[noreturn]] void runtime_failure(std::string_view operation, int unit, int status, std::string_view path = {});

// The text of a status value ("end of file", strerror, ...).
std::string status_text(int status);

}  // namespace platform::rt
