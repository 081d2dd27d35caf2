#include "converter/readers/darno.h"

#include <array>
#include <string>

#include "library/ffmt.h"
#include "library/ftext.h"
#include "library/numtext.h"
#include "library/text_basics.h"
#include "platform/console.h"

namespace conv::darno {
namespace console = platform::console;

namespace {

constexpr std::array<std::string_view, 5> kCodes = {"QT", "HT", "HQ", "QH", "RF"};
constexpr std::size_t kCodeColumns = 5;
constexpr std::size_t kNameColumns = 5;
constexpr std::size_t kCountColumns = 5;
constexpr std::int32_t kNameDigits = 5;
constexpr int kFieldsPerRecord = 8;
constexpr std::size_t kFieldWidth = 10;
constexpr float kMinutesPerHour = 60.0f;

char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string record_code(std::string_view record) {
  std::string code = "  ";
  for (std::size_t k = 0; k < code.size() && k < record.size(); ++k) code[k] = ascii_upper(record[k]);
  return code;
}

}  // namespace

bool is_header(std::string_view record) {
  const std::string code = record_code(record);
  bool known = false;
  for (std::string_view c : kCodes) known = known || code == c;
  if (!known) return false;
  const std::string_view rest = lib::columns(record, 2, kCodeColumns - 2);
  return rest.find_first_of("Rr") == std::string_view::npos;
}

bool series_name(std::string_view header, std::string& name) {
  const std::string_view block = lib::columns(header, kCodeColumns, kNameColumns);
  name = record_code(header);
  if (lib::is_number_line(block)) {
    // A numeric name: blanks inside the field are ignored.
    std::int32_t k = 0;
    if (ffmt::fixed_int(block, k) != ffmt::kOk) return false;
    name += lib::AINTEGERPREC0(k, kNameDigits);
  } else {
    name += lib::trim_both(block);
  }
  return true;
}

bool Reader::find_header(std::string_view& header) {
  while (in_.read(header)) {
    if (!is_header(header)) continue;
    // A header on the file's last record opens no block.
    std::string_view next;
    if (!in_.read(next)) return false;
    in_.step_back();
    return true;
  }
  return false;
}

void Reader::read_fields(std::int32_t n, std::vector<float>& out) {
  out.clear();
  out.reserve(static_cast<std::size_t>(n));
  const auto wanted = static_cast<std::size_t>(n);
  std::string_view record;
  while (out.size() < wanted) {
    if (!in_.read(record)) in_.read_error();
    for (int f = 0; f < kFieldsPerRecord && out.size() < wanted; ++f) {
      float v = 0.0f;
      const std::string_view text = lib::columns(record, static_cast<std::size_t>(f) * kFieldWidth, kFieldWidth);
      if (ffmt::fixed_real(text, v) != ffmt::kOk) in_.read_error();
      out.push_back(v);
    }
  }
}

void Reader::read(SeriesTable& table, PeakStore& peaks, std::int32_t column, std::int32_t ifile) {
  std::string_view header;
  std::string name;
  while (find_header(header)) {
    // The count field reads its blanks as zeros.
    std::int32_t n = 0;
    if (ffmt::fixed_int(lib::columns(header, kCodeColumns + kNameColumns, kCountColumns), n, true) != ffmt::kOk)
      in_.read_error();
    if (!series_name(header, name)) in_.read_error();
    if (table.NTS() >= MAXTS) capacity_exceeded(MAXTS, " DARNO FF time-series allowed.");
    Series& s = table.series.emplace_back();
    s.name = name;  // a code and five characters at most
    console::line("Extracting DARNO data for " + name + " [" + lib::AINTEGER(n) + " values]");
    if (n < 1) in_.read_error();
    if (n > table.MAXVALS) capacity_exceeded(table.MAXVALS, " points in a DARNO FF time-series.");

    read_fields(n, times_);
    read_fields(n, s.q);
    s.tstart = times_.front() * kMinutesPerHour;
    s.tend = times_.back() * kMinutesPerHour;
    if (table.keep_times) s.hours = times_;

    peaks.aggregate(s.name, s.q, column, ifile, " DARNO FF time-series allowed.");
    console::line("...Finished Extracting Data");
  }
}

}  // namespace conv::darno
