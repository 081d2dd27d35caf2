// The input file loop: expands the patterns, converts every matched file and
// ends the run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "converter/options.h"
#include "converter/peaks.h"
#include "converter/readers/reader.h"
#include "converter/writers/writer.h"
#include "converter/written_files.h"
#include "platform/dirsearch.h"

namespace conv {

// Converts one matched input file after another, the same way for every
// input kind (through its reader) and every output format (through its
// writer).
class FileConverter {
 public:
  explicit FileConverter(const RunSettings& run);
  // False for a match that is not to be converted at all, after the console
  // lines that say why: a name that ends or begins in a blank, holds a
  // doubled backslash or is longer than 1000 characters with its folder (the
  // open routine would open another name; a failure of the run), or a file
  // that this run has written (a warning).
  bool convertible(const platform::Match& match);
  // Converts one match; `ifile` counts the files converted so far (1 first).
  void convert(const platform::Match& match, std::int32_t ifile);
  // True once a file met a failure that the run went on past.
  bool failed() const { return failed_; }

 private:
  // Forms and announces the outputs of every event.
  std::vector<EventOutputs> name_outputs(const InputReader& reader, const std::vector<std::string>& events,
                                         std::string_view match_name) const;

  const RunSettings& run_;
  std::unique_ptr<OutputWriter> writer_;
  PeakStore peaks_;
  WrittenFiles written_;
  bool failed_ = false;
  std::int32_t INUNIT_ = 0, UNITA_ = 0, UNITB_ = 0;
};

[[noreturn]] void run_file_loop(const RunSettings& settings);

}  // namespace conv
