// Trial reads and the plausibility test of the format detection.
#include "xpinterface/detection.h"

#include <cmath>

#include "xpinterface/file_types.h"

namespace xp {

std::int32_t XPHEADEROK(std::int32_t ios, std::int32_t nloc, std::int32_t nconst, std::int32_t startdate,
                        double starttime, double hdrvalue) {
  // The bounds are the single-precision values nearest to 1e-10 and 2e30.
  constexpr double kTiny = static_cast<double>(1e-10f);
  constexpr double kHuge = static_cast<double>(2e30f);
  bool bad = ios != 0;
  if (nloc < 0 || nloc > 100000) bad = true;
  if (nconst < 0 || nconst > 1000) bad = true;
  if (startdate < 0 || startdate > 20000000) bad = true;
  if (starttime < 0 || starttime > 2e10) bad = true;
  if (starttime > 0 && starttime < kTiny) bad = true;
  if (hdrvalue > kHuge) bad = true;
  if (std::fabs(hdrvalue) > 0 && std::fabs(hdrvalue) < kTiny) bad = true;
  if (!bad) return 0;
  return ios != 0 ? ios : -1;
}

int XPDETECTFORMAT(BinaryInput& in, HeaderFields& fields) {
  if (!in.is_open()) return -1;
  for (const FileType& type : kFileTypes) {
    in.restart(type.framing);
    const int ios = read_first_records(in, type, fields);
    if (XPHEADEROK(ios, fields.nloc, fields.nconst, fields.startdate, fields.starttime, fields.hdrvalue) == 0)
      return type.code;
  }
  return -1;
}

}  // namespace xp
