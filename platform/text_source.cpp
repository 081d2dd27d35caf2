// The mapped text input: the bytes of a text file held for reading
// (TextBuffer) and the record-by-record walk over them (TextSource).
//
// A file that is only read is mapped rather than copied, and the memory it
// takes follows the reading instead of the file's size: pages ahead of the
// reader are made present in one call, and pages well behind it are let go.
// A mapped file that another process cuts short ends the run with a message
// rather than a silent fault (platform/mapping_guard.h).
// It knows nothing of unit numbers: a formatted connection holds a
// TextSource, and readers walk it through text_source() for speed.
#include "platform/text_source.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

namespace platform::rt {

namespace {

// Pages are made present this far ahead of the reading, and let go in steps
// of this size once reading (and what is held) is this far past them.  The
// pages of a file are the system's file cache, not this process's memory:
// the window bounds what a large file holds mapped at a time.
constexpr std::size_t kWindow = std::size_t{2} << 20;
// ... and no closer behind the reading than a quarter of that: a reader may
// step back (what was let go is read again from the file).
constexpr std::size_t kKeepBehind = kWindow / 4;
// follow() is called again after at most a quarter of the window.
constexpr std::size_t kFollowStep = kWindow / 4;

std::size_t page_down(std::size_t offset) {
  static const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  return offset / page * page;
}

}  // namespace

TextBuffer::~TextBuffer() {
  if (!mapped_) return;
  guard_.reset();  // before its range can be mapped again for something else
  ::munmap(const_cast<char*>(data_), size_);
}

std::shared_ptr<TextBuffer> TextBuffer::map(int fd, std::size_t n, std::string_view name) {
  // The pages are made present a window at a time as the reader walks the
  // file (follow()), so a file can be larger than the memory.
  void* p = ::mmap(nullptr, n, PROT_READ, MAP_PRIVATE, fd, 0);
  if (p == MAP_FAILED) return nullptr;
  ::madvise(p, n, MADV_SEQUENTIAL);
  auto b = std::make_shared<TextBuffer>();
  b->data_ = static_cast<const char*>(p);
  b->size_ = n;
  b->mapped_ = true;
  b->guard_.emplace(b->data_, n, std::string(name));
  return b;
}

std::size_t TextBuffer::follow(std::size_t pos, std::size_t keep_from) const {
  if (!mapped_) return SIZE_MAX;
  if (pos + kFollowStep >= present_to_ && present_to_ < size_) {
    const std::size_t to = std::min(size_, page_down(pos + kWindow));
    // Fewer page faults than touching the pages one by one; where the system
    // cannot, they come in on first touch.
    if (to > present_to_) ::madvise(const_cast<char*>(data_) + present_to_, to - present_to_, MADV_POPULATE_READ);
    present_to_ = std::max(present_to_, to);
  }
  const std::size_t upto = page_down(std::min(keep_from > kKeepBehind ? keep_from - kKeepBehind : 0, size_));
  if (upto >= released_to_ + kWindow) {
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

}  // namespace platform::rt
