#include "converter/readers/rorb.h"

#include <array>
#include <cmath>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "library/ffmt.h"
#include "library/keywords.h"
#include "library/numtext.h"
#include "library/settings.h"
#include "library/text_basics.h"
#include "platform/console.h"

namespace conv::rorb {
namespace console = platform::console;

namespace {

// Measured steps near the left value become the right one (minutes).
constexpr std::array<std::pair<float, float>, 10> kSnapTable = {{
    {1.8f, 2.0f},
    {2.4f, 2.5f},
    {4.8f, 5.0f},
    {10.2f, 10.0f},
    {19.8f, 20.0f},
    {25.2f, 25.0f},
    {34.8f, 35.0f},
    {40.2f, 40.0f},
    {49.8f, 50.0f},
    {55.2f, 55.0f},
}};
constexpr float kSnapTolerance = 0.2f;

constexpr std::size_t kHeaderLabelColumns = 12;
constexpr std::size_t kNameColumns = 10;
constexpr std::string_view kPeakEnding = " RORB maximum/minimum records allowed.";

// A data row: it starts a number once left-adjusted and is not empty.  A row
// that begins with a TAB is no data row.
bool is_data_row(std::string_view line) { return lib::is_number_line(line) && !lib::is_blank_or_tabs(line); }

}  // namespace

float snap_step(float measured) {
  for (const auto& [customary, becomes] : kSnapTable)
    if (std::fabs(customary - measured) < kSnapTolerance) return becomes;
  return measured;
}

std::int32_t Reader::block_width(std::string_view row) {
  if (!is_data_row(row)) return 0;
  return lib::NUMBEROFNUMBERS(row) - 2;
}

namespace {

// Reads a data row: the increment number (not kept), then the time in hours
// and one value per hydrograph into items; items left by a null value or a
// slash are 0.
int read_row(std::string_view row, std::span<float> items) {
  std::int32_t increment = 0;
  ffmt::ListReader r(row);
  const int st = r.read(increment);
  return st == ffmt::kOk ? r.read(items.data(), items.size()) : st;
}

}  // namespace

std::size_t Reader::take_rows(std::size_t first, std::size_t width, std::int32_t& j, float& first_time, float& time,
                              SeriesTable& table) {
  // A row holds the increment, the time and `width` values, each a
  // character at least, with a separator between.
  const std::size_t least_row_bytes = 2 * (width + 2) - 1;
  ahead_.fill(in_, static_cast<std::size_t>(table.MAXVALS - j), least_row_bytes);
  const auto base = static_cast<std::size_t>(j);
  const std::span<Series> block(table.series.data() + first, width);
  // Series that have to grow get room for the rows that the rest of the
  // file holds at this batch's bytes a row (within the limit): growing them
  // batch by batch would copy them several times.  Never more rows than the
  // rest of the file can hold, so the room never exceeds what it can fill.
  const std::size_t row_bytes = ahead_.size() == 0 ? 1 : ahead_.bytes() / ahead_.size() + 1;
  const std::size_t rows_left = in_.bytes_left() / std::max(row_bytes, least_row_bytes);
  const std::size_t room = std::min(base + ahead_.size() + rows_left, static_cast<std::size_t>(table.MAXVALS));
  resize_series(block, base + ahead_.size(), table.keep_times, room);
  std::vector<float> minutes(ahead_.size());
  // The time and the values of a row, read after its increment.
  const auto take = [&](std::size_t i, std::span<float> items) {
    const std::string_view row = ahead_.line(i);
    if (!is_data_row(row) || read_row(row, items) != ffmt::kOk) return false;
    minutes[i] = items[0] * 60.0f;
    return true;
  };
  const std::size_t taken = accepted_rows(ahead_, 1 + width, 1, block, base, minutes, table.keep_times, take);
  ahead_.keep(in_, taken);
  resize_series(block, base + taken, table.keep_times);
  for (std::size_t i = 0; i < taken; ++i) {
    time = minutes[i];
    ++j;
    // Without -dt the step is measured anew in every block.
    if (!dt_given_ && j == 1) dt_ = -1.0f;
    if (j == 1) first_time = time;
    if (dt_ <= 0.0f && j == 2) {
      last_measured_ = time - first_time;
      dt_ = snap_step(last_measured_);
      measured_ = true;
    }
  }
  return taken;
}

bool Reader::read_block(std::string_view header, std::int32_t width, std::string_view& row, SeriesTable& table) {
  if (table.NTS() + width > MAXTS) capacity_exceeded(MAXTS, " RORB time-series allowed.");
  const std::size_t first = table.series.size();
  for (std::int32_t k = 0; k < width; ++k) {
    Series& s = table.series.emplace_back();
    const std::size_t at = kHeaderLabelColumns + kNameColumns * static_cast<std::size_t>(k);
    s.name = lib::TRIMF(lib::columns(header, at, kNameColumns));
  }
  console::line("...Reading RORB Hydrographs " + table.series[first].name + " to " + table.series.back().name);

  std::int32_t j = 0;
  float first_time = 0.0f, time = 0.0f;
  bool more = true;
  while (is_data_row(row)) {
    // The rows from `row` on are taken many at a time, as long as they read.
    in_.step_back();
    if (take_rows(first, static_cast<std::size_t>(width), j, first_time, time, table) == 0) {
      // A data row that was not taken ends the run: it lies beyond the
      // limit, or it does not read.
      in_.read(row);
      if (j >= table.MAXVALS) capacity_exceeded(table.MAXVALS, " points in a RORB time-series.");
      in_.read_error();
    }
    if (!in_.read(row)) {
      more = false;
      break;
    }
  }
  for (std::size_t k = first; k < table.series.size(); ++k) {
    table.series[k].tstart = first_time;
    table.series[k].tend = time;
  }
  return more;
}

void Reader::read(SeriesTable& table, PeakStore& peaks, std::int32_t column, std::int32_t ifile) {
  table.rows_from_start = true;
  std::string_view line;
  do {
    if (!in_.read(line)) return;
  } while (!lib::FLAGEXISTS(line, "Hydrograph summary"));

  // Every line may head a block: the first block under "Hyd001" or
  // "Hyd0001", later ones under any line holding "Hyd".  A candidate whose
  // next line starts no block is none, and that next line is a candidate in
  // turn; so is the line that ends a block.
  bool any_block = false;
  bool pending = false;  // `line` still has to be examined
  for (;;) {
    if (!pending && !in_.read(line)) break;
    pending = false;
    const bool candidate =
        any_block ? lib::FLAGEXISTS(line, "Hyd") : lib::FLAGEXISTS(line, "Hyd001") || lib::FLAGEXISTS(line, "Hyd0001");
    if (!candidate) continue;
    const std::string_view header = line;
    if (!in_.read(line)) break;
    pending = true;
    const std::int32_t width = block_width(line);
    if (width < 1) continue;
    any_block = true;
    if (!read_block(header, width, line, table)) break;
  }
  if (!any_block) return;

  peaks.aggregate_all(table.series, column, ifile, kPeakEnding);
  console::line("...Finished Extracting Data");
  if (measured_ && dt_ != last_measured_) {
    std::string text = "WARNING: Timestep in output calculated as ";
    ffmt::put_F(text, 6, 4, last_measured_);
    text += " minutes and has been changed to ";
    ffmt::put_F(text, 6, 4, dt_);
    text += " minutes. If this is not correct please use -dt flag or contact ";
    text += lib::kSupportEmail;
    console::line(text);
  }
  table.given_dt = dt_;
}

}  // namespace conv::rorb
