// Fixed-width fields and free-form number reading.
//
// Every writer and reader of the program formats and reads numbers through
// this one piece, so that all of them follow the same rules.  Each concept
// has a header of its own, and this one brings the three together:
//   library/ffmt_fields.h    output fields: Iw, Iw.m, Fw.d, Aw;
//   library/ffmt_numbers.h   text to number conversions, fixed-column input
//                            and the status values of the reads;
//   library/ffmt_list.h      free-form (list-directed) input.
#pragma once

#include "library/ffmt_fields.h"
#include "library/ffmt_list.h"
#include "library/ffmt_numbers.h"
