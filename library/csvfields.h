// Single values picked out of lines of comma-separated text: the column that
// carries a header name, the number in a column, and a value given after its
// keyword and "=" anywhere on the line or as a column, with quoted text kept
// together; and the first word split off a text.
//
// Plain splitting (CSVCOLUMN, CSVVALUE): every comma separates fields.
// Quote-aware splitting (the EXTRACT routines, NEXTWORD): " and ' both open
// and close a quotation, a doubled quote inside one stands for a quote, and a
// separator inside one does not separate.  Fields are numbered from 1.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "library/ftext.h"

namespace lib {

// Number of the first field of LINE (TABs deleted) equal to NAME as a keyword
// (ASAME); NOTFOUND when there is none.  An empty field counts as a column.
std::int32_t CSVCOLUMN(std::string_view line, std::string_view name, std::int32_t notfound);
// True when field ICOL holds a number read as a fixed-width real field
// (blanks ignored), which is then in VALUE; false with VALUE 0 otherwise.
bool CSVVALUE(std::string_view line, std::int32_t icol, float& value);

// The value of KEY: after the first occurrence of KEY (trimmed, lower case) in
// LCLINE, the text after the following "=" up to the next comma outside
// quotes; when KEY is not on the line, field ICOL (blank for ICOL < 1).  Quote
// characters are removed and the value is left-adjusted.  A blank value gives
// DEFAULT.  A key without "=" after it (ERROR 0203 through the message
// module) and a value that is not a number end the process through EXITS.
// LCLINE is LINE in lower case: positions found in it are used in LINE.
std::int32_t EXTRACTINTEGER(std::string_view line, std::string_view lcline, std::string_view key, std::int32_t icol,
                            std::int32_t default_value);
float EXTRACTREAL(std::string_view line, std::string_view lcline, std::string_view key, std::int32_t icol,
                  float default_value);
// The value as text (blank when there is none).
std::string EXTRACTSTRING(std::string_view line, std::string_view lcline, std::string_view key, std::int32_t icol);
// As EXTRACTSTRING, the value running to the end of the line: everything after
// the "=", or everything from field ICOL on (blank when that field is empty).
std::string EXTRACTSTRINGREM(std::string_view line, std::string_view lcline, std::string_view key,
                             std::int32_t icol);

// The first word of STR up to a blank outside quotes, without its quote
// characters and left-adjusted; STR loses that word and its leading blanks.
std::string NEXTWORD(FText& str);

}  // namespace lib
