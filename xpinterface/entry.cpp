// The reader's entry: detection, header, counting, the capacity checks and
// the storing pass, in that order, on one read-only connection that is
// closed on every return.
#include "xpinterface/entry.h"

#include <algorithm>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "library/exits.h"
#include "library/pauses.h"
#include "library/settings.h"
#include "library/text_basics.h"
#include "platform/console.h"
#include "xpinterface/binary_input.h"
#include "xpinterface/detection.h"
#include "xpinterface/steps.h"

namespace xp {

namespace {

namespace console = platform::console;

void capacity_error(std::string_view text) {
  console::line(std::string(text) + std::string(lib::kSupportEmail));
  lib::PAUSEMSG();
}

void read_file(std::string_view intfile, const Request& request, Destination& to, std::int32_t& nsteps,
               std::int32_t& nlocs, bool& found) {
  // The name without trailing blanks, as the caller's text holds it.
  while (!intfile.empty() && intfile.back() == ' ') intfile.remove_suffix(1);
  intfile = intfile.substr(0, 1000);

  BinaryInput in;
  Header h;
  const int type = in.open(intfile) ? XPDETECTFORMAT(in, h.fields) : -1;
  if (type < 0) {
    nsteps = 0;
    nlocs = 0;
    return;
  }
  h.type = &file_type(type);
  read_rest_of_header(in, h);
  const std::int32_t stepcount = static_cast<std::int32_t>(
      std::min<std::int64_t>(count_steps(in, h), std::numeric_limits<std::int32_t>::max()));
  nsteps = stepcount;
  if (request.count_only) return;
  const std::int32_t nloc = h.fields.nloc;
  nlocs = nloc;

  if (stepcount > request.max_steps) {
    capacity_error("ERROR 0130 - Exceeded number of allowable XP interface timesteps - contact ");
    nsteps = -1;
    return;
  }
  if (nloc < 1) {
    // Steps without locations give nothing to convert.
    nsteps = 0;
    return;
  }
  if (request.all_locs && nloc > request.max_locs) {
    capacity_error("ERROR 0131 - Exceeded number of allowable XP interface nodes - contact ");
    nsteps = -1;
    return;
  }

  const auto n = static_cast<std::size_t>(stepcount);
  if (request.all_locs) {
    const auto locations = static_cast<std::size_t>(nloc);
    to.make_room(n, locations);
    std::vector<float*> columns(locations);
    for (std::size_t i = 0; i < locations; ++i) columns[i] = to.column(i);
    store_steps(in, h, n, to.times(), FlowColumns{columns.data(), 0, locations});
    to.put_names(h.ids);
    return;
  }
  // One location: the first whose ID equals the wanted one as a keyword.
  const std::string_view wanted = to.wanted();
  for (std::size_t i = 0; i < h.ids.count(); ++i) {
    if (!lib::ASAME(h.ids[i], wanted)) continue;
    to.make_room(n, 1);
    float* const column = to.column(0);
    store_steps(in, h, n, to.times(), FlowColumns{&column, i, 1});
    found = true;
    return;
  }
}

}  // namespace

void read_interface_file(std::string_view intfile, const Request& request, Destination& to, std::int32_t& nsteps,
                         std::int32_t& nlocs, bool& found) {
  try {
    read_file(intfile, request, to, nsteps, nlocs, found);
  } catch (const std::bad_alloc&) {
    console::empty_line();
    console::line("ERROR - Could not allocate enough memory (RAM).");
    lib::EXITS(1);
  }
}

}  // namespace xp
