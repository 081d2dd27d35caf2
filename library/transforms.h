// Text transforms that build a new text from a given one: blanks removed,
// names reduced to letters and digits (safe as identifiers or attribute
// names), double quotes doubled for quoted output fields, and a word
// replaced case-insensitively once or everywhere.
//
// As in text_basics.h, inputs are views over the caller's whole text and the
// results come back at their natural length for the caller's text value to
// cut or pad; where the outcome depends on the result's capacity, that
// capacity is an argument.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lib {

// STR without any blank (TABs stay).
std::string REMOVESPACES(std::string_view str);
// Letters and digits of STR kept, every other character replaced by CH's
// first character (a blank CH gives a blank), or dropped when that character
// is code 0; "X" when the result, cut at RESULT_CAP, would be blank.
std::string ALPHANUMERICONLY(std::string_view str, std::string_view ch, std::size_t result_cap);
// Letters, digits and underscores of STR only; "X" when there are none.
std::string CLEANATTRIBUTENAME(std::string_view str);
// STR trimmed with every double quote doubled (no enclosing quotes).
std::string DOUBLEQUOTE(std::string_view str);
// STR with its first occurrence of OLD (trimmed, found ignoring ASCII case)
// replaced by NEW trimmed.  The replaced span is as long as OLD without its
// trailing blanks, leading blanks included; a blank OLD puts NEW in front.
std::string REPLACE(std::string_view str, std::string_view old, std::string_view neu);
// STR, cut or padded to RESULT_CAP, with occurrences of OLD replaced by NEW
// trimmed, each search starting again from the beginning so that an
// occurrence formed by a replacement with the text before it is replaced too.
// A blank OLD leaves STR as it is; when NEW contains OLD (ignoring case) the
// occurrences are replaced in one left-to-right pass.  The result never
// exceeds RESULT_CAP characters (trailing blanks dropped).
std::string REPLACEALL(std::string_view str, std::string_view old, std::string_view neu, std::size_t result_cap);

}  // namespace lib
