// Reading an interface file item by item, in either of its two physical
// forms.
//
// The five file types differ only in the width of their reals, in marker
// words and in whether records are framed by length words; the code that
// knows the record layouts asks this class for items and never sees a byte
// order or a length word.  It exists so that the little-endian decoding and
// the record framing, with every check that a damaged file needs, live in one
// place:
//
//   Stream  the items of consecutive reads simply follow each other.
//   Framed  each read takes one record: a 4-byte little-endian length, that
//           many data bytes and the same length again.  A read that needs
//           fewer bytes than the record holds skips the rest of it; one that
//           needs more fails.
//
// A read is a statement: begin(), its items in order, end().  Items transfer
// in order and stop at the first one that cannot be read whole; the items not
// reached keep their values.  The status of a statement is 0, kEnd (-1) at
// the end of the file, or a positive number for an error.
//
// A length word is never trusted: one that is negative, larger than the rest
// of the file, or different from its trailing copy fails the read, and the
// file then stands at its end.  Nothing is allocated from anything read: the
// class holds one fixed read-ahead window and reads the bytes through the
// platform's unit-numbered stream connection.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace xp {

enum class Framing { Stream, Framed };

class BinaryInput {
 public:
  static constexpr int kEnd = -1;
  static constexpr int kShortRecord = 1;  // a framed read needs more bytes than its record holds
  static constexpr int kBadFraming = 2;   // a negative length word, or a trailing word that differs
  static constexpr int kReadError = 3;    // the file could not be read (it changed, or the device failed)

  BinaryInput() = default;
  ~BinaryInput() { close(); }
  BinaryInput(const BinaryInput&) = delete;
  BinaryInput& operator=(const BinaryInput&) = delete;

  // Opens an existing file for reading on the lowest free unit; false when
  // it cannot be opened.  The file is never created.
  bool open(std::string_view path);
  void close();
  bool is_open() const { return connected_; }
  // The unit this input holds (0: none); see XPOPEN.
  int unit() const { return unit_; }

  // The open and close of the storing pass's unit by file type, which the
  // reading path does not use (it opens the file once in the stream form and
  // reads every type through it).  XPOPEN takes the lowest free unit, and for
  // file types 1 to 4 opens the file there as open() does, the name cut to
  // 256 characters, and reads it from its start in the type's form.  For any
  // other type nothing is connected, and neither is anything when the open
  // fails (which is not reported): the unit is held all the same, and reads
  // meet the end of the file.  XPCLOSE closes what XPOPEN connected and
  // gives the unit up.
  void XPOPEN(std::string_view name, int xptype);
  void XPCLOSE() { close(); }
  std::uint64_t size() const { return size_; }

  // Starts reading at a byte offset (0: the start) in the given form.
  void restart(Framing framing, std::uint64_t offset = 0);
  Framing framing() const { return framing_; }
  // Byte offset of the next read (framed: of the next record).
  std::uint64_t position() const { return framing_ == Framing::Framed ? next_ : pos_; }

  // ---- one read statement ----
  void begin();
  void i32(std::int32_t& v) {
    unsigned char b[4];
    if (take(b, 4)) v = static_cast<std::int32_t>(le32(b));
  }
  // A real of 4 or 8 bytes, widened to double.
  void real(double& v, int width) {
    unsigned char b[8];
    if (!take(b, static_cast<std::size_t>(width))) return;
    v = width == 8 ? std::bit_cast<double>(le64(b)) : static_cast<double>(std::bit_cast<float>(le32(b)));
  }
  // n bytes of text, as they stand.
  void text(char* dst, std::size_t n) { take(dst, n); }
  // Items that are read and dropped (marker words, values nobody keeps).
  void skip(std::uint64_t n);
  // n reals of `width` bytes each, rounded to single precision and handed to
  // sink(index, value) in order; the ones that fit are transferred.
  template <class Sink>
  void reals(std::size_t n, int width, Sink&& sink);
  int end() const { return status_; }
  int status() const { return status_; }

  static std::uint32_t le32(const unsigned char* b) {
    return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
  }
  static std::uint64_t le64(const unsigned char* b) { return le32(b) | std::uint64_t{le32(b + 4)} << 32; }

 private:
  // Bytes still readable by this statement.
  std::uint64_t room() const { return status_ != 0 ? 0 : (framing_ == Framing::Framed ? rec_end_ : size_) - pos_; }
  // Marks the statement failed for want of bytes.
  void fail_short();
  // Copies n bytes at the position and advances; false (and the statement
  // failed) when they are not all there.
  bool take(void* dst, std::size_t n) {
    if (room() < n) {
      fail_short();
      return false;
    }
    if (pos_ < win_off_ || pos_ + n > win_off_ + win_len_) {
      if (!fill(pos_, n)) return false;
    }
    std::memcpy(dst, window_.data() + (pos_ - win_off_), n);
    pos_ += n;
    return true;
  }
  // Loads the window from `at`, with at least n (at most kWindow) bytes.
  bool fill(std::uint64_t at, std::size_t n);
  // A 4-byte little-endian word at a byte offset that lies inside the file.
  bool word_at(std::uint64_t at, std::uint32_t& v);
  // Fails the statement and leaves the file standing at its end.
  void fail_at_end(int status);
  // Opens the file for reading on `unit`; false when it cannot be opened.
  bool connect(int unit, std::string_view path);

  static constexpr std::size_t kWindow = std::size_t{1} << 16;

  int unit_ = 0;
  bool connected_ = false;  // a file is open on unit_
  std::uint64_t size_ = 0;
  Framing framing_ = Framing::Stream;
  std::uint64_t pos_ = 0;      // next byte to read
  std::uint64_t rec_end_ = 0;  // framed: end of the current record's data
  std::uint64_t next_ = 0;     // framed: start of the next record
  int status_ = 0;
  std::vector<unsigned char> window_;  // bytes of the file from win_off_
  std::uint64_t win_off_ = 0;
  std::size_t win_len_ = 0;
};

template <class Sink>
void BinaryInput::reals(std::size_t n, int width, Sink&& sink) {
  const std::size_t w = static_cast<std::size_t>(width);
  const std::uint64_t fit = room() / w;
  const std::size_t m = fit < n ? static_cast<std::size_t>(fit) : n;
  std::size_t i = 0;
  while (i < m) {
    // As many values as the window holds from the position, at least one.
    std::size_t chunk = std::min(m - i, kWindow / w);
    if (pos_ < win_off_ || pos_ + chunk * w > win_off_ + win_len_) {
      if (!fill(pos_, chunk * w)) return;
    }
    const unsigned char* p = window_.data() + (pos_ - win_off_);
    if (w == 8) {
      for (std::size_t j = 0; j < chunk; ++j, p += 8) sink(i + j, static_cast<float>(std::bit_cast<double>(le64(p))));
    } else {
      for (std::size_t j = 0; j < chunk; ++j, p += 4) sink(i + j, std::bit_cast<float>(le32(p)));
    }
    pos_ += chunk * w;
    i += chunk;
  }
  if (m < n) fail_short();
}

}  // namespace xp
