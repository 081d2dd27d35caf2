// The test binary's entry: GoogleTest's, with a listener that makes every
// test leave the process as it found it, and ends the process, naming the
// test, when a test hangs.
//
// Much of what the library and the platform keep is process-wide: the
// settings, the message block, the unit tables and connections, the
// console's redirection and terminator, the floating-point mode, the current
// folder.  ctest runs each test in a process of its own, but the binary is
// also run whole (filtered, shuffled, repeated, under a debugger): there a
// test would see what the tests before it changed.  The listener takes all
// of it before each test and puts it back after.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "library/messages.h"
#include "library/settings.h"
#include "library/unit_slots.h"
#include "platform/connections.h"
#include "platform/console.h"
#include "platform/fpu.h"
#include "platform/process.h"

namespace {

namespace rt = platform::rt;

// What a test may change, as it stood before the test.
struct ProcessState {
  unsigned int fp_mode = platform::for_tests::fp_mode();
  lib::LibSettings settings = lib::settings();
  std::array<bool, 26> letter_flags = lib::LETTERFLAGS();
  DMessagesBlock messages = DMESSAGES;
  std::int32_t csv_unit = lib::MSGCSVUNIT();
  lib::UnitTables units = lib::unit_tables();
  std::vector<int> connected = rt::for_tests::connected_units();
  std::ostream* output = platform::console::for_tests::output();
  std::istream* input = platform::console::for_tests::input();
  platform::Terminator terminator = platform::for_tests::terminator();
  std::filesystem::path folder = std::filesystem::current_path();

  void put_back() const {
    platform::console::for_tests::redirect(output, input);
    platform::set_terminator(terminator);
    // Closes the connections the test opened (what it wrote goes to their files).
    for (const int unit : rt::for_tests::connected_units())
      if (!std::binary_search(connected.begin(), connected.end(), unit)) rt::close(unit);
    lib::unit_tables() = units;
    lib::settings() = settings;
    lib::LETTERFLAGS() = letter_flags;
    DMESSAGES = messages;
    lib::MSGCSVUNIT() = csv_unit;
    platform::for_tests::set_fp_mode(fp_mode);
    std::error_code ec;
    std::filesystem::current_path(folder, ec);
  }
};

// A test that runs longer than this ends the process (a hang fails with its
// name instead of holding the run to an outer limit).
constexpr unsigned int kTestSeconds = FLOWTAB_TEST_TIMEOUT;

// The report of the test running now, written by the alarm's handler.
char g_overrun[600];

void on_alarm(int) {
  [[maybe_unused]] const ssize_t w = ::write(2, g_overrun, std::strlen(g_overrun));
  ::_exit(1);
}

class KeepProcessState : public ::testing::EmptyTestEventListener {
 public:
  KeepProcessState() {
    struct sigaction a = {};
    a.sa_handler = on_alarm;
    a.sa_flags = SA_RESTART;
    ::sigaction(SIGALRM, &a, nullptr);
  }

  void OnTestStart(const ::testing::TestInfo& test) override {
    before_ = std::make_unique<ProcessState>();
    std::snprintf(g_overrun, sizeof g_overrun, "\n[  TIMEOUT ] %s.%s ran longer than %u s\n", test.test_suite_name(),
                  test.name(), kTestSeconds);
    ::alarm(kTestSeconds);
  }

  void OnTestEnd(const ::testing::TestInfo&) override {
    ::alarm(0);
    before_->put_back();
    before_.reset();
  }

 private:
  std::unique_ptr<ProcessState> before_;
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new KeepProcessState);
  return RUN_ALL_TESTS();
}
