#include "converter/peaks.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <cmath>
#include <cstddef>
#include <limits>

#include "converter/failure.h"
#include "converter/parallel.h"
#include "converter/series.h"
#include "converter/written_files.h"
#include "library/ffmt.h"
#include "library/ftext.h"
#include "library/numtext.h"
#include "library/paths.h"
#include "library/text_basics.h"
#include "library/unit_manager.h"
#include "platform/connections.h"
#include "platform/console.h"

namespace conv {
namespace rt = platform::rt;

void PeakStore::start_file(std::int32_t columns) {
  columns_ = columns < 1 ? 1 : columns;
  names_.clear();
  lookup_.clear();
  peaks_.clear();
  files_.clear();
}

std::pair<std::int32_t, bool> PeakStore::find_or_add(std::string_view name, std::string_view ending) {
  const std::string_view stored = lib::trim_right(lib::cut(name, kNameLength));
  std::string key = lib::asame_key(stored);
  if (const auto it = lookup_.find(key); it != lookup_.end()) return {it->second, false};
  // The limit is checked before anything of the new name is recorded.
  if (NPK() >= MAXTS) fail("ERROR - Exceeded maximum number of " + lib::AINTEGER(MAXTS) + std::string(ending));
  const auto it = lookup_.emplace(std::move(key), NPK()).first;
  names_.emplace_back(stored);
  peaks_.resize(peaks_.size() + static_cast<std::size_t>(columns_), kNoPeak);
  files_.resize(files_.size() + static_cast<std::size_t>(columns_), 0);
  return {it->second, true};
}

std::int32_t PeakStore::slot(std::string_view name, std::string_view ending) { return find_or_add(name, ending).first; }

namespace {

// The value that raising a peak by each of `values` in turn ends with, when
// the peak starts below them all: the first of the largest values, NaNs
// passed over (-infinity when there is none).
float largest_in_order(std::span<const float> values) {
  float m = -std::numeric_limits<float>::infinity();
  for (const float v : values)
    if (v > m) m = v;
  return m;
}

float largest(std::span<const float> values) {
#if defined(__x86_64__)
  // Sixteen lanes side by side: one after the other, each step waits for the
  // last.  maxps(v, m) is v > m ? v : m, NaN included, so that each lane ends
  // as largest_in_order() of its values.  Their largest is the same value
  // whatever the order, but for the sign of a zero, which only the order
  // settles.
  const float* p = values.data();
  const std::size_t n = values.size();
  if (n < 64) return largest_in_order(values);
  __m128 m[4];
  for (__m128& lane : m) lane = _mm_set1_ps(-std::numeric_limits<float>::infinity());
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16)
    for (int k = 0; k < 4; ++k) m[k] = _mm_max_ps(_mm_loadu_ps(p + i + 4 * k), m[k]);
  alignas(16) float lanes[16];
  for (int k = 0; k < 4; ++k) _mm_store_ps(lanes + 4 * k, m[k]);
  float r = largest_in_order(lanes);
  const float rest = largest_in_order(values.subspan(i));
  if (rest > r) r = rest;
  return r == 0.0f ? largest_in_order(values) : r;
#else
  return largest_in_order(values);
#endif
}

// largest() of the values after the first.
float largest_after_first(std::span<const float> values) {
  return largest(values.empty() ? values : values.subspan(1));
}

}  // namespace

void PeakStore::raise(std::string_view name, std::span<const float> values, float after_first,
                      std::int32_t column, std::int32_t ifile, std::string_view ending) {
  // A new slot starts at the first value and is raised by the rest; an
  // existing one is raised by all of them.  Raising a peak p by values in
  // turn ends with their largest m when m > p, else with p.
  const auto [k, added] = find_or_add(name, ending);
  float& peak = this->peak(k, column);
  std::int32_t& file = this->file(k, column);
  const bool first_stays = !values.empty() && !std::isnan(values[0]) && !(after_first > values[0]);
  float m = first_stays ? values[0] : after_first;
  if (added && !values.empty()) {
    peak = values[0];
    file = ifile;
    m = after_first;
  }
  if (m > peak) {
    peak = m;
    file = ifile;
  }
}

void PeakStore::aggregate(std::string_view name, std::span<const float> values, std::int32_t column,
                          std::int32_t ifile, std::string_view ending) {
  raise(name, values, largest_after_first(values), column, ifile, ending);
}

void PeakStore::aggregate_all(std::span<const Series> series, std::int32_t column, std::int32_t ifile,
                              std::string_view ending) {
  std::vector<float> after_first(series.size());
  std::size_t values = 0;
  for (const Series& s : series) values += s.q.size();
  parallel::for_each(series.size(), {parallel::Kind::values, values * sizeof(float)},
                     [&](std::size_t i) { after_first[i] = largest_after_first(series[i].q); });
  for (std::size_t i = 0; i < series.size(); ++i)
    raise(series[i].name, series[i].q, after_first[i], column, ifile, ending);
}

std::string peak_table_name(std::string_view match_name) {
  std::string name(lib::trim_right(lib::FILENAMEPATH(match_name)));
  name += "_peak_Q";
  name += lib::trim_right(lib::FILEEXT(match_name));
  name += ".csv";
  return std::string(lib::cut(name, 1000));
}

namespace {

void quoted_name(std::string& buf, const std::string& name) {
  buf = '"';
  buf += name;
  buf += '"';
}

}  // namespace

void write_peak_table(std::string_view match_name, const PeakStore& store, std::int32_t& unit,
                      WrittenFiles& written) {
  written.open(unit, peak_table_name(match_name));
  rt::write_record(unit, "\"ID\",\"Q Peak\"");
  std::string buf;
  for (std::int32_t k = 0; k < store.NPK(); ++k) {
    quoted_name(buf, store.name(k));
    buf += ',';
    ffmt::put_F(buf, 16, 3, store.peak(k, 0));
    rt::write_record(unit, buf);
  }
  lib::CLOSER(unit);
}

void write_event_peak_table(std::string_view match_name, const PeakStore& store,
                            const std::vector<std::string>& event_names, const RunSettings& run, std::int32_t& unit,
                            WrittenFiles& written) {
  const auto nevents = static_cast<std::int32_t>(event_names.size());
  platform::console::line("Debug - wbnm event count: " + lib::AINTEGER(nevents) + " size of event list: ," +
                          lib::AINTEGER(nevents));
  written.open(unit, peak_table_name(match_name));
  std::string buf = run.hours && run.output == OutputKind::Csv ? "Time (hr)   " : "Time (min)  ";
  for (const std::string& e : event_names) {
    buf += ',';
    buf += lib::trim_right(e);
  }
  rt::write_record(unit, buf);
  for (std::int32_t k = 0; k < store.NPK(); ++k) {
    quoted_name(buf, store.name(k));
    for (std::int32_t e = 0; e < nevents; ++e) {
      buf += ',';
      ffmt::put_F(buf, 16, 3, store.peak(k, e));
    }
    rt::write_record(unit, buf);
  }
  lib::CLOSER(unit);
}

}  // namespace conv
