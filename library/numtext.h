// Numbers to short left-adjusted texts, and number tests on numbers and on
// lines of text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "library/ftext.h"

namespace lib {

// I written as an integer, left-adjusted ("-42", "0").
std::string AINTEGER(std::int32_t i);
std::string AINTEGER8(std::int64_t i);
// As AINTEGER, a non-negative I with zeros in front up to NDIG digits.
std::string AINTEGERPREC0(std::int32_t i, std::int32_t ndig);
std::string AINTEGER8PREC0(std::int64_t i, std::int32_t ndig);
// X with decimals chosen by its magnitude, trailing zeros removed ("2.5", "10.").
std::string AREAL(float x);
std::string AREAL8(double x);
// X with exactly D decimals, left-adjusted; a negative D gives 0 decimals.
std::string AREALD(float x, std::int32_t d);
std::string AREALD4(float x, std::int32_t d);
std::string AREALD8(double x, std::int32_t d);

// How many numbers LINE holds before a comment mark ("!" or "#"); negative
// when a character that belongs to no number stops the count.
std::int32_t NUMBEROFNUMBERS(std::string_view line) noexcept;
// Reads one integer free-form from STR; false when none or not an integer.
// A null value or a slash leaves IVAL unchanged and gives true.
bool CHECKINT(std::string_view str, std::int32_t& ival);
bool CHECKINT4(std::string_view str, std::int32_t& ival);
bool CHECKINT8(std::string_view str, std::int64_t& ival);
// Deletes STR's TABs in place and counts the pieces that SEP (its whole
// capacity) divides STR (its whole capacity) into; 0 for a blank STR.
std::int32_t NUMBEROFSUBSTRINGS(FText& str, std::string_view sep);
// Piece N (from 1) of STR between one-character separators SEP, without its
// leading and trailing blanks; blank when there is none.
std::string SUBSTRING(std::string_view str, std::string_view sep, std::int32_t n);

// True when A and B are both at least 0 or both below 0.
bool SAMESIGN(float a, float b);

}  // namespace lib
