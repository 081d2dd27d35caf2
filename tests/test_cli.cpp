// The executable as users run it: banner, help, option errors, exit status,
// and the routines it exports by name.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "transcript_support.h"

namespace {

using namespace transcript;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

TEST(Cli, NoArgumentsShowsBannerAndHelpAndEndsWithZero) {
  ScratchDir dir;
  const RunResult r = flowtab({});
  EXPECT_EQ(r.status, 0);
  ASSERT_EQ(r.output.substr(0, kBanner.size()), kBanner);
  const auto lines = lines_of(r.output.substr(kBanner.size()));
  ASSERT_EQ(lines.size(), 59u + 2u);
  EXPECT_EQ(lines[0], "Converts output files from hydrologic models to .ts1 or .csv format.");
  EXPECT_EQ(lines[22], "    -dt<dt> Time increment of RORB hydrographs in minutes, eg. -dt5.");
  EXPECT_TRUE(ends_with(r.output, "\n  will create a .ts1 for every event within the tot file named via event.txt\n\n" +
                                      kPause));  // lines 57 to 60
  EXPECT_TRUE(std::filesystem::is_empty("."));
}

TEST(Cli, BadOptionValueEndsThroughExitsWithOne) {
  ScratchDir dir;
  const RunResult r = flowtab({"-dtabc"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, kBanner + "ERROR - Reading argument value: -dtabc\n" + kPause);
}

// Command-line errors: their messages, the help and status 2, nothing
// converted.
TEST(Cli, CommandLineErrorShowsHelpAndEndsWithTwo) {
  const std::string longer = std::string(1000, 'q') + ".out";
  const struct {
    std::vector<std::string> args;
    std::string messages;
  } cases[] = {
      {{"-rafts", "-mw", "x.tot"},
       "ERROR - -mw switch compatible with WBNM results only. Check input switches and result files\n \n"},
      {{"-b", "-rows", longer, "x.out"},
       "\nERROR - Argument longer than 1000 characters, not used: \"" + longer + "\"\n"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    write_file("x.out", "1 2\n");
    const RunResult r = flowtab(c.args, "\n");
    EXPECT_EQ(r.status, 2);
    const std::string head = kBanner + c.messages + "Converts output files";
    EXPECT_EQ(r.output.substr(0, head.size()), head);
    EXPECT_EQ(lines_of(r.output).size(), lines_of(kBanner + c.messages).size() + 59u + 2u);
    EXPECT_EQ(files_here(), std::set<std::string>{"x.out"});
  }
}

TEST(Cli, ExportedNamesAreInTheDynamicSymbolTable) {
  const std::set<std::string> expected = {
      // text basics
      "SS256", "TRIMF", "NUMBERLINE", "POSITIVEINTEGERNUMBER", "BLANK", "ASAME", "ASAMECS", "REMOVEQUOTES", "UPPERCASE",
      "LOWERCASE",
      // keyword and line tests
      "FLAGEXISTS", "FLAGEXISTSRET", "READGIS", "WRITEGIS", "READROWCOL", "CHECKLINE",
      // number texts
      "AINTEGER", "AINTEGER8", "AINTEGERPREC0", "AINTEGER8PREC0", "AREAL", "AREAL8", "AREALD", "AREALD8",
      "NUMBEROFNUMBERS", "CHECKINT", "CHECKINT4", "CHECKINT8", "NUMBEROFSUBSTRINGS", "SUBSTRING",
      // dates
      "URBSDATEHOURS", "NUMBEROFDAYS",
      // file names and paths
      "FILENAMEPATH", "FILEEXT", "FILENAME", "FILEEXTKC", "FILENAMEEXT", "FILEFOLDERPATH", "FILENAMENO_", "FILE___EXT",
      "FILENAMEPATHNO_", "REMOVEDOTDOT", "ADDFOLDER", "CLEANPATH",
      // exit
      "LENSL", "EXITS",
      // string transforms, messages, CSV fields and keyword values, line reading
      "REMOVESPACES", "ALPHANUMERICONLY", "CLEANATTRIBUTENAME", "DOUBLEQUOTE", "REPLACE", "REPLACEALL", "DMESSAGE",
      "DMESSAGEXY", "DMESSAGECLEAR", "DMESSAGERESETCOUNTERS", "DLINE", "DMESSAGES", "CSVCOLUMN", "CSVVALUE",
      "EXTRACTINTEGER", "EXTRACTREAL", "EXTRACTSTRING", "EXTRACTSTRINGREM", "COMMENTLINE", "READLINE",
      // XP interface reader
      "XPREADSWMMINTFILE"};
  const std::set<std::string> internal = {"REMOVETABS", "AREALD4",     "RELATIVEPATH",  "OPENFILE",      "OPENFREE",
                                          "CLOSER",     "NEXTWORD",    "CHECKSAVEDATE", "MSGCSVUNIT",    "MSGFONT",
                                          "LEAPYEAR",   "DAYSINMONTH", "DAYSINYEAR",    "HOURSSINCE1900"};
  ScratchDir dir;
  const RunResult nm = run_program("nm", {"nm", "-D", "--defined-only", FLOWTAB_EXE}, "", dir.path());
  ASSERT_EQ(nm.status, 0) << nm.output;
  std::istringstream lines(nm.output);
  std::set<std::string> defined;  // lines of address, type and name
  for (std::string address, type, name; lines >> address >> type >> name;)
    if (type == "T" || type == "D" || type == "B") defined.insert(name);
  for (const auto& name : expected) EXPECT_TRUE(defined.count(name)) << name << " is not exported";
  for (const auto& name : internal) EXPECT_FALSE(defined.count(name)) << name << " must not be exported";
}

}  // namespace
