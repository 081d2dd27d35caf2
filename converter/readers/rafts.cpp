#include "converter/readers/rafts.h"

#include <algorithm>
#include <string>

#include "converter/failure.h"
#include "library/ffmt.h"
#include "library/ftext.h"
#include "library/numtext.h"
#include "library/text_basics.h"
#include "library/unit_manager.h"
#include "platform/console.h"

namespace conv::rafts {
namespace console = platform::console;
namespace rt = platform::rt;

namespace {

constexpr std::size_t kHeaderField = 5;
constexpr std::size_t kRealColumn = 16;
constexpr std::size_t kNameColumn = 11;
constexpr std::size_t kValuesPerRecord = 5;
constexpr std::size_t kEventNameLength = 1000;
constexpr std::string_view kPeakEnding = " RAFTS maximum/minimum records allowed.";

// A line of the event-names file that gives no name: nothing but blanks and
// TABs, or only a comma or a slash among them.
bool blank_names_line(std::string_view line) {
  std::string rest;
  for (char c : line)
    if (c != ' ' && c != '\t') rest += c;
  return rest.empty() || rest == "," || rest == "/";
}

}  // namespace

bool parse_header(std::string_view record, StormHeader& h) {
  std::int32_t* const numbers[] = {&h.storm, &h.nsub, &h.ninc};
  for (std::size_t i = 0; i < 3; ++i)
    if (ffmt::fixed_int(lib::columns(record, i * kHeaderField, kHeaderField), *numbers[i]) != ffmt::kOk) return false;
  ffmt::ListReader r(record.size() >= kRealColumn ? record.substr(kRealColumn - 1) : std::string_view());
  if (r.read(h.dt) != ffmt::kOk || !r.value_read()) return false;
  return h.nsub >= 1 && h.ninc >= 1;
}

std::int64_t block_lines(const StormHeader& h) {
  // The value records of one hydrograph: NINC / 5 rounded up.
  const std::int64_t records = (static_cast<std::int64_t>(h.ninc) + 4) / 5;
  return 1 + static_cast<std::int64_t>(h.nsub) * (1 + records);
}

std::size_t significant_end(std::string_view text) {
  // Walk back over the trailing lines, each without its line end and one CR.
  std::size_t stop = text.size();
  if (stop > 0 && text[stop - 1] == '\n') --stop;
  for (;;) {
    const std::size_t nl = stop == 0 ? std::string_view::npos : text.rfind('\n', stop - 1);
    const std::size_t start = nl == std::string_view::npos ? 0 : nl + 1;
    std::string_view line = text.substr(start, stop - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!lib::is_blank_or_tabs(line)) return start + line.size();
    if (nl == std::string_view::npos) return 0;
    stop = nl;
  }
}

StormHeader StormLines::header() {
  const std::int64_t at = NLINE() + 1;
  std::string_view line;
  StormHeader h;
  if (!read(line) || !parse_header(line, h)) read_error_at(at);
  return h;
}

std::vector<Storm> count_storms(platform::rt::TextSource& input) {
  StormLines in(input);
  std::vector<Storm> storms;
  std::int64_t end = 0;
  std::string_view line;
  while (!in.ended()) {
    Storm& s = storms.emplace_back();
    s.header = in.header();
    end += block_lines(s.header);
    s.end = end;
    // The rest of the block; the count ends when the file ends first.
    while (in.NLINE() < end && in.read(line)) {
    }
  }
  return storms;
}

void Reader::read_hydrograph(std::int32_t nv, float dt, SeriesTable& table, PeakStore& peaks, std::int32_t column,
                             std::int32_t ifile) {
  std::string_view line;
  in_.read(line);  // the name record: the file has not ended
  const std::string name(lib::trim_right(lib::columns(line, kNameColumn - 1, kNameLength)));
  // The first value record chooses the field width for all of them.
  const std::int64_t first_values = in_.NLINE() + 1;
  bool pending = in_.read(line);
  if (pending) first_record_length_ = lib::len_trim(line);
  if (table.NTS() >= MAXTS) capacity_exceeded(MAXTS, " RAFTS time-series allowed.");
  const std::size_t width = first_record_length_ > 80 ? 20 : first_record_length_ > 60 ? 16 : 12;
  Series& s = table.series.emplace_back();
  s.name = name;
  console::line("...Reading RAFTS Hydrograph: " + name + " (5g" + std::to_string(width) + " format)...");
  s.tstart = 1.0f * dt;
  s.tend = static_cast<float>(nv) * dt;
  const std::size_t room = std::min(static_cast<std::size_t>(nv), in_.size());
  s.q.reserve(room);
  if (table.keep_times) s.hours.reserve(room);
  for (std::int32_t j = 1; j <= nv;) {
    if (!pending && !in_.read(line)) read_error_at(first_values);
    pending = false;
    for (std::size_t f = 0; f < kValuesPerRecord && j <= nv; ++f, ++j) {
      float v = 0.0f;
      if (ffmt::fixed_real(lib::columns(line, f * width, width), v) != ffmt::kOk) read_error_at(first_values);
      table.append(s, static_cast<float>(j) * dt, v);
    }
  }
  peaks.aggregate(name, s.q, column, ifile, kPeakEnding);
}

void Reader::read_single(SeriesTable& table, PeakStore& peaks, std::int32_t ifile) {
  const StormHeader h = in_.header();
  while (!in_.ended()) {
    read_hydrograph(h.ninc, h.dt, table, peaks, 0, ifile);
    console::line("...Finished Extracting Data");
  }
}

void Reader::read_storm(std::int32_t k, const Storm& storm, SeriesTable& table, PeakStore& peaks, std::int32_t column,
                        std::int32_t ifile) {
  in_.header();  // the set-up has read it already: its values stand in the storm
  while (!in_.ended() && in_.NLINE() < storm.end)
    read_hydrograph(storm.header.ninc, storm.header.dt, table, peaks, column, ifile);
  console::line("...Finished Extracting Data for storm: " + lib::AINTEGER(k));
}

void RaftsReader::check_single() {
  const int unit = rt::lowest_free_unit();
  const rt::OpenOptions read_only;
  if (const int st = rt::open(unit, file_.path, read_only); st > 0) rt::runtime_failure("open", unit, st, file_.path);
  std::string_view record;
  StormHeader h;
  const bool readable = rt::read_record(unit, record) == 0 && parse_header(record, h);
  rt::close(unit);
  if (!readable) read_error_at(1);
}

// The names of the storms, one a line of the event-names file: the first
// free-form value of each line.
std::vector<std::string> RaftsReader::event_names(std::int32_t nevents) const {
  const RunSettings& run = file_.run;
  console::empty_line();
  console::line("Getting event names from: " + run.EVENTFILE);
  std::int32_t EVENTUNIT = 0;
  lib::OPENFREE(EVENTUNIT, "I ", run.EVENTFILE);
  rt::TextSource& names_file = *rt::text_source(EVENTUNIT);
  std::vector<std::string_view> lines;
  std::string_view line;
  while (names_file.next(line) != rt::kEnd) lines.push_back(line);
  // Lines that give no name at the end of the file are its end.
  while (!lines.empty() && blank_names_line(lines.back())) lines.pop_back();

  std::vector<std::string> names;
  for (const std::string_view l : lines) {
    if (static_cast<std::int32_t>(names.size()) >= nevents)
      fail("ERROR - The " + lib::AINTEGER(nevents) + " events identified in " + file_.match_name +
           " is less than the number of events specified within " + run.EVENTFILE);
    ffmt::ListReader r(l);
    std::string name;
    // The names file is read like an argument value, and its failure is
    // reported with the message of a bad argument value.  That message shows
    // the last command-line argument (usually the input pattern), not the
    // line: kept as it is, since scripts match the text.
    if (blank_names_line(l) || r.read(name) != ffmt::kOk)
      fail("ERROR - Reading argument value: " + std::string(lib::trim_right(run.ARGBUF)), false);
    // A null value or a slash before the name gives a blank name.
    names.emplace_back(lib::cut(name, kEventNameLength));
  }
  const auto n = static_cast<std::int32_t>(names.size());
  console::empty_line();
  console::line("Number of events found: " + lib::AINTEGER(n));
  lib::CLOSER(EVENTUNIT);
  if (n < nevents)
    fail("ERROR - The " + lib::AINTEGER(nevents) + " events identified in " + file_.match_name +
         " is greater than the number of events specified within " + run.EVENTFILE);
  return names;
}

std::vector<std::string> RaftsReader::count_events() {
  lib::OPENFREE(file_.INUNIT, "I ", file_.path);
  rt::TextSource& input = *rt::text_source(file_.INUNIT);
  storms_ = count_storms(input);
  input.rewind();
  // Storms are taken in the order of their headers; the number that the last
  // header carries counts them only when the storms are numbered in order.
  const auto nevents = static_cast<std::int32_t>(storms_.size());
  if (nevents > 0 && storms_.back().header.storm != nevents)
    console::line(
        "WARNING - Storm numbers do not follow the order of the storms; using the order of the storm headers.");
  console::empty_line();
  console::line("A total of " + lib::AINTEGER(nevents) + " storms were identified in the rafts loc or tot file.");
  std::vector<std::string> names = event_names(nevents);
  console::empty_line();
  console::line("Allocated RAFTS Storm Information Arrays - Successful.");
  for (std::int32_t k = 1; k <= nevents; ++k) {
    const StormHeader& h = storms_[static_cast<std::size_t>(k - 1)].header;
    console::empty_line();
    console::line("Storm: " + lib::AINTEGER(k) + " - Number of Subcatchments = " + lib::AINTEGER(h.nsub) +
                  " Number of Time Increments = " + lib::AINTEGER(h.ninc) + " Time Increment = " + lib::AREAL(h.dt) +
                  ".");
  }
  // The first record, read as a storm header for the step capacity: a file
  // without any header fails here.
  if (storms_.empty()) read_error_at(1);
  return names;
}

void RaftsReader::start() { reader_.emplace(*rt::text_source(file_.INUNIT)); }

void RaftsReader::read_event(std::int32_t ievent, SeriesTable& table, PeakStore& peaks, std::int32_t column) {
  if (file_.run.multi_event)
    reader_->read_storm(ievent, storms_[static_cast<std::size_t>(ievent - 1)], table, peaks, column, file_.ifile);
  else
    reader_->read_single(table, peaks, file_.ifile);
}

}  // namespace conv::rafts
