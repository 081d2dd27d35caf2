// The input file loop: expands the patterns, converts every matched file and
// ends the run.
#pragma once

#include <cstdint>

#include "converter/options.h"
#include "converter/peaks.h"
#include "platform/dirsearch.h"

namespace conv {

// Converts one matched input file after another.
class FileConverter {
 public:
  explicit FileConverter(const RunSettings& run);
  // Converts one match; `ifile` counts the files converted so far (1 first).
  void convert(const platform::Match& match, std::int32_t ifile);

 private:
  const RunSettings& run_;
  PeakStore peaks_;
  std::int32_t INUNIT_ = 0, UNITA_ = 0, UNITB_ = 0;
};

[[noreturn]] void run_file_loop(const RunSettings& settings);

}  // namespace conv
