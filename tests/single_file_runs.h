// Whole runs of the executable on one single-event input file, and the
// transcript such a run prints.
#pragma once

#include <string>
#include <vector>

#include "test_support.h"

namespace single_file_runs {

inline const std::string kBanner = "\n./flowtab:  \nflowtab 1.0.0\n\n";
inline const std::string kCreated = " using ./flowtab flowtab 1.0.0\n";
inline const std::string kPause = "\nPress Enter to Close\n";

inline testing_support::RunResult flowtab(std::vector<std::string> args) {
  args.insert(args.begin(), "./flowtab");
  return testing_support::run_program(FLOWTAB_EXE, args, "", std::filesystem::current_path());
}

inline bool ends_with(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The transcript of a file that converts to .ts1 without error; `middle` is
// what the reader and the time axis print.
inline std::string converted(const std::string& name, const std::string& peak_table, const std::string& middle) {
  return kBanner + "Found 1 input files\n\nConverting to .ts1: " + name + "\n   TS1 Output File: " + name +
         ".ts1\n\nTrying to open file " + name + "...OK.\nOpened File Unit:1001\n\nTrying to open file " + name +
         ".ts1...OK.  File Unit:1002\n\nConverting...\n" + middle +
         "\nWriting to .ts1 file...\n...Closed File Unit:1002\n...Closed File Unit:1001\n\nTrying to open file " +
         peak_table + "...OK.  File Unit:1001\n...Closed File Unit:1001\n\nFinished.\n";
}

}  // namespace single_file_runs
