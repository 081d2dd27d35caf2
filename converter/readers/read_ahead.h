// Lines read ahead of a reader's own line-by-line logic, so that the values
// of a large table are read on every thread at once.  The reader then keeps
// the lines it accepts and goes on line by line from the first it refused:
// whatever that line holds (the end of the table, a value that does not
// read) is met exactly as without the read-ahead, with the same messages.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "converter/readers/line_input.h"
#include "converter/series.h"

namespace conv {

class ReadAhead {
 public:
  // How the lines of a large batch are found: in pieces on every thread, or
  // one by one on the calling thread as in a small batch (the plain way, which
  // tests compare with the other).
  enum class Scan { split, plain };
  explicit ReadAhead(Scan scan = Scan::split);

  // Reads lines from `in` until `max_lines` are read, or the batch's bytes,
  // or the file ends.  A batch after one that was kept whole may be twice as
  // large (up to 16 MB); after one that was not, it starts again at 16 KB,
  // so that lines read ahead and not kept cost no more than a fraction of
  // those kept.  When `known`, the table is known to hold `max_lines` more
  // lines: the first batch is 1 MB already.
  // A line shorter than `line_bytes` is never kept: the batch holds no more
  // lines than its bytes could hold of those (a reader sizes its series by
  // the lines of a batch before it knows which it keeps).
  void fill(LineInput& in, std::size_t max_lines, std::size_t line_bytes, bool known = false);

  // Reads up to `max_lines` lines or about `bytes` from `in`, then puts `in`
  // back where it was; the batch size of fill() is left as it stands.
  // Either way a batch holds the lines that start in its first bytes, and
  // finding them looks at little more than the lines kept: the bytes are
  // looked at in rounds, each as large as the lines still wanted take at the
  // length of those found so far (the first, at a byte a line), and a line
  // that runs past the bytes looked at is ended by one search from there.
  void look_ahead(LineInput& in, std::size_t max_lines, std::size_t bytes);

  std::size_t size() const { return lines_.size(); }
  // The bytes that finding the batch's lines looked at.
  std::size_t scanned() const { return scanned_; }
  // The bytes of the batch's lines, line ends included.
  std::size_t bytes() const { return places_.back().offset - places_.front().offset; }
  std::string_view line(std::size_t i) const { return lines_[i]; }
  // Line i of the batch as in.read() would give it, when `in` stands right
  // before it: `in` then stands after it.  False, with `in` unchanged, when
  // `in` stands elsewhere.
  bool replay(LineInput& in, std::size_t i, std::string_view& line) const {
    if (i >= lines_.size() || in.place().offset != places_[i].offset) return false;
    line = lines_[i];
    in.go_to(places_[i + 1]);
    return true;
  }
  // The number in the file of line i (for its read-error message).
  std::int64_t line_number(std::size_t i) const { return places_[i].nline + 1; }
  // Leaves `in` right before line i of the batch (i <= size()), as a step
  // back over lines read after it would, without searching the text.
  void rewind_to(LineInput& in, std::size_t i) const { in.go_to(places_[i]); }

  // Runs accept(first, end) over the lines in order, `run` consecutive
  // lines at a time, on every thread when the lines are many: it takes lines
  // first..end - 1 and returns how many of them come before the first it
  // refuses (end - first when it refuses none).  Returns how many lines come
  // before the first refused (size() when none is).  accept() must not end
  // the run.
  std::size_t accepted_runs(std::size_t run, const std::function<std::size_t(std::size_t, std::size_t)>& accept) const;
  // The same, where accept(first, end, scratch) also gets `scratch_floats`
  // floats to work in: the lines are handed out in pieces of consecutive
  // runs, and every run of a piece gets the piece's own buffer, as the run
  // before left it.  The buffer is made once a piece, on the thread that
  // takes the piece, and freed with it: no thread keeps memory between
  // calls (memory running out on any thread fails the call).
  std::size_t accepted_runs(std::size_t run, std::size_t scratch_floats,
                            const std::function<std::size_t(std::size_t, std::size_t, std::span<float>)>& accept) const;

  // Leaves `in` as though exactly the first `kept` lines had been read.
  void keep(LineInput& in, std::size_t kept);

 private:
  void read(LineInput& in, std::size_t max_lines, std::size_t max_bytes);
  // One round: adds the lines that start in bytes from..from+bytes of `rest`
  // (the text from the batch's start), `wanted` at most.
  void plain_round(LineInput& in, std::size_t from, std::size_t bytes, std::size_t wanted);
  void split_round(std::string_view rest, std::size_t from, std::size_t bytes, std::size_t wanted);

  Scan scan_;
  std::vector<std::string_view> lines_;
  // The place before each line, and after the last.
  std::vector<LineInput::Place> places_;
  std::size_t scanned_ = 0;
  std::size_t budget_;    // bytes of the next batch
  std::size_t filled_;    // bytes asked of the last batch
  bool refused_ = false;  // a batch was not kept whole
};

// Lines of a run whose values are handed to their series together: sixteen
// values of a series fill a cache line.
inline constexpr std::size_t kRunRows = 16;

// The lines of a batch of table rows, read a run at a time: take(i, items)
// reads line i's `width` items, false when it does not read.  Item skip + k
// of a row taken goes to series[k].q at step `at` + i, and with `times` the
// row's minutes[i] / 60 to every series' hours there.  Returns how many
// lines come before the first not taken, as accepted_runs() does.
template <class Take>
std::size_t accepted_rows(const ReadAhead& ahead, std::size_t width, std::size_t skip, std::span<Series> series,
                          std::size_t at, std::span<const float> minutes, bool times, Take take) {
  return ahead.accepted_runs(kRunRows, kRunRows * width, [&](std::size_t from, std::size_t end, std::span<float> scratch) {
    // Line r of the run reads its items from r * width, each 0 until read:
    // an item that a row leaves unchanged (a null value, or those after a
    // slash) is 0.
    const std::span<float> items = scratch.first((end - from) * width);
    std::fill(items.begin(), items.end(), 0.0f);
    std::size_t i = from;
    while (i < end && take(i, items.subspan((i - from) * width, width))) ++i;
    rows_to_series(items, width, skip, i - from, series, at + from);
    if (times) times_to_series(minutes, from, i, series, at);
    return i - from;
  });
}

}  // namespace conv
