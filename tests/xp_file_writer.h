// Writes XP interface files of all five physical layouts from the format
// description, for the tests and the benchmark: the IDs, times and flows that
// go in are known, so every value the reader returns can be checked.
//   type 1  stream, 64-bit reals          type 2  stream, 32-bit reals
//   type 3  framed, 64-bit reals          type 4  framed, 32-bit reals
//   type 5  stream, 32-bit reals, marker words before certain records
// Framed records carry their data length before and after.  Big-endian
// output (every number and length word byte-reversed) serves the tests that
// such files are not taken for interface files.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xpgen {

struct Step {
  std::int32_t jday = 2000001;  // YYYYDDD
  double timesec = 0;           // seconds after 00:00 of that day
  double deltasec = 900;
  std::vector<double> q;        // one flow per location
  std::vector<double> c;        // per-location records only: NLOC x NCONST constituent values, location by location
};

struct File {
  int type = 1;
  bool big_endian = false;
  std::string titles[4] = {"Interface file test", "Second title line", "Title three", "Fourth title"};
  double starttime = 0;              // STARTDATE is 2000001
  std::string source = "rafts";      // SOURCENAME
  std::vector<std::string> ids;      // written as they fit the ID width
  std::optional<std::int32_t> nloc;  // NLOC when it is not ids.size()
  std::int32_t nconst = 0;
  double hdrvalue = 0;                      // TAILVALUE is 0
  std::vector<std::uint32_t> marker_words;  // type-5 marker words in turn, 0 after them
  std::vector<Step> steps;
};

struct Written {
  std::string bytes;
  std::size_t steps_offset = 0;           // where the first step block starts
  std::vector<std::size_t> step_offsets;  // where each step block starts
};

inline int real_bytes(int type) { return type == 1 || type == 3 ? 8 : 4; }
inline bool is_framed(int type) { return type == 3 || type == 4; }

inline Written write(const File& f) {
  Written out;
  std::string& b = out.bytes;
  const int r = real_bytes(f.type);
  std::string_view source = f.source;
  while (source.ends_with(' ')) source.remove_suffix(1);
  const bool rafts = source == "rafts", packed = f.hdrvalue > 0 || rafts;
  const auto put = [&](std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) b += static_cast<char>(v >> (8 * (f.big_endian ? n - 1 - i : i)));
  };
  const auto i32 = [&](std::int32_t v) { put(static_cast<std::uint32_t>(v), 4); };
  const auto real = [&](double v, int n) {
    put(n == 8 ? std::bit_cast<std::uint64_t>(v) : std::bit_cast<std::uint32_t>(static_cast<float>(v)), n);
  };
  const auto text = [&](std::string_view s, std::size_t n) {
    b += s.substr(0, n);
    b.append(n - std::min(n, s.size()), ' ');
  };
  std::size_t marker = 0;
  // One record: type-5 marker words first, then the items; framed types put
  // the data length before and after.
  const auto record = [&](int markers, auto&& items) {
    for (int m = 0; f.type == 5 && m < markers; ++m, ++marker)
      put(marker < f.marker_words.size() ? f.marker_words[marker] : 0, 4);
    const std::size_t start = b.size();
    if (is_framed(f.type)) put(0, 4);
    items();
    if (!is_framed(f.type)) return;
    put(b.size() - start - 4, 4);
    b.replace(start, 4, b.substr(b.size() - 4));
  };
  // Records 1 to 6.
  record(1, [&] { text(f.titles[0], 80); });
  record(2, [&] { text(f.titles[1], 80); });
  record(2, [&] { i32(2000001); real(f.starttime, r); });
  record(2, [&] { text(f.titles[2], 80); });
  record(2, [&] { text(f.titles[3], 80); });
  record(2, [&] {
    text(f.source, 20);
    i32(f.nloc.value_or(static_cast<std::int32_t>(f.ids.size())));
    i32(f.nconst);
    real(f.hdrvalue, r);
  });
  // Location IDs, then the constituents' names, units and codes.
  if (packed)
    record(3, [&] { for (const std::string& id : f.ids) text(id, r == 8 ? 16 : 10); });
  else
    for (const std::string& id : f.ids) record(0, [&] { text(id, 16); });
  if (f.nconst > 0) {
    record(0, [&] { for (int j = 0; j < f.nconst; ++j) text("CONST" + std::to_string(j + 1), 16); });
    record(0, [&] { for (int j = 0; j < f.nconst; ++j) text("mg/L", 16); });
    record(0, [&] { for (int j = 0; j < f.nconst; ++j) i32(100 + j); });
  }
  record(2, [&] { real(0, r); });
  out.steps_offset = b.size();
  // Step blocks, each in the layout the format prescribes for it.
  bool layout_a_off = false;
  for (const Step& s : f.steps) {
    out.step_offsets.push_back(b.size());
    if (f.hdrvalue > 0 || (rafts && !layout_a_off)) {
      record(2, [&] {
        i32(s.jday); real(s.timesec, r); real(s.deltasec, f.type == 5 ? 4 : 8);
        for (double q : s.q) real(q, r);
      });
      if (s.jday > 99999999 || s.jday < -99999999) layout_a_off = true;
      continue;
    }
    record(0, [&] { i32(s.jday); real(s.timesec, r); real(s.deltasec, r); });
    for (std::size_t i = 0; i < s.q.size(); ++i) {
      record(0, [&] { real(s.q[i], r); });
      for (std::size_t j = 0, at = i * static_cast<std::size_t>(f.nconst); j < static_cast<std::size_t>(f.nconst); ++j)
        record(0, [&] { real(at + j < s.c.size() ? s.c[at + j] : 0.0, r); });
    }
  }
  return out;
}

}  // namespace xpgen
