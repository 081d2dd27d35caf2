#include "converter/readers/read_ahead.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>

#include "converter/parallel.h"

namespace conv {

namespace {

// Lines are handed to the threads in pieces of at least this many lines, and
// of the bytes that parallel::least_piece() gives; a batch of one piece stays
// on the calling thread.  Readers store line i's values at step i of their
// series, so pieces of many lines keep two threads from writing to one cache
// line of a series at once.
constexpr std::size_t kPieceLines = 64;
// The bytes of a first batch, and of the largest.
constexpr std::size_t kFirstBatchBytes = std::size_t{1} << 14;
constexpr std::size_t kMostBatchBytes = std::size_t{16} << 20;
// The bytes of a first batch of a table whose length is known: no line after
// the table is read, so batches start larger, and grow from there.  Not so
// large that a file of a few MB is held whole: the pages of a batch behind
// the reading are let go.
constexpr std::size_t kKnownBatchBytes = std::size_t{1} << 20;
// A round split into lines on several threads is cut into this many pieces
// for each thread (none smaller than parallel::least_piece()): one that
// starts late still finds pieces left.
constexpr std::size_t kScanPiecesEach = 4;

}  // namespace

ReadAhead::ReadAhead(Scan scan) : scan_(scan), budget_(kFirstBatchBytes), filled_(kFirstBatchBytes) {}

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
  scanned_ = 0;
  places_.push_back(in.place());
  in.hold_here();
  const std::string_view rest = in.rest();
  const std::size_t span = std::min(max_bytes, rest.size());
  // Each round looks at the bytes that the lines still wanted take: at first
  // a byte a line (no line takes less, so no line is found in vain), then
  // the bytes a line of those found so far, and an eighth more.  Lines of
  // about one length are found in two rounds; a batch whose lines all fit
  // in its bytes, in one.
  std::size_t from = 0;  // the bytes of the lines found so far
  while (lines_.size() < max_lines && from < span) {
    const std::size_t wanted = max_lines - lines_.size();
    std::size_t bytes = std::min(span - from, wanted);
    if (!lines_.empty()) {
      const double guess = static_cast<double>(wanted) * static_cast<double>(from) /
                           static_cast<double>(lines_.size()) * 1.125;
      bytes = guess < static_cast<double>(span - from) ? static_cast<std::size_t>(guess) + 1 : span - from;
    }
    if (scan_ == Scan::split && parallel::shared({parallel::Kind::line_ends, bytes}))
      split_round(rest, from, bytes, wanted);
    else
      plain_round(in, from, bytes, wanted);
    from = places_.back().offset - places_.front().offset;
  }
  in.go_to(places_.back());
}

void ReadAhead::plain_round(LineInput& in, std::size_t from, std::size_t bytes, std::size_t wanted) {
  in.go_to(places_.back());
  const std::size_t end = places_.front().offset + from + bytes;
  std::string_view line;
  for (std::size_t n = 0; n < wanted && in.place().offset < end && in.read(line); ++n) {
    lines_.push_back(line);
    places_.push_back(in.place());
    scanned_ += places_.back().offset - places_[places_.size() - 2].offset;
  }
}

void ReadAhead::split_round(std::string_view rest, std::size_t from, std::size_t bytes, std::size_t wanted) {
  // Each piece finds the line ends among its own bytes: where the line after
  // each "\n" starts.  A line belongs to the round it starts in, wherever it
  // ends; the last one may run past the round.
  const std::size_t end = from + bytes;
  const parallel::Work work{parallel::Kind::line_ends, bytes};
  const std::size_t npieces =
      std::min(parallel::threads(work) * kScanPiecesEach, bytes / parallel::least_piece(work.kind));
  const std::size_t piece = bytes / npieces + 1;
  std::vector<std::vector<std::size_t>> next(npieces);
  parallel::for_each(npieces, work, [&](std::size_t p) {
    const std::size_t b = std::min(end, from + (p + 1) * piece);
    for (std::size_t s = from + p * piece; s < b;) {
      const void* nl = std::memchr(rest.data() + s, '\n', b - s);
      if (!nl) break;
      s = static_cast<std::size_t>(static_cast<const char*>(nl) - rest.data()) + 1;
      next[p].push_back(s);
    }
  });
  // Line k of the round starts where line k - 1 ends; piece p holds the ends
  // of lines first[p] on, the first of which starts at begin[p].
  std::vector<std::size_t> first(npieces + 1, 0), begin(npieces + 1, from);
  for (std::size_t p = 0; p < npieces; ++p) {
    first[p + 1] = first[p] + next[p].size();
    begin[p + 1] = next[p].empty() ? begin[p] : next[p].back();
  }
  scanned_ += bytes;
  const std::size_t ended = first[npieces];
  // A line starts at the round's start and after each end but one at the
  // round's end.
  const std::size_t started = begin[npieces] < end ? ended + 1 : ended;
  const std::size_t n = std::min(started, wanted);
  const std::size_t base = lines_.size();
  lines_.resize(base + n);
  places_.resize(base + n + 1);
  const LineInput::Place at = places_[0];
  const auto put = [&](std::size_t k, std::size_t start, std::size_t stop) {
    const std::size_t i = base + k;
    lines_[i] = platform::rt::TextSource::record_at(rest, start, stop);
    places_[i + 1] = {at.offset + stop, at.nline + static_cast<std::int64_t>(i) + 1};
  };
  parallel::for_each(npieces, work, [&](std::size_t p) {
    for (std::size_t k = 0; k < next[p].size() && first[p] + k < n; ++k)
      put(first[p] + k, k > 0 ? next[p][k - 1] : begin[p], next[p][k]);
  });
  if (n > ended) {
    // The line that runs past the round: one search from the round's end.
    const void* nl = std::memchr(rest.data() + end, '\n', rest.size() - end);
    const std::size_t stop =
        nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - rest.data()) + 1 : rest.size();
    scanned_ += stop - end;
    put(ended, begin[npieces], stop);
  }
}

void ReadAhead::keep(LineInput& in, std::size_t kept) {
  in.go_to(places_[kept]);
  const bool whole = kept == lines_.size() && kept > 0;
  budget_ = whole ? std::min(2 * filled_, kMostBatchBytes) : kFirstBatchBytes;
  refused_ = refused_ || !whole;
}

std::size_t ReadAhead::accepted_runs(std::size_t run,
                                     const std::function<std::size_t(std::size_t, std::size_t)>& accept) const {
  return accepted_runs(run, 0, [&](std::size_t from, std::size_t end, std::span<float>) { return accept(from, end); });
}

std::size_t ReadAhead::accepted_runs(
    std::size_t run, std::size_t scratch_floats,
    const std::function<std::size_t(std::size_t, std::size_t, std::span<float>)>& accept) const {
  // Pieces of consecutive lines; each piece stops at its first refusal, and
  // runs after a refusal already found are not begun.
  const std::size_t piece_bytes = parallel::least_piece(parallel::Kind::numbers);
  std::vector<std::size_t> starts{0};
  std::size_t in_piece = 0;  // bytes of the piece so far
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    in_piece += lines_[i].size() + 1;
    if (in_piece >= piece_bytes && i + 1 - starts.back() >= kPieceLines && i + 1 < lines_.size()) {
      starts.push_back(i + 1);
      in_piece = 0;
    }
  }
  starts.push_back(lines_.size());
  std::atomic<std::size_t> first_refused{lines_.size()};
  parallel::for_each(starts.size() - 1, {parallel::Kind::numbers, bytes()}, [&](std::size_t piece) {
    if (starts[piece] > first_refused.load(std::memory_order_relaxed)) return;
    // One buffer serves every run of the piece (64 lines or more, but for
    // the last).  It is made here, not kept by the thread: state of a
    // thread's own that is freed at its end has a destructor registered at
    // its first use, which the C library cannot do when memory runs out,
    // and it then ends the process instead of failing the allocation.
    std::vector<float> scratch(scratch_floats);
    for (std::size_t i = starts[piece]; i < starts[piece + 1];) {
      if (i > first_refused.load(std::memory_order_relaxed)) return;
      const std::size_t end = std::min(i + run, starts[piece + 1]);
      i += accept(i, end, scratch);
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

}  // namespace conv
