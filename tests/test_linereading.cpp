#include "library/linereading.h"

#include <gtest/gtest.h>

#include "library/unit_slots.h"
#include "test_support.h"

namespace {

using lib::FText;
using testing_support::status_of;

TEST(LineReading, CommentLine) {
  const struct {
    std::string text, line;
    bool comment;
  } cases[] = {{"  # note", "", true}, {"x = 1 ! note", "x = 1 ", false}, {"a#b!c", "a", false},
               {"", "", true},         {" \tx !", "\tx ", false},          {"!", "", true}};
  for (const auto& c : cases) {
    FText line(16, c.text);
    EXPECT_EQ(lib::COMMENTLINE(line), c.comment) << c.text;
    EXPECT_EQ(line.view(), lib::padded(c.line, 16)) << c.text;
  }
}

TEST(LineReading, ReadLineCleansEachRecordAndEndsAtEndOfFile) {
  testing_support::ScratchDir dir;
  testing_support::write_file("in.txt", "\t  value = 3 ! note\r\n!x\n\nsay \"a#b\"\n  0123456789abcdefghij\n");
  ASSERT_EQ(platform::rt::open(7, "in.txt", platform::rt::OpenOptions{}), 0);
  const struct {
    std::string line;
    bool useful;
  } expected[] = {{"value = 3 ", true}, {"", false}, {"", false}, {"say \"a", true}, {"0123456789abcdefgh", true}};
  FText line(20);
  for (const auto& e : expected) {
    EXPECT_EQ(lib::READLINE(7, line), e.useful) << e.line;
    EXPECT_EQ(line.view(), lib::padded(e.line, 20));
  }
  lib::INITUNITS(1000);
  testing_support::Console con("\n\n");
  EXPECT_EQ(status_of([&] { lib::READLINE(7, line); }), 1);
  EXPECT_EQ(status_of([&] { lib::READLINE(123456, line); }), 1);  // not connected: a read error
  EXPECT_EQ(con.text(),
            "\nERROR 0202 - End-of-file encountered reading text line from file unit number    7\n"
            "\nPress Enter to Close\n"
            "\nERROR 0201 - Reading text line from file unit number*****\n\nPress Enter to Close\n");
}

}  // namespace
