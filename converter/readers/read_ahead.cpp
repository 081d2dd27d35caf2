#include "converter/readers/read_ahead.h"

#include <algorithm>
#include <atomic>
#include <functional>

#include "converter/parallel.h"

namespace conv {

namespace {

// Lines are handed to the threads in pieces of at least this many bytes and
// lines; a batch of one piece stays on the calling thread.  Readers store
// line i's values at step i of their series, so pieces of many lines keep two
// threads from writing to one cache line of a series at once.
constexpr std::size_t kPieceBytes = std::size_t{1} << 16;
constexpr std::size_t kPieceLines = 64;
// The bytes of a first batch, and of the largest.
constexpr std::size_t kFirstBatchBytes = std::size_t{1} << 14;
constexpr std::size_t kMostBatchBytes = std::size_t{16} << 20;

}  // namespace

ReadAhead::ReadAhead() : budget_(kFirstBatchBytes) {}

void ReadAhead::fill(LineInput& in, std::size_t max_lines) { read(in, max_lines, budget_); }

void ReadAhead::look_ahead(LineInput& in, std::size_t max_lines, std::size_t bytes) {
  read(in, max_lines, bytes);
  in.go_to(places_[0]);
}

void ReadAhead::read(LineInput& in, std::size_t max_lines, std::size_t max_bytes) {
  lines_.clear();
  places_.clear();
  std::size_t bytes = 0;
  places_.push_back(in.place());
  std::string_view line;
  while (lines_.size() < max_lines && bytes < max_bytes && in.read(line)) {
    lines_.push_back(line);
    places_.push_back(in.place());
    bytes += line.size() + 1;
  }
}

std::size_t ReadAhead::index_of(std::string_view line) const {
  // The lines stand in the order of their text in the file.
  const auto it = std::lower_bound(lines_.begin(), lines_.end(), line.data(),
                                   [](std::string_view l, const char* at) { return std::less<>()(l.data(), at); });
  return it != lines_.end() && it->data() == line.data() ? static_cast<std::size_t>(it - lines_.begin())
                                                         : lines_.size();
}

void ReadAhead::keep(LineInput& in, std::size_t kept) {
  in.go_to(places_[kept]);
  budget_ = kept == lines_.size() && kept > 0 ? std::min(2 * budget_, kMostBatchBytes) : kFirstBatchBytes;
}

std::size_t ReadAhead::accepted(const std::function<bool(std::size_t)>& accept) const {
  // Pieces of consecutive lines; each piece stops at its first refusal, and
  // pieces after a refusal already found are not begun.
  std::vector<std::size_t> starts{0};
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    bytes += lines_[i].size() + 1;
    if (bytes >= kPieceBytes && i + 1 - starts.back() >= kPieceLines && i + 1 < lines_.size()) {
      starts.push_back(i + 1);
      bytes = 0;
    }
  }
  starts.push_back(lines_.size());
  std::atomic<std::size_t> first_refused{lines_.size()};
  parallel::for_each(starts.size() - 1, [&](std::size_t piece) {
    for (std::size_t i = starts[piece]; i < starts[piece + 1]; ++i) {
      if (i > first_refused.load(std::memory_order_relaxed)) return;
      if (!accept(i)) {
        std::size_t seen = first_refused.load(std::memory_order_relaxed);
        while (i < seen && !first_refused.compare_exchange_weak(seen, i, std::memory_order_relaxed)) {
        }
        return;
      }
    }
  });
  return first_refused.load();
}

}  // namespace conv
