// Text to number conversions: the one reading of integer and real tokens
// that the free-form reader and the fixed-column reads share, the
// fixed-column reads themselves, and the status values of every read.
//
// Fixed-column input: Iw and Fw.0 fields with blanks ignored (or, for Iw on
// request, taken as zeros).
#pragma once

#include <cstdint>
#include <string_view>

namespace ffmt {

// ---- status values of the reads -----------------------------------------

constexpr int kOk = 0;      // a value was read, or the item was left unchanged (null value, slash)
constexpr int kEnd = -1;    // the text ended before a value was found
constexpr int kError = 1;   // the text where the value is due is not a value of the item's kind

// ---- text to number conversions ------------------------------------------

// Parses one real token as the free-form and fixed-column reads accept it:
// optional sign, digits with an optional point, an optional exponent
// (E, D or Q with an optional sign, or a sign alone: "1+3" is 1000), or NaN,
// Inf, Infinity.  Converted straight to the target precision.  A value too
// large for it is an error; one too small reads as zero.
int parse_real(std::string_view token, float& v);
int parse_real(std::string_view token, double& v);
// Optional sign and digits; an error when out of range.
int parse_int(std::string_view token, std::int32_t& v);
int parse_int(std::string_view token, std::int64_t& v);

// ---- fixed-column reading ------------------------------------------------

// Iw: a sign and digits; blanks ignored (or taken as zeros); all blank is 0.
int fixed_int(std::string_view field, std::int32_t& v, bool blanks_are_zeros = false);
int fixed_int(std::string_view field, std::int64_t& v, bool blanks_are_zeros = false);
// Fw.0: blanks ignored; a number without a point is whole; an exponent with a
// letter (E, D) or a sign alone; a field of only ".", "+" or "-" reads as 0;
// Inf and NaN accepted; all blank is 0.
int fixed_real(std::string_view field, float& v);
int fixed_real(std::string_view field, double& v);

}  // namespace ffmt
