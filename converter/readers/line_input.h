// A text input read line by line, with the running line count that every
// text reader's read-error message prints.
#pragma once

#include <cstdint>
#include <string_view>

#include "converter/failure.h"
#include "platform/text_source.h"

namespace conv {

// Lines of the reading connection.  NLINE() is the number of the last line
// actually read: a read at the end of the file adds nothing, and a line read
// again after a step back is not counted twice.
//
// It reads its own copy of the connection's text source, which shares the
// file's bytes: a close of the unit while a reader is still at work (another
// open that closes the file first, an orderly end) never frees the text
// under it or under the lines it holds.
class LineInput {
 public:
  explicit LineInput(const platform::rt::TextSource& input) : in_(input) {}

  // The next line, or false at the end of the file.
  bool read(std::string_view& line) {
    if (in_.next(line) == platform::rt::kEnd) {
      at_end_ = true;
      return false;
    }
    at_end_ = false;
    ++nline_;
    return true;
  }
  // Steps back one line.  After a read that met the end of the file this only
  // cancels the end condition.
  void step_back() {
    in_.back();
    if (at_end_)
      at_end_ = false;
    else if (nline_ > 0)
      --nline_;
  }
  std::int64_t NLINE() const { return nline_; }

  // Where reading stands: the offset of the next line and the count so far.
  struct Place {
    std::size_t offset = 0;
    std::int64_t nline = 0;
  };
  Place place() const { return {in_.position(), nline_}; }
  // The lines from the next one on stay in memory until the next hold_here(),
  // however far reading goes past them.
  void hold_here() { in_.hold(in_.position()); }
  // The text from the next line's start to the end of the file.
  std::string_view rest() const { return in_.contents().substr(in_.position()); }
  // Bytes of the file after the next line's start.
  std::size_t bytes_left() const { return in_.contents().size() - in_.position(); }
  // Reading goes on from a place that place() gave.
  void go_to(Place p) {
    in_.seek(p.offset);
    nline_ = p.nline;
    at_end_ = false;
  }
  [[noreturn]] void read_error() const { read_error_at(nline_); }

 private:
  platform::rt::TextSource in_;
  std::int64_t nline_ = 0;
  bool at_end_ = false;
};

}  // namespace conv
