// Pieces of whole-run transcripts, and readers run in-process on text held
// in memory.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "converter/flowtab.h"
#include "converter/peaks.h"
#include "converter/series.h"
#include "library/unit_slots.h"
#include "test_support.h"

namespace transcript {

using testing_support::read_file;
using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchDir;
using testing_support::write_file;

inline const std::string kBanner = "\n./flowtab:  \nflowtab 1.0.0\n\n";
inline const std::string kCreated = " using ./flowtab flowtab 1.0.0\n";
inline const std::string kPause = "\nPress Enter to Close\n";

// Runs the built program as ./flowtab in the current folder.
inline testing_support::RunResult flowtab(std::vector<std::string> args, const std::string& input = "") {
  args.insert(args.begin(), "./flowtab");
  return testing_support::run_program(FLOWTAB_EXE, args, input, std::filesystem::current_path());
}

// Runs the program in-process (conv::FLOWTAB) with the console as it
// stands: its exit status.  The floating-point mode it sets for the run is
// put back after it.
inline int flowtab_in_process(const std::vector<std::string>& args) {
  const testing_support::KeptFpMode kept;
  return testing_support::status_of([&] { conv::FLOWTAB(args); });
}

// The words of `text`, apart by blanks (a command line of options and names).
inline std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> w;
  for (std::string word; in >> word;) w.push_back(word);
  return w;
}

inline std::string opened_input(const std::string& name, int unit = 1001) {
  return "\nTrying to open file " + name + "...OK.\nOpened File Unit:" + std::to_string(unit) + "\n";
}
inline std::string opened_output(const std::string& name, int unit) {
  return "\nTrying to open file " + name + "...OK.  File Unit:" + std::to_string(unit) + "\n";
}
inline std::string closed(int unit) { return "...Closed File Unit:" + std::to_string(unit) + "\n"; }

// `s` right-adjusted in `width` columns.
inline std::string right(const std::string& s, std::size_t width) {
  return std::string(width > s.size() ? width - s.size() : 0, ' ') + s;
}

inline std::string read_error(int line) {
  return "ERROR - Reading input file at line" + right(std::to_string(line), 12) + "\n";
}

// Rows of fields right-adjusted in 12 columns and joined by commas, as the
// writers lay them out: `spec` gives the fields of a row apart by blanks, the
// rows apart by "/", and "_" for a blank field.
inline std::string grid(const std::string& spec) {
  std::string t;
  std::istringstream rows(spec);
  for (std::string row; std::getline(rows, row, '/');) {
    std::istringstream fields(row);
    std::string line;
    for (std::string f; fields >> f; line += right(f == "_" ? "" : f, 12))
      if (!line.empty()) line += ',';
    t += line + '\n';
  }
  return t;
}

// A .ts1 file: its first line (naming the program when `named`), the counts
// of series and rows, the first row of each series (`starts`, 1 for each when
// empty) and its last row, the heading of `names` ("A,B") and the rows.
inline std::string ts1_file(const std::string& input, const std::string& names, int nmax, const std::vector<int>& ends,
                            const std::string& rows, bool named = true, const std::vector<int>& starts = {}) {
  std::string t = "! File created from: " + input + (named ? kCreated : "\n");
  t += right(std::to_string(ends.size()), 10) + ',' + right(std::to_string(nmax), 10);
  t += "\nStart_Index ";
  for (std::size_t i = 0; i < ends.size(); ++i) t += ',' + right(std::to_string(starts.empty() ? 1 : starts[i]), 12);
  t += "\nEnd_Index   ";
  for (const int e : ends) t += ',' + right(std::to_string(e), 12);
  t += "\nTime (min)  ";
  if (!names.empty()) t += ',' + names;
  return t + '\n' + rows;
}

// The names of the files in the current folder.
inline std::set<std::string> files_here() {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(".")) names.insert(e.path().filename().string());
  return names;
}

// What a run leaves: its exit status, its console text and every file of
// the current folder, by name.
struct Outcome {
  int status = -1;
  std::string console;
  std::map<std::string, std::string> files;
};

inline std::map<std::string, std::string> files_and_bytes_here() {
  std::map<std::string, std::string> files;
  for (const std::string& name : files_here()) files[name] = testing_support::read_file(name);
  return files;
}

// Expects `got` to end as `want`: the same status, console and files, byte
// for byte; a difference is shown by its first line, not whole (tables are
// large).
inline void expect_same_outcome(const Outcome& got, const Outcome& want) {
  EXPECT_EQ(got.status, want.status);
  EXPECT_EQ(testing_support::first_difference(got.console, want.console), "");
  ASSERT_EQ(got.files.size(), want.files.size());
  for (const auto& [name, bytes] : want.files) {
    ASSERT_TRUE(got.files.contains(name)) << name;
    EXPECT_EQ(testing_support::first_difference(got.files.at(name), bytes), "") << name;
  }
}

// The transcript of a whole run (banner to "Finished.") that converts one
// file to .ts1 without error; `middle` is what the reader and the axis print,
// `peak_table` names the peak table (none when empty).
inline std::string single_run_ts1(const std::string& name, const std::string& peak_table, const std::string& middle) {
  std::string t = kBanner + "Found 1 input files\n\nConverting to .ts1: " + name + "\n   TS1 Output File: " + name +
                  ".ts1\n" + opened_input(name) + opened_output(name + ".ts1", 1002) + "\nConverting...\n" + middle +
                  "\nWriting to .ts1 file...\n" + closed(1002) + closed(1001);
  if (!peak_table.empty()) t += opened_output(peak_table, 1001) + closed(1001);
  return t + "\nFinished.\n";
}

// Converts `input`, written with `contents` into the current folder, to
// .ts1 with the input option `kind`: status 0, the whole transcript (`middle`
// as for single_run_ts1), the .ts1 file, the peak table (none when
// `peak_table` is empty) and no other file.
inline void expect_ts1_run(const std::string& kind, const std::string& input, const std::string& contents,
                           const std::string& middle, const std::string& ts1, const std::string& peak_table = "",
                           const std::string& peak = "") {
  SCOPED_TRACE(input);
  testing_support::write_file(input, contents);
  const testing_support::RunResult r = flowtab({kind, "-b", input});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, single_run_ts1(input, peak_table, middle));
  EXPECT_EQ(testing_support::read_file(input + ".ts1"), ts1);
  std::set<std::string> files{input, input + ".ts1"};
  if (!peak_table.empty()) {
    files.insert(peak_table);
    EXPECT_EQ(testing_support::read_file(peak_table), peak);
  }
  EXPECT_EQ(files_here(), files);
}

// The axis report.
inline std::string axis(const std::string& tmin, const std::string& tmax, const std::string& dt,
                        const std::string& nmax) {
  return "\nMinimum time:" + tmin + "\nMaximum time:" + tmax + "\nTime increment:" + dt + "\nMax increments:" + nmax +
         "\n";
}

// An input held in memory.
inline platform::rt::TextSource text(const std::string& contents) {
  return platform::rt::TextSource(std::make_shared<platform::rt::TextBuffer>(contents));
}

// Runs code that may end the process: the exit status, or -1 when it returned.
inline int ending_of(const std::function<void()>& code) {
  try {
    code();
  } catch (const platform::ProcessEnded& e) {
    return e.status;
  }
  return -1;
}

// Whether `text` ends with `tail` (and whether it holds `part`), showing both
// texts when it does not.
inline ::testing::AssertionResult ends_with(const std::string& text, const std::string& tail) {
  if (text.ends_with(tail)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "the text does not end with\n" << tail << "\nbut is\n" << text;
}
inline ::testing::AssertionResult holds(const std::string& text, const std::string& part) {
  if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "the text does not hold\n" << part << "\nbut is\n" << text;
}

// What a reader left after reading a whole text held in memory.
struct ReaderRun {
  std::string console;
  conv::SeriesTable table;
  conv::PeakStore peaks;
  int status = -1;  // the exit status when the run ended, -1 when the reader returned
  std::int64_t nline = 0;
};

// Runs `read(reader, run)` on a Reader over `contents` (constructed with the
// text and `extra`), with the console captured.
template <class Reader, class Read, class... Extra>
ReaderRun run_reader(const std::string& contents, bool keep_times, Read read, const Extra&... extra) {
  testing_support::Console con;
  lib::INITUNITS(1000);
  ReaderRun r;
  r.table.keep_times = keep_times;
  r.peaks.start_file(1);
  platform::rt::TextSource src = text(contents);
  Reader reader(src, extra...);
  r.status = ending_of([&] { read(reader, r); });
  r.nline = reader.NLINE();
  r.console = con.text();
  return r;
}

}  // namespace transcript
