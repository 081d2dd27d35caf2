#include "library/savedate.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "library/settings.h"
#include "library/unit_manager.h"
#include "library/unit_slots.h"
#include "test_support.h"

namespace {

namespace rt = platform::rt;
using testing_support::Console;
using testing_support::status_of;

const std::string kChecking = "Checking save date is later than that of ref.txt...";
const std::string kLate = "ERROR 0004 - Save date of \"ref.txt\" file is later than that of \"saved.mif\"\n";
const std::string kPause = "Re-export mif file and press Enter, or close window.\n";

class SaveDate : public ::testing::Test {
 protected:
  void SetUp() override {
    lib::INITUNITS(1000);
    make("ref.txt", 1'700'000'000);
  }
  // A file with the given modification time (none for 0).
  static void make(const std::string& name, long seconds) {
    std::filesystem::remove(name);
    if (seconds == 0) return;
    testing_support::write_file(name, "x");
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, name.c_str(), times, 0), 0);
  }
  testing_support::ScratchDir dir_;
  std::int32_t a_ = 0, b_ = 0;
};

TEST_F(SaveDate, ReportsThatLetTheRunGoOn) {
  const struct {
    long saved;
    bool error_mode;
    std::string output, echo;
  } cases[] = {
      {1'700'000'000, true, "OK\n\n", ""},
      {1'700'000'001, true, "OK\n\n", ""},
      {1'699'999'999, false, "NOT OK\n\n",
       "WARNING 0004 - Save date of \"ref.txt\" file is later than that of \"saved.mif\"\n"},
      {0, false, "NOT OK\n\n", "WARNING 0004 - Could not access save date of \"saved.mif\" to check with \"ref.txt\"\n"}};
  for (const auto& c : cases) {
    make("saved.mif", c.saved);
    Console con;
    ASSERT_EQ(rt::open(9, "echo.txt", {rt::Form::Formatted, rt::Action::Write, rt::Disposition::Replace}), 0);
    EXPECT_TRUE(lib::CHECKSAVEDATE("saved.mif  ", "ref.txt  ", a_, b_, c.error_mode, 9)) << c.saved;
    EXPECT_EQ(con.text(), kChecking + c.output + c.echo);
    rt::close(9);
    EXPECT_EQ(testing_support::read_file("echo.txt"), c.echo);
  }
}

TEST_F(SaveDate, ErrorModeClosesTheUnitsAndWaitsOrEnds) {
  make("saved.mif", 1'600'000'000);
  Console con("\n");
  lib::OPENFREE(a_, "O ", "a.mif");
  lib::OPENFREE(b_, "O ", "a.mid");
  con.clear();
  EXPECT_FALSE(lib::CHECKSAVEDATE("saved.mif", "ref.txt", a_, b_, true, 0));
  EXPECT_EQ(con.text(),
            kChecking + "NOT OK\n\n...Closed File Unit:1001\n...Closed File Unit:1002\n" + kLate + kPause);
  EXPECT_EQ(a_ + b_, 0);
  con.clear();  // no more input: the wait cannot end
  EXPECT_EQ(status_of([&] { lib::CHECKSAVEDATE("saved.mif", "ref.txt", a_, b_, true, 0); }), 1);
  EXPECT_EQ(con.text(), kChecking + "NOT OK\n\n" + kLate + kPause + "\nERROR - No console input: cannot continue.\n");
  con.clear();  // a date that cannot be read
  EXPECT_EQ(status_of([&] { lib::CHECKSAVEDATE("saved.mif", "none.txt", a_, b_, true, 0); }), 1);
  EXPECT_EQ(con.text(),
            "Checking save date is later than that of none.txt...NOT OK\n\n"
            "ERROR 0004 - Could not access save date of \"saved.mif\" to check with \"none.txt\"\n\n"
            "NOTE - If using MORVEL.exe, use CHECK MI SAVE DATE == WARNING or OFF to suppress check\n\n"
            "\nPress Enter to Close\n");
}

TEST_F(SaveDate, BoxModeRetryOrCancel) {
  make("saved.mif", 1'600'000'000);
  lib::settings().BOXMODE = true;
  Console con("r\nc\n");
  EXPECT_FALSE(lib::CHECKSAVEDATE("saved.mif", "ref.txt", a_, b_, true, 0));
  const std::string out = con.text();
  EXPECT_NE(out.find(kLate + "Re-export mif file, or use CHECK MI SAVE DATE == WARNING or OFF to suppress check.\n"
                             "\n \nERROR 0004 - Save date of \n\"ref.txt\"\nis later than that of \n\"saved.mif\"\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(status_of([&] { lib::CHECKSAVEDATE("saved.mif", "ref.txt", a_, b_, true, 0); }), 1);
}

}  // namespace
