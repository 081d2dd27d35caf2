#include "converter/readers/rows.h"

#include <limits>
#include <vector>

#include "library/ffmt.h"
#include "library/ftext.h"
#include "library/numtext.h"
#include "library/paths.h"
#include "library/text_basics.h"
#include "platform/console.h"

namespace conv::rows {

namespace {

bool starts_number(char c) { return (c >= '0' && c <= '9') || c == '-' || c == '.'; }

// The first character that is neither a blank nor a TAB ('\0' when none):
// TABs stand between numbers like blanks, before the first one too.
char first_character(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t");
  return first == std::string_view::npos ? '\0' : line[first];
}

}  // namespace

bool is_data_line(std::string_view line) {
  return starts_number(first_character(line)) && lib::NUMBEROFNUMBERS(line) > 0;
}

bool Reader::find_block(std::string& title) {
  bool titled = false;
  std::string_view line;
  while (in_.read(line)) {
    if (!titled && !lib::is_blank_or_tabs(line)) {
      // The title loses its TABs (the text closes up) and keeps its leading blanks.
      title = lib::trim_right(lib::cut(lib::REMOVETABS(line), kNameLength));
      titled = true;
    }
    if (is_data_line(line)) {
      in_.step_back();
      return true;
    }
  }
  return false;
}

namespace {

// The numbers of a data line.  A comma before the first number closes an
// empty first field: a null value that the count leaves out, though the read
// takes it, so without it the line's last number would be lost.
std::int32_t numbers_of(std::string_view line) {
  const std::int32_t n = lib::NUMBEROFNUMBERS(line);
  return n > 0 && first_character(line) == ',' ? n + 1 : n;
}

// Reads the n numbers of a line, each handed to store(k, value); a null value
// leaves its number at zero.
template <class Store>
bool read_numbers(std::string_view line, std::int32_t n, Store store) {
  ffmt::ListReader r(line);
  for (std::int32_t k = 0; k < n; ++k) {
    float v = 0.0f;
    if (r.read(v) != ffmt::kOk) return false;
    store(k, v);
  }
  return true;
}

}  // namespace

bool Reader::take_lines(SeriesTable& table, Series& s) {
  ahead_.fill(in_, std::numeric_limits<std::size_t>::max());
  std::vector<std::int32_t> counts(ahead_.size());
  const std::size_t counted = ahead_.accepted([&](std::size_t i) {
    counts[i] = numbers_of(ahead_.line(i));
    return counts[i] > 0;
  });
  // Where each line's numbers go, for the lines within the limit.
  std::vector<std::size_t> at(counted + 1);
  at[0] = s.q.size();
  std::size_t fit = 0;
  for (; fit < counted && counts[fit] <= table.MAXVALS - static_cast<std::int64_t>(at[fit]); ++fit)
    at[fit + 1] = at[fit] + static_cast<std::size_t>(counts[fit]);
  const auto resize = [&](std::size_t size) {
    s.q.resize(size);
    if (table.keep_times) s.hours.resize(size);
  };
  resize(at[fit]);
  const std::size_t taken = ahead_.accepted([&](std::size_t i) {
    return i < fit && read_numbers(ahead_.line(i), counts[i], [&](std::int32_t k, float v) {
             const std::size_t step = at[i] + static_cast<std::size_t>(k);
             s.q[step] = v;
             if (table.keep_times) s.hours[step] = static_cast<float>(step + 1) / 60.0f;
           });
  });
  ahead_.keep(in_, taken);
  resize(at[taken]);
  return taken > 0;
}

bool Reader::read_rows(SeriesTable& table, Series& s) {
  std::string_view line;
  for (;;) {
    // Lines that read are taken many at a time; the first that does not (or
    // ends the block) is met on its own.
    if (take_lines(table, s)) continue;
    if (!in_.read(line)) return false;
    const std::int32_t n = numbers_of(line);
    if (n <= 0) return true;
    if (n > table.MAXVALS - s.nvals()) capacity_exceeded(table.MAXVALS, " points in a row block time-series.");
    if (!read_numbers(line, n, [&](std::int32_t, float v) { table.append(s, static_cast<float>(s.nvals() + 1), v); }))
      in_.read_error();
  }
}

void Reader::read(SeriesTable& table, PeakStore&, std::int32_t, std::int32_t) {
  std::string title;
  while (find_block(title)) {
    if (table.NTS() >= MAXTS) capacity_exceeded(MAXTS, " row block time-series allowed.");
    Series& s = table.series.emplace_back();
    s.name = lib::is_blank(title) ? lib::FILENAME(match_name_) : title;
    platform::console::line("Extracting row data for " + title);
    const bool more = read_rows(table, s);
    s.tstart = 1.0f;
    s.tend = static_cast<float>(s.nvals());
    if (!more) return;
    // The line that ended the block starts the next block's search.
    in_.step_back();
  }
}

}  // namespace conv::rows
