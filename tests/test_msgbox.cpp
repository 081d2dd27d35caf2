#include "platform/msgbox.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "platform/console.h"

namespace {

using namespace std::string_literals;

// Shows a box with the given console input; returns the answer and the transcript.
std::pair<int, std::string> show(std::string_view text, std::string_view caption, std::uint32_t style,
                                 const std::string& input) {
  std::ostringstream out;
  std::istringstream in(input);
  platform::console::set_output(&out);
  platform::console::set_input(&in);
  const int id = platform::message_box(text, caption, style);
  platform::console::set_output(nullptr);
  platform::console::set_input(nullptr);
  return {id, out.str()};
}

TEST(MessageBox, Answers) {
  struct Case {
    std::uint32_t style;
    std::string input;
    int id;
  };
  const Case cases[] = {
      // OK boxes: any answer, and the end of input, are OK.
      {platform::kBoxOkError, "\n", platform::kIdOk},
      {platform::kBoxOkWarning, "no\n", platform::kIdOk},
      {platform::kBoxOkError, "", platform::kIdOk},
      // Yes/No
      {platform::kBoxYesNoQuestion, "y\n", platform::kIdYes},
      {platform::kBoxYesNoQuestion, "  YES\n", platform::kIdYes},
      {platform::kBoxYesNoQuestion, "c\n\nnope\n", platform::kIdNo},
      {platform::kBoxYesNoQuestion, "", platform::kIdNo},
      // Yes/No/Cancel
      {platform::kBoxYesNoCancelWarning, "cancel\n", platform::kIdCancel},
      {platform::kBoxYesNoCancelWarning, "", platform::kIdCancel},
      // Retry/Cancel
      {platform::kBoxRetryCancelWarning, "Retry\n", platform::kIdRetry},
      {platform::kBoxRetryCancelError, "r", platform::kIdRetry},
      {platform::kBoxRetryCancelWarning, "y\n", platform::kIdCancel},
      {platform::kBoxRetryCancelError, "", platform::kIdCancel},
      // OK/Cancel and Abort/Retry/Ignore
      {0x1, "o\n", platform::kIdOk},
      {0x1, "", platform::kIdCancel},
      {0x2, "i\n", platform::kIdIgnore},
      {0x2, "\n", platform::kIdAbort},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(show("text", "caption", c.style, c.input).first, c.id) << std::hex << c.style << " " << c.input;
  }
}

TEST(MessageBox, Transcript) {
  const auto [id, out] = show("Line one\rLine two\r\rEnd\0"s, "App Sim\0"s, platform::kBoxYesNoQuestion, "x\nn\n");
  EXPECT_EQ(id, platform::kIdNo);
  EXPECT_EQ(out, "\nApp Sim\nLine one\nLine two\n\nEnd\nYes or No (Y/N)? Yes or No (Y/N)? ");
}

TEST(MessageBox, EmptyCaptionAndEndOfInput) {
  const auto [id, out] = show("Press OK\0"s, "\0"s, platform::kBoxOkError, "");
  EXPECT_EQ(id, platform::kIdOk);
  EXPECT_EQ(out, "\nPress OK\nPress Enter for OK: \n");
  // Only one final NUL is dropped; an inner one is part of the text.
  EXPECT_EQ(show("a\0b\0\0"s, "", 0, "\n").second, "\na\0b\0\nPress Enter for OK: "s);
}

}  // namespace
