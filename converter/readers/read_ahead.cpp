#include "converter/readers/read_ahead.h"

#include <algorithm>
#include <atomic>
#include <cstring>
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
// The bytes of a first batch of a table whose length is known: no line after
// the table is read, so batches start larger, and grow from there.  Not so
// large that a file of a few MB is held whole: the pages of a batch behind
// the reading are let go.
constexpr std::size_t kKnownBatchBytes = std::size_t{1} << 20;
// Batches of at least this many bytes are split into lines on every thread.
constexpr std::size_t kSplitScanBytes = std::size_t{1} << 19;

}  // namespace

ReadAhead::ReadAhead() : budget_(kFirstBatchBytes), filled_(kFirstBatchBytes) {}

void ReadAhead::fill(LineInput& in, std::size_t max_lines, std::size_t line_bytes, bool known) {
  // A table whose lines have not all been kept so far (rows over several
  // lines, say) is read ahead as one of unknown length.
  const std::size_t bytes = known && !refused_ ? std::max(budget_, kKnownBatchBytes) : budget_;
  const std::size_t most = std::min(bytes, in.bytes_left()) / std::max<std::size_t>(line_bytes, 1) + 1;
  read(in, std::min(max_lines, most), bytes);
  filled_ = bytes;
}

void ReadAhead::look_ahead(LineInput& in, std::size_t max_lines, std::size_t bytes) {
  read(in, max_lines, bytes);
  in.go_to(places_[0]);
}

void ReadAhead::read(LineInput& in, std::size_t max_lines, std::size_t max_bytes) {
  lines_.clear();
  places_.clear();
  places_.push_back(in.place());
  in.hold_here();
  const std::string_view rest = in.rest();
  if (std::min(max_bytes, rest.size()) >= kSplitScanBytes && parallel::width() > 1) {
    split_scan(in, rest, max_lines, max_bytes);
    return;
  }
  std::size_t bytes = 0;
  std::string_view line;
  while (lines_.size() < max_lines && bytes < max_bytes && in.read(line)) {
    lines_.push_back(line);
    places_.push_back(in.place());
    bytes += line.size() + 1;
  }
}

void ReadAhead::split_scan(LineInput& in, std::string_view rest, std::size_t max_lines, std::size_t max_bytes) {
  // The lines that start in the first max_bytes bytes, found in pieces side
  // by side.  Each piece keeps, for every line that starts in it, where the
  // line after it starts (the end of the text after a last line without a
  // line end); a line belongs to the piece it starts in, wherever it ends.
  const std::size_t span = std::min(max_bytes, rest.size());
  const std::size_t npieces = std::min(parallel::width() * 4, span / (kSplitScanBytes / 8));
  const std::size_t piece = span / npieces + 1;
  std::vector<std::vector<std::size_t>> next(npieces);
  std::vector<std::size_t> begin(npieces);  // where a piece's first line starts
  parallel::for_each(npieces, [&](std::size_t p) {
    const std::size_t a = p * piece, b = std::min(span, a + piece);
    std::size_t s = a;
    if (a > 0) {
      const void* nl = std::memchr(rest.data() + a - 1, '\n', rest.size() - (a - 1));
      s = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - rest.data()) + 1 : rest.size();
    }
    begin[p] = s;
    while (s < b) {
      const void* nl = std::memchr(rest.data() + s, '\n', rest.size() - s);
      s = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - rest.data()) + 1 : rest.size();
      next[p].push_back(s);
    }
  });
  std::vector<std::size_t> first(npieces + 1, 0);  // index of each piece's first line
  for (std::size_t p = 0; p < npieces; ++p) first[p + 1] = first[p] + next[p].size();
  const std::size_t n = std::min(first[npieces], max_lines);
  lines_.resize(n);
  places_.resize(n + 1);
  const LineInput::Place at = places_[0];
  parallel::for_each(npieces, [&](std::size_t p) {
    for (std::size_t k = 0; k < next[p].size() && first[p] + k < n; ++k) {
      const std::size_t i = first[p] + k;
      const std::size_t start = k > 0 ? next[p][k - 1] : begin[p];
      lines_[i] = platform::rt::TextSource::record_at(rest, start, next[p][k]);
      places_[i + 1] = {at.offset + next[p][k], at.nline + static_cast<std::int64_t>(i) + 1};
    }
  });
  in.go_to(places_.back());
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
  const bool whole = kept == lines_.size() && kept > 0;
  budget_ = whole ? std::min(2 * filled_, kMostBatchBytes) : kFirstBatchBytes;
  refused_ = refused_ || !whole;
}

std::size_t ReadAhead::accepted(const std::function<bool(std::size_t)>& accept) const {
  return accepted_runs(1, [&](std::size_t i, std::size_t) -> std::size_t { return accept(i) ? 1 : 0; });
}

std::size_t ReadAhead::accepted_runs(std::size_t run,
                                     const std::function<std::size_t(std::size_t, std::size_t)>& accept) const {
  // Pieces of consecutive lines; each piece stops at its first refusal, and
  // runs after a refusal already found are not begun.
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
    for (std::size_t i = starts[piece]; i < starts[piece + 1];) {
      if (i > first_refused.load(std::memory_order_relaxed)) return;
      const std::size_t end = std::min(i + run, starts[piece + 1]);
      i += accept(i, end);
      if (i < end) {
        std::size_t seen = first_refused.load(std::memory_order_relaxed);
        while (i < seen && !first_refused.compare_exchange_weak(seen, i, std::memory_order_relaxed)) {
        }
        return;
      }
    }
  });
  return first_refused.load();
}

std::span<float> run_items(std::size_t rows, std::size_t n) {
  thread_local std::vector<float> items;
  items.assign(rows * n, 0.0f);
  return items;
}

}  // namespace conv
