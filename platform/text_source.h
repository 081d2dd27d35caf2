// The bytes of a text input held for reading (TextBuffer) and the
// record-by-record walk over them (TextSource).  A formatted input
// connection (platform/connections.h) holds one; readers walk it directly,
// each with a copy of its own that shares the bytes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/mapping_guard.h"

namespace platform::rt {

// The status of a read at the end of the file.
constexpr int kEnd = -1;

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

}  // namespace platform::rt
