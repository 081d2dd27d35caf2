// The file-unit manager and its open routine: units handed out, console
// transcripts of opens, prompts and retries.
#include "library/unitmgr.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "library/openfile.h"
#include "library/unittables.h"
#include "test_support.h"

namespace {

using testing_support::Console;
using testing_support::ScratchDir;
using testing_support::status_of;
using testing_support::write_file;

class UnitMgrTest : public ::testing::Test {
 protected:
  void SetUp() override { lib::INITUNITS(1000); }
  ScratchDir dir_;
};

TEST_F(UnitMgrTest, PoolUnitsAreHandedOutFirstFree) {
  Console con;
  write_file("in.txt", "x\n");
  std::int32_t a = 0, b = 0, c = 0;
  lib::OPENFREE(a, "I ", "in.txt");
  lib::OPENFREE(b, "O ", "out.txt");
  EXPECT_EQ(a, 1001);
  EXPECT_EQ(b, 1002);
  lib::CLOSER(a);
  EXPECT_EQ(a, 0);
  lib::OPENFREE(c, "O ", "other.txt");
  EXPECT_EQ(c, 1001);
  EXPECT_EQ(con.text(),
            "\nTrying to open file in.txt...OK.\nOpened File Unit:1001\n"
            "\nTrying to open file out.txt...OK.  File Unit:1002\n"
            "...Closed File Unit:1001\n"
            "\nTrying to open file other.txt...OK.  File Unit:1001\n");
}

TEST_F(UnitMgrTest, CloserIgnoresUnknownAndClosedUnits) {
  Console con;
  std::int32_t unit = 0;
  lib::OPENFREE(unit, "O ", "out.txt");
  std::int32_t copy = unit;
  lib::CLOSER(unit);
  con.clear();
  lib::CLOSER(unit);  // now 0
  lib::CLOSER(copy);  // handed back already
  EXPECT_EQ(copy, 1001);
  std::int32_t foreign = 7;
  lib::CLOSER(foreign);
  EXPECT_EQ(foreign, 7);
  EXPECT_EQ(con.text(), "");
}

TEST_F(UnitMgrTest, TheCallersNameIsTrimmedButNotChanged) {
  Console con;
  std::string name = "  out.txt  ";
  std::int32_t unit = 0;
  lib::OPENFREE(unit, "O ", name);
  EXPECT_EQ(name, "  out.txt  ");
  EXPECT_TRUE(std::filesystem::exists("out.txt"));
}

TEST_F(UnitMgrTest, BlankNameEndsTheRunAfterItsMessage) {
  Console con("\n");
  std::int32_t unit = 0;
  EXPECT_EQ(status_of([&] { lib::OPENFREE(unit, "O ", "   "); }), 1);
  EXPECT_EQ(con.text(),
            "\nEmpty filename specified.  Bailing out.  Please contact flowtab@example.org.\nPress Enter to Close\n");
  for (const auto& p : lib::unit_tables().pool) EXPECT_FALSE(p.open);
}

TEST_F(UnitMgrTest, KindCodeFollowsTheLowerCasedExtension) {
  Console con;
  std::int32_t unit = 0;
  lib::OPENFREE(unit, "O ", "a.MIF");
  EXPECT_EQ(lib::UNITKIND(unit), 101);
  lib::CLOSER(unit);
  lib::OPENFREE(unit, "O ", "a.csv");
  EXPECT_EQ(unit, 1001);
  EXPECT_EQ(lib::UNITKIND(unit), 0);
  lib::CLOSER(unit);
  lib::OPENFREE(unit, "O ", "a.12da");
  EXPECT_EQ(lib::UNITKIND(unit), 111);
  EXPECT_EQ(lib::UNITKIND(4711), 0);
}

TEST_F(UnitMgrTest, NoFreeUnitStopsTheRun) {
  Console con;
  for (auto& p : lib::unit_tables().pool) p.open = true;
  std::int32_t unit = 0;
  EXPECT_EQ(status_of([&] { lib::OPENFREE(unit, "O ", "x.txt"); }), 1);
  EXPECT_EQ(con.text(), "No free file numbers.\n");
}

TEST_F(UnitMgrTest, SlotNumberChecks) {
  struct Case {
    std::function<void()> call;
    std::string message;
  };
  std::int32_t unit = 0;
  lib::FText name(80);
  const Case cases[] = {
      {[&] { lib::OPENER(0, unit, "I ", "", 1); }, "Incorrect file number - OPENER\n"},
      {[&] { lib::OPENERNAME(9, unit, "a", "I ", "", 1); }, "Incorrect file number - OPENER\n"},
      {[&] { lib::NAMED(0); }, "Invalid file number - NAMED\n"},
      {[&] { lib::NAMED(9); }, "Invalid file number - NAMED\n"},
      {[&] { lib::GETNAM(9, name); }, "Invalid file number - GETNAM\n"},
  };
  for (const auto& c : cases) {
    Console con;
    EXPECT_EQ(status_of(c.call), 1);
    EXPECT_EQ(con.text(), c.message);
  }
  lib::CLRNAM(9);  // nothing happens
}

TEST_F(UnitMgrTest, FixedSlotsOpenTheirStoredName) {
  Console con;
  write_file("model.dat", "1\n");
  std::int32_t unit = 0;
  EXPECT_FALSE(lib::NAMED(1));
  lib::OPENERNAME(1, unit, "  model.dat", "I ", "input", 0);
  EXPECT_EQ(unit, 993);
  EXPECT_TRUE(lib::NAMED(1));
  lib::FText name(80);
  lib::GETNAM(1, name);
  EXPECT_EQ(name.trimmed(), "model.dat");
  EXPECT_EQ(status_of([&] { lib::OPENER(1, unit, "I ", "input", 0); }), 1);
  EXPECT_NE(con.text().find("File already opened - OPENER\n"), std::string::npos);
  lib::CLOSER(unit);
  lib::CLRNAM(1);
  EXPECT_FALSE(lib::NAMED(1));
  EXPECT_EQ(lib::unit_tables().fixed[0].name.trimmed(), "");
}

TEST_F(UnitMgrTest, UnnamedSlotWithoutPromptEndsThroughExits) {
  Console con("\n");
  std::int32_t unit = 0;
  EXPECT_EQ(status_of([&] { lib::OPENER(3, unit, "I ", "input", 0); }), 1);
  EXPECT_EQ(con.text(), "\nPress Enter to Close\n");
}

TEST_F(UnitMgrTest, UnnamedSlotWithPromptAsksForTheName) {
  write_file("typed.txt", "t\n");
  Console con("typed.txt\n");
  std::int32_t unit = 0;
  lib::OPENER(2, unit, "I ", "control", 1);
  EXPECT_EQ(unit, 994);
  EXPECT_EQ(con.text(),
            "What is the control file name? \nTrying to open file typed.txt...OK.\nOpened File Unit: 994\n");
}

TEST_F(UnitMgrTest, DerivedNamesUseSlotOnesName) {
  struct Case {
    std::string slot1, prefix, suffix, expected;
  };
  const Case cases[] = {
      {"m_run1", "e_", ".mif", "e_run1.mif"},
      {"run1", "e_", ".mif", "e_run1.mif"},
      {"run1", "  ", ".t  ", "run1.t"},
      {std::string(50, 'x'), "e_", ".mif", "e_" + std::string(36, 'x')},
  };
  for (const auto& c : cases) {
    Console con;
    lib::INITUNITS(1000);
    auto& one = lib::unit_tables().fixed[0];
    one.name.assign(c.slot1);
    one.namelen = static_cast<std::int32_t>(c.slot1.size());
    std::int32_t unit = 0;
    lib::OPENDERIVED(unit, "O ", c.prefix, c.suffix);
    EXPECT_EQ(platform::rt::connected_path(unit), c.expected);
    lib::CLOSER(unit);
  }
}

TEST_F(UnitMgrTest, CloseallClosesWithoutMessagesAndFreesTheUnits) {
  Console con;
  std::int32_t a = 0, b = 0;
  lib::OPENFREE(a, "O ", "a.txt");
  lib::OPENFREE(b, "O ", "b.txt");
  con.clear();
  lib::CLOSEALL();
  EXPECT_EQ(con.text(), "\nClosing all file units...\n");
  EXPECT_FALSE(platform::rt::is_connected(a));
  std::int32_t c = 0;
  lib::OPENFREE(c, "O ", "c.txt");
  EXPECT_EQ(c, 1001);
}

// An output on a full disk is reported, whichever routine closes it last,
// and the run ends with status 1.
TEST_F(UnitMgrTest, UnwrittenOutputIsReportedWhenClosingEverything) {
  const std::function<void()> closers[] = {[] { lib::CLOSEALL(); }, [] { lib::EXITS(0); }};
  for (const auto& close_everything : closers) {
    Console con("");
    lib::INITUNITS(1000);
    std::filesystem::remove("full.txt");
    std::filesystem::create_symlink("/dev/full", "full.txt");
    std::int32_t a = 0, b = 0;
    lib::OPENFREE(a, "O ", "full.txt");
    lib::OPENFREE(b, "O ", "ok.txt");
    platform::rt::write_record(a, "lost");
    platform::rt::write_record(b, "kept");
    con.clear();
    EXPECT_EQ(status_of(close_everything), 1);
    EXPECT_NE(con.text().find("\nERROR - Writing output file full.txt\n"), std::string::npos) << con.text();
    EXPECT_FALSE(platform::rt::is_connected(b));
    EXPECT_EQ(testing_support::read_file("ok.txt"), "kept\n");
  }
}

// ---- the open routine ----

TEST_F(UnitMgrTest, MissingInputPromptsUntilANameOpens) {
  write_file("real.txt", "r\n");
  Console con("\nreal.txt\n");
  std::int32_t unit = 0;
  lib::OPENFREE(unit, "I ", "missing.txt");
  EXPECT_EQ(unit, 1001);
  EXPECT_EQ(con.text(),
            "\nTrying to open file missing.txt...\n"
            "CHECK 0008 - \"missing.txt\" cannot be found\n"
            "\nCheck file exists and press enter or enter another file name: "
            "\nNo file name entered.  Trying file again...\n"
            "\nTrying to open file missing.txt...\n"
            "CHECK 0008 - \"missing.txt\" cannot be found\n"
            "\nCheck file exists and press enter or enter another file name: "
            "\nTrying to open file real.txt...OK.\nOpened File Unit:1001\n");
  EXPECT_EQ(platform::rt::connected_path(1001), "real.txt");
}

TEST_F(UnitMgrTest, MissingInputAtEndOfInputEndsTheRun) {
  Console con("");
  std::int32_t unit = 0;
  EXPECT_EQ(status_of([&] { lib::OPENFREE(unit, "I ", "missing.txt"); }), 1);
  EXPECT_EQ(con.text(),
            "\nTrying to open file missing.txt...\n"
            "CHECK 0008 - \"missing.txt\" cannot be found\n"
            "\nCheck file exists and press enter or enter another file name: "
            "\nERROR - No console input: cannot continue.\n");
}

TEST_F(UnitMgrTest, TypedNamesAreKeptBeyondEightyCharacters) {
  const std::string longname = std::string(120, 'n') + ".txt";
  write_file(longname, "x\n");
  Console con(longname + "\n");
  std::int32_t unit = 0;
  lib::OPENFREE(unit, "I ", "missing.txt");
  EXPECT_EQ(platform::rt::connected_path(unit), longname);
}

TEST_F(UnitMgrTest, OutputThatCannotBeCreatedIsRetriedAfterAPause) {
  Console con("\n\n");
  std::int32_t unit = 0;
  // The folder does not exist: two failures, then the input ends.
  EXPECT_EQ(status_of([&] { lib::OPENFREE(unit, "O ", "nofolder/out.txt"); }), 1);
  const std::string block =
      "Can't Open\n"
      "\n"
      " Can't open: nofolder/out.txt\n"
      "\n"
      " Another application or user maybe using it,\n"
      "    or the file's folder does not exist.\n"
      " If so, close the file or create file path.\n"
      "\nPress Enter to Continue\n";
  EXPECT_EQ(con.text(), "\nTrying to open file nofolder/out.txt..." + block + block + block +
                            "\nERROR - No console input: cannot continue.\n");
}

TEST_F(UnitMgrTest, OutputRetrySucceedsOnceTheFolderExists) {
  struct CreateFolderOnRead : std::streambuf {
    bool done = false;
    int underflow() override {
      if (!done) {
        std::filesystem::create_directory("later");
        done = true;
        setg(buf, buf, buf + 1);
        return '\n';
      }
      return traits_type::eof();
    }
    char buf[1] = {'\n'};
  } sb;
  Console con;
  std::istream in(&sb);
  platform::console::set_input(&in);
  std::int32_t unit = 0;
  lib::OPENFREE(unit, "O ", "later/out.txt");
  EXPECT_EQ(unit, 1001);
  const std::string out = con.text();
  EXPECT_NE(out.find("Press Enter to Continue\nOK.  File Unit:1001\n"), std::string::npos) << out;
}

TEST_F(UnitMgrTest, UnknownCodeOpensNothingAndMarksNothingOpen) {
  Console con;
  std::int32_t unit = 0;
  lib::OPENFREE(unit, "ZZ", "x.txt");
  EXPECT_EQ(unit, 1001);
  EXPECT_FALSE(platform::rt::is_connected(1001));
  EXPECT_FALSE(lib::unit_tables().pool[0].open);
  EXPECT_EQ(con.text(), "\nTrying to open file x.txt...  Unrecognised file type ZZ file x.txt" +
                            std::string(75, ' ') + "\n");
  // I/O on that unit is a fatal run-time report, never a stray file.
  EXPECT_EQ(status_of([&] { platform::rt::write_record(unit, "x"); }), 1);
  EXPECT_FALSE(std::filesystem::exists("fort.1001"));
}

TEST_F(UnitMgrTest, AppendFailureOnAnExistingFileGivesUnitZero) {
  Console con;
  std::filesystem::create_directory("adir");
  std::int32_t unit = 0;
  lib::OPENFREE(unit, "A ", "adir");
  EXPECT_EQ(unit, 0);
  EXPECT_EQ(con.text(), "\nTrying to open file adir...FAILED.  No File Unit allocated.\n");
  EXPECT_FALSE(lib::unit_tables().pool[0].open);
}

TEST_F(UnitMgrTest, AlreadyOpenOutputAsksToCloseIt) {
  Console con("y\n");
  std::int32_t first = 0, second = 0;
  lib::OPENFREE(first, "O ", "same.txt");
  lib::OPENFREE(second, "O ", " ./same.txt");
  EXPECT_EQ(second, 1002);
  EXPECT_FALSE(platform::rt::is_connected(first));
  EXPECT_FALSE(lib::unit_tables().pool[0].open);
  EXPECT_NE(con.text().find("\nTrying to open file ./same.txt...\n./same.txt is already open, close it? OK.  File "
                            "Unit:1002\n"),
            std::string::npos)
      << con.text();
}

TEST_F(UnitMgrTest, AlreadyOpenInputIsOpenedAgain) {
  write_file("in.txt", "a\n");
  Console con;
  std::int32_t first = 0, second = 0;
  lib::OPENFREE(first, "I ", "in.txt");
  lib::OPENFREE(second, "I ", "in.txt");
  EXPECT_TRUE(platform::rt::is_connected(first));
  EXPECT_TRUE(platform::rt::is_connected(second));
}

TEST_F(UnitMgrTest, DriveOverrideReplacesTheDriveLetter) {
  Console con;
  lib::settings().OUTPUTDRIVE = 'Q';
  std::int32_t unit = 0;
  lib::OPENFREE(unit, "O ", "c:out.txt");
  EXPECT_EQ(platform::rt::connected_path(unit), "Q:out.txt");
}

TEST_F(UnitMgrTest, CleanedNameIsUsed) {
  Console con;
  std::filesystem::create_directory("sub");
  std::int32_t unit = 0;
  lib::OPENFREE(unit, "O ", "sub//x.txt");
  EXPECT_EQ(con.text(), "\nTrying to open file sub/x.txt...OK.  File Unit:1001\n");
  EXPECT_EQ(platform::rt::connected_path(unit), "sub/x.txt");
}

TEST_F(UnitMgrTest, LoCodeIsNeverOpened) {
  Console con("\n");
  std::int32_t unit = 0;
  EXPECT_EQ(status_of([&] { lib::OPENFREE(unit, "LO", "x.txt"); }), 1);
  EXPECT_EQ(con.text(),
            "\nTrying to open file x.txt...Should not be here [entex - lo]. Please contact flowtab@example.org\n"
            "\nPress Enter to Close\n");
}

TEST_F(UnitMgrTest, IsInputCode) {
  for (std::string_view c : {"I ", "UI", "BI", "BE", "DI", "DE", "SI"}) EXPECT_TRUE(lib::is_input_code(c)) << c;
  for (std::string_view c : {"O ", "F ", "A ", "IO", "LO", "DX", "zz", "i "}) EXPECT_FALSE(lib::is_input_code(c)) << c;
}

TEST_F(UnitMgrTest, CopyModeMirrorsOutputsIntoTheCopyTree) {
  Console con;
  auto& s = lib::settings();
  s.COPYINPUTS = true;
  s.COPYROOT.assign("copy/");
  std::filesystem::create_directory("run");
  std::int32_t unit = 0;
  lib::OPENFREE(unit, "O ", "run/Out.TXT");
  EXPECT_EQ(s.LASTCOPYPATH.trimmed(), "copy/run/Out.txt");
  EXPECT_EQ(platform::rt::connected_path(unit), "copy/run/Out.txt");
  EXPECT_TRUE(std::filesystem::exists("copy/run/Out.txt"));
  s.COPYINPUTS = false;
}

}  // namespace

namespace {

TEST_F(UnitMgrTest, BoxModeAsksForAMissingInputInABox) {
  Console con("r\nc\n");  // Retry once, then Cancel
  lib::settings().BOXMODE = true;
  lib::settings().APPNAME.assign("Flood");
  std::int32_t unit = 0;
  EXPECT_EQ(status_of([&] { lib::OPENFREE(unit, "I ", "gone.txt"); }), 1);
  const std::string out = con.text();
  const std::string box = "Flood FILE and/or path\ngone.txt\ndoes not exist.";
  const std::size_t first = out.find(box);
  ASSERT_NE(first, std::string::npos) << out;
  EXPECT_NE(out.find(box, first + 1), std::string::npos) << "the retry shows the box again";
}

TEST_F(UnitMgrTest, BoxModeOutputWhoseFolderIsMissing) {
  Console con("n\nc\n");  // No: try again; then Cancel
  lib::settings().BOXMODE = true;
  std::int32_t unit = 0;
  EXPECT_EQ(status_of([&] { lib::OPENFREE(unit, "O ", "nowhere/out.txt"); }), 1);
  EXPECT_NE(con.text().find("nowhere/\n\nAbove folder does not exist!  Create?\n\nEither create the folder yourself "
                            "and press No,\nor press Yes to have the folder created for you."),
            std::string::npos)
      << con.text();
}

}  // namespace
