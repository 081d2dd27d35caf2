// XPREADSWMMINTFILE: location IDs, step times in hours and one flow series
// per location from a binary XP interface file (.int / .ext) of any of its
// five physical layouts.
//
// Two forms over one implementation: one for C++ callers such as the
// converter, and one with the argument layout of the exported name (every
// argument by reference, names as fixed-length blank-padded elements with
// their length at the end, flows with leading dimension MAXSTEPS, logicals
// as 32-bit -1/0).
//
// Results, in both forms:
//   nlocs   the file's location count (0 when the file is not an interface
//           file); set before the capacity checks; not set in count-only mode.
//   nsteps  the step count; 0 when the file is not recognised, has no
//           location or no step; -1 after "ERROR 0130" (more steps than
//           max_steps) or "ERROR 0131" (all locations, more than max_locs),
//           each printed with a pause.  The step check comes first.
//   names, times, flows   written only when the checks pass: all locations:
//           every ID (16 characters, blank-padded), the times and every
//           series; one location: the times and the series of the first
//           location whose ID equals names[0] as a keyword (case, quotes and
//           leading blanks ignored), and found set to true; nothing when no
//           ID matches.
//   count_only  only nsteps is set.
// Times are hours after 00:00 of the first step's day.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "library/fortran_abi.h"

namespace xp {

// C++ form.  names: all locations: resized to nlocs; one location: names[0]
// holds the ID looked for.  times_hours: resized to nsteps.  flows: all
// locations: resized to nlocs series of nsteps values; one location:
// flows[0] (made when missing) resized to nsteps.
void XPREADSWMMINTFILE(std::string_view intfile, bool all_locs, std::vector<std::string>& names,
                       std::vector<float>& times_hours, std::vector<std::vector<float>>& flows,
                       std::int32_t max_steps, std::int32_t max_locs, std::int32_t& nsteps, std::int32_t& nlocs,
                       bool& found, bool count_only);

namespace abi {

// The exported form's arguments: NAMES(i) of names_len characters, TIMES(k),
// FLOWS(k, i) at flows[(i - 1) * MAXSTEPS + k - 1].
void XPREADSWMMINTFILE(const char* intfile, const lib::abi::flogical* alllocs, char* names, float* times,
                       float* flows, const std::int32_t* maxsteps, const std::int32_t* maxlocs, std::int32_t* nsteps,
                       std::int32_t* nlocs, lib::abi::flogical* found, const lib::abi::flogical* countonly,
                       std::size_t intfile_len, std::size_t names_len);

}  // namespace abi
}  // namespace xp
