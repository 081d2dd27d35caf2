// Console stand-in for modal message boxes.
//
// message_box() shows the caption and the text on the console and reads the
// answer from console input.  It returns the identifier of the button chosen,
// with the values of the Windows box, so that code written against the box
// keeps its tests of the answer.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// Button identifiers.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdAbort = 3;
constexpr int kIdRetry = 4;
constexpr int kIdIgnore = 5;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// Styles in use: the button set in the low four bits (0 OK, 1 OK/Cancel,
// 2 Abort/Retry/Ignore, 3 Yes/No/Cancel, 4 Yes/No, 5 Retry/Cancel), an icon
// (0x10 error, 0x20 question, 0x30 warning) and 0x10000 (bring to front).
constexpr std::uint32_t kBoxOkError = 0x10010;
constexpr std::uint32_t kBoxOkWarning = 0x10030;
constexpr std::uint32_t kBoxYesNoQuestion = 0x10024;
constexpr std::uint32_t kBoxYesNoCancelWarning = 0x10033;
constexpr std::uint32_t kBoxRetryCancelWarning = 0x10035;
constexpr std::uint32_t kBoxRetryCancelError = 0x10015;

// Writes an empty line, the caption (when not empty) and the text, each CR
// of the text ending a line (one final NUL of either is dropped), then a
// prompt naming the buttons, and reads answers until one names a button by
// its first letter (case-insensitive; for an OK box any answer is OK).  At
// the end of console input: OK for an OK box, otherwise Cancel where the box
// has it, else No (Abort for Abort/Retry/Ignore), so that no caller that
// repeats the box until a certain answer can loop for ever.
int message_box(std::string_view text, std::string_view caption, std::uint32_t style);

}  // namespace platform
