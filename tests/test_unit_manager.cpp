// The file-unit manager and its open routine: units handed out, console
// transcripts of opens, prompts and retries.
#include "library/unit_manager.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "library/exits.h"
#include "library/openfile.h"
#include "library/settings.h"
#include "library/unit_slots.h"
#include "test_support.h"
#include "transcript_support.h"

namespace {

namespace rt = platform::rt;
using testing_support::Console;
using testing_support::ScratchDir;
using testing_support::status_of;
using testing_support::write_file;

class UnitMgrTest : public ::testing::Test {
 protected:
  void SetUp() override { lib::INITUNITS(1000); }
  ScratchDir dir_;
};

// Pool units are handed out lowest free first; CLOSER hands one back and
// ignores a unit of 0, one handed back already and one not of the pool;
// CLOSEALL closes every unit without a message of its own and frees them.
TEST_F(UnitMgrTest, PoolUnitsAreHandedOutFirstFreeAndHandedBack) {
  Console con;
  write_file("in.txt", "x\n");
  std::int32_t a = 0, b = 0, c = 0, d = 0;
  lib::OPENFREE(a, "I ", "in.txt");
  lib::OPENFREE(b, "O ", "out.txt");
  std::int32_t copy = a, foreign = 7;
  lib::CLOSER(a);
  lib::CLOSER(a);
  lib::CLOSER(copy);
  lib::CLOSER(foreign);
  EXPECT_EQ(std::vector<std::int32_t>({a, copy, foreign}), std::vector<std::int32_t>({0, 1001, 7}));
  lib::OPENFREE(c, "O ", "other.txt");
  lib::CLOSEALL();
  EXPECT_FALSE(rt::is_connected(b) || rt::is_connected(c));
  lib::OPENFREE(d, "O ", "again.txt");
  EXPECT_EQ(con.text(),
            "\nTrying to open file in.txt...OK.\nOpened File Unit:1001\n"
            "\nTrying to open file out.txt...OK.  File Unit:1002\n"
            "...Closed File Unit:1001\n"
            "\nTrying to open file other.txt...OK.  File Unit:1001\n"
            "\nClosing all file units...\n"
            "\nTrying to open file again.txt...OK.  File Unit:1001\n");
}

// One OPENFREE on a fresh pool with the console input given: the exit status
// (-1 when it returned), the unit, the path connected and the transcript.
TEST_F(UnitMgrTest, OpenTranscripts) {
  write_file("real.txt", "r\n");
  std::filesystem::create_directory("adir");
  std::filesystem::create_directory("sub");
  const std::string longname = std::string(120, 'n') + ".txt";
  write_file(longname, "x\n");
  const std::string missing =
      "\nTrying to open file missing.txt...\nCHECK 0008 - \"missing.txt\" cannot be found\n"
      "\nCheck file exists and press enter or enter another file name: ";
  const std::string cannot =
      "Can't Open\n\n Can't open: nofolder/out.txt\n\n Another application or user maybe using it,\n"
      "    or the file's folder does not exist.\n If so, close the file or create file path.\n"
      "\nPress Enter to Continue\n";
  const std::string no_input = "\nERROR - No console input: cannot continue.\n";
  const std::string pause = "\nPress Enter to Close\n";
  const struct {
    std::string input, code, name;
    int status;
    std::int32_t unit;  // when it returned
    std::string path, console;
    char drive = ' ';
  } cases[] = {
      // A missing input is asked for until a name opens (a typed name is
      // kept whole) or the console input ends.
      {"\nreal.txt\n", "I ", "missing.txt", -1, 1001, "real.txt",
       missing + "\nNo file name entered.  Trying file again...\n" + missing +
           "\nTrying to open file real.txt...OK.\nOpened File Unit:1001\n"},
      {longname + "\n", "I ", "missing.txt", -1, 1001, longname,
       missing + "\nTrying to open file " + longname + "...OK.\nOpened File Unit:1001\n"},
      {"", "I ", "missing.txt", 1, 0, "", missing + no_input},
      // An output whose folder does not exist is retried after each pause.
      {"\n\n", "O ", "nofolder/out.txt", 1, 0, "",
       "\nTrying to open file nofolder/out.txt..." + cannot + cannot + cannot + no_input},
      // The name is trimmed and cleaned; the drive override replaces the drive.
      {"", "O ", "  out.txt  ", -1, 1001, "out.txt", "\nTrying to open file out.txt...OK.  File Unit:1001\n"},
      {"", "O ", "sub//x.txt", -1, 1001, "sub/x.txt", "\nTrying to open file sub/x.txt...OK.  File Unit:1001\n"},
      {"", "O ", "c:out.txt", -1, 1001, "Q:out.txt", "\nTrying to open file Q:out.txt...OK.  File Unit:1001\n", 'Q'},
      // Names and codes that open nothing.
      {"\n", "O ", "   ", 1, 0, "",
       "\nEmpty filename specified.  Bailing out.  Please contact flowtab@example.org.\nPress Enter to Close\n"},
      {"\n", "LO", "x.txt", 1, 0, "",
       "\nTrying to open file x.txt...Should not be here [entex - lo]. Please contact flowtab@example.org\n" + pause},
      {"", "ZZ", "x.txt", -1, 1001, "",
       "\nTrying to open file x.txt...  Unrecognised file type ZZ file x.txt" + std::string(75, ' ') + "\n"},
      // An append that fails on an existing name (a folder) gives unit 0.
      {"", "A ", "adir", -1, 0, "", "\nTrying to open file adir...FAILED.  No File Unit allocated.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("[" + c.code + "] [" + c.name + "] typed [" + c.input + "]");
    rt::close_all();
    lib::INITUNITS(1000);
    lib::settings().OUTPUTDRIVE = c.drive;
    Console con(c.input);
    std::int32_t unit = 0;
    EXPECT_EQ(transcript::ending_of([&] { lib::OPENFREE(unit, c.code, c.name); }), c.status);
    if (c.status == -1) { EXPECT_EQ(unit, c.unit); }
    EXPECT_EQ(rt::connected_path(unit), c.path);
    EXPECT_EQ(con.text(), c.console);
    if (c.path.empty()) {  // a unit that opened nothing is not kept either
      for (const auto& p : lib::unit_tables().pool) EXPECT_FALSE(p.open);
    }
  }
  // I/O on the unit of an unknown code is a fatal run-time report, never a
  // stray file.
  Console con;
  EXPECT_EQ(status_of([&] { rt::write_record(1001, "x"); }), 1);
  EXPECT_FALSE(std::filesystem::exists("fort.1001"));
}

TEST_F(UnitMgrTest, KindCodeFollowsTheLowerCasedExtension) {
  Console con;
  for (const auto& [name, kind] : {std::pair{"a.MIF", 101}, {"a.csv", 0}, {"a.12da", 111}}) {
    std::int32_t unit = 0;
    lib::OPENFREE(unit, "O ", name);
    EXPECT_EQ(unit, 1001);
    EXPECT_EQ(lib::UNITKIND(unit), kind) << name;
    lib::CLOSER(unit);
  }
  EXPECT_EQ(lib::UNITKIND(4711), 0);
}

TEST_F(UnitMgrTest, NoFreeUnitStopsTheRun) {
  Console con;
  for (auto& p : lib::unit_tables().pool) p.open = true;
  std::int32_t unit = 0;
  EXPECT_EQ(status_of([&] { lib::OPENFREE(unit, "O ", "x.txt"); }), 1);
  EXPECT_EQ(con.text(), "No free file numbers.\n");
}

TEST_F(UnitMgrTest, SlotChecksAndAnUnnamedSlotWithoutPrompt) {
  std::int32_t unit = 0;
  lib::FText name(80);
  const struct {
    std::function<void()> call;
    std::string message;
  } cases[] = {
      {[&] { lib::OPENER(0, unit, "I ", "", 1); }, "Incorrect file number - OPENER\n"},
      {[&] { lib::OPENERNAME(9, unit, "a", "I ", "", 1); }, "Incorrect file number - OPENER\n"},
      {[&] { lib::NAMED(0); }, "Invalid file number - NAMED\n"},
      {[&] { lib::NAMED(9); }, "Invalid file number - NAMED\n"},
      {[&] { lib::GETNAM(9, name); }, "Invalid file number - GETNAM\n"},
      {[&] { lib::OPENER(3, unit, "I ", "input", 0); }, "\nPress Enter to Close\n"},  // ends through EXITS
  };
  for (const auto& c : cases) {
    Console con("\n");
    EXPECT_EQ(status_of(c.call), 1);
    EXPECT_EQ(con.text(), c.message);
  }
  lib::CLRNAM(9);  // nothing happens
}

TEST_F(UnitMgrTest, FixedSlotsOpenTheirStoredNameOrAskForOne) {
  Console con("typed.txt\n");
  write_file("model.dat", "1\n");
  write_file("typed.txt", "t\n");
  std::int32_t unit = 0, other = 0;
  EXPECT_FALSE(lib::NAMED(1));
  lib::OPENERNAME(1, unit, "  model.dat", "I ", "input", 0);
  EXPECT_EQ(unit, 993);
  EXPECT_TRUE(lib::NAMED(1));
  lib::FText name(80);
  lib::GETNAM(1, name);
  EXPECT_EQ(name.trimmed(), "model.dat");
  lib::OPENER(2, other, "I ", "control", 1);
  EXPECT_EQ(other, 994);
  EXPECT_EQ(status_of([&] { lib::OPENER(1, unit, "I ", "input", 0); }), 1);
  EXPECT_EQ(con.text(), "\nTrying to open file model.dat...OK.\nOpened File Unit: 993\n"
                        "What is the control file name? \nTrying to open file typed.txt...OK.\nOpened File Unit: 994\n"
                        "File already opened - OPENER\n");
  lib::CLOSER(unit);
  lib::CLRNAM(1);
  EXPECT_FALSE(lib::NAMED(1));
  EXPECT_EQ(lib::unit_tables().fixed[0].name.trimmed(), "");
}

TEST_F(UnitMgrTest, DerivedNamesUseSlotOnesName) {
  const struct {
    std::string slot1, prefix, suffix, expected;
  } cases[] = {
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
    EXPECT_EQ(rt::connected_path(unit), c.expected);
    lib::CLOSER(unit);
  }
}

// An output on a full disk is reported, whichever routine closes it last,
// and the run ends with status 1.
TEST_F(UnitMgrTest, UnwrittenOutputIsReportedWhenClosingEverything) {
  std::filesystem::create_symlink("/dev/full", "full.txt");
  for (const std::function<void()>& close_everything :
       {std::function<void()>([] { lib::CLOSEALL(); }), std::function<void()>([] { lib::EXITS(0); })}) {
    Console con("");
    lib::INITUNITS(1000);
    std::int32_t a = 0, b = 0;
    lib::OPENFREE(a, "O ", "full.txt");
    lib::OPENFREE(b, "O ", "ok.txt");
    rt::write_record(a, "lost");
    rt::write_record(b, "kept");
    con.clear();
    EXPECT_EQ(status_of(close_everything), 1);
    EXPECT_NE(con.text().find("\nERROR - Writing output file full.txt\n"), std::string::npos) << con.text();
    EXPECT_FALSE(rt::is_connected(b));
    EXPECT_EQ(testing_support::read_file("ok.txt"), "kept\n");
  }
}

TEST_F(UnitMgrTest, OutputRetrySucceedsOnceTheFolderExists) {
  testing_support::ActingInput acting("\n", [] { std::filesystem::create_directory("later"); });
  Console con;
  std::istream in(&acting);
  platform::console::set_input(&in);
  std::int32_t unit = 0;
  lib::OPENFREE(unit, "O ", "later/out.txt");
  EXPECT_EQ(unit, 1001);
  EXPECT_NE(con.text().find("Press Enter to Continue\nOK.  File Unit:1001\n"), std::string::npos) << con.text();
}

// An output open already is closed after the question; an input open
// already is opened once more.
TEST_F(UnitMgrTest, NamesOpenAlready) {
  write_file("in.txt", "a\n");
  Console con("y\n");
  std::int32_t first = 0, second = 0, in1 = 0, in2 = 0;
  lib::OPENFREE(first, "O ", "same.txt");
  lib::OPENFREE(second, "O ", " ./same.txt");
  EXPECT_EQ(second, 1002);
  EXPECT_FALSE(rt::is_connected(first));
  EXPECT_FALSE(lib::unit_tables().pool[0].open);
  EXPECT_NE(con.text().find("\nTrying to open file ./same.txt...\n./same.txt is already open, close it? OK.  File "
                            "Unit:1002\n"),
            std::string::npos)
      << con.text();
  lib::OPENFREE(in1, "I ", "in.txt");
  lib::OPENFREE(in2, "I ", "in.txt");
  EXPECT_TRUE(rt::is_connected(in1) && rt::is_connected(in2) && in1 != in2);
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
  EXPECT_EQ(rt::connected_path(unit), "copy/run/Out.txt");
  EXPECT_TRUE(std::filesystem::exists("copy/run/Out.txt"));
  s.COPYINPUTS = false;
}

// In box mode a missing input is asked for in a box, again on a retry; an
// output whose folder is missing offers to create it.
TEST_F(UnitMgrTest, BoxModeQuestions) {
  lib::settings().BOXMODE = true;
  lib::settings().APPNAME.assign("Flood");
  std::int32_t unit = 0;
  {
    Console con("r\nc\n");  // Retry once, then Cancel
    EXPECT_EQ(status_of([&] { lib::OPENFREE(unit, "I ", "gone.txt"); }), 1);
    const std::string out = con.text(), box = "Flood FILE and/or path\ngone.txt\ndoes not exist.";
    EXPECT_NE(out.find(box, out.find(box) + 1), std::string::npos) << "the box, and again on the retry: " << out;
  }
  Console con("n\nc\n");  // No: try again; then Cancel
  EXPECT_EQ(status_of([&] { lib::OPENFREE(unit, "O ", "nowhere/out.txt"); }), 1);
  EXPECT_NE(con.text().find("nowhere/\n\nAbove folder does not exist!  Create?\n\nEither create the folder yourself "
                            "and press No,\nor press Yes to have the folder created for you."),
            std::string::npos)
      << con.text();
}

}  // namespace
