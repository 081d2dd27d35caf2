// The message service of the library.  A caller composes a pending message
// in the process-wide block DMESSAGES (exported by name, so that a host
// program can set its fields directly) and reports it with DMESSAGE: the
// message is classified by its first word (ERROR, WARNING, CHECK, UNSTABLE),
// counted, appended to an optional CSV message log, printed on the console
// and in an optional text log, and cleared.  DMESSAGEXY first places it as a
// text object at a map location in a pair of MapInfo interchange files (MIF
// object, MID attribute record).  The units are the host's: it opens them
// and sets their numbers; the module only writes records to them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "library/ftext.h"

inline constexpr std::size_t kMsgTextLength = 10000;
inline constexpr std::size_t kMsgPrefixLength = 4;

// The block as a host sees it: every field directly after the previous one,
// no padding.  Texts are blank-padded, never terminated; logicals are 32-bit
// integers (true -1, tested by the lowest bit).
extern "C" {
struct DMessagesBlock {
  double MSGX;  // location of the pending message; -99999 after a clear
  double MSGY;
  std::int32_t MSGONELINE;   // print the pending message on one line
  std::int32_t MSGLOGUNIT;   // text log repeating the console output (none when 0 or less)
  std::int32_t MSGMIFUNIT1;  // MIF and MID units of ERROR, WARNING and UNSTABLE messages
  std::int32_t MSGMIDUNIT1;
  std::int32_t MSGMIFUNIT2;  // MIF and MID units of CHECK and other messages
  std::int32_t MSGMIDUNIT2;
  char MSGTEXT1[kMsgTextLength];  // main text; its first word gives type and number
  char MSGTEXT2[kMsgTextLength];
  char MSGTEXT3[kMsgTextLength];
  char MSGALL[kMsgTextLength];  // the extra fields joined with "; " by the module
  char MSGPREFIX[kMsgPrefixLength];
  double MSGBOXWIDTH;   // MIF text box width (map units)
  double MSGBOXHEIGHT;  // height of one text line of the box
  std::int32_t NERRORS;
  std::int32_t NWARNINGS;
  std::int32_t NCHECKS;
  std::int32_t NERRORSMIF;
  std::int32_t NWARNINGSMIF;
  std::int32_t NCHECKSMIF;
  std::int32_t MSGNUMBER;  // number of the last message (0 when none)
  std::int32_t MSGTYPE;    // 1 ERROR, 2 WARNING, 3 CHECK, 4 UNSTABLE, 0 other
  char MSGEXTRA1[kMsgTextLength];
  char MSGEXTRA2[kMsgTextLength];
  char MSGEXTRA3[kMsgTextLength];
} __attribute__((packed));

extern __attribute__((visibility("default"))) DMessagesBlock DMESSAGES;
}

static_assert(offsetof(DMessagesBlock, MSGY) == 8);
static_assert(offsetof(DMessagesBlock, MSGONELINE) == 16);
static_assert(offsetof(DMessagesBlock, MSGLOGUNIT) == 20);
static_assert(offsetof(DMessagesBlock, MSGMIFUNIT1) == 24);
static_assert(offsetof(DMessagesBlock, MSGMIDUNIT1) == 28);
static_assert(offsetof(DMessagesBlock, MSGMIFUNIT2) == 32);
static_assert(offsetof(DMessagesBlock, MSGMIDUNIT2) == 36);
static_assert(offsetof(DMessagesBlock, MSGTEXT1) == 40);
static_assert(offsetof(DMessagesBlock, MSGTEXT2) == 10040);
static_assert(offsetof(DMessagesBlock, MSGTEXT3) == 20040);
static_assert(offsetof(DMessagesBlock, MSGALL) == 30040);
static_assert(offsetof(DMessagesBlock, MSGPREFIX) == 40040);
static_assert(offsetof(DMessagesBlock, MSGBOXWIDTH) == 40044);
static_assert(offsetof(DMessagesBlock, MSGBOXHEIGHT) == 40052);
static_assert(offsetof(DMessagesBlock, NERRORS) == 40060);
static_assert(offsetof(DMessagesBlock, NWARNINGS) == 40064);
static_assert(offsetof(DMessagesBlock, NCHECKS) == 40068);
static_assert(offsetof(DMessagesBlock, NERRORSMIF) == 40072);
static_assert(offsetof(DMessagesBlock, NWARNINGSMIF) == 40076);
static_assert(offsetof(DMessagesBlock, NCHECKSMIF) == 40080);
static_assert(offsetof(DMessagesBlock, MSGNUMBER) == 40084);
static_assert(offsetof(DMessagesBlock, MSGTYPE) == 40088);
static_assert(offsetof(DMessagesBlock, MSGEXTRA1) == 40092);
static_assert(offsetof(DMessagesBlock, MSGEXTRA2) == 50092);
static_assert(offsetof(DMessagesBlock, MSGEXTRA3) == 60092);
static_assert(sizeof(DMessagesBlock) == 70092);

namespace lib {

// A text field of the block as a view (its whole length, trailing blanks included).
template <std::size_t N>
std::string_view field_view(const char (&field)[N]) {
  return std::string_view(field, N);
}

// Assigns S to a text field of the block, cut or padded with blanks.
template <std::size_t N>
void assign_field(char (&field)[N], std::string_view s) {
  const std::size_t n = std::min(N, s.size());
  std::memmove(field, s.data(), n);
  std::memset(field + n, ' ', N - n);
}

// Unit of the CSV message log (none when 0 or less); 0 at start.
std::int32_t& MSGCSVUNIT();
// The font clause of the last text object DMESSAGEXY wrote (48 characters).
const FText& MSGFONT();

// Classifies, counts, logs and prints the pending message, then clears it.
// N of 0 or more: console (after N empty lines) and text log; -1: text log
// only; -2 or less: neither (the counters and the CSV record are still made).
void DMESSAGE(std::int32_t N);
// Writes the pending message as a MIF text object at (X, Y) and a MID
// record, then reports it through DMESSAGE (N) with that location.  A MIF or
// MID unit that is not connected is a fatal run-time report.
void DMESSAGEXY(std::int32_t N, double X, double Y);
// Discards the pending message: texts blank, no location, not on one line.
void DMESSAGECLEAR();
// Sets the six message counters to 0.
void DMESSAGERESETCOUNTERS();
// A line of 80 underscores on the console and, when UNIT > 0, on UNIT.
void DLINE(std::int32_t UNIT);

// Sets the main text of a new message, reports it through DMESSAGE (1) and
// ends the process through EXITS (status 1): the library's fatal reports.
[[noreturn]] void fatal_message(std::string_view text);

}  // namespace lib
