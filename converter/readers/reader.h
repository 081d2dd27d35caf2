// The file loop's one view of every input kind.
//
// For each matched file the loop creates a fresh reader of the selected kind
// and drives it through the same sequence, whatever the kind:
//
//   scan()            before anything else (WBNM reads its version here and
//                     may refuse the file);
//   count_events()    multi-event runs only, after the "Multiple Duration
//                     Switch Enabled " line: counts the events and names them;
//   check_single()    single-event runs only: the converter's own first look
//                     at the input;
//   ... the loop forms the output names, gives back any scan connection and
//   opens the input for reading ...
//   start()           once, with the reading connection;
//   read_event(k)     once per event, into a cleared series table.
//
// A reader owns nothing of the run: the loop owns the units, the series table
// and the peak store, and passes them in.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "converter/naming.h"
#include "converter/options.h"
#include "converter/peaks.h"
#include "converter/series.h"
#include "platform/connections.h"

namespace conv {

// The file being converted, as the loop knows it.
struct InputFile {
  const RunSettings& run;
  std::string match_name;  // the matched name without its folder
  std::string path;        // the name to open: the pattern's folder and the matched name
  std::int32_t ifile = 0;  // files converted so far, this one included
  std::int32_t& INUNIT;    // the input's unit, 0 when not connected
  // Set when the file met a failure that the run went on past: the run then
  // ends with status 1.
  bool& failed;
  // The file as the converter first opened it (scan() or check_single());
  // nullopt when it could not tell.
  std::optional<platform::FileState> first_look = std::nullopt;
};

class InputReader {
 public:
  explicit InputReader(InputFile& file) : file_(file) {}
  virtual ~InputReader() = default;
  InputReader(const InputReader&) = delete;
  InputReader& operator=(const InputReader&) = delete;

  // First look at the file; false when the file is refused and skipped.
  virtual bool scan() { return true; }
  // Counts the events of a multi-event file and returns their names.  Kinds
  // without events end the run with their message.
  virtual std::vector<std::string> count_events();
  // The first look at a single-event file: the input is opened read-only on a
  // free unit of the run-time and closed again (the run ends when it cannot
  // be opened).
  virtual void check_single();
  virtual Naming naming() const { return Naming::Single; }
  // False for inputs that the reader opens itself (no reading connection).
  virtual bool reads_through_unit() const { return true; }
  // False for inputs that get no peak table.
  virtual bool keeps_peaks() const { return true; }
  // The reading connection is open on INUNIT (when reads_through_unit()).
  virtual void start() {}
  // Reads event `ievent` (1-based) into the cleared table; peaks go to
  // `column` of the store.
  virtual void read_event(std::int32_t ievent, SeriesTable& table, PeakStore& peaks, std::int32_t column) = 0;

 protected:
  InputFile& file_;
};

// The file loop's view of a kind whose whole file is one event, read by a
// text reader of type Text made on the reading connection: Text(source,
// file) and Text::read(table, peaks, column, ifile).
template <class Text, bool kKeepsPeaks = true>
class WholeFileReader : public InputReader {
 public:
  using InputReader::InputReader;
  bool keeps_peaks() const override { return kKeepsPeaks; }
  void start() override { text_.emplace(*platform::rt::text_source(file_.INUNIT), file_); }
  void read_event(std::int32_t, SeriesTable& table, PeakStore& peaks, std::int32_t column) override {
    text_->read(table, peaks, column, file_.ifile);
  }

 private:
  std::optional<Text> text_;
};

// The reader of the run's input kind for one file.
std::unique_ptr<InputReader> make_reader(InputFile& file);

}  // namespace conv
