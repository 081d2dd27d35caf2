// Finding the file type of an interface file by trial reads.
//
// An interface file does not say which of the five file types it has.  The
// detection reads header records 1 to 6 as each type lays them out, in the
// order 1 to 5, and takes the first type whose values are plausible.  Types 1
// and 2 are tried before the framed types because on a framed file their
// location count falls into the blanks of a title; a type-5 file whose marker
// words happen to be valid record lengths therefore reads as type 4.
#pragma once

#include <cstdint>

#include "xpinterface/binary_input.h"
#include "xpinterface/header.h"

namespace xp {

// The plausibility test of a trial: 0 when the header is plausible, else the
// read status when it is not 0, else -1.  Every condition is a rejection, so a
// start time or header value that is not a number passes.
std::int32_t XPHEADEROK(std::int32_t ios, std::int32_t nloc, std::int32_t nconst, std::int32_t startdate,
                        double starttime, double hdrvalue);

// Runs the trials on an open input.  The file type (1 to 5, or -1 when no
// trial passes) and the fields of the last trial run; when a type is found,
// the input stands after record 6 in that type's form.
int XPDETECTFORMAT(BinaryInput& in, HeaderFields& fields);

}  // namespace xp
