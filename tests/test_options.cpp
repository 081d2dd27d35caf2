// The command line: option words, values, the -mr file argument and the
// combination checks.
#include "converter/options.h"

#include <gtest/gtest.h>

#include "library/unit_slots.h"
#include "test_support.h"

namespace {

using conv::InputKind;
using conv::OutputKind;
using testing_support::Console;
using testing_support::ScratchDir;
using testing_support::status_of;

conv::CommandLine parse(std::vector<std::string> args) { return conv::parse_command_line(args); }

TEST(Options, WordsSelectKindsAndFlags) {
  Console con;
  struct Case {
    std::vector<std::string> args;
    InputKind input;
    OutputKind output;
  };
  const Case cases[] = {
      {{"-WBNM"}, InputKind::Wbnm, OutputKind::Ts1},
      {{"-rafts", "/wbnm"}, InputKind::Wbnm, OutputKind::Ts1},
      {{"\x96rafts"}, InputKind::Rafts, OutputKind::Ts1},
      {{"\xE2\x80\x93rorb"}, InputKind::Rorb, OutputKind::Ts1},
      {{"-rows"}, InputKind::Rows, OutputKind::Ts1},
      {{"-row"}, InputKind::Rows, OutputKind::Ts1},
      {{"-rorb"}, InputKind::Rorb, OutputKind::Ts1},
      {{"-urbs", "-darno", "-xp"}, InputKind::Xp, OutputKind::Ts1},
      {{"-darno"}, InputKind::Darno, OutputKind::Ts1},
      {{"-ts2", "-wbnm"}, InputKind::Wbnm, OutputKind::Ts1},
      {{"-wbnm", "-ts2"}, InputKind::Wbnm, OutputKind::Ts2},
      {{"-csv", "-ts1"}, InputKind::Wbnm, OutputKind::Ts1},
      {{"-CSV"}, InputKind::Wbnm, OutputKind::Csv},
  };
  for (const auto& c : cases) {
    const auto cl = parse(c.args);
    EXPECT_EQ(cl.settings.input, c.input) << c.args[0];
    EXPECT_EQ(cl.settings.output, c.output) << c.args[0];
    EXPECT_FALSE(cl.error);
  }
  EXPECT_EQ(con.text(), "");
}

TEST(Options, FlagsAndPrefixMatching) {
  Console con;
  const auto cl = parse({"-batch", "-s0", "-E0", "-thour", "-zzz", "-date", "-dss", "-mw"});
  const auto& s = cl.settings;
  EXPECT_TRUE(s.batch && s.zero_start && s.zero_end && s.hours && s.dated_urbs && s.mw && s.multi_event);
  EXPECT_FALSE(s.mr);
  EXPECT_TRUE(s.INFILES.empty());
  const auto csv = parse({"-csv", "-ts1"});
  EXPECT_TRUE(csv.settings.hours);
}

TEST(Options, PatternsAreKeptInOrderAndAbsolutePathsAreNotOptions) {
  Console con;
  const auto cl = parse({"b.out", "-b", "/data/run1/*.out", "a b.out  ", "/b"});
  EXPECT_EQ(cl.settings.INFILES, (std::vector<std::string>{"b.out", "/data/run1/*.out", "a b.out"}));
  EXPECT_TRUE(cl.settings.batch);
}

TEST(Options, ManyPatternsAreAccepted) {
  Console con;
  std::vector<std::string> args;
  for (int i = 0; i < 500; ++i) args.push_back(std::string("f").append(std::to_string(i)).append(".out"));
  EXPECT_EQ(parse(args).settings.INFILES.size(), 500u);
}

TEST(Options, NumericValues) {
  Console con;
  struct Case {
    std::string arg;
    float dt;
    std::int32_t ncol;
  };
  const Case cases[] = {
      {"-dt5", 5.0f, 0}, {"-dt 2.5", 2.5f, 0}, {"-DT1+1", 10.0f, 0}, {"-col3", -1.0f, 3}, {"-col 12 x", -1.0f, 12},
  };
  for (const auto& c : cases) {
    const auto cl = parse({c.arg});
    EXPECT_EQ(cl.settings.dt, c.dt) << c.arg;
    EXPECT_EQ(cl.settings.dt_given, c.dt != -1.0f) << c.arg;
    EXPECT_EQ(cl.settings.NCOL, c.ncol) << c.arg;
  }
}

TEST(Options, UnreadableValueEndsTheRun) {
  for (std::string arg : {"-dt", "-dtabc", "-dt,5", "-dt/", "-col", "-col1.5", "-colx", "-dt1e40"}) {
    Console con("\n");
    lib::INITUNITS(1000);
    EXPECT_EQ(status_of([&] { parse({"-b", arg, "x.out"}); }), 1) << arg;
    EXPECT_EQ(con.text(), "ERROR - Reading argument value: " + arg + "\n\nPress Enter to Close\n");
  }
}

TEST(Options, EventFileArgument) {
  ScratchDir dir;
  testing_support::write_file("events.txt", "E1\n");
  std::filesystem::create_directory("folder");
  struct Case {
    std::vector<std::string> args;
    std::string messages;
  };
  const std::string to_next =
      "ERROR - Text file containing event names required as next argument when using the Multiple RAFTS events "
      "-mr switch";
  const Case cases[] = {
      {{"-rafts", "-mr", "events.txt", "a.tot"}, ""},
      {{"-rafts", "-mr", "-b", "a.tot"}, "\n" + to_next + "\n"},
      {{"-rafts", "-mr", " \t ", "a.tot"},
       "\nERROR -Text file containing event names required as next argument when using the Multiple RAFTS events "
       "-mr switch, blank encountered.\n"},
      {{"-rafts", "-mr", "nothere.txt", "a.tot"}, "\nERROR - File nothere.txt does not exist.\n"},
      {{"-rafts", "-mr", "folder", "a.tot"}, "\nERROR - File folder does not exist.\n"},
  };
  for (const auto& c : cases) {
    Console con;
    const auto cl = parse(c.args);
    EXPECT_EQ(con.text(), c.messages) << c.args[2];
    EXPECT_EQ(cl.error, !c.messages.empty());
    EXPECT_TRUE(cl.settings.mr);
  }
}

// An argument is read into 1000 characters: a longer one (trailing blanks
// aside) would be used cut, as another name or option, so it is an error
// where it stands among the others, and is not used at all.
TEST(Options, ArgumentsLongerThanTheBufferAreNotUsed) {
  ScratchDir dir;
  const std::string at_most(1000, 'a'), longer = std::string(1000, 'b') + "c";
  const std::string message = "\nERROR - Argument longer than 1000 characters, not used: \"";
  struct Case {
    std::vector<std::string> args;
    std::string messages;
    std::vector<std::string> patterns;
    bool batch = false;
    std::string event_file = "";
  };
  const Case cases[] = {
      {{at_most + "   ", "-b"}, "", {at_most}, true},
      {{longer, "x.out"}, message + longer + "\"\n", {"x.out"}},
      {{"-b" + std::string(999, 'x'), "x.out"}, message + "-b" + std::string(999, 'x') + "\"\n", {"x.out"}},
      // After -mr: reported in its place, and not taken as the event-names
      // file; the next argument is a pattern.
      {{"-rafts", "-mr", longer, "a.tot"}, message + longer + "\"\n", {"a.tot"}},
      {{"-rafts", "-mr", longer, "-mr", "nothere.txt", "a.tot"},
       message + longer + "\"\n\nERROR - File nothere.txt does not exist.\n", {"a.tot"}, false, "nothere.txt"},
  };
  for (const auto& c : cases) {
    Console con;
    const auto cl = parse(c.args);
    EXPECT_EQ(con.text(), c.messages) << c.args[0];
    EXPECT_EQ(cl.error, !c.messages.empty()) << c.args[0];
    EXPECT_EQ(cl.settings.INFILES, c.patterns) << c.args[0];
    EXPECT_EQ(cl.settings.batch, c.batch) << c.args[0];
    EXPECT_EQ(cl.settings.EVENTFILE, c.event_file) << c.args[0];
  }
}

TEST(Options, CombinationChecks) {
  ScratchDir dir;
  testing_support::write_file("events.txt", "E1\n");
  const std::string blank_line = " \n";
  struct Case {
    std::vector<std::string> args;
    std::string messages;
  };
  const Case cases[] = {
      {{"-mr", "-rafts", "Q100.tot"},
       "\nERROR - Text file containing event names required as next argument when using the Multiple RAFTS "
       "events -mr switch\n"
       "ERROR - -mr switch compatible with RAFTS results only. Check input switches and result files\n" +
           blank_line},
      {{"-rafts", "-mr", "events.txt", "a.tot", "b.tot"},
       "ERROR - Multiple input filename via wildcard not currently supported with the -mr switch enabled\n" +
           blank_line},
      {{"-rafts", "-mw", "x.tot"},
       "ERROR - -mw switch compatible with WBNM results only. Check input switches and result files\n" + blank_line},
      {{"-rorb", "-mw", "x.out"}, ""},
  };
  for (const auto& c : cases) {
    Console con;
    const auto cl = parse(c.args);
    EXPECT_EQ(con.text(), c.messages);
    EXPECT_EQ(cl.error, !c.messages.empty());
  }
}

TEST(Options, MrAsLastArgumentLeavesTheEventFileBlank) {
  Console con;
  const auto cl = parse({"-rafts", "a.tot", "-mr"});
  EXPECT_TRUE(cl.settings.mr);
  EXPECT_EQ(cl.settings.EVENTFILE, "");
  EXPECT_FALSE(cl.error);
}

}  // namespace
