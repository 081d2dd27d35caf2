// Tests and transforms of blank-padded text: trimming, left-adjusting,
// TAB and quote removal, ASCII case changes, keyword equality and the
// classification of input lines.
//
// Inputs are views over the caller's whole text (its capacity, trailing
// blanks included).  Text results come back at their natural length; the
// caller assigns them to its own text value, which cuts or pads them.
// Routines that rewrite their argument in place take an FText.
#pragma once

#include <string>
#include <string_view>

#include "library/ftext.h"

namespace lib {

// STR trimmed, padded with blanks to 256 characters (cut at 256).
std::string SS256(std::string_view str);
// STR with every TAB removed (the text closes up).
std::string REMOVETABS(std::string_view str);
// STR without leading and trailing blanks (a leading TAB is kept).
std::string TRIMF(std::string_view str);
// Left-adjusts LINE; true when it now starts with a digit, "-" or ".", or is blank.
bool NUMBERLINE(FText& line);
// Left-adjusts STR; true when it is not blank and all digits up to its end.
bool POSITIVEINTEGERNUMBER(FText& str);
// Deletes every TAB from STR (no blank in its place, leading blanks stay);
// true when STR is then blank.
bool BLANK(FText& str);
// Keyword equality: quote characters and TABs removed, leading blanks dropped,
// a-z as A-Z, trailing blanks ignored; each cleaned text cut at 1000 characters.
bool ASAME(std::string_view a, std::string_view b);
// As ASAME with case kept.
bool ASAMECS(std::string_view a, std::string_view b);
// STR with every ' and " removed.
std::string REMOVEQUOTES(std::string_view str);
// STR trimmed, a-z turned to A-Z (leading blanks stay).
std::string UPPERCASE(std::string_view str);
// STR trimmed, A-Z turned to a-z (leading blanks stay).
std::string LOWERCASE(std::string_view str);

// `width` columns of a text from 0-based column `first`; columns beyond its
// end are absent, so the result may be shorter or empty.
inline std::string_view columns(std::string_view text, std::size_t first,
                                std::size_t width = std::string_view::npos) {
  return first >= text.size() ? std::string_view() : text.substr(first, width);
}

// Moves TEXT from its first character that is not a blank to position 0 and
// fills the rest with blanks; a leading TAB is not skipped.
void left_adjust(FText& text);

// ---- the same tests without rewriting or copying, for hot paths ----

// The cleaned form that ASAME compares: two texts are ASAME-equal exactly
// when their keys are equal (usable as a hash-map key).
std::string asame_key(std::string_view s);
// NUMBERLINE's result for a text, without left-adjusting it.
bool is_number_line(std::string_view line) noexcept;
// BLANK's result for a text, without deleting its TABs.
bool is_blank_or_tabs(std::string_view s) noexcept;

}  // namespace lib
