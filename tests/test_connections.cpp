#include "platform/connections.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <sstream>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"
#include "transcript_support.h"

namespace {

namespace fs = std::filesystem;
namespace rt = platform::rt;
using namespace std::string_literals;
using testing_support::read_file;
using rt::Action, rt::Disposition, rt::Form;

const rt::OpenOptions kTextIn{};  // formatted, read, an existing file
rt::OpenOptions text_out(Disposition d = Disposition::Replace) { return {Form::Formatted, Action::Write, d}; }
rt::OpenOptions stream(Action a, Disposition d, rt::ByteOrder order = rt::ByteOrder::Native) {
  return {Form::Stream, a, d, order};
}
const std::string kEndMark = "<-1>";

class Units : public ::testing::Test {
 protected:
  void TearDown() override {
    if (transcript::ending_of([] { rt::close_all(); }) != -1)
      ADD_FAILURE() << "a connection failed to close: " << con_.text();
  }

  std::string path(std::string_view name) const { return (dir_ / name).string(); }
  std::string make(std::string_view name, std::string_view bytes) const {
    testing_support::write_file(path(name), bytes);
    return path(name);
  }

  // Every record of the unit up to the end of the file.
  static std::vector<std::string> all_records(int unit) {
    std::vector<std::string> out;
    std::string_view rec;
    int s;
    while ((s = rt::read_record(unit, rec)) == 0) out.emplace_back(rec);
    EXPECT_EQ(s, rt::kEnd);
    return out;
  }
  static std::string next(int unit) {
    std::string_view rec;
    const int s = rt::read_record(unit, rec);
    return s == 0 ? std::string(rec) : std::string("<").append(std::to_string(s)).append(">");
  }
  // Reads ('r') and steps back ('b') as the script says: what each read
  // gave, each followed by a comma.
  static std::string walk(int unit, std::string_view script) {
    std::string got;
    for (const char op : script) {
      if (op == 'r') got += next(unit) + ',';
      if (op == 'b') { EXPECT_EQ(rt::backspace(unit), 0); }
    }
    return got;
  }

  testing_support::TempFolder folder_;
  const fs::path& dir_ = folder_.path();
  testing_support::Console con_;
};

TEST_F(Units, TextRecords) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"a\nb\n", {"a", "b"}},    {"a\r\nbc\r\n", {"a", "bc"}},    {"a\nlast", {"a", "last"}},
      {"", {}},                  {"\n\n", {"", ""}},              {"\r\n", {""}},
      {"a\r\r\n", {"a\r"}},      {"a\rb\n", {"a\rb"}},            {"x\0y\tz\n"s, {"x\0y\tz"s}},
      {"one\n\ntwo", {"one", "", "two"}},
  };
  for (const auto& [bytes, records] : cases) {
    ASSERT_EQ(rt::open(3, make("in.txt", bytes), kTextIn), 0);
    EXPECT_EQ(all_records(3), records) << bytes;
    EXPECT_EQ(next(3), kEndMark) << "the end is met again";
    EXPECT_EQ(rt::close(3), 0);
  }
}

TEST_F(Units, LargeTextInputsAreReadWhole) {
  // Large enough to be held in memory of its own.
  std::string bytes;
  for (int i = 0; i < 150000; ++i) bytes += "record " + std::to_string(i) + "\r\n";
  ASSERT_EQ(rt::open(3, make("big.txt", bytes + "last"), kTextIn), 0);
  const auto records = all_records(3);
  ASSERT_EQ(records.size(), 150001u);
  EXPECT_EQ(records[123456], "record 123456");
  EXPECT_EQ(records.back(), "last");
}

TEST_F(Units, ReopeningAFileSeesItsCurrentContents) {
  const std::string p = make("again.txt", "one\ntwo\n");
  ASSERT_EQ(rt::open(3, p, kTextIn), 0);
  EXPECT_EQ(next(3), "one");
  ASSERT_EQ(rt::close(3), 0);
  ASSERT_EQ(rt::open(4, p, kTextIn), 0);
  EXPECT_EQ(all_records(4), (std::vector<std::string>{"one", "two"}));
  ASSERT_EQ(rt::close(4), 0);
  make("again.txt", "three\n");
  ASSERT_EQ(rt::open(3, p, kTextIn), 0);
  EXPECT_EQ(all_records(3), (std::vector<std::string>{"three"}));
}

// After a read that met the end, one step back only cancels the end
// condition; at the start a step back does nothing; an empty record is
// stepped over as one record.
TEST_F(Units, Backspace) {
  const struct {
    std::string bytes, script, read;
  } cases[] = {
      {"a\nb\nc\n", "rrrrbrbbrrbbbrr", "a,b,c,<-1>,<-1>,c,<-1>,b,c,"},
      {"a\nb\r\nc", "rrrrbrbbrrbbbrr", "a,b,c,<-1>,<-1>,c,<-1>,b,c,"},
      {"a\n\nb\n", "brbbrrbrbbr", "a,a,,,a,"},
      {"", "rbbr", "<-1>,<-1>,"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(rt::open(3, make("in.txt", c.bytes), kTextIn), 0);
    EXPECT_EQ(walk(3, c.script), c.read) << c.bytes;
    rt::close(3);
  }
}

TEST_F(Units, RewindAndTextSourceShareThePosition) {
  ASSERT_EQ(rt::open(3, make("in.txt", "a\nb\nc\n"), kTextIn), 0);
  EXPECT_EQ(next(3), "a");
  rt::TextSource* src = rt::text_source(3);
  std::string_view rec;
  ASSERT_EQ(src->next(rec), 0);
  EXPECT_EQ(rec, "b");
  EXPECT_EQ(walk(3, "rr"), "c,<-1>,");
  EXPECT_EQ(rt::rewind(3), 0);
  EXPECT_TRUE(src->at_start());
  EXPECT_EQ(next(3), "a");
  EXPECT_EQ(src->contents(), "a\nb\nc\n");
}

// The pages of a large input that reading has passed are let go; what was
// let go reads back the same after a rewind.
TEST_F(Units, InputLetGoBehindTheReadingReadsBackTheSame) {
  std::string bytes;
  for (int i = 0; bytes.size() < (std::size_t{24} << 20); ++i) bytes += std::to_string(i) + " 1.5 2.5 3.5\n";
  ASSERT_EQ(rt::open(3, make("in.txt", bytes), kTextIn), 0);
  rt::TextSource* src = rt::text_source(3);
  std::string_view rec;
  while (src->next(rec) == 0) {
  }
  EXPECT_EQ(rt::rewind(3), 0);
  std::string again;
  while (src->next(rec) == 0) (again += rec) += '\n';
  EXPECT_EQ(again, bytes);
  ASSERT_EQ(rt::close(3), 0);
}

TEST_F(Units, OpenStatuses) {
  const std::string missing = path("missing.txt");
  EXPECT_EQ(rt::open(3, missing, kTextIn), ENOENT);
  EXPECT_FALSE(rt::is_connected(3));
  EXPECT_FALSE(fs::exists(missing)) << "an input open creates nothing";
  // A folder is never opened as a file, for reading or writing.
  EXPECT_GT(rt::open(3, dir_.string(), kTextIn), 0);
  EXPECT_GT(rt::open(3, dir_.string(), text_out(Disposition::Unknown)), 0);
  EXPECT_GT(rt::open(3, dir_.string(), stream(Action::Read, Disposition::Old)), 0);
  EXPECT_FALSE(rt::is_connected(3));
  // A NUL in the name is not cut off into another name.
  EXPECT_GT(rt::open(3, path("ab") + "\0c"s, text_out()), 0);
  EXPECT_FALSE(fs::exists(path("ab")));
  EXPECT_EQ(rt::open(3, path("d.bin"), {Form::Direct, Action::ReadWrite, Disposition::Replace}), EINVAL)
      << "record length 0";
}

TEST_F(Units, UnitInUseAndClose) {
  const std::string p = make("in.txt", "a\nb\n");
  ASSERT_EQ(rt::open(8, p, kTextIn), 0);
  EXPECT_EQ(rt::open(8, make("other.txt", "x\n"), kTextIn), rt::kUnitInUse);
  EXPECT_EQ(next(8), "a") << "the first connection is kept";
  EXPECT_EQ(rt::connected_path(8), p);
  EXPECT_EQ(rt::close(8), 0);
  EXPECT_FALSE(rt::is_connected(8));
  EXPECT_EQ(rt::connected_path(8), "");
  EXPECT_EQ(rt::close(8), 0) << "closing an unconnected unit does nothing";
  EXPECT_EQ(rt::close(123), 0);
}

TEST_F(Units, InquireByName) {
  const std::string p = make("in.txt", "a\n");
  EXPECT_FALSE(rt::inquire(path("none")).exists);
  fs::create_hard_link(p, path("link.txt"));
  fs::create_directory(path("sub"));
  const std::vector<std::string> names = {p, path("link.txt"), path("sub/../in.txt"), path("./in.txt")};
  for (const int unit : {0, 12, 0}) {  // before, while and after the file is connected to unit 12
    if (unit == 12) { ASSERT_EQ(rt::open(12, p, kTextIn), 0); }
    if (unit == 0) rt::close(12);
    for (const std::string& name : names) {
      const rt::FileInquiry q = rt::inquire(name);
      EXPECT_TRUE(q.exists) << name;
      EXPECT_EQ(q.unit, unit) << name;
    }
  }
  EXPECT_TRUE(rt::inquire(dir_.string()).exists) << "a folder exists";
  EXPECT_EQ(rt::inquire(dir_.string()).unit, 0);
}

TEST_F(Units, LowestFreeUnitSkipsFiveAndSix) {
  const std::string p = make("in.txt", "a\n");
  EXPECT_EQ(rt::lowest_free_unit(), 1);
  for (int u : {1, 2, 3, 4}) ASSERT_EQ(rt::open(u, p, kTextIn), 0);
  EXPECT_EQ(rt::lowest_free_unit(), 7);
  ASSERT_EQ(rt::open(7, p, kTextIn), 0);
  EXPECT_EQ(rt::lowest_free_unit(), 8);
  rt::close(2);
  EXPECT_EQ(rt::lowest_free_unit(), 2);
}

// Unit 20 keeps its records until the close; unit 21 has a 5-byte buffer;
// unit 22 gets pieces large enough to go straight to the file, before,
// between and after buffered ones (a large record still gets its line end).
TEST_F(Units, TextOutputIsBufferedAndWrittenInOrder) {
  rt::OpenOptions small = text_out();
  small.buffer_size = 5;
  ASSERT_EQ(rt::open(20, path("20.txt"), text_out()) + rt::open(21, path("21.txt"), small), 0);
  ASSERT_EQ(rt::open(22, path("22.txt"), text_out()), 0);
  EXPECT_EQ(rt::write_text(20, "ab"), 0);
  EXPECT_EQ(rt::write_text(20, "c"), 0);
  EXPECT_EQ(rt::write_record(20, "d"), 0);
  EXPECT_EQ(rt::write_record(20, ""), 0);
  EXPECT_EQ(rt::write_record(20, "x\0y"s), 0);
  EXPECT_EQ(fs::file_size(path("20.txt")), 0u) << "no write per record";
  std::string small_text;
  for (int i = 0; i < 200; ++i) {
    const std::string rec(static_cast<std::size_t>(i % 13), static_cast<char>('a' + i % 26));
    ASSERT_EQ(rt::write_record(21, rec), 0);
    small_text += rec + "\n";
  }
  const std::string big(300000, 'b'), bigger(3000000, 'd');
  for (const std::string& record : {"a"s, big}) ASSERT_EQ(rt::write_record(22, record), 0);
  for (const std::string& text : {"c"s, bigger}) ASSERT_EQ(rt::write_text(22, text), 0);
  for (const std::string& record : {"e"s, big}) ASSERT_EQ(rt::write_record(22, record), 0);
  EXPECT_EQ(rt::close(20) + rt::close(21) + rt::close(22), 0);
  EXPECT_EQ(read_file(path("20.txt")), "abcd\n\nx\0y\n"s);
  EXPECT_EQ(read_file(path("21.txt")), small_text);
  EXPECT_EQ(read_file(path("22.txt")), "a\n" + big + "\nc" + bigger + "e\n" + big + "\n");
}

TEST_F(Units, Dispositions) {
  // Each open of f.txt, with a record written or not, and the file after.
  const std::string p = make("f.txt", "old1\nold2\n");
  const struct {
    std::string name;
    Disposition disposition;
    std::string record;  // none when empty
    std::string after;
  } cases[] = {
      {"f.txt", Disposition::Append, "new", "old1\nold2\nnew\n"},
      {"fresh.txt", Disposition::Append, "first", "first\n"},
      {"f.txt", Disposition::Unknown, "", "old1\nold2\nnew\n"},  // opened without a write: left as it is
      {"f.txt", Disposition::Unknown, "x", "x\n"},  // a write at the start makes its record the last one
      {"made.txt", Disposition::Unknown, "", ""},
      {"f.txt", Disposition::Replace, "", ""},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(rt::open(3, path(c.name), text_out(c.disposition)), 0) << c.name;
    if (c.record.empty()) {
      EXPECT_EQ(read_file(path(c.name)), c.after) << c.name << " at the open";
    } else {
      rt::write_record(3, c.record);
    }
    ASSERT_EQ(rt::close(3), 0);
    EXPECT_TRUE(fs::exists(path(c.name)));
    EXPECT_EQ(read_file(path(c.name)), c.after) << c.name << " " << c.record;
  }
  EXPECT_EQ(rt::open(3, path("nope.txt"), text_out(Disposition::Old)), ENOENT);
}

// A replaced output holds only the new records under every name it had, a
// link stays a link, and the file keeps its permission bits.
TEST_F(Units, ReplacedFileKeepsItsNamesAndMode) {
  make("p.txt", "old\n");
  fs::permissions(path("p.txt"), fs::perms(0640));
  make("h.txt", "old\nold\n");
  fs::create_hard_link(path("h.txt"), path("h2.txt"));
  make("t.txt", "old\nold\n");
  fs::create_symlink(path("t.txt"), path("s.txt"));
  // The first name is opened; every one shows the new records.
  const std::vector<std::string> cases[] = {{"p.txt"}, {"h.txt", "h2.txt"}, {"s.txt", "t.txt"}};
  for (const auto& names : cases) {
    const std::string first = path(names.front());
    const bool was_link = fs::is_symlink(first);
    const auto mode = fs::status(first).permissions();
    ASSERT_EQ(rt::open(3, first, text_out()), 0) << first;
    ASSERT_EQ(rt::write_record(3, "new"), 0);
    ASSERT_EQ(rt::close(3), 0);
    for (const auto& name : names) EXPECT_EQ(read_file(path(name)), "new\n") << name;
    EXPECT_EQ(fs::is_symlink(first), was_link) << first;
    EXPECT_EQ(fs::status(first).permissions(), mode) << first;
  }
}

TEST_F(Units, ReadAndWriteOnOneTextConnection) {
  const std::string p = make("rw.txt", "a\nb\nc\n");
  ASSERT_EQ(rt::open(3, p, {Form::Formatted, Action::ReadWrite, Disposition::Old}), 0);
  EXPECT_EQ(next(3), "a");
  std::string_view kept;
  rt::read_record(3, kept);
  ASSERT_EQ(rt::backspace(3), 0);
  EXPECT_EQ(rt::write_record(3, "X"), 0);
  EXPECT_EQ(next(3), kEndMark) << "the file ends after the written record";
  EXPECT_EQ(rt::write_record(3, "Y"), 0);
  EXPECT_EQ(rt::backspace(3), 0);
  EXPECT_EQ(next(3), "Y");
  EXPECT_EQ(rt::rewind(3), 0);
  EXPECT_EQ(all_records(3), (std::vector<std::string>{"a", "X", "Y"}));
  EXPECT_EQ(kept, "b") << "a view stays valid until the close";
  EXPECT_EQ(rt::close(3), 0);
  EXPECT_EQ(read_file(p), "a\nX\nY\n");
}

TEST_F(Units, WriteFailureIsReported) {
  // Buffered: the write itself succeeds, the close reports the failure.
  ASSERT_EQ(rt::open(30, "/dev/full", text_out()), 0);
  EXPECT_EQ(rt::write_record(30, "data"), 0);
  EXPECT_EQ(rt::close(30), ENOSPC);
  // A write that reaches the file reports it at once, again later, and at the close.
  rt::OpenOptions o = text_out();
  o.buffer_size = 1;
  ASSERT_EQ(rt::open(30, "/dev/full", o), 0);
  EXPECT_EQ(rt::write_record(30, "data"), ENOSPC);
  EXPECT_EQ(rt::write_record(30, "more"), ENOSPC);
  EXPECT_EQ(rt::close(30), ENOSPC);
  ASSERT_EQ(rt::open(31, "/dev/full", stream(Action::Write, Disposition::Unknown)), 0);
  EXPECT_EQ(rt::write_i32(31, 7), 0);
  EXPECT_EQ(rt::close(31), ENOSPC);
}

TEST_F(Units, FailedCloseAtTheEndIsFatal) {
  ASSERT_EQ(rt::open(2, make("a.txt", ""), text_out()), 0);
  ASSERT_EQ(rt::open(30, "/dev/full", text_out()), 0);
  ASSERT_EQ(rt::open(40, path("b.txt"), text_out()), 0);
  rt::write_record(2, "kept");
  rt::write_record(30, "lost");
  rt::write_record(40, "kept too");
  EXPECT_EQ(testing_support::status_of([] { rt::close_all(); }), 1);
  EXPECT_EQ(con_.text(), "\nRun-time error: close failed on unit 30 (/dev/full): No space left on device\n");
  EXPECT_FALSE(rt::is_connected(40));
  EXPECT_EQ(read_file(path("a.txt")), "kept\n");
  EXPECT_EQ(read_file(path("b.txt")), "kept too\n") << "later units are still written";
}

// I/O on a unit that is not connected, or that does not fit the
// connection's form or action, ends the process with a run-time report and
// never makes a stray file; the end writes the buffered output first.
TEST_F(Units, IoThatCannotBeDoneIsFatal) {
  const std::string in = make("in.txt", "a\n"), out = path("out.txt"), bin = path("s.bin");
  const auto connect = [&] {
    ASSERT_EQ(rt::open(3, in, kTextIn), 0);
    ASSERT_EQ(rt::open(4, out, text_out(Disposition::Append)), 0);
    ASSERT_EQ(rt::open(9, bin, stream(Action::Read, Disposition::Unknown)), 0);
  };
  connect();
  rt::write_record(4, "done");
  const auto check = [&](const std::string& message, const std::function<void()>& call) {
    con_.clear();
    EXPECT_EQ(testing_support::status_of(call), 1) << message;
    EXPECT_EQ(con_.text(), "\nRun-time error: " + message + "\n");
    EXPECT_FALSE(rt::is_connected(77));
    connect();  // the fatal end closed every connection
  };
  std::string_view rec;
  std::vector<unsigned char> frame;
  char buf[8] = {};
  const std::pair<std::string, std::function<void()>> unconnected[] = {
      {"read", [&] { rt::read_record(77, rec); }},     {"write", [&] { rt::write_record(77, "x"); }},
      {"write", [&] { rt::write_text(77, "x"); }},     {"backspace", [&] { rt::backspace(77); }},
      {"rewind", [&] { rt::rewind(77); }},             {"read", [&] { rt::text_source(77); }},
      {"read", [&] { rt::read_bytes(77, buf, 4); }},   {"write", [&] { rt::write_bytes(77, buf, 4); }},
      {"write", [&] { rt::write_f64(77, 1.0); }},      {"read", [&] { rt::read_framed(77, frame); }},
      {"write", [&] { rt::write_framed(77, buf, 4); }}, {"read", [&] { rt::read_direct(77, 1, buf); }},
      {"write", [&] { rt::write_direct(77, 1, buf); }}, {"seek", [&] { rt::seek(77, 0); }},
      {"tell", [&] { rt::tell(77); }},
  };
  for (const auto& [op, call] : unconnected) check(op + " failed on unit 77: the unit is not connected", call);
  const std::tuple<std::string, int, std::string, std::function<void()>> misfits[] = {
      {"write", 3, in, [] { rt::write_record(3, "x"); }},      {"read", 4, out, [&] { rt::read_record(4, rec); }},
      {"backspace", 4, out, [] { rt::backspace(4); }},         {"read", 3, in, [&] { rt::read_framed(3, frame); }},
      {"write", 9, bin, [] { rt::write_i32(9, 1); }},
  };
  for (const auto& [op, unit, name, call] : misfits)
    check(op + " failed on unit " + std::to_string(unit) + " (" + name + "): the operation does not fit the connection",
          call);
  rt::close(4);
  EXPECT_EQ(read_file(out), "done\n") << "the fatal end wrote the buffered output";
  EXPECT_FALSE(fs::exists("fort.77"));
}

TEST_F(Units, StreamPositions) {
  const std::string p = path("s.bin");
  ASSERT_EQ(rt::open(5, p, stream(Action::ReadWrite, Disposition::Replace)), 0);
  EXPECT_EQ(rt::write_bytes(5, "abcdef", 6), 0);
  EXPECT_EQ(rt::tell(5), 6u);
  EXPECT_EQ(rt::seek(5, 2), 0);
  EXPECT_EQ(rt::write_bytes(5, "XY", 2), 0);
  EXPECT_EQ(rt::seek(5, 1), 0);
  char buf[8] = {};
  EXPECT_EQ(rt::read_bytes(5, buf, 4), 0) << "reads see the buffered write";
  EXPECT_EQ(std::string(buf, 4), "bXYe");
  EXPECT_EQ(rt::read_bytes(5, buf, 4), rt::kEnd) << "one byte left";
  EXPECT_EQ(rt::tell(5), 6u) << "a short read leaves the position at the end";
  EXPECT_EQ(rt::length(5), 6u);
  EXPECT_EQ(rt::rewind(5), 0);
  EXPECT_EQ(rt::read_bytes(5, buf, 2), 0);
  EXPECT_EQ(std::string(buf, 2), "ab");
  EXPECT_EQ(rt::close(5), 0);
  EXPECT_EQ(read_file(p), "abXYef");

  ASSERT_EQ(rt::open(5, p, stream(Action::Write, Disposition::Append)), 0);
  EXPECT_EQ(rt::tell(5), 6u);
  rt::write_bytes(5, "!", 1);
  EXPECT_EQ(rt::length(5), 7u) << "the connection's own write counts";
  rt::close(5);
  EXPECT_EQ(read_file(p), "abXYef!");
}

TEST_F(Units, LargeStreamReadsCrossTheReadBuffer) {
  std::string big(3'000'001, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 % 251);
  ASSERT_EQ(rt::open(5, make("big.bin", big), stream(Action::Read, Disposition::Old)), 0);
  std::string got;
  char chunk[1000];
  int s;
  while ((s = rt::read_bytes(5, chunk, sizeof chunk)) == 0) got.append(chunk, sizeof chunk);
  EXPECT_EQ(s, rt::kEnd);
  got.append(chunk, 1);
  EXPECT_EQ(got, big);
}

TEST_F(Units, FramedRecordsRoundTrip) {
  const std::string p = path("f.bin");
  const std::string big(300'000, 'z');
  ASSERT_EQ(rt::open(6, p, {Form::Framed, Action::Write, Disposition::Replace}), 0);
  EXPECT_EQ(rt::write_framed(6, "", 0), 0);
  EXPECT_EQ(rt::write_framed(6, "abc", 3), 0);
  EXPECT_EQ(rt::write_framed(6, big.data(), big.size()), 0);
  ASSERT_EQ(rt::close(6), 0);
  const std::string raw = read_file(p);
  EXPECT_EQ(raw.substr(0, 23), "\0\0\0\0\0\0\0\0\3\0\0\0abc\3\0\0\0\xe0\x93\x04\0"s);
  EXPECT_EQ(raw.size(), 8 + 11 + 300'008u);

  ASSERT_EQ(rt::open(6, p, {Form::Framed, Action::Read, Disposition::Old}), 0);
  std::vector<unsigned char> rec{1, 2};
  for (const std::string& want : {""s, "abc"s, big, ""s}) {
    EXPECT_EQ(rt::read_framed(6, rec), 0);
    EXPECT_EQ(std::string(rec.begin(), rec.end()), want);
    if (want == big) {  // the end, met again; then from the start
      EXPECT_EQ(rt::read_framed(6, rec), rt::kEnd);
      EXPECT_EQ(rt::read_framed(6, rec), rt::kEnd);
      EXPECT_EQ(rt::rewind(6), 0);
    }
  }
}

TEST_F(Units, CorruptFramingIsABadRecord) {
  const struct {
    const char* what;
    std::string bytes;
    int good_records;
  } cases[] = {
      {"trailer differs", "\2\0\0\0ab\3\0\0\0"s, 0},
      {"data cut short", "\x0a\0\0\0abcde"s, 0},
      {"trailer missing", "\2\0\0\0ab"s, 0},
      {"length cut short", "\1\0\0\0x\1\0\0\0\5\0"s, 1},
      {"length beyond the file", "\xf0\xff\xff\xff"s + std::string(16, 'q'), 0},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(rt::open(6, make("bad.bin", c.bytes), {Form::Framed, Action::Read, Disposition::Old}), 0);
    std::vector<unsigned char> rec;
    for (int i = 0; i < c.good_records; ++i) EXPECT_EQ(rt::read_framed(6, rec), 0) << c.what;
    EXPECT_EQ(rt::read_framed(6, rec), rt::kBadRecord) << c.what;
    rt::close(6);
  }
}

TEST_F(Units, DirectRecords) {
  const std::string p = path("d.bin");
  rt::OpenOptions o{Form::Direct, Action::ReadWrite, Disposition::Replace};
  o.record_length = 4;
  ASSERT_EQ(rt::open(7, p, o), 0);
  EXPECT_EQ(rt::write_direct(7, 3, "CCCC"), 0);
  EXPECT_EQ(rt::write_direct(7, 1, "AAAA"), 0);
  char buf[4];
  EXPECT_EQ(rt::read_direct(7, 3, buf), 0);
  EXPECT_EQ(std::string(buf, 4), "CCCC");
  EXPECT_EQ(rt::read_direct(7, 2, buf), 0);
  EXPECT_EQ(std::string(buf, 4), std::string(4, '\0'));
  EXPECT_EQ(rt::read_direct(7, 4, buf), rt::kEnd);
  EXPECT_GT(rt::read_direct(7, 0, buf), 0);
  EXPECT_GT(rt::write_direct(7, -1, buf), 0);
  EXPECT_EQ(rt::close(7), 0);
  EXPECT_EQ(read_file(p), "AAAA\0\0\0\0CCCC"s);

  o.disposition = Disposition::Old;
  ASSERT_EQ(rt::open(7, make("short.bin", "123456"), o), 0);
  EXPECT_EQ(rt::read_direct(7, 1, buf), 0);
  EXPECT_EQ(rt::read_direct(7, 2, buf), rt::kBadRecord) << "a record of 2 bytes";
}

TEST_F(Units, ByteOrderOfTypedValues) {
  const std::string p = path("be.bin");
  ASSERT_EQ(rt::open(8, p, stream(Action::Write, Disposition::Replace, rt::ByteOrder::Big)), 0);
  rt::write_i32(8, 0x01020304);
  rt::write_f32(8, 1.0f);
  rt::write_f64(8, -2.0);
  ASSERT_EQ(rt::close(8), 0);
  EXPECT_EQ(read_file(p), "\x01\x02\x03\x04\x3f\x80\0\0\xc0\0\0\0\0\0\0\0"s);

  ASSERT_EQ(rt::open(8, p, stream(Action::Read, Disposition::Old, rt::ByteOrder::Big)), 0);
  std::int32_t i = 0;
  float f = 0;
  double d = 0;
  EXPECT_EQ(std::vector<int>({rt::read_i32(8, i), rt::read_f32(8, f), rt::read_f64(8, d)}), std::vector<int>(3, 0));
  EXPECT_EQ(i, 0x01020304);
  EXPECT_EQ(f, 1.0f);
  EXPECT_EQ(d, -2.0);
  EXPECT_EQ(rt::read_i32(8, i), rt::kEnd);
  rt::close(8);

  ASSERT_EQ(rt::open(8, p, stream(Action::Read, Disposition::Old, rt::ByteOrder::Little)), 0);
  EXPECT_EQ(rt::read_i32(8, i), 0);
  EXPECT_EQ(i, 0x04030201);
  rt::close(8);
  ASSERT_EQ(rt::open(8, p, stream(Action::Write, Disposition::Replace, rt::ByteOrder::Little)), 0);
  rt::write_i32(8, 0x01020304);
  rt::close(8);
  EXPECT_EQ(read_file(p), "\x04\x03\x02\x01");
}

}  // namespace
