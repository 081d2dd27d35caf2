// Lines read ahead of a reader: a large batch is split into lines on several
// threads (2 and 8 here, whatever the machine), and must give the lines, line
// numbers and reading position that reading the lines one by one gives.
#include "converter/readers/read_ahead.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <span>
#include <string>
#include <vector>

#include "converter/parallel.h"
#include "library/ffmt.h"
#include "transcript_support.h"

namespace {

// The ways a batch is read: one by one, or split on 2 and on 8 threads.
struct Way {
  conv::ReadAhead::Scan scan;
  std::size_t threads;
  std::string name() const {
    return scan == conv::ReadAhead::Scan::plain ? "plain" : "split on " + std::to_string(threads) + " threads";
  }
};
const Way kWays[] = {
    {conv::ReadAhead::Scan::plain, 0}, {conv::ReadAhead::Scan::split, 2}, {conv::ReadAhead::Scan::split, 8}};

// The tests here run on the threads they ask for, and leave them as a run has
// them.
class ReadAhead : public ::testing::Test {
 protected:
  void TearDown() override { conv::parallel::for_tests::use_threads(0); }
};

// The lines of `text` as read one by one: split at "\n", a "\r" before it
// dropped, a last line without "\n" kept.
std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::size_t s = 0;
  while (s < text.size()) {
    std::size_t e = text.find('\n', s);
    const std::size_t next = e == std::string::npos ? text.size() : e + 1;
    if (e == std::string::npos) e = text.size();
    if (e > s && text[e - 1] == '\r') --e;
    out.push_back(text.substr(s, e - s));
    s = next;
  }
  return out;
}

std::string repeat(const std::string& line, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += line;
  return out;
}

// A batch holds the lines that start in its bytes, up to its line limit,
// found in pieces on several threads or one by one alike; and finding them
// looks at the bytes of those lines, not at lines it does not keep, nor
// again and again at a line that runs past the bytes.
TEST_F(ReadAhead, BatchesGiveTheLinesOfALineByLineReadingAndLookAtLittleMore) {
  constexpr std::size_t kMB = std::size_t{1} << 20;
  const std::string long_line(700000, '7'), longer_than_the_batch(3 * kMB, '7');
  const struct {
    std::string name, text;
    std::size_t skip;       // lines read one by one before the batch
    std::size_t max_lines;  // the batch's line limit
    std::size_t bytes;      // the batch's bytes (0: the whole text)
  } cases[] = {
      {"CRLF lines", repeat("  1.0  2.0\r\n", 150000), 3, SIZE_MAX, 0},
      {"a line across pieces, no last line end", repeat("1 2\n", 100000) + long_line + "\n" + repeat("3\n\n", 200000) + "9 9",
       0, SIZE_MAX, 0},
      {"empty lines and a lone CR", repeat("\n\r\n\n5\n", 200000), 1, SIZE_MAX, 0},
      {"cut by the line limit", repeat("0.5 1.5 2.5\n", 120000), 2, 70001, 0},
      {"empty lines, a line for 16 bytes", repeat("\n", 2 * kMB), 0, kMB / 16, kMB},
      {"one-character lines, a line for 16 bytes", repeat("x\n", kMB), 5, kMB / 16, kMB},
      {"fifteen-character lines, a line for 16 bytes", repeat("abcdefghijklmno\n", kMB / 8), 0, kMB / 16, kMB},
      {"lines that end where pieces end", repeat(std::string(65535, '4') + "\n", 40), 0, SIZE_MAX, 16 * 65536},
      {"a line longer than the batch", repeat("1 2\n", 1000) + longer_than_the_batch + "\n8\n", 0, SIZE_MAX, kMB},
      {"a line longer than the batch, no line end", "5\n" + longer_than_the_batch, 0, SIZE_MAX, kMB},
      {"the last line longer than the batch", repeat("6\n", 300000) + longer_than_the_batch, 2, 300001, kMB},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> all = lines_of(c.text);
    for (const Way& way : kWays) {
      SCOPED_TRACE(c.name + ", " + way.name());
      conv::parallel::for_tests::use_threads(way.threads);
      platform::rt::TextSource src = transcript::text(c.text);
      conv::LineInput in(src);
      std::string_view line;
      for (std::size_t i = 0; i < c.skip; ++i) ASSERT_TRUE(in.read(line));
      // The lines that start in the batch's bytes, line_limit at most.
      const std::size_t bytes = c.bytes == 0 ? c.text.size() : c.bytes;
      std::size_t expected = 0;
      for (std::size_t at = 0; c.skip + expected < all.size() && expected < c.max_lines && at < bytes; ++expected)
        at = std::min(c.text.find('\n', in.place().offset + at), c.text.size() - 1) + 1 - in.place().offset;

      conv::ReadAhead ahead(way.scan);
      ahead.look_ahead(in, c.max_lines, bytes);
      ASSERT_EQ(ahead.size(), expected);
      for (std::size_t i = 0; i < ahead.size(); ++i) {
        ASSERT_EQ(ahead.line(i), all[c.skip + i]) << i;
        ASSERT_EQ(ahead.line_number(i), static_cast<std::int64_t>(c.skip + i + 1)) << i;
      }
      EXPECT_EQ(in.NLINE(), static_cast<std::int64_t>(c.skip)) << "a look ahead leaves the input where it was";
      EXPECT_LE(ahead.scanned(), ahead.bytes() + ahead.bytes() / 4);

      // Keeping all but the last: reading goes on with the last line, counted once.
      ahead.keep(in, expected - 1);
      ASSERT_TRUE(in.read(line));
      EXPECT_EQ(line, all[c.skip + expected - 1]);
      EXPECT_EQ(in.NLINE(), static_cast<std::int64_t>(c.skip + expected));
      if (c.skip + expected == all.size()) {
        EXPECT_FALSE(in.read(line));
      }
    }
  }
}

// Runs of lines on 1, 2 and 8 threads: every line before the first refused one
// is offered once, in runs of consecutive lines no longer than asked, and
// the count that comes back is that of the lines before the first refusal.
TEST_F(ReadAhead, RunsStopAtTheFirstRefusedLine) {
  // Lines of 14 bytes: the pieces that go to the threads are not made of
  // whole runs.  Refused: none, the first, inside a run, the last of a run,
  // late (on another thread), the earlier of two.
  const std::string text = repeat("1.0 2.0 3.0 4\n", 300000);
  const std::vector<std::size_t> cases[] = {{}, {0}, {17}, {31}, {250001}, {299999, 123457}};
  for (const std::size_t threads : {1, 2, 8}) {
    conv::parallel::for_tests::use_threads(threads);
    for (const auto& refused : cases) {
      SCOPED_TRACE(std::to_string(threads) + " threads, " + std::to_string(refused.size()) + " refused");
      const std::size_t want = refused.empty() ? 300000 : *std::min_element(refused.begin(), refused.end());
      platform::rt::TextSource src = transcript::text(text);
      conv::LineInput in(src);
      conv::ReadAhead ahead;
      ahead.look_ahead(in, SIZE_MAX, text.size());
      ASSERT_EQ(ahead.size(), 300000u);
      std::vector<std::atomic<int>> offered(ahead.size());
      std::atomic<bool> bad_run{false};
      const std::size_t got = ahead.accepted_runs(16, [&](std::size_t from, std::size_t end) {
        if (end <= from || end - from > 16 || end > ahead.size()) bad_run = true;
        for (std::size_t i = from; i < end; ++i) {
          ++offered[i];
          if (std::find(refused.begin(), refused.end(), i) != refused.end()) return i - from;
        }
        return end - from;
      });
      EXPECT_EQ(got, want);
      EXPECT_FALSE(bad_run.load());
      // Every line up to the refused one, that one too, is offered once.
      for (std::size_t i = 0; i <= want && i < ahead.size(); ++i) ASSERT_EQ(offered[i].load(), 1) << "line " << i;
    }
  }
}

// Rows read a run at a time land at their own steps: row i's values and
// time at step `at` + i of every series, also in runs after the first, and
// nothing from the refused row on.
TEST_F(ReadAhead, RowsGoToTheirStepsRunAfterRun) {
  constexpr std::size_t kLines = 70, kRefused = 53, kAt = 5;
  std::string text;
  for (std::size_t i = 0; i < kLines; ++i)
    text += i == kRefused ? "bad\n" : std::to_string(i) + " " + std::to_string(i + 1000) + " " + std::to_string(i + 2000) + "\n";
  platform::rt::TextSource src = transcript::text(text);
  conv::LineInput in(src);
  conv::ReadAhead ahead;
  ahead.look_ahead(in, SIZE_MAX, text.size());
  std::vector<conv::Series> series(2);
  for (auto& s : series) s.q.assign(kAt + kLines, -1.0f), s.hours.assign(kAt + kLines, -1.0f);
  std::vector<float> minutes(kLines);
  const auto take = [&](std::size_t i, std::span<float> items) {
    ffmt::ListReader r(ahead.line(i));
    if (r.read(items.data(), items.size()) != ffmt::kOk) return false;
    minutes[i] = items[0] * 60.0f;
    return true;
  };
  EXPECT_EQ(conv::accepted_rows(ahead, 3, 1, series, kAt, minutes, true, take), kRefused);
  for (std::size_t k = 0; k < 2; ++k) {
    for (std::size_t step = 0; step < kAt + kLines; ++step) {
      const bool taken = step >= kAt && step - kAt < kRefused;
      const float i = static_cast<float>(step) - kAt;
      ASSERT_EQ(series[k].q[step], taken ? i + 1000.0f * static_cast<float>(k + 1) : -1.0f) << k << " " << step;
      ASSERT_EQ(series[k].hours[step], taken ? i : -1.0f) << k << " " << step;
    }
  }
}

}  // namespace
