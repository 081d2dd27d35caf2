#include "library/messages.h"

#include <string>
#include <vector>

#include "library/exits.h"
#include "library/ffmt.h"
#include "library/transforms.h"
#include "platform/connections.h"
#include "platform/console.h"

namespace {

// The block starts with its numbers 0 and its texts blank, so that a host
// that never clears it prints no NUL characters.
constexpr DMessagesBlock blank_block() {
  DMessagesBlock b{};
  for (char* f : {b.MSGTEXT1, b.MSGTEXT2, b.MSGTEXT3, b.MSGALL, b.MSGEXTRA1, b.MSGEXTRA2, b.MSGEXTRA3})
    for (std::size_t i = 0; i < kMsgTextLength; ++i) f[i] = ' ';
  for (char& c : b.MSGPREFIX) c = ' ';
  return b;
}

}  // namespace

// Aligned for its 64-bit fields at the start, although the layout is packed.
alignas(8) constinit DMessagesBlock DMESSAGES = blank_block();

namespace lib {
namespace console = platform::console;
namespace rt = platform::rt;

namespace {

constexpr double kNoLocation = -99999.0;
constexpr std::size_t kQuotedLength = 1000;  // message fields in the CSV, MIF and MID records
constexpr std::size_t kFontLength = 48;

struct Kind {
  std::string_view word;  // first characters of the main text
  std::int32_t type;
  std::string_view font;  // font clause of the MIF text object
  bool first_units;       // MSGMIFUNIT1/MSGMIDUNIT1, else the second pair
};

// In the order of the tests; the six characters after the word hold the number.
constexpr Kind kKinds[] = {
    {"ERROR", 1, "Font (\"Arial\",257,0,16711935,0)", true},
    {"WARNING", 2, "Font (\"Arial\",257,0,16776960,0)", true},
    {"CHECK", 3, "Font (\"Arial\",257,0,255,16777215)", false},
    {"UNSTABLE", 4, "Font (\"Arial\",257,0,16711935,0)", true},
};
constexpr Kind kOther = {{}, 0, "Font (\"Arial\",257,0,53248,16777215)", false};

// Counts a reported message (DMESSAGE) or a MIF object (DMESSAGEXY) of a
// type; UNSTABLE and other messages have no counter.
void count(std::int32_t type, bool object) {
  DMessagesBlock& b = DMESSAGES;
  switch (type) {
    case 1:
      ++(object ? b.NERRORSMIF : b.NERRORS);
      break;
    case 2:
      ++(object ? b.NWARNINGSMIF : b.NWARNINGS);
      break;
    case 3:
      ++(object ? b.NCHECKSMIF : b.NCHECKS);
      break;
    default:
      break;
  }
}

bool one_line() { return (DMESSAGES.MSGONELINE & 1) != 0; }

const Kind& kind_of(std::string_view text1) {
  for (const Kind& k : kKinds)
    if (text1.starts_with(k.word)) return k;
  return kOther;
}

// The message number: the six characters after the type word read as one
// free-form integer; 0 when the read fails or finds no value.
std::int32_t number_of(const Kind& k, std::string_view text1) {
  if (k.type == 0) return 0;
  std::int32_t v = 0;
  if (ffmt::list_read(text1.substr(k.word.size(), 6), v) != ffmt::kOk) v = 0;
  return v;
}

FText& font_text() {
  static FText font(kFontLength);
  return font;
}

// A text as the records quote it: double quotes doubled, cut at 1000
// characters (even inside a doubled quote), trailing blanks dropped.
std::string quoted(std::string_view text) {
  std::string q = DOUBLEQUOTE(text);
  q.resize(len_trim(cut(q, kQuotedLength)));
  return q;
}

// The texts after the main text that are not blank: MSGTEXT2, MSGTEXT3, MSGALL.
std::vector<std::string_view> further_texts() {
  std::vector<std::string_view> out;
  for (std::string_view f : {field_view(DMESSAGES.MSGTEXT2), field_view(DMESSAGES.MSGTEXT3),
                             field_view(DMESSAGES.MSGALL)})
    if (!is_blank(f)) out.push_back(trim_right(f));
  return out;
}

void join_extra_fields() {
  std::string all;
  bool first = true;
  for (std::string_view f : {field_view(DMESSAGES.MSGEXTRA1), field_view(DMESSAGES.MSGEXTRA2),
                             field_view(DMESSAGES.MSGEXTRA3)}) {
    // A blank first field still leaves its separator: "; b; c".
    if (!is_blank(f)) {
      if (!first) {
        all.resize(len_trim(all));
        all += "; ";
      }
      all += trim_right(f);
      if (all.size() > kMsgTextLength) all.resize(kMsgTextLength);
    }
    first = false;
  }
  assign_field(DMESSAGES.MSGALL, all);
}

void write_csv_record(std::int32_t unit) {
  const DMessagesBlock& b = DMESSAGES;
  std::string rec;
  ffmt::put_Imin(rec, 5, 4, b.MSGNUMBER);
  rec += ',';
  ffmt::put_I(rec, 2, b.MSGTYPE);
  rec += ',';
  ffmt::put_F(rec, 16, 3, double{b.MSGX});
  rec += ',';
  ffmt::put_F(rec, 16, 3, double{b.MSGY});
  std::string text(trim_right(field_view(b.MSGTEXT1)));
  text.append("  ").append(trim_right(field_view(b.MSGTEXT2)));
  text.append("  ").append(trim_right(field_view(b.MSGTEXT3)));
  for (std::string_view f : {std::string_view(text), field_view(b.MSGEXTRA1), field_view(b.MSGEXTRA2),
                             field_view(b.MSGEXTRA3)}) {
    rec += ", \"";
    rec += quoted(f);
    rec += '"';
  }
  rt::write_record(unit, rec);
}

// The lines of the pending message as the console and the text log show them.
std::vector<std::string> message_lines() {
  const std::string_view prefix = field_view(DMESSAGES.MSGPREFIX);
  std::string main;
  if (!is_blank(prefix)) {
    main = trim_right(prefix);
    main += ' ';
  }
  main += trim_right(field_view(DMESSAGES.MSGTEXT1));
  std::vector<std::string> lines{std::move(main)};
  for (std::string_view t : further_texts()) {
    if (one_line())
      lines.front().append("  ").append(t);
    else
      lines.emplace_back(t);
  }
  return lines;
}

void clear_pending() {
  DMessagesBlock& b = DMESSAGES;
  for (char* f : {b.MSGTEXT1, b.MSGTEXT2, b.MSGTEXT3, b.MSGALL, b.MSGEXTRA1, b.MSGEXTRA2, b.MSGEXTRA3})
    std::memset(f, ' ', kMsgTextLength);
  std::memset(b.MSGPREFIX, ' ', kMsgPrefixLength);
  b.MSGX = kNoLocation;
  b.MSGY = kNoLocation;
  b.MSGONELINE = 0;
}

// A unit that DMESSAGEXY writes to must be connected: the object and its
// record are written together or not at all.
void require_connected(std::int32_t unit) {
  if (!rt::is_connected(unit)) rt::runtime_failure("write", unit, rt::kNotConnected);
}

}  // namespace

std::int32_t& MSGCSVUNIT() {
  static std::int32_t unit = 0;
  return unit;
}

const FText& MSGFONT() { return font_text(); }

void DMESSAGE(std::int32_t N) {
  DMessagesBlock& b = DMESSAGES;
  const std::string_view text1 = field_view(b.MSGTEXT1);
  const Kind& k = kind_of(text1);
  b.MSGNUMBER = number_of(k, text1);
  b.MSGTYPE = k.type;
  count(k.type, false);

  if (MSGCSVUNIT() > 0 && b.MSGTYPE != 0) write_csv_record(MSGCSVUNIT());
  join_extra_fields();

  const std::vector<std::string> lines = message_lines();
  if (N >= 0) {
    for (std::int32_t i = 0; i < N; ++i) console::empty_line();
    for (const std::string& l : lines) console::line(l);
  }
  const std::int32_t log = b.MSGLOGUNIT;
  if (N >= -1 && log > 0) {
    for (std::int32_t i = 0; i < N; ++i) rt::write_record(log, {});
    for (const std::string& l : lines) rt::write_record(log, l);
  }
  clear_pending();
}

void DMESSAGEXY(std::int32_t N, double X, double Y) {
  DMessagesBlock& b = DMESSAGES;
  assign_field(b.MSGPREFIX, "XY: ");
  const Kind& k = kind_of(field_view(b.MSGTEXT1));
  font_text().assign(k.font);
  count(k.type, true);
  join_extra_fields();

  const std::int32_t mif = k.first_units ? b.MSGMIFUNIT1 : b.MSGMIFUNIT2;
  const std::int32_t mid = k.first_units ? b.MSGMIDUNIT1 : b.MSGMIDUNIT2;
  require_connected(mif);
  require_connected(mid);

  const std::vector<std::string_view> further = further_texts();
  const std::string_view separator = one_line() ? "  " : "\\n";
  std::string rec(1, '"');
  rec += quoted(field_view(b.MSGTEXT1));
  for (std::string_view t : further) rec.append(separator).append(quoted(t));
  rec += '"';
  rt::write_record(mif, "Text");
  rt::write_record(mif, rec);

  // One line height per text line, centred on the location, one line height
  // to its right.
  const double h = b.MSGBOXHEIGHT;
  const double w = b.MSGBOXWIDTH;
  const double half = static_cast<double>(1 + further.size()) * 0.5 * h;
  rec.assign(4, ' ');
  for (double v : {X + h, Y - half, X + h + w, Y + half}) ffmt::put_F(rec, 16, 3, v);
  rt::write_record(mif, rec);
  rt::write_record(mif, "    " + std::string(font_text().trimmed()));
  rec = "    Label Line Arrow ";
  ffmt::put_F(rec, 16, 3, X);
  ffmt::put_F(rec, 16, 3, Y);
  rt::write_record(mif, rec);

  rec.assign(1, '"');
  for (std::string_view f : {field_view(b.MSGTEXT1), field_view(b.MSGTEXT2), field_view(b.MSGTEXT3),
                             field_view(b.MSGALL)}) {
    if (is_blank(f)) continue;
    rec += quoted(f);
    rec += "  ";
  }
  rec += '"';
  rt::write_record(mid, rec);

  b.MSGX = X;
  b.MSGY = Y;
  DMESSAGE(N);
}

void DMESSAGECLEAR() { clear_pending(); }

void DMESSAGERESETCOUNTERS() {
  DMessagesBlock& b = DMESSAGES;
  b.NERRORS = b.NWARNINGS = b.NCHECKS = 0;
  b.NERRORSMIF = b.NWARNINGSMIF = b.NCHECKSMIF = 0;
}

void DLINE(std::int32_t UNIT) {
  const std::string line(80, '_');
  console::line(line);
  if (UNIT > 0) rt::write_record(UNIT, line);
}

void fatal_message(std::string_view text) {
  assign_field(DMESSAGES.MSGTEXT1, text);
  DMESSAGE(1);
  EXITS(1);
}

}  // namespace lib
