// The unit slots' start values, the orderly exit, the pauses and the
// library's console dialogues.
#include <gtest/gtest.h>

#include "library/console_dialogue.h"
#include "library/exits.h"
#include "library/numtext.h"
#include "library/pauses.h"
#include "library/settings.h"
#include "library/unit_manager.h"
#include "library/unit_slots.h"
#include "test_support.h"

namespace {

using testing_support::Console;
using testing_support::ScratchDir;
using testing_support::status_of;

class ExitsAndPausesTest : public ::testing::Test {
 protected:
  void SetUp() override { lib::INITUNITS(1000); }
};

TEST_F(ExitsAndPausesTest, BaseBelowNineIsRaised) {
  lib::INITUNITS(5);
  const auto& t = lib::unit_tables();
  EXPECT_EQ(t.UNITBASE, 9);
  EXPECT_EQ(t.fixed.front().unit, 2);
  EXPECT_EQ(t.fixed.back().unit, 9);
  EXPECT_EQ(t.pool.front().unit, 10);
  EXPECT_EQ(t.pool.back().unit, 1009);
  lib::INITUNITS(1000);
  EXPECT_EQ(t.fixed.front().unit, 993);
  EXPECT_EQ(t.pool.back().unit, 2000);
}

TEST_F(ExitsAndPausesTest, ExitsPausesAndEndsWithTheGivenStatus) {
  Console con("\n");
  EXPECT_EQ(status_of([] { lib::EXITS(1); }), 1);
  EXPECT_EQ(con.text(), "\nPress Enter to Close\n");
}

TEST_F(ExitsAndPausesTest, ExitsAtEndOfInputStillEnds) {
  Console con("");
  EXPECT_EQ(status_of([] { lib::EXITS(0); }), 0);
  EXPECT_EQ(con.text(), "\nPress Enter to Close\n");
}

TEST_F(ExitsAndPausesTest, ExitsClosesOpenUnitsBeforeThePause) {
  ScratchDir dir;
  Console con("\n");
  std::int32_t unit = 0;
  lib::OPENFREE(unit, "O ", "out.txt");
  ASSERT_EQ(unit, 1001);
  ASSERT_EQ(platform::rt::write_record(unit, "data"), 0);
  lib::settings().PAUSEONEXIT = false;
  EXPECT_EQ(status_of([] { lib::EXITS(1); }), 1);
  EXPECT_FALSE(platform::rt::is_connected(1001));
  EXPECT_EQ(testing_support::read_file("out.txt"), "data\n");
}

TEST_F(ExitsAndPausesTest, PausemsgReturns) {
  Console con("");
  lib::PAUSEMSG();
  EXPECT_EQ(con.text(), "\nPress Enter to Continue\n");
}

TEST_F(ExitsAndPausesTest, BoxModeExitShowsPrematureExitBox) {
  Console con("\n");
  lib::settings().BOXMODE = true;
  EXPECT_EQ(status_of([] { lib::EXITS(1); }), 1);
  const std::string out = con.text();
  EXPECT_NE(out.find("Premature Exit of  Simulation \n\nPress OK to Close Simulation Window"), std::string::npos)
      << out;
}

TEST(Lensl, CountsBlankAndNulAsFillerAndMarksTheEnd) {
  struct Case {
    std::string text;
    std::int32_t len;
    std::string after;
  };
  const Case cases[] = {
      {"    ", 0, "    "},
      {"abcd", 4, "abcd"},
      {"ab  ", 2, std::string("ab\0 ", 4)},
      {std::string("ab\0\0", 4), 2, std::string("ab\0\0", 4)},
  };
  for (const auto& c : cases) {
    lib::FText t(c.text.size(), c.text);
    EXPECT_EQ(lib::LENSL(t), c.len);
    EXPECT_EQ(t.view(), c.after);
  }
}

TEST(NulFirstBlank, MarksTheFirstWord) {
  lib::FText a(5, "ab cd");
  EXPECT_EQ(lib::NULFIRSTBLANK(a), 2);
  EXPECT_EQ(a.view(), std::string("ab\0cd", 5));
  lib::FText b(3, " ab");
  EXPECT_EQ(lib::NULFIRSTBLANK(b), 0);
  EXPECT_EQ(b[0], '\0');
  lib::FText c(3, "abc");
  EXPECT_EQ(lib::NULFIRSTBLANK(c), 3);
  EXPECT_EQ(c.view(), "abc");
}

TEST(Writechars, WritesOnlyWhatTheTextHolds) {
  Console con;
  lib::WRITECHARS("abc", 0);
  lib::WRITECHARS("abc", -3);
  EXPECT_EQ(con.text(), "");
  lib::WRITECHARS("abcdef", 2);
  lib::WRITECHARS("xy", 10);
  EXPECT_EQ(con.text(), "abxy");
}

TEST(Writetrim, WritesWithoutTrailingFiller) {
  Console con;
  lib::FText t(6, "ab c");
  lib::WRITETRIM(t);
  EXPECT_EQ(con.text(), "ab c");
  EXPECT_EQ(t[4], '\0');
}

TEST(Setflags, SetsLettersOfEitherCaseAndKeepsEarlierFlags) {
  Console con("abZ1\nc\n");
  lib::SETFLAGS();
  lib::SETFLAGS();
  const auto& f = lib::LETTERFLAGS();
  EXPECT_TRUE(f[0] && f[1] && f[2] && f[25]);
  EXPECT_FALSE(f[3]);
  EXPECT_EQ(con.text(), "Set flags: Set flags: ");
}

TEST(Yesno, OnlyALeadingYIsYes) {
  struct Case {
    std::string answer;
    bool yes;
  };
  const Case cases[] = {{"yes", true}, {"Y", true}, {"no", false}, {"", false}, {" y", false}};
  for (const auto& c : cases) {
    Console con(c.answer + "\n");
    EXPECT_EQ(lib::YESNO("Go on  "), c.yes) << c.answer;
    EXPECT_EQ(con.text(), "Go on  ? ");
  }
}

TEST(ConsoleDialogues, EndOfInputEndsTheProcess) {
  const std::function<void()> dialogues[] = {
      [] { lib::SETFLAGS(); },
      [] { lib::YESNO("Sure"); },
      [] {
        lib::FText t(10);
        std::int32_t n = 0;
        lib::READTRIM(t, n);
      },
  };
  for (const auto& d : dialogues) {
    Console con("");
    EXPECT_EQ(status_of(d), 1);
    EXPECT_NE(con.text().find("\nERROR - No console input: cannot continue.\n"), std::string::npos);
  }
}

TEST(Readtrim, ReadsTheLineAndItsLength) {
  Console con("hello  \n");
  lib::FText t(4);
  std::int32_t n = 0;
  lib::READTRIM(t, n);
  EXPECT_EQ(n, 4);
  EXPECT_EQ(t.view(), "hell");
}

TEST(Samesign, ZeroCountsAsPositive) {
  EXPECT_FALSE(lib::SAMESIGN(0.0f, -1.0f));
  EXPECT_TRUE(lib::SAMESIGN(0.0f, 5.0f));
  EXPECT_TRUE(lib::SAMESIGN(-2.0f, -3.0f));
}

}  // namespace
