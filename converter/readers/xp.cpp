#include "converter/readers/xp.h"

#include <string>
#include <vector>

#include "converter/failure.h"
#include "converter/readers/line_input.h"
#include "library/text_basics.h"
#include "platform/console.h"
#include "platform/file_id.h"
#include "platform/mapping_guard.h"
#include "xpinterface/xpreadswmmintfile.h"

namespace conv::xpfile {
namespace console = platform::console;

void XpReader::read_event(std::int32_t, SeriesTable& table, PeakStore& peaks, std::int32_t column) {
  console::line("...Reading XP Interface Hydrographs");
  std::vector<std::string> names;
  std::vector<float> times;
  std::vector<std::vector<float>> flows;
  std::int32_t nsteps = 0, nlocs = 0;
  bool found = false;
  xp::XPREADSWMMINTFILE(file_.path, true, names, times, flows, kDefaultMaxVals, MAXTS, nsteps, nlocs, found, false);
  // The reader opened the file itself, after the converter's first look at
  // it: a file that changed in between, or while it was read, gave neither
  // the file as first opened nor as it is now.
  if (file_.first_look && platform::file_state(file_.path) != file_.first_look)
    platform::rt::end_changed_input(file_.path);
  console::line("...Finished Extracting Data");
  // The location limit is tested first: a file over both limits reports its
  // series.
  if (nlocs > MAXTS) capacity_exceeded(MAXTS, " XP Interface time-series allowed.");
  // A file with no location gives no step either, and ends here too.
  if (nsteps < 1 || nlocs < 1) fail("ERROR - Reading XP interface file.");
  for (float& t : times) t = t * 60.0f;
  table.series.reserve(static_cast<std::size_t>(nlocs));
  for (std::int32_t i = 0; i < nlocs; ++i) {
    Series& s = table.series.emplace_back();
    s.name = std::string(lib::trim_right(lib::cut(names[static_cast<std::size_t>(i)], kNameLength)));
    s.q = std::move(flows[static_cast<std::size_t>(i)]);
    s.tstart = times.front();
    s.tend = times.back();
    if (table.keep_times) {
      s.hours.reserve(times.size());
      for (float t : times) s.hours.push_back(t / 60.0f);
    }
    peaks.aggregate(s.name, s.q, column, file_.ifile, " XP Interface maximum/minimum records allowed.");
  }
}

}  // namespace conv::xpfile
