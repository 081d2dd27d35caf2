// Small console dialogues of the library: answers read from the console
// (ending the run when the input has ended), lines written to the console
// and the log unit, texts measured up to their blanks and NULs, and the
// lines of a message box.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "library/ftext.h"
#include "library/settings.h"

namespace lib {

// Writes STR(1:N) without ending the line (N clamped to STR's length).
void WRITECHARS(std::string_view str, std::int32_t n);
// Significant length with blank and NUL both taken as trailing filler; a NUL
// is placed after the text when it is shorter than the capacity.
std::int32_t LENSL(FText& str);
// Length of the first word; its end is marked with a NUL.
std::int32_t NULFIRSTBLANK(FText& str);
// Asks for letters and sets LETTERFLAGS.
void SETFLAGS();
// Writes STR without trailing blanks and NULs (LENSL's NUL placed first).
void WRITETRIM(FText& str);
// Reads a console line into STR; N := its significant length.
void READTRIM(FText& str, std::int32_t& n);
// Writes PROMPT as it stands and "? "; true for an answer starting with y or Y.
bool YESNO(std::string_view prompt);

// Significant length as LENSL counts it, without changing the text.
std::size_t lensl_length(std::string_view s) noexcept;
// Writes "\n" and the line "ERROR - No console input: cannot continue." and
// ends the process with status 1 (a dialogue that cannot get an answer).
[[noreturn]] void no_console_input();
// Reads one console answer, ending the process when the input has ended.
std::string read_answer();
// Writes a line to the console and, when the log unit is above 0, to that
// unit (LOGUNIT unless another is given).
void line_to_console_and_log(std::string_view text, std::int32_t logunit = settings().LOGUNIT);
// The same without ending the line.
void put_to_console_and_log(std::string_view text, std::int32_t logunit = settings().LOGUNIT);
void empty_line_to_console_and_log(std::int32_t logunit = settings().LOGUNIT);
// A message-box text: the lines joined by CR (character 13).
std::string box_lines(std::initializer_list<std::string_view> lines);

}  // namespace lib
