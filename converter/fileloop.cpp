#include "converter/fileloop.h"

#include <string>
#include <vector>

#include "converter/peaks.h"
#include "converter/series.h"
#include "converter/ts1_writer.h"
#include "converter/wbnm.h"
#include "library/ftext.h"
#include "library/numtext.h"
#include "library/paths.h"
#include "library/unitmgr.h"
#include "library/unittables.h"
#include "platform/console.h"
#include "platform/dirsearch.h"
#include "platform/process.h"
#include "platform/units.h"

namespace conv {
namespace console = platform::console;

namespace {

constexpr std::size_t kFileNameLength = 1000;

// Expands one pattern; search failures other than "no such file" end the run.
std::vector<platform::Match> expand(const std::string& pattern) {
  std::vector<platform::Match> matches;
  switch (platform::expand_pattern(pattern, matches)) {
    case platform::SearchStatus::Ok:
    case platform::SearchStatus::NoSuchFile:
      break;
    case platform::SearchStatus::OutOfMemory:
      console::free_line("ERROR - Out of memory.  Contact " + std::string(lib::kSupportEmail));
      lib::EXITS(1);
    case platform::SearchStatus::Other:
      console::free_line("ERROR - Invalid file or pathname specified");
      lib::EXITS(1);
  }
  return matches;
}

std::string_view converting_label(OutputKind k) {
  switch (k) {
    case OutputKind::Ts1: return "Converting to .ts1: ";
    case OutputKind::Ts2: return "Converting to .ts2: ";
    case OutputKind::Csv: return "Converting to .csv: ";
  }
  return {};
}

[[noreturn]] void not_available(std::string_view what) {
  console::empty_line();
  console::line(std::string(what));
  lib::EXITS(1);
}

}  // namespace

FileConverter::FileConverter(const RunSettings& run) : run_(run) {}

void FileConverter::convert(const platform::Match& match, std::int32_t ifile) {
  const RunSettings& run = run_;
  const std::string M(lib::trim_right(lib::cut(match.name, kFileNameLength)));
  // The input is opened in the pattern's folder; every name formed from it
  // uses the bare matched name, so outputs go to the current folder.
  const std::string input_name = match.folder + M;

  console::empty_line();
  console::line(std::string(converting_label(run.output)) + M);
  const bool wbnm_input = run.input == InputKind::Wbnm;
  peaks_.start_file(1);

  std::int64_t version = -1;
  if (wbnm_input) {
    lib::OPENFREE(INUNIT_, "I ", input_name);
    version = wbnm::scan_version(*platform::rt::text_source(INUNIT_));
    if (version >= wbnm::kVersion2019 && !run.multi_event) {
      console::line("WBNM 2019 version or later should use -mw switch... exiting");
      lib::CLOSER(INUNIT_);
      return;
    }
  }
  if (run.multi_event) {
    console::empty_line();
    console::put("Multiple Duration Switch Enabled ");
    if (wbnm_input || run.input == InputKind::Rafts)
      not_available("ERROR - Multiple event input not available in this build.");
    not_available("Multiple event reads are currently supported for RAFTS and WBNM ouputs only.");
  }
  if (!wbnm_input) not_available("ERROR - Input format not available in this build.");

  // Output names.
  const std::string P(lib::trim_right(lib::FILENAMEPATH(M)));
  std::string tot, loc;
  switch (run.output) {
    case OutputKind::Ts1:
      tot = P + "_tot.ts1";
      loc = P + "_loc.ts1";
      console::line("   TS1 Total Hydrographs Output File: " + tot);
      console::line("   TS1 Local Hydrographs Output File: " + loc);
      break;
    case OutputKind::Ts2:
      console::line("   TS2 Output Format not supported for WBNM format or multiple event switch.");
      lib::EXITS(1);
    case OutputKind::Csv:
      tot = M + "_tot.csv";
      loc = M + "_loc.csv";
      console::line("   CSV Output File: " + tot);
      console::line("   CSV Output File: " + loc);
      break;
  }
  tot = std::string(lib::cut(tot, kFileNameLength));
  loc = std::string(lib::cut(loc, kFileNameLength));
  if (run.output == OutputKind::Csv) not_available("ERROR - Output format not available in this build.");

  lib::CLOSER(INUNIT_);
  lib::OPENFREE(INUNIT_, "I ", input_name);
  wbnm::Reader reader(*platform::rt::text_source(INUNIT_));

  lib::OPENFREE(UNITA_, "O ", tot);
  lib::OPENFREE(UNITB_, "O ", loc);
  console::empty_line();
  console::line("Converting...");
  SeriesTable table;
  reader.read_event(1, version, table, peaks_, 0, ifile);
  const TimeAxis axis = build_time_axis(table, run);
  write_ts1(run, M, table, axis, UNITA_, UNITB_);
  lib::CLOSER(UNITA_);
  lib::CLOSER(UNITB_);
  lib::CLOSER(INUNIT_);
  write_peak_table(M, peaks_, UNITA_);
}

void run_file_loop(const RunSettings& run) {
  std::vector<std::vector<platform::Match>> patterns;
  patterns.reserve(run.INFILES.size());
  std::size_t found = 0;
  for (const std::string& p : run.INFILES) {
    patterns.push_back(expand(p));
    found += patterns.back().size();
  }
  console::line("Found " + lib::AINTEGER8(static_cast<std::int64_t>(found)) + " input files");

  // With -mr every search for a file needs the event-names file.
  const auto check_event_file = [&run] {
    if (run.mr && !regular_file_exists(run.EVENTFILE)) {
      console::empty_line();
      console::line("ERROR - File " + run.EVENTFILE + " does not exist.");
      lib::EXITS(1);
    }
  };
  FileConverter converter(run);
  std::int32_t ifile = 0;
  for (const auto& matches : patterns) {
    check_event_file();
    for (const platform::Match& m : matches) {
      if (&m != &matches.front()) check_event_file();
      converter.convert(m, ++ifile);
    }
  }
  console::empty_line();
  console::line("Finished.");
  if (!run.batch) lib::EXITS(0);
  platform::end_process(0);
}

}  // namespace conv
