#include "platform/units.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/process.h"

namespace {

namespace fs = std::filesystem;
namespace rt = platform::rt;
using namespace std::string_literals;

class Units : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::set_terminator(platform::throw_process_ended);
    platform::console::set_output(&console_);
  }
  void TearDown() override {
    try {
      rt::close_all();
    } catch (const platform::ProcessEnded&) {
      ADD_FAILURE() << "a connection failed to close: " << console_.str();
    }
    platform::console::set_output(nullptr);
    platform::set_terminator(nullptr);
  }

  std::string path(std::string_view name) const { return (dir_ / name).string(); }

  std::string make(std::string_view name, std::string_view bytes) const {
    const std::string p = path(name);
    std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
  }

  static std::string contents(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  static rt::OpenOptions opts(rt::Form form, rt::Action action, rt::Disposition disposition,
                              rt::ByteOrder order = rt::ByteOrder::Native) {
    rt::OpenOptions o;
    o.form = form;
    o.action = action;
    o.disposition = disposition;
    o.order = order;
    return o;
  }
  static rt::OpenOptions text_in() { return opts(rt::Form::Formatted, rt::Action::Read, rt::Disposition::Old); }
  static rt::OpenOptions text_out(rt::Disposition d = rt::Disposition::Replace) {
    return opts(rt::Form::Formatted, rt::Action::Write, d);
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

  std::string next(int unit) {
    std::string_view rec;
    const int s = rt::read_record(unit, rec);
    return s == 0 ? std::string(rec) : "<" + std::to_string(s) + ">";
  }

  testing_support::TempFolder folder_;
  const fs::path& dir_ = folder_.path();
  std::ostringstream console_;
};

const std::string kEndMark = "<-1>";

TEST_F(Units, TextRecords) {
  struct Case {
    std::string bytes;
    std::vector<std::string> records;
  };
  const Case cases[] = {
      {"a\nb\n", {"a", "b"}},
      {"a\r\nbc\r\n", {"a", "bc"}},
      {"a\nlast", {"a", "last"}},
      {"", {}},
      {"\n\n", {"", ""}},
      {"\r\n", {""}},
      {"a\r\r\n", {"a\r"}},
      {"a\rb\n", {"a\rb"}},
      {"x\0y\tz\n"s, {"x\0y\tz"s}},
      {"one\n\ntwo", {"one", "", "two"}},
  };
  for (const Case& c : cases) {
    const std::string p = make("in.txt", c.bytes);
    ASSERT_EQ(rt::open(3, p, text_in()), 0);
    EXPECT_EQ(all_records(3), c.records) << c.bytes;
    EXPECT_EQ(next(3), kEndMark) << "the end is met again";
    EXPECT_EQ(rt::close(3), 0);
  }
}

TEST_F(Units, LargeTextInputsAreReadWhole) {
  // Large enough to be held in memory of its own.
  std::string bytes;
  const int n = 150000;
  for (int i = 0; i < n; ++i) bytes += "record " + std::to_string(i) + "\r\n";
  bytes += "last";
  const std::string p = make("big.txt", bytes);
  ASSERT_EQ(rt::open(3, p, text_in()), 0);
  const auto records = all_records(3);
  ASSERT_EQ(records.size(), static_cast<std::size_t>(n) + 1);
  EXPECT_EQ(records[123456], "record 123456");
  EXPECT_EQ(records.back(), "last");
  EXPECT_EQ(rt::close(3), 0);
}

TEST_F(Units, ReopeningAFileSeesItsCurrentContents) {
  const std::string p = make("again.txt", "one\ntwo\n");
  ASSERT_EQ(rt::open(3, p, text_in()), 0);
  EXPECT_EQ(next(3), "one");
  ASSERT_EQ(rt::close(3), 0);
  ASSERT_EQ(rt::open(4, p, text_in()), 0);
  EXPECT_EQ(all_records(4), (std::vector<std::string>{"one", "two"}));
  ASSERT_EQ(rt::close(4), 0);
  make("again.txt", "three\n");
  ASSERT_EQ(rt::open(3, p, text_in()), 0);
  EXPECT_EQ(all_records(3), (std::vector<std::string>{"three"}));
}

TEST_F(Units, BackspaceAtTheEndFirstCancelsTheEndCondition) {
  for (const std::string bytes : {"a\nb\nc\n", "a\nb\r\nc"}) {
    ASSERT_EQ(rt::open(3, make("in.txt", bytes), text_in()), 0);
    EXPECT_EQ(all_records(3), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(rt::backspace(3), 0);
    EXPECT_EQ(next(3), kEndMark) << bytes;
    EXPECT_EQ(rt::backspace(3), 0);
    EXPECT_EQ(rt::backspace(3), 0);
    EXPECT_EQ(next(3), "c") << bytes;
    EXPECT_EQ(next(3), kEndMark);
    // Three steps back from the end: the last two records again.
    rt::backspace(3);
    rt::backspace(3);
    rt::backspace(3);
    EXPECT_EQ(next(3), "b") << bytes;
    EXPECT_EQ(next(3), "c");
    rt::close(3);
  }
}

TEST_F(Units, BackspaceInsideTheFileAndAtItsStart) {
  ASSERT_EQ(rt::open(3, make("in.txt", "a\n\nb\n"), text_in()), 0);
  EXPECT_EQ(rt::backspace(3), 0);
  EXPECT_EQ(next(3), "a") << "a step back at the start does nothing";
  rt::backspace(3);
  rt::backspace(3);
  EXPECT_EQ(next(3), "a");
  EXPECT_EQ(next(3), "");
  rt::backspace(3);
  EXPECT_EQ(next(3), "") << "an empty record is stepped over as one record";
  rt::backspace(3);
  rt::backspace(3);
  EXPECT_EQ(next(3), "a");

  ASSERT_EQ(rt::open(4, make("empty.txt", ""), text_in()), 0);
  EXPECT_EQ(next(4), kEndMark);
  rt::backspace(4);
  rt::backspace(4);
  EXPECT_EQ(next(4), kEndMark);
}

TEST_F(Units, RewindAndTextSourceShareThePosition) {
  ASSERT_EQ(rt::open(3, make("in.txt", "a\nb\nc\n"), text_in()), 0);
  EXPECT_EQ(next(3), "a");
  rt::TextSource* src = rt::text_source(3);
  std::string_view rec;
  ASSERT_EQ(src->next(rec), 0);
  EXPECT_EQ(rec, "b");
  EXPECT_EQ(next(3), "c");
  EXPECT_EQ(next(3), kEndMark);
  EXPECT_EQ(rt::rewind(3), 0);
  EXPECT_TRUE(src->at_start());
  EXPECT_EQ(next(3), "a");
  EXPECT_EQ(src->contents(), "a\nb\nc\n");
}

TEST_F(Units, OpenStatuses) {
  const std::string missing = path("missing.txt");
  EXPECT_EQ(rt::open(3, missing, text_in()), ENOENT);
  EXPECT_FALSE(rt::is_connected(3));
  EXPECT_FALSE(fs::exists(missing)) << "an input open creates nothing";

  // A folder is never opened as a file, for reading or writing.
  EXPECT_GT(rt::open(3, dir_.string(), text_in()), 0);
  EXPECT_GT(rt::open(3, dir_.string(), text_out(rt::Disposition::Unknown)), 0);
  EXPECT_GT(rt::open(3, dir_.string(), opts(rt::Form::Stream, rt::Action::Read, rt::Disposition::Old)), 0);
  EXPECT_FALSE(rt::is_connected(3));

  // A NUL in the name is not cut off into another name.
  EXPECT_GT(rt::open(3, path("ab") + "\0c"s, text_out()), 0);
  EXPECT_FALSE(fs::exists(path("ab")));

  rt::OpenOptions direct = opts(rt::Form::Direct, rt::Action::ReadWrite, rt::Disposition::Replace);
  EXPECT_EQ(rt::open(3, path("d.bin"), direct), EINVAL) << "record length 0";
}

TEST_F(Units, UnitInUseAndClose) {
  const std::string p = make("in.txt", "a\nb\n");
  ASSERT_EQ(rt::open(8, p, text_in()), 0);
  EXPECT_EQ(rt::open(8, make("other.txt", "x\n"), text_in()), rt::kUnitInUse);
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
  EXPECT_TRUE(rt::inquire(p).exists);
  EXPECT_EQ(rt::inquire(p).unit, 0);
  EXPECT_FALSE(rt::inquire(path("none")).exists);
  EXPECT_TRUE(rt::inquire(dir_.string()).exists) << "a folder exists";
  EXPECT_EQ(rt::inquire(dir_.string()).unit, 0);

  ASSERT_EQ(rt::open(12, p, text_in()), 0);
  fs::create_hard_link(p, path("link.txt"));
  fs::create_directory(path("sub"));
  for (const std::string& name : {p, path("link.txt"), path("sub/../in.txt"), path("./in.txt")}) {
    const rt::FileInquiry q = rt::inquire(name);
    EXPECT_TRUE(q.exists) << name;
    EXPECT_EQ(q.unit, 12) << name;
  }
  rt::close(12);
  EXPECT_EQ(rt::inquire(p).unit, 0);
}

TEST_F(Units, LowestFreeUnitSkipsFiveAndSix) {
  const std::string p = make("in.txt", "a\n");
  EXPECT_EQ(rt::lowest_free_unit(), 1);
  for (int u : {1, 2, 3, 4}) ASSERT_EQ(rt::open(u, p, text_in()), 0);
  EXPECT_EQ(rt::lowest_free_unit(), 7);
  ASSERT_EQ(rt::open(7, p, text_in()), 0);
  EXPECT_EQ(rt::lowest_free_unit(), 8);
  rt::close(2);
  EXPECT_EQ(rt::lowest_free_unit(), 2);
}

TEST_F(Units, TextOutputIsBufferedUntilClose) {
  const std::string p = path("out.txt");
  ASSERT_EQ(rt::open(20, p, text_out()), 0);
  EXPECT_EQ(rt::write_text(20, "ab"), 0);
  EXPECT_EQ(rt::write_text(20, "c"), 0);
  EXPECT_EQ(rt::write_record(20, "d"), 0);
  EXPECT_EQ(rt::write_record(20, ""), 0);
  EXPECT_EQ(rt::write_record(20, "x\0y"s), 0);
  EXPECT_EQ(fs::file_size(p), 0u) << "no write per record";
  EXPECT_EQ(rt::close(20), 0);
  EXPECT_EQ(contents(p), "abcd\n\nx\0y\n"s);
}

TEST_F(Units, SmallBufferWritesEverythingInOrder) {
  rt::OpenOptions o = text_out();
  o.buffer_size = 5;
  const std::string p = path("out.txt");
  ASSERT_EQ(rt::open(20, p, o), 0);
  std::string expected;
  for (int i = 0; i < 200; ++i) {
    const std::string rec(static_cast<std::size_t>(i % 13), static_cast<char>('a' + i % 26));
    ASSERT_EQ(rt::write_record(20, rec), 0);
    expected += rec + "\n";
  }
  EXPECT_EQ(rt::close(20), 0);
  EXPECT_EQ(contents(p), expected);
}

TEST_F(Units, LargeWritesKeepTheirPlaceAmongBufferedRecords) {
  // Pieces large enough to go straight to the file, before, between and
  // after buffered ones; a large record still gets its line end.
  const std::string p = path("out.txt");
  ASSERT_EQ(rt::open(20, p, text_out()), 0);
  const std::string big(300000, 'b'), bigger(3000000, 'd');
  ASSERT_EQ(rt::write_record(20, "a"), 0);
  ASSERT_EQ(rt::write_record(20, big), 0);
  ASSERT_EQ(rt::write_text(20, "c"), 0);
  ASSERT_EQ(rt::write_text(20, bigger), 0);
  ASSERT_EQ(rt::write_record(20, "e"), 0);
  ASSERT_EQ(rt::write_record(20, big), 0);
  EXPECT_EQ(rt::close(20), 0);
  EXPECT_EQ(contents(p), "a\n" + big + "\nc" + bigger + "e\n" + big + "\n");
}

TEST_F(Units, Dispositions) {
  const std::string p = make("f.txt", "old1\nold2\n");
  ASSERT_EQ(rt::open(3, p, text_out(rt::Disposition::Append)), 0);
  rt::write_record(3, "new");
  ASSERT_EQ(rt::close(3), 0);
  EXPECT_EQ(contents(p), "old1\nold2\nnew\n");

  ASSERT_EQ(rt::open(3, path("fresh.txt"), text_out(rt::Disposition::Append)), 0);
  rt::write_record(3, "first");
  rt::close(3);
  EXPECT_EQ(contents(path("fresh.txt")), "first\n");

  // Opened without a write, an existing file is left as it is.
  ASSERT_EQ(rt::open(3, p, text_out(rt::Disposition::Unknown)), 0);
  rt::close(3);
  EXPECT_EQ(contents(p), "old1\nold2\nnew\n");
  // A sequential write at the start makes its record the last one.
  ASSERT_EQ(rt::open(3, p, text_out(rt::Disposition::Unknown)), 0);
  rt::write_record(3, "x");
  rt::close(3);
  EXPECT_EQ(contents(p), "x\n");
  ASSERT_EQ(rt::open(3, path("made.txt"), text_out(rt::Disposition::Unknown)), 0);
  rt::close(3);
  EXPECT_TRUE(fs::exists(path("made.txt")));

  ASSERT_EQ(rt::open(3, p, text_out(rt::Disposition::Replace)), 0);
  EXPECT_EQ(fs::file_size(p), 0u);
  rt::close(3);
  EXPECT_EQ(rt::open(3, path("nope.txt"), text_out(rt::Disposition::Old)), ENOENT);
}

TEST_F(Units, ReadAndWriteOnOneTextConnection) {
  const std::string p = make("rw.txt", "a\nb\nc\n");
  ASSERT_EQ(rt::open(3, p, opts(rt::Form::Formatted, rt::Action::ReadWrite, rt::Disposition::Old)), 0);
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
  EXPECT_EQ(contents(p), "a\nX\nY\n");
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

  ASSERT_EQ(rt::open(31, "/dev/full", opts(rt::Form::Stream, rt::Action::Write, rt::Disposition::Unknown)), 0);
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
  try {
    rt::close_all();
    FAIL() << "close_all returned";
  } catch (const platform::ProcessEnded& e) {
    EXPECT_EQ(e.status, 1);
  }
  EXPECT_EQ(console_.str(), "\nRun-time error: close failed on unit 30 (/dev/full): No space left on device\n");
  EXPECT_FALSE(rt::is_connected(40));
  EXPECT_EQ(contents(path("a.txt")), "kept\n");
  EXPECT_EQ(contents(path("b.txt")), "kept too\n") << "later units are still written";
}

TEST_F(Units, IoOnAnUnconnectedUnitIsFatal) {
  struct Case {
    const char* operation;
    std::function<void()> call;
  };
  std::string_view rec;
  std::vector<unsigned char> frame;
  char buf[8] = {};
  const Case cases[] = {
      {"read", [&] { rt::read_record(77, rec); }},
      {"write", [&] { rt::write_record(77, "x"); }},
      {"write", [&] { rt::write_text(77, "x"); }},
      {"backspace", [&] { rt::backspace(77); }},
      {"rewind", [&] { rt::rewind(77); }},
      {"read", [&] { rt::text_source(77); }},
      {"read", [&] { rt::read_bytes(77, buf, 4); }},
      {"write", [&] { rt::write_bytes(77, buf, 4); }},
      {"write", [&] { rt::write_f64(77, 1.0); }},
      {"read", [&] { rt::read_framed(77, frame); }},
      {"write", [&] { rt::write_framed(77, buf, 4); }},
      {"read", [&] { rt::read_direct(77, 1, buf); }},
      {"write", [&] { rt::write_direct(77, 1, buf); }},
      {"seek", [&] { rt::seek(77, 0); }},
      {"tell", [&] { rt::tell(77); }},
  };
  const fs::path before = fs::current_path();
  for (const Case& c : cases) {
    console_.str("");
    try {
      c.call();
      ADD_FAILURE() << c.operation << " returned";
    } catch (const platform::ProcessEnded& e) {
      EXPECT_EQ(e.status, 1);
    }
    EXPECT_EQ(console_.str(),
              "\nRun-time error: "s + c.operation + " failed on unit 77: the unit is not connected\n");
    EXPECT_FALSE(rt::is_connected(77));
  }
  EXPECT_FALSE(fs::exists(before / "fort.77"));
}

TEST_F(Units, OperationOutsideTheConnectionsFormIsFatal) {
  const std::string in = make("in.txt", "a\n");
  const std::string out = path("out.txt");
  ASSERT_EQ(rt::open(3, in, text_in()), 0);
  ASSERT_EQ(rt::open(4, out, text_out()), 0);
  ASSERT_EQ(rt::open(9, path("s.bin"), opts(rt::Form::Stream, rt::Action::Read, rt::Disposition::Unknown)), 0);
  rt::write_record(4, "done");
  struct Case {
    std::string message;
    std::function<void()> call;
  };
  std::string_view rec;
  std::vector<unsigned char> frame;
  const Case cases[] = {
      {"write failed on unit 3 (" + in + ")", [] { rt::write_record(3, "x"); }},
      {"read failed on unit 4 (" + out + ")", [&] { rt::read_record(4, rec); }},
      {"backspace failed on unit 4 (" + out + ")", [] { rt::backspace(4); }},
      {"read failed on unit 3 (" + in + ")", [&] { rt::read_framed(3, frame); }},
      {"write failed on unit 9 (" + path("s.bin") + ")", [] { rt::write_i32(9, 1); }},
  };
  for (const Case& c : cases) {
    console_.str("");
    EXPECT_THROW(c.call(), platform::ProcessEnded) << c.message;
    EXPECT_EQ(console_.str(), "\nRun-time error: " + c.message + ": the operation does not fit the connection\n");
    // The fatal end closes every connection; open them again for the next case.
    ASSERT_EQ(rt::open(3, in, text_in()), 0);
    ASSERT_EQ(rt::open(4, out, text_out(rt::Disposition::Append)), 0);
    ASSERT_EQ(rt::open(9, path("s.bin"), opts(rt::Form::Stream, rt::Action::Read, rt::Disposition::Old)), 0);
  }
  rt::close(4);
  EXPECT_EQ(contents(out), "done\n") << "the fatal end wrote the buffered output";
}

TEST_F(Units, StreamPositions) {
  const std::string p = path("s.bin");
  ASSERT_EQ(rt::open(5, p, opts(rt::Form::Stream, rt::Action::ReadWrite, rt::Disposition::Replace)), 0);
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
  EXPECT_EQ(contents(p), "abXYef");

  ASSERT_EQ(rt::open(5, p, opts(rt::Form::Stream, rt::Action::Write, rt::Disposition::Append)), 0);
  EXPECT_EQ(rt::tell(5), 6u);
  rt::write_bytes(5, "!", 1);
  EXPECT_EQ(rt::length(5), 7u) << "the connection's own write counts";
  rt::close(5);
  EXPECT_EQ(contents(p), "abXYef!");
}

TEST_F(Units, LargeStreamReadsCrossTheReadBuffer) {
  std::string big(3'000'001, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 % 251);
  const std::string p = make("big.bin", big);
  ASSERT_EQ(rt::open(5, p, opts(rt::Form::Stream, rt::Action::Read, rt::Disposition::Old)), 0);
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
  ASSERT_EQ(rt::open(6, p, opts(rt::Form::Framed, rt::Action::Write, rt::Disposition::Replace)), 0);
  EXPECT_EQ(rt::write_framed(6, "", 0), 0);
  EXPECT_EQ(rt::write_framed(6, "abc", 3), 0);
  EXPECT_EQ(rt::write_framed(6, big.data(), big.size()), 0);
  ASSERT_EQ(rt::close(6), 0);
  const std::string raw = contents(p);
  EXPECT_EQ(raw.substr(0, 19), "\0\0\0\0\0\0\0\0\3\0\0\0abc\3\0\0\0"s);
  EXPECT_EQ(raw.substr(19, 4), "\xe0\x93\x04\0"s);
  EXPECT_EQ(raw.size(), 8 + 11 + 300'008u);

  ASSERT_EQ(rt::open(6, p, opts(rt::Form::Framed, rt::Action::Read, rt::Disposition::Old)), 0);
  std::vector<unsigned char> rec{1, 2};
  EXPECT_EQ(rt::read_framed(6, rec), 0);
  EXPECT_TRUE(rec.empty());
  EXPECT_EQ(rt::read_framed(6, rec), 0);
  EXPECT_EQ(std::string(rec.begin(), rec.end()), "abc");
  EXPECT_EQ(rt::read_framed(6, rec), 0);
  EXPECT_EQ(std::string(rec.begin(), rec.end()), big);
  EXPECT_EQ(rt::read_framed(6, rec), rt::kEnd);
  EXPECT_EQ(rt::read_framed(6, rec), rt::kEnd);
  EXPECT_EQ(rt::rewind(6), 0);
  EXPECT_EQ(rt::read_framed(6, rec), 0);
  EXPECT_TRUE(rec.empty());
}

TEST_F(Units, CorruptFramingIsABadRecord) {
  struct Case {
    const char* what;
    std::string bytes;
    int good_records;
  };
  const Case cases[] = {
      {"trailer differs", "\2\0\0\0ab\3\0\0\0"s, 0},
      {"data cut short", "\x0a\0\0\0abcde"s, 0},
      {"trailer missing", "\2\0\0\0ab"s, 0},
      {"length cut short", "\1\0\0\0x\1\0\0\0\5\0"s, 1},
      {"length beyond the file", "\xf0\xff\xff\xff"s + std::string(16, 'q'), 0},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(rt::open(6, make("bad.bin", c.bytes), opts(rt::Form::Framed, rt::Action::Read, rt::Disposition::Old)), 0);
    std::vector<unsigned char> rec;
    for (int i = 0; i < c.good_records; ++i) EXPECT_EQ(rt::read_framed(6, rec), 0) << c.what;
    EXPECT_EQ(rt::read_framed(6, rec), rt::kBadRecord) << c.what;
    rt::close(6);
  }
}

TEST_F(Units, DirectRecords) {
  const std::string p = path("d.bin");
  rt::OpenOptions o = opts(rt::Form::Direct, rt::Action::ReadWrite, rt::Disposition::Replace);
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
  EXPECT_EQ(contents(p), "AAAA\0\0\0\0CCCC"s);

  o.disposition = rt::Disposition::Old;
  ASSERT_EQ(rt::open(7, make("short.bin", "123456"), o), 0);
  EXPECT_EQ(rt::read_direct(7, 1, buf), 0);
  EXPECT_EQ(rt::read_direct(7, 2, buf), rt::kBadRecord) << "a record of 2 bytes";
}

TEST_F(Units, ByteOrderOfTypedValues) {
  const std::string p = path("be.bin");
  ASSERT_EQ(rt::open(8, p, opts(rt::Form::Stream, rt::Action::Write, rt::Disposition::Replace, rt::ByteOrder::Big)), 0);
  rt::write_i32(8, 0x01020304);
  rt::write_f32(8, 1.0f);
  rt::write_f64(8, -2.0);
  ASSERT_EQ(rt::close(8), 0);
  EXPECT_EQ(contents(p), "\x01\x02\x03\x04\x3f\x80\0\0\xc0\0\0\0\0\0\0\0"s);

  ASSERT_EQ(rt::open(8, p, opts(rt::Form::Stream, rt::Action::Read, rt::Disposition::Old, rt::ByteOrder::Big)), 0);
  std::int32_t i = 0;
  float f = 0;
  double d = 0;
  EXPECT_EQ(rt::read_i32(8, i), 0);
  EXPECT_EQ(rt::read_f32(8, f), 0);
  EXPECT_EQ(rt::read_f64(8, d), 0);
  EXPECT_EQ(i, 0x01020304);
  EXPECT_EQ(f, 1.0f);
  EXPECT_EQ(d, -2.0);
  EXPECT_EQ(rt::read_i32(8, i), rt::kEnd);
  rt::close(8);

  ASSERT_EQ(rt::open(8, p, opts(rt::Form::Stream, rt::Action::Read, rt::Disposition::Old, rt::ByteOrder::Little)), 0);
  EXPECT_EQ(rt::read_i32(8, i), 0);
  EXPECT_EQ(i, 0x04030201);
  rt::close(8);

  ASSERT_EQ(rt::open(8, p, opts(rt::Form::Stream, rt::Action::Write, rt::Disposition::Replace, rt::ByteOrder::Little)), 0);
  rt::write_i32(8, 0x01020304);
  rt::close(8);
  EXPECT_EQ(contents(p), "\x04\x03\x02\x01");
}

}  // namespace
