#include "converter/peaks.h"

#include <cmath>
#include <limits>

#include "converter/failure.h"
#include "converter/parallel.h"
#include "converter/series.h"
#include "library/ffmt.h"
#include "library/ftext.h"
#include "library/numtext.h"
#include "library/paths.h"
#include "library/text_basics.h"
#include "library/unitmgr.h"
#include "platform/console.h"
#include "platform/units.h"

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

void PeakStore::aggregate(std::string_view name, std::span<const float> values, std::int32_t column,
                          std::int32_t ifile, std::string_view ending) {
  const auto [k, added] = find_or_add(name, ending);
  float& peak = this->peak(k, column);
  std::int32_t& file = this->file(k, column);
  std::size_t from = 0;
  if (added && !values.empty()) {
    peak = values[0];
    file = ifile;
    from = 1;
  }
  for (std::size_t j = from; j < values.size(); ++j) {
    if (values[j] > peak) {
      peak = values[j];
      file = ifile;
    }
  }
}

namespace {

// The value that raising a peak by each of `values` in turn ends with, when
// the peak starts below them all: the first of the largest values, NaNs
// passed over (-infinity when there is none).
float largest(std::span<const float> values) {
  float m = -std::numeric_limits<float>::infinity();
  for (const float v : values)
    if (v > m) m = v;
  return m;
}

}  // namespace

void PeakStore::aggregate_all(std::span<const Series> series, std::int32_t column, std::int32_t ifile,
                              std::string_view ending) {
  // A new slot starts at the first value and is raised by the rest; an
  // existing one is raised by all of them.  Raising a peak p by values in
  // turn ends with their largest m when m > p, else with p.
  constexpr std::size_t kOnOneThread = std::size_t{1} << 16;  // values
  std::vector<float> of_all(series.size()), of_rest(series.size());
  const auto find = [&](std::size_t i) {
    const std::span<const float> q = series[i].q;
    of_rest[i] = q.empty() ? largest(q) : largest(q.subspan(1));
    of_all[i] = !q.empty() && !std::isnan(q[0]) && !(of_rest[i] > q[0]) ? q[0] : of_rest[i];
  };
  std::size_t values = 0;
  for (const Series& s : series) values += s.q.size();
  if (values < kOnOneThread) {
    for (std::size_t i = 0; i < series.size(); ++i) find(i);
  } else {
    parallel::for_each(series.size(), find);
  }
  for (std::size_t i = 0; i < series.size(); ++i) {
    const auto [k, added] = find_or_add(series[i].name, ending);
    float& peak = this->peak(k, column);
    std::int32_t& file = this->file(k, column);
    float m = of_all[i];
    if (added && !series[i].q.empty()) {
      peak = series[i].q[0];
      file = ifile;
      m = of_rest[i];
    }
    if (m > peak) {
      peak = m;
      file = ifile;
    }
  }
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

void write_peak_table(std::string_view match_name, const PeakStore& store, std::int32_t& unit) {
  lib::OPENFREE(unit, "O ", peak_table_name(match_name));
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
                            const std::vector<std::string>& event_names, const RunSettings& run, std::int32_t& unit) {
  const auto nevents = static_cast<std::int32_t>(event_names.size());
  platform::console::line("Debug - wbnm event count: " + lib::AINTEGER(nevents) + " size of event list: ," +
                          lib::AINTEGER(nevents));
  lib::OPENFREE(unit, "O ", peak_table_name(match_name));
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
