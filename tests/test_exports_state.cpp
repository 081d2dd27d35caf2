// The exported routines that work on process-wide state, called through their
// plain names as a Fortran host calls them (tests/host_calls.h): the message
// block DMESSAGES as the host lays it out and the routines that report from
// it, line reading from a unit, the XP interface reader and the orderly exit.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "host_calls.h"
#include "test_support.h"
#include "xp_file_writer.h"

// The message block and the routines as a host declares them.  The block is
// the host's own view of its layout (every field after the previous one,
// texts blank-padded), not the module's declaration.
extern "C" {
using host::logical;
using std::size_t;
struct HostMessages {
  double MSGX, MSGY;
  logical MSGONELINE;
  std::int32_t MSGLOGUNIT, MSGMIFUNIT1, MSGMIDUNIT1, MSGMIFUNIT2, MSGMIDUNIT2;
  char MSGTEXT1[10000], MSGTEXT2[10000], MSGTEXT3[10000], MSGALL[10000], MSGPREFIX[4];
  double MSGBOXWIDTH, MSGBOXHEIGHT;
  std::int32_t NERRORS, NWARNINGS, NCHECKS, NERRORSMIF, NWARNINGSMIF, NCHECKSMIF, MSGNUMBER, MSGTYPE;
  char MSGEXTRA1[10000], MSGEXTRA2[10000], MSGEXTRA3[10000];
} __attribute__((packed));
extern HostMessages DMESSAGES;
void DMESSAGE(const std::int32_t* n);
void DMESSAGEXY(const std::int32_t* n, const double* x, const double* y);
void DMESSAGECLEAR();
void DMESSAGERESETCOUNTERS();
void DLINE(const std::int32_t* unit);
logical READLINE(const std::int32_t* unit, char* line, size_t);
void EXITS();
void XPREADSWMMINTFILE(const char* intfile, const logical* alllocs, char* names, float* times, float* flows,
                       const std::int32_t* maxsteps, const std::int32_t* maxlocs, std::int32_t* nsteps,
                       std::int32_t* nlocs, logical* found, const logical* countonly, size_t intfile_len,
                       size_t names_len);
}

namespace {

namespace rt = platform::rt;
using host::call;
using host::Chars;
using host::show;

constexpr std::int32_t kLog = 41, kMif = 42, kMid = 43, kIn = 44;

template <std::size_t N>
void put(char (&field)[N], std::string_view s) {
  std::memset(field, ' ', N);
  std::memcpy(field, s.data(), s.size());
}

template <std::size_t N>
std::string_view trimmed(const char (&field)[N]) {
  std::string_view v(field, N);
  return v.substr(0, v.find_last_not_of(' ') + 1);
}

std::string name_of(std::int32_t unit) { return std::string("u").append(std::to_string(unit)); }

// What the unit's file holds once it is closed.
std::string file_of(std::int32_t unit) {
  rt::close(unit);
  return testing_support::read_file(name_of(unit));
}

class ExportsWithState : public ::testing::Test {
 protected:
  testing_support::ScratchDir dir_;
  testing_support::Console con_;
};

// A test of the exported name NAME: defining it enters NAME for the check of
// the export list (tests/host_calls.h).
#define TEST_OF_EXPORT(NAME, test)          \
  const host::Tested test##_tested{#NAME}; \
  TEST_F(ExportsWithState, test)

// The block as a host sets it up: texts blank, numbers 0, the log, MIF and
// MID units of every kind of message given, a text box of 30 by 2.
void set_up_block() {
  HostMessages& b = DMESSAGES;
  std::memset(&b, 0, sizeof b);
  for (char* f : {b.MSGTEXT1, b.MSGTEXT2, b.MSGTEXT3, b.MSGALL, b.MSGEXTRA1, b.MSGEXTRA2, b.MSGEXTRA3})
    std::memset(f, ' ', 10000);
  put(b.MSGPREFIX, "");
  b.MSGLOGUNIT = kLog;
  b.MSGMIFUNIT1 = b.MSGMIFUNIT2 = kMif;
  b.MSGMIDUNIT1 = b.MSGMIDUNIT2 = kMid;
  b.MSGBOXWIDTH = 30;
  b.MSGBOXHEIGHT = 2;
}

// The fields the routines set: type, number, the six counters, one-line
// flag, location, the main text, and whether every other text is blank.
std::string block_fields() {
  const HostMessages& b = DMESSAGES;
  char s[200];
  std::snprintf(s, sizeof s, "%d %d %d %d %d %d %d %d %d %g %g '", b.MSGTYPE, b.MSGNUMBER, b.NERRORS, b.NWARNINGS,
                b.NCHECKS, b.NERRORSMIF, b.NWARNINGSMIF, b.NCHECKSMIF, b.MSGONELINE, b.MSGX, b.MSGY);
  bool blank = trimmed(b.MSGPREFIX).empty();
  for (const char* f : {b.MSGTEXT2, b.MSGTEXT3, b.MSGALL, b.MSGEXTRA1, b.MSGEXTRA2, b.MSGEXTRA3})
    blank = blank && std::string_view(f, 10000).find_first_not_of(' ') == std::string_view::npos;
  return std::string(s).append(trimmed(b.MSGTEXT1)).append(blank ? "' blank" : "' set");
}

const std::string kRule = std::string(80, '_') + "\n";

const struct {
  const char* name;
  void (*host)();
  std::string want;  // console | log | MIF | MID | block fields
} kMessageRows[] = {
    {"DMESSAGE",
     [] {
       put(DMESSAGES.MSGTEXT1, "WARNING 0004 - Pipe full");
       put(DMESSAGES.MSGTEXT2, "see log");
       put(DMESSAGES.MSGEXTRA1, "e1");
       DMESSAGES.MSGONELINE = 1;  // true by its lowest bit
       call(DMESSAGE, 2);
     },
     "\n\nWARNING 0004 - Pipe full  see log  e1\n|\n\nWARNING 0004 - Pipe full  see log  e1\n|||"
     "2 4 0 1 0 0 0 0 0 -99999 -99999 '' blank"},
    {"DMESSAGEXY",
     [] {
       put(DMESSAGES.MSGTEXT1, "ERROR 0012 - Low");
       put(DMESSAGES.MSGTEXT2, "pipe 7");
       DMESSAGES.MSGONELINE = -1;
       call(DMESSAGEXY, 2, 312345.678, 6123456.789);
     },
     "\n\nXY: ERROR 0012 - Low  pipe 7\n|\n\nXY: ERROR 0012 - Low  pipe 7\n|Text\n\"ERROR 0012 - Low  pipe 7\"\n"
     "          312347.678     6123454.789      312377.678     6123458.789\n"
     "    Font (\"Arial\",257,0,16711935,0)\n    Label Line Arrow       312345.678     6123456.789\n"
     "|\"ERROR 0012 - Low  pipe 7  \"\n|1 12 1 0 0 1 0 0 0 -99999 -99999 '' blank"},
    {"DMESSAGECLEAR",
     [] {
       put(DMESSAGES.MSGTEXT1, "CHECK 1");
       put(DMESSAGES.MSGPREFIX, "XY: ");
       put(DMESSAGES.MSGEXTRA3, "z");
       DMESSAGES.MSGONELINE = -1;
       DMESSAGES.MSGX = 5;
       DMESSAGES.NCHECKS = 3;
       call(DMESSAGECLEAR);
     },
     "||||0 0 0 0 3 0 0 0 0 -99999 -99999 '' blank"},
    {"DMESSAGERESETCOUNTERS",
     [] {
       put(DMESSAGES.MSGTEXT1, "kept");
       DMESSAGES.MSGX = 5;
       DMESSAGES.NERRORS = 1, DMESSAGES.NWARNINGS = 2, DMESSAGES.NCHECKS = 3;
       DMESSAGES.NERRORSMIF = 4, DMESSAGES.NWARNINGSMIF = 5, DMESSAGES.NCHECKSMIF = 6;
       call(DMESSAGERESETCOUNTERS);
     },
     "||||0 0 0 0 0 0 0 0 0 5 0 'kept' blank"},
    {"DLINE", [] { call(DLINE, kLog); }, kRule + "|" + kRule + "|||0 0 0 0 0 0 0 0 0 0 0 '' blank"},
};
const host::Tested kMessageRowsTested(kMessageRows);

TEST_OF_EXPORT(DMESSAGES, MessageRoutinesWorkOnTheHostsBlock) {
  for (const auto& r : kMessageRows) {
    set_up_block();
    for (const std::int32_t u : {kLog, kMif, kMid})
      ASSERT_EQ(rt::open(u, name_of(u), {rt::Form::Formatted, rt::Action::Write, rt::Disposition::Replace}), 0);
    con_.clear();
    r.host();
    EXPECT_EQ(con_.text() + "|" + file_of(kLog) + "|" + file_of(kMif) + "|" + file_of(kMid) + "|" + block_fields(),
              r.want)
        << r.name;
  }
}

TEST_OF_EXPORT(READLINE, ReadlineCutsToTheHostsVariable) {
  testing_support::write_file(name_of(kIn), "  12 a\t! c\n# note\n");
  ASSERT_EQ(rt::open(kIn, name_of(kIn), {}), 0);
  Chars first(8), second(8);
  const logical useful = call(READLINE, kIn, first), comment = call(READLINE, kIn, second);
  EXPECT_EQ(show(useful, first, comment, second), "-1|12 a    |0|        ");
}

TEST_OF_EXPORT(EXITS, ExitsEndsTheProcessWithStatusOne) {
  EXPECT_EQ(testing_support::status_of([] { EXITS(); }), 1);
}

std::string joined(const std::vector<float>& v) {
  std::string s;
  for (const float x : v) s.append(s.empty() ? "" : " ").append(host::shown(x));
  return s;
}

// An argument is true when its lowest bit is 1; FOUND comes back -1.  Names
// are elements of 8 characters, flows have the leading dimension 4 for 3 steps.
TEST_OF_EXPORT(XPREADSWMMINTFILE, XpReaderTakesLogicalsByTheirLowestBit) {
  xpgen::File f;
  f.ids = {"up", "down"};
  for (int k = 0; k < 3; ++k) f.steps.push_back({2000001, 900.0 * k, 900, {10.0 + k, 20.0 + k}, {}});
  const std::string path = (dir_.path() / "run.int").string();
  testing_support::write_file(path, xpgen::write(f).bytes);
  const std::string all = "3|2|0|up      down    ????????|0 0.25 0.5 -1|10 11 12 -1 20 21 22 -1 -1 -1 -1 -1";
  const std::string one = "3|2|-1|down    ????????????????|0 0.25 0.5 -1|20 21 22 -1 -1 -1 -1 -1 -1 -1 -1 -1";
  const std::string counted = "3|-9|0|down    ????????????????|-1 -1 -1 -1|-1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1";
  const struct {
    logical all_locs, count_only;
    std::string want;  // nsteps | nlocs | found | names | times | flows
  } rows[] = {{-1, 0, all}, {1, 0, all}, {0, 0, one}, {2, 0, one}, {-1, -1, counted}, {-1, 1, counted}};
  for (const auto& r : rows) {
    std::string names = "down    " + std::string(16, '?');
    std::vector<float> times(4, -1), flows(4 * 3, -1);
    const std::int32_t maxsteps = 4, maxlocs = 3;
    std::int32_t nsteps = -9, nlocs = -9;
    logical found = 0;
    // By hand: the length given with NAMES is that of one element.
    XPREADSWMMINTFILE(path.data(), &r.all_locs, names.data(), times.data(), flows.data(), &maxsteps, &maxlocs,
                      &nsteps, &nlocs, &found, &r.count_only, path.size(), 8);
    EXPECT_EQ(show(nsteps, nlocs, found, names, joined(times), joined(flows)), r.want)
        << r.all_locs << " " << r.count_only;
  }
  EXPECT_EQ(con_.text(), "");
}

}  // namespace
