// The two physical forms of an interface file over a read-only stream
// connection of the platform's unit-numbered I/O.
#include "xpinterface/binary_input.h"

#include "platform/connections.h"
#include "platform/mapping_guard.h"

namespace xp {

namespace rt = platform::rt;

bool BinaryInput::open(std::string_view path) {
  close();
  if (!connect(rt::lowest_free_unit(), path)) return false;
  restart(Framing::Stream);
  return true;
}

void BinaryInput::XPOPEN(std::string_view name, int xptype) {
  close();
  name = name.substr(0, 256);
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  const int unit = rt::lowest_free_unit();
  if (xptype >= 1 && xptype <= 4) connect(unit, name);
  unit_ = unit;
  restart(xptype == 3 || xptype == 4 ? Framing::Framed : Framing::Stream);
}

bool BinaryInput::connect(int unit, std::string_view path) {
  rt::OpenOptions options;
  options.form = rt::Form::Stream;
  options.action = rt::Action::Read;
  options.disposition = rt::Disposition::Old;
  if (rt::open(unit, path, options) != 0) return false;
  unit_ = unit;
  connected_ = true;
  size_ = rt::length(unit);
  if (window_.empty()) window_.resize(kWindow);
  return true;
}

void BinaryInput::close() {
  if (connected_) rt::close(unit_);
  unit_ = 0;
  connected_ = false;
  size_ = 0;
  win_len_ = 0;
}

void BinaryInput::restart(Framing framing, std::uint64_t offset) {
  framing_ = framing;
  pos_ = next_ = rec_end_ = std::min(offset, size_);
  status_ = 0;
}

void BinaryInput::fail_at_end(int status) {
  status_ = status;
  pos_ = next_ = rec_end_ = size_;
}

void BinaryInput::fail_short() {
  if (framing_ == Framing::Framed) {
    // The rest of the record is skipped: the next read takes the next record.
    if (status_ == 0) status_ = kShortRecord;
  } else {
    fail_at_end(kEnd);
  }
}

bool BinaryInput::fill(std::uint64_t at, std::size_t n) {
  win_len_ = 0;
  const std::size_t len = static_cast<std::size_t>(std::min<std::uint64_t>(kWindow, size_ - at));
  if (len < n || rt::seek(unit_, at) != 0 || rt::read_bytes(unit_, window_.data(), len) != 0) {
    // The file is shorter than it was when it was opened, or cannot be read.
    // A file changed meanwhile ends the run: the steps read so far are
    // neither the file as opened nor as it is now.
    if (rt::changed_since_open(unit_)) rt::end_changed_input(rt::connected_path(unit_));
    fail_at_end(kReadError);
    return false;
  }
  win_off_ = at;
  win_len_ = len;
  return true;
}

bool BinaryInput::word_at(std::uint64_t at, std::uint32_t& v) {
  if (at < win_off_ || at + 4 > win_off_ + win_len_) {
    if (!fill(at, 4)) return false;
  }
  v = le32(window_.data() + (at - win_off_));
  return true;
}

void BinaryInput::begin() {
  status_ = 0;
  if (framing_ == Framing::Stream) return;
  pos_ = rec_end_ = next_;
  const std::uint64_t left = size_ - next_;
  if (left < 4) {
    fail_at_end(kEnd);
    return;
  }
  std::uint32_t word = 0;
  if (!word_at(next_, word)) return;
  const auto length = static_cast<std::int32_t>(word);
  if (length < 0) {
    fail_at_end(kBadFraming);
    return;
  }
  const std::uint64_t len = static_cast<std::uint64_t>(length);
  if (left < 8 || len > left - 8) {
    // The record would run past the end of the file: a cut file, or a
    // length word that is not one.
    fail_at_end(kEnd);
    return;
  }
  std::uint32_t trailing = 0;
  if (!word_at(next_ + 4 + len, trailing)) return;
  if (trailing != word) {
    fail_at_end(kBadFraming);
    return;
  }
  pos_ = next_ + 4;
  rec_end_ = pos_ + len;
  next_ = rec_end_ + 4;
}

void BinaryInput::skip(std::uint64_t n) {
  if (room() < n) {
    fail_short();
    return;
  }
  pos_ += n;
}

}  // namespace xp
