#include "converter/readers/wbnm.h"

#include <array>
#include <limits>
#include <string>

#include "converter/failure.h"
#include "library/ffmt.h"
#include "library/ftext.h"
#include "library/keywords.h"
#include "library/numtext.h"
#include "library/text_basics.h"
#include "library/unit_manager.h"
#include "platform/console.h"

namespace conv::wbnm {
namespace console = platform::console;
using platform::rt::kEnd;

namespace {

constexpr std::string_view kMetaStart = "START_META_FILE######";
constexpr std::string_view kVersionLine = "WBNM Version";
constexpr std::string_view kSimulationStart = "#####START_SIMULATION";
constexpr std::string_view kStormStart = "#####START_STORM#";
constexpr std::string_view kStormBlock = "#####START_STORM_BLOCK";
constexpr std::string_view kSubareal = "WBNM - START_SUBAREAL_HYDROGRAPHS";
constexpr std::array<std::string_view, 3> kFirstBlockMarkers = {"#####START_HYDROGRAPHS_", "##### START_HYDROGRAPHS",
                                                                 kSubareal};
constexpr std::array<std::string_view, 3> kBlockMarkers = {"#####START_HYDROGRAPHS_", "##### START_HYDROGRAPHS_",
                                                           kSubareal};
// The hydrograph markers that make a simulation count as an event.
constexpr std::array<std::string_view, 3> kCountedBlockMarkers = {"#####START_HYDROGRAPHS", "##### START_HYDROGRAPHS",
                                                                  kSubareal};
constexpr std::array<std::string_view, 2> kPeakMarkers = {"#####START_PEAK_SUMMARY",
                                                          "##### WBNM - START_PEAK_SUMMARY"};
constexpr std::size_t kVersionTextLength = 50;
constexpr std::string_view kVersionLetters = "abcdefgh";
constexpr std::int32_t kSkippedSummaryLines = 6;
constexpr std::size_t kRecordNameColumns = 12;
constexpr std::size_t kEventNameLength = 1000;

bool is_marker_line(std::string_view line) { return !line.empty() && line[0] == '#'; }

template <std::size_t N>
bool holds_any(std::string_view line, const std::array<std::string_view, N>& markers) {
  for (std::string_view m : markers)
    if (lib::FLAGEXISTS(line, m)) return true;
  return false;
}

std::string event_marker(std::int32_t ievent, std::int64_t version) {
  if (version >= kVersion2019) return std::string(kSimulationStart);
  return std::string(kStormStart) + lib::AINTEGER(ievent);
}

// A whole number in fixed columns (blanks ignored); false when the columns
// hold no number.
bool whole_number(std::string_view field, std::int64_t& value) {
  if (lib::is_blank(field)) return false;
  std::int32_t v = 0;
  if (ffmt::fixed_int(field, v) != ffmt::kOk) return false;
  value = v;
  return true;
}

// The text from 0-based column `first` up to (not including) column `end`;
// empty when `end` is not past `first`.
std::string_view between(std::string_view s, std::int64_t first, std::int64_t end) {
  return end > first ? lib::columns(s, static_cast<std::size_t>(first), static_cast<std::size_t>(end - first))
                     : std::string_view();
}

// 1-based position of the first occurrence, 0 when absent.
std::int64_t position(std::string_view s, std::string_view what, std::size_t from = 0) {
  const std::size_t p = s.find(what, from);
  return p == std::string_view::npos ? 0 : static_cast<std::int64_t>(p) + 1;
}

}  // namespace

std::int64_t version_of_line(std::string_view line) {
  const std::int64_t c = position(line, ":");
  const std::int64_t h = position(line, "-", static_cast<std::size_t>(c));
  std::string_view vertext;
  if (h > 0) vertext = lib::trim_right(lib::cut(between(line, c, h - 1), kVersionTextLength));
  std::int64_t u = position(vertext, "_");
  const std::int64_t b = position(vertext, "Beta");
  const std::int64_t e = b > 0 ? b - 1 : static_cast<std::int64_t>(vertext.size());
  std::int64_t year = 0;
  if (u == 0 || !whole_number(between(vertext, 0, u - 1), year)) return -1;
  if (vertext.find('v') != std::string_view::npos) ++u;
  std::int64_t letter = 0;
  const std::string_view minor_part = between(vertext, u, e);
  for (std::size_t k = 0; k < kVersionLetters.size(); ++k) {
    if (minor_part.find(kVersionLetters[k]) != std::string_view::npos) {
      letter = static_cast<std::int64_t>(k) + 1;
      break;
    }
  }
  std::int64_t minor = 0;
  if (!whole_number(between(vertext, u, letter > 0 ? e - 1 : e), minor)) return -1;
  return year * 1000 + minor * 100 + letter;
}

std::int64_t scan_version(platform::rt::TextSource& input) {
  std::int64_t version = -1;
  std::string_view line;
  for (;;) {
    if (input.next(line) == kEnd) {
      console::line("ERROR - START_META_FILE###### not found, possible format error within wbnm out file ");
      return kNoMetaBlock;
    }
    if (is_marker_line(line) && lib::FLAGEXISTS(line, kMetaStart)) break;
  }
  while (input.next(line) != kEnd && !is_marker_line(line)) {
    if (!lib::FLAGEXISTS(line, kVersionLine)) continue;
    const std::int64_t v = version_of_line(line);
    if (v < 0)
      console::line("WARNING - Could not read WBNM version: " + std::string(lib::trim_both(line)));
    else
      version = v;
  }
  input.rewind();
  return version;
}

bool Reader::read_block(std::string_view header, std::int64_t version, SeriesTable& table,
                        std::string_view& ended_by) {
  if (table.NTS() >= MAXTS) capacity_exceeded(MAXTS, " WBNM time-series allowed.");
  std::string_view name;
  if (version >= kVersion2019) {
    const std::int64_t c = position(header, ":");
    std::int64_t first;
    // The header was recognised ignoring case: the name starts after the
    // marker where that same search finds it.
    const std::size_t subareal = lib::find_flag(header, kSubareal);
    if (subareal != std::string_view::npos)
      first = static_cast<std::int64_t>(subareal) + 1 + 34;
    else
      first = static_cast<std::int64_t>(lib::find_flag(header, "START_HYDROGRAPHS")) + 1 + 18;
    name = c > 0 ? between(header, first - 1, c - 1) : std::string_view();
  } else {
    name = lib::columns(header, 23);
  }
  Series& s = table.series.emplace_back();
  s.name = std::string(lib::trim_right(lib::cut(name, kNameLength)));
  console::line("...Reading WBNM Hydrograph: " + s.name);

  std::string_view line;
  if (!read(line)) read_error();  // the heading line
  for (;;) {
    if (!read(line)) return false;
    if (is_marker_line(line)) {
      ended_by = line;
      return true;
    }
    if (s.nvals() >= table.MAXVALS) capacity_exceeded(table.MAXVALS, " points in a WBNM time-series.");
    // Fields: 1 time, 6 and 7 the local flows, 9 the total flow.  A slash
    // leaves the remaining fields at zero.
    float time = 0.0f, local_a = 0.0f, local_b = 0.0f, total = 0.0f;
    ffmt::ListReader r(line);
    int st = r.read(time);
    for (int k = 2; k <= 5 && st == ffmt::kOk; ++k) st = r.skip_real();
    if (st == ffmt::kOk) st = r.read(local_a);
    if (st == ffmt::kOk) st = r.read(local_b);
    if (st == ffmt::kOk) st = r.skip_real();
    if (st == ffmt::kOk) st = r.read(total);
    if (st != ffmt::kOk) read_error();
    if (s.q.empty()) s.tstart = time;
    s.tend = time;
    s.q.push_back(total);
    s.qloc.push_back(local_a + local_b);
  }
}

bool Reader::read_peak_summary(PeakStore& peaks, std::int32_t column, std::int32_t ifile,
                               std::string_view& ended_by) {
  std::string_view line;
  for (std::int32_t i = 0; i < kSkippedSummaryLines; ++i)
    if (!read(line)) read_error();
  for (;;) {
    if (!read(line)) return false;
    if (is_marker_line(line)) {
      ended_by = line;
      return true;
    }
    const std::string name = lib::TRIMF(lib::cut(line, kRecordNameColumns));
    const std::int32_t k = peaks.slot(name, " WBNM maximum/minimum records allowed.");
    const std::string_view rest = line.size() > kRecordNameColumns ? line.substr(kRecordNameColumns) : "";
    ffmt::ListReader r(rest);
    float p = 0.0f;
    int st = ffmt::kOk;
    for (int j = 1; j <= 7 && st == ffmt::kOk; ++j) st = r.skip_real();
    if (st == ffmt::kOk) st = r.read(p);
    if (st != ffmt::kOk) read_error();
    float& stored = peaks.peak(k, column);
    std::int32_t& file = peaks.file(k, column);
    if (file == 0 || p > stored) {
      stored = p;
      file = ifile;
    }
  }
}

void Reader::read_event(std::int32_t ievent, std::int64_t version, SeriesTable& table, PeakStore& peaks,
                        std::int32_t column, std::int32_t ifile) {
  table.has_local = true;
  const std::string start = event_marker(ievent, version);
  std::string_view line;
  bool found = false;
  while (read(line)) {
    if (is_marker_line(line) && lib::FLAGEXISTS(line, start)) {
      found = true;
      break;
    }
  }
  step_back();
  bool positioned = false;
  while (read(line)) {
    if (is_marker_line(line) && holds_any(line, kFirstBlockMarkers)) {
      positioned = true;
      break;
    }
  }
  step_back();
  if (!found || !positioned) return;

  const std::string next = event_marker(ievent + 1, version);
  bool pending = false;  // a line that ended a block is examined again
  for (;;) {
    if (!pending && !read(line)) return;
    pending = false;
    if (!is_marker_line(line)) continue;
    if (holds_any(line, kBlockMarkers)) {
      if (!read_block(line, version, table, line)) return;
      pending = true;
      continue;
    }
    if (holds_any(line, kPeakMarkers)) {
      if (!read_peak_summary(peaks, column, ifile, line)) return;
      pending = true;
      continue;
    }
    if (lib::FLAGEXISTS(line, next)) {
      step_back();
      return;
    }
  }
}

bool WbnmReader::scan() {
  lib::OPENFREE(file_.INUNIT, "I ", file_.path);
  version_ = scan_version(*platform::rt::text_source(file_.INUNIT));
  layout_ = version_;
  if (version_ == kNoMetaBlock) file_.failed = true;
  if (version_ >= kVersion2019 && !file_.run.multi_event) {
    file_.failed = true;
    console::line("WBNM 2019 version or later should use -mw switch... exiting");
    lib::CLOSER(file_.INUNIT);
    return false;
  }
  return true;
}

bool holds_simulations(platform::rt::TextSource& input) {
  input.rewind();
  std::string_view line;
  bool found = false;
  while (!found && input.next(line) != kEnd) found = is_marker_line(line) && lib::FLAGEXISTS(line, kSimulationStart);
  input.rewind();
  return found;
}

void WbnmReader::file_issue(std::string_view what) const {
  fail(std::string(what) + file_.match_name + " .");
}

// Simulations that are followed by a hydrograph block, each announced by its
// line number; the input is left at its start.
std::int32_t WbnmReader::count_simulations(platform::rt::TextSource& in) const {
  console::line("Counting events... ");
  in.rewind();
  std::string_view line;
  std::int64_t number = 0, simulation = 0;
  std::int32_t count = 0;
  bool searching = false, any = false;
  while (in.next(line) != kEnd) {
    ++number;
    if (!is_marker_line(line)) continue;
    if (!searching) {
      if (lib::FLAGEXISTS(line, kSimulationStart)) {
        searching = any = true;
        simulation = number;
      }
    } else if (holds_any(line, kCountedBlockMarkers)) {
      if (count < std::numeric_limits<std::int32_t>::max()) ++count;
      searching = false;
      std::string field;
      ffmt::put_I(field, 12, simulation);
      console::put(field + " ");
    }
  }
  if (searching || !any) {
    file_.failed = true;
    console::line("ERROR - #####START_HYDROGRAPHS not found, possible format error within wbnm out file ");
  }
  in.rewind();
  return count;
}

// The count on the line after the storm block marker; -1 when the marker is
// missing or the count does not read as a whole number of at least 0.  The
// input stays where the count was read.
std::int32_t WbnmReader::count_storm_block(platform::rt::TextSource& in) const {
  std::string_view line;
  bool found = false;
  while (!found && in.next(line) != kEnd) found = is_marker_line(line) && lib::FLAGEXISTS(line, kStormBlock);
  if (!found) {
    console::line("ERROR - #####START_STORM_BLOCK not found, possible format error within wbnm out file ");
    return -1;
  }
  if (in.next(line) == kEnd) return -1;
  ffmt::ListReader r(line);
  std::int32_t n = 0;
  if (r.read(n) != ffmt::kOk || !r.value_read() || n < 0) return -1;
  return n;
}

// Names from the simulation lines: the text after the first ':' (one
// character skipped) up to a '('.
std::vector<std::string> WbnmReader::simulation_names(platform::rt::TextSource& in, std::int32_t nevents) const {
  console::line("Collecting event names... ");
  std::vector<std::string> names;
  std::string_view line;
  for (std::int32_t k = 1; k <= nevents; ++k) {
    bool found = false;
    while (!found && in.next(line) != kEnd) found = is_marker_line(line) && lib::FLAGEXISTS(line, kSimulationStart);
    std::string_view name;
    if (found) {
      const std::int64_t c = position(line, ":");
      name = lib::cut(lib::columns(line, static_cast<std::size_t>(c) + 1), kNameLength);
      name = name.substr(0, name.find('('));
    }
    names.emplace_back(lib::trim_right(name));
    console::line(names.back());
  }
  console::line(" Multiple WBMN Event Names Sucessfully Read:");
  return names;
}

// Names from the line after each storm's start line: the text between "ARI"
// and "Mins", as it stands.
std::vector<std::string> WbnmReader::storm_names(platform::rt::TextSource& in, std::int32_t nevents) const {
  std::vector<std::string> names;
  std::string_view line;
  for (std::int32_t k = 1; k <= nevents; ++k) {
    const std::string start = std::string(kStormStart) + lib::AINTEGER(k);
    bool found = false;
    while (!found && in.next(line) != kEnd) found = is_marker_line(line) && lib::FLAGEXISTS(line, start);
    if (!found || in.next(line) == kEnd) file_issue("Issue with populating event names within: ");
    const std::int64_t a = position(line, "ARI");
    const std::int64_t b = position(line, "Mins");
    names.emplace_back(lib::cut(between(line, a + 3, b - 1), kEventNameLength));
  }
  console::line(" Multiple WBMN Event Names Sucessfully Read:");
  for (const std::string& name : names) {
    console::empty_line();
    console::line("Duration " + std::string(lib::trim_right(name)) + " mins was identified.");
  }
  return names;
}

std::vector<std::string> WbnmReader::count_events() {
  platform::rt::TextSource& in = *platform::rt::text_source(file_.INUNIT);
  if (version_ == kNoMetaBlock) fail("ERROR finding #####START_META_FILE in file: " + file_.match_name + " .");
  console::line("WBNM out file version: " + lib::AINTEGER8(version_));
  // The model's own builds of unknown version write their durations as
  // simulations too; the storm block of such a file lists one storm only.
  if (version_ == -1 && holds_simulations(in)) layout_ = kVersion2019;
  const bool simulations = layout_ >= kVersion2019;
  const std::int32_t nevents = simulations ? count_simulations(in) : count_storm_block(in);
  if (nevents < 0) file_issue("Issue with Storm Block in file: ");
  console::empty_line();
  console::line("A total of " + lib::AINTEGER(nevents) + " storms were identified in the storm block.");
  return simulations ? simulation_names(in, nevents) : storm_names(in, nevents);
}

void WbnmReader::start() { reader_.emplace(*platform::rt::text_source(file_.INUNIT)); }

void WbnmReader::read_event(std::int32_t ievent, SeriesTable& table, PeakStore& peaks, std::int32_t column) {
  reader_->read_event(ievent, layout_, table, peaks, column, file_.ifile);
}

}  // namespace conv::wbnm
