// The peak store: the largest value of every distinct series name of one
// input file, by event, and the peak table written after the file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "converter/options.h"

namespace conv {

struct Series;
class WrittenFiles;

// Value of a peak that no series of the file has set.
inline constexpr float kNoPeak = -99999.0f;

class PeakStore {
 public:
  // Starts the store of a new input file with one column per event (one for
  // a single-event file): no names, every peak unset.
  void start_file(std::int32_t columns);

  // The slot of a name: the first stored name equal to it by keyword
  // equality, or a new slot.  More than 10000 names end the run with
  // "ERROR - Exceeded maximum number of 10000" and `ending`.
  std::int32_t slot(std::string_view name, std::string_view ending);

  // One series' aggregation: a new slot takes the largest of all values; an
  // existing one is raised by any larger value.
  void aggregate(std::string_view name, std::span<const float> values, std::int32_t column, std::int32_t ifile,
                 std::string_view ending);

  // aggregate() for every series of a table in order; their largest values
  // are found side by side on every thread when the table is large.
  void aggregate_all(std::span<const Series> series, std::int32_t column, std::int32_t ifile,
                     std::string_view ending);

  std::int32_t NPK() const { return static_cast<std::int32_t>(names_.size()); }
  const std::string& name(std::int32_t slot) const { return names_[static_cast<std::size_t>(slot)]; }
  float& peak(std::int32_t slot, std::int32_t column) { return peaks_[index(slot, column)]; }
  std::int32_t& file(std::int32_t slot, std::int32_t column) { return files_[index(slot, column)]; }
  float peak(std::int32_t slot, std::int32_t column) const { return peaks_[index(slot, column)]; }

 private:
  // aggregate() of one series, given the largest of its values after the
  // first (as raising a peak by them in turn finds it).
  void raise(std::string_view name, std::span<const float> values, float after_first, std::int32_t column,
             std::int32_t ifile, std::string_view ending);
  // The slot of a name and whether it was added now.
  std::pair<std::int32_t, bool> find_or_add(std::string_view name, std::string_view ending);
  std::size_t index(std::int32_t slot, std::int32_t column) const {
    return static_cast<std::size_t>(slot) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(column);
  }

  std::int32_t columns_ = 1;
  std::vector<std::string> names_;                        // PKNAME, in order of first appearance
  std::unordered_map<std::string, std::int32_t> lookup_;  // keyword-equality key -> slot
  std::vector<float> peaks_;                              // slot-major, one entry per column
  std::vector<std::int32_t> files_;                       // file number that set each peak, 0 = unset
};

// Name of the peak table of an input: stem, "_peak_Q", extension, ".csv".
std::string peak_table_name(std::string_view match_name);

// Writes the single-event table (column 0 of the store), opened through
// `written` on `unit`.
void write_peak_table(std::string_view match_name, const PeakStore& store, std::int32_t& unit,
                      WrittenFiles& written);

// Writes the table with one column per event.
void write_event_peak_table(std::string_view match_name, const PeakStore& store,
                            const std::vector<std::string>& event_names, const RunSettings& run, std::int32_t& unit,
                            WrittenFiles& written);

}  // namespace conv
