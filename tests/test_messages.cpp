#include "library/messages.h"

#include <gtest/gtest.h>

#include "library/unit_slots.h"
#include "test_support.h"

namespace {

namespace rt = platform::rt;
using lib::assign_field;
using lib::field_view;
using testing_support::read_file;

constexpr int kLog = 11, kCsv = 12, kMif1 = 13, kMid1 = 14, kMif2 = 15, kMid2 = 16;

// Every test starts with the block as the process starts (tests/test_main.cpp).
TEST(MessageBlock, TextsStartBlank) {
  for (std::string_view f : {field_view(DMESSAGES.MSGTEXT1), field_view(DMESSAGES.MSGALL),
                             field_view(DMESSAGES.MSGEXTRA3), field_view(DMESSAGES.MSGPREFIX)})
    EXPECT_TRUE(lib::is_blank(f));
}

class Messages : public ::testing::Test {
 protected:
  void SetUp() override {
    lib::INITUNITS(1000);
    lib::DMESSAGECLEAR();
    lib::DMESSAGERESETCOUNTERS();
    DMESSAGES.MSGLOGUNIT = DMESSAGES.MSGMIDUNIT2 = kLog;
    DMESSAGES.MSGMIFUNIT1 = kMif1;
    DMESSAGES.MSGMIDUNIT1 = kMid1;
    DMESSAGES.MSGMIFUNIT2 = kMif2;
    lib::MSGCSVUNIT() = 0;
    for (int u : {kLog, kCsv, kMif1, kMid1, kMif2})  // kMid2 stays unconnected
      ASSERT_EQ(rt::open(u, name(u), {rt::Form::Formatted, rt::Action::Write, rt::Disposition::Replace}), 0);
  }
  static std::string name(int unit) { return std::string("u").append(std::to_string(unit)); }
  static std::string contents(int unit) {
    rt::close(unit);
    return read_file(name(unit));
  }
  testing_support::ScratchDir dir_;
  testing_support::Console con_;
};

TEST_F(Messages, TypeNumberAndCounters) {
  const struct {
    std::string text;
    std::int32_t type, number;
  } cases[] = {{"ERROR 0201 - Reading text line from file unit number 1001", 1, 201},
               {"WARNING 0004 - text", 2, 4}, {"ERROR - text", 1, 0},    {"Error 0201", 0, 0},
               {"UNSTABLE 0003 at node", 4, 3}, {"CHECK 0008 - x", 3, 8}, {"ERROR 3*4 - x", 1, 4}};
  for (const auto& c : cases) {
    assign_field(DMESSAGES.MSGTEXT1, c.text);
    lib::DMESSAGE(-2);
    EXPECT_EQ(DMESSAGES.MSGTYPE, c.type) << c.text;
    EXPECT_EQ(DMESSAGES.MSGNUMBER, c.number) << c.text;
  }
  EXPECT_EQ(DMESSAGES.NERRORS * 100 + DMESSAGES.NWARNINGS * 10 + DMESSAGES.NCHECKS, 311);
  lib::DMESSAGERESETCOUNTERS();
  EXPECT_EQ(DMESSAGES.NERRORS + DMESSAGES.NWARNINGS + DMESSAGES.NCHECKS, 0);
  EXPECT_EQ(con_.text() + contents(kLog), "");
}

TEST_F(Messages, ConsoleAndLogLinesThenClear) {
  const struct {
    std::int32_t n;
    bool one_line;
    std::string console, log;
  } cases[] = {{1, false, "\nERROR 0201 - x \"q\"\nsecond\n; b; c\n", "\nERROR 0201 - x \"q\"\nsecond\n; b; c\n"},
               {0, true, "ERROR 0201 - x \"q\"  second  ; b; c\n", "ERROR 0201 - x \"q\"  second  ; b; c\n"},
               {-1, false, "", "ERROR 0201 - x \"q\"\nsecond\n; b; c\n"},
               {-2, false, "", ""}};
  std::string log;
  for (const auto& c : cases) {
    con_.clear();
    assign_field(DMESSAGES.MSGTEXT1, "ERROR 0201 - x \"q\"");
    assign_field(DMESSAGES.MSGTEXT2, "second");
    assign_field(DMESSAGES.MSGEXTRA2, "b");  // a blank first extra field keeps its separator
    assign_field(DMESSAGES.MSGEXTRA3, "c");
    DMESSAGES.MSGONELINE = c.one_line ? -1 : 0;
    lib::DMESSAGE(c.n);
    EXPECT_EQ(con_.text(), c.console) << c.n;
    log += c.log;
    EXPECT_EQ(DMESSAGES.MSGONELINE, 0);
    EXPECT_TRUE(lib::is_blank(field_view(DMESSAGES.MSGTEXT2)) && lib::is_blank(field_view(DMESSAGES.MSGALL)));
    EXPECT_EQ(DMESSAGES.MSGX, -99999.0);
  }
  con_.clear();
  lib::DLINE(0);
  lib::DLINE(kLog);
  const std::string line = std::string(80, '_') + "\n";
  EXPECT_EQ(con_.text(), line + line);
  EXPECT_EQ(contents(kLog), log + line);
}

TEST_F(Messages, CsvRecord) {
  lib::MSGCSVUNIT() = kCsv;
  assign_field(DMESSAGES.MSGTEXT1, "WARNING 0004 - Pipe \"P1\" full");
  assign_field(DMESSAGES.MSGTEXT3, "see log");
  assign_field(DMESSAGES.MSGEXTRA1, "a \"b\"");
  lib::DMESSAGE(-2);
  assign_field(DMESSAGES.MSGTEXT1, "Note without type");  // no record
  lib::DMESSAGE(-2);
  assign_field(DMESSAGES.MSGTEXT1, "ERROR123456");
  lib::DMESSAGE(-2);
  EXPECT_EQ(contents(kCsv),
            " 0004, 2,      -99999.000,      -99999.000, \"WARNING 0004 - Pipe \"\"P1\"\" full    see log\", "
            "\"a \"\"b\"\"\", \"\", \"\"\n"
            "*****, 1,      -99999.000,      -99999.000, \"ERROR123456\", \"\", \"\", \"\"\n");
}

TEST_F(Messages, TextObjectsAndRecords) {
  lib::MSGCSVUNIT() = kCsv;
  DMESSAGES.MSGBOXHEIGHT = 2.0;
  DMESSAGES.MSGBOXWIDTH = 30.0;
  assign_field(DMESSAGES.MSGTEXT1, "ERROR 0012 - Low \"fall\"");
  lib::DMESSAGEXY(0, 100.0, 200.0);
  assign_field(DMESSAGES.MSGTEXT1, "CHECK 0007 - Steep");
  assign_field(DMESSAGES.MSGTEXT2, "pipe 7");
  lib::DMESSAGEXY(-2, 100.0, 200.0);
  EXPECT_EQ(con_.text(), "XY: ERROR 0012 - Low \"fall\"\n");
  const std::string tail = "    Label Line Arrow          100.000         200.000\n";
  EXPECT_EQ(contents(kMif1), "Text\n\"ERROR 0012 - Low \"\"fall\"\"\"\n"
                             "             102.000         199.000         132.000         201.000\n"
                             "    Font (\"Arial\",257,0,16711935,0)\n" + tail);
  EXPECT_EQ(contents(kMid1), "\"ERROR 0012 - Low \"\"fall\"\"  \"\n");
  EXPECT_EQ(contents(kMif2), "Text\n\"CHECK 0007 - Steep\\npipe 7\"\n"
                             "             102.000         198.000         132.000         202.000\n"
                             "    Font (\"Arial\",257,0,255,16777215)\n" + tail);
  EXPECT_EQ(contents(kLog), "XY: ERROR 0012 - Low \"fall\"\n\"CHECK 0007 - Steep  pipe 7  \"\n");
  EXPECT_EQ(contents(kCsv),
            " 0012, 1,         100.000,         200.000, \"ERROR 0012 - Low \"\"fall\"\"\", \"\", \"\", \"\"\n"
            " 0007, 3,         100.000,         200.000, \"CHECK 0007 - Steep  pipe 7\", \"\", \"\", \"\"\n");
  EXPECT_EQ(DMESSAGES.NERRORSMIF * 1000 + DMESSAGES.NCHECKSMIF * 100 + DMESSAGES.NERRORS * 10 + DMESSAGES.NCHECKS,
            1111);
  EXPECT_EQ(lib::MSGFONT().trimmed(), "Font (\"Arial\",257,0,255,16777215)");
}

TEST_F(Messages, TextObjectToAnUnconnectedUnitIsFatal) {
  DMESSAGES.MSGMIDUNIT2 = kMid2;
  assign_field(DMESSAGES.MSGTEXT1, "note");
  EXPECT_EQ(testing_support::status_of([] { lib::DMESSAGEXY(0, 1.0, 2.0); }), 1);
  EXPECT_EQ(contents(kMif2), "");  // not half an object
  EXPECT_FALSE(std::filesystem::exists(name(kMid2)));
}

}  // namespace
