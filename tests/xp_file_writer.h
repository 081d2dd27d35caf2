// Writes XP interface files of all five physical layouts from the format
// description, for the tests and the benchmark: the IDs, times and flows that
// go in are known, so every value the reader returns can be checked.
//
//   type 1  stream, 64-bit reals          type 2  stream, 32-bit reals
//   type 3  framed, 64-bit reals          type 4  framed, 32-bit reals
//   type 5  stream, 32-bit reals, marker words before certain records
//
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
  std::int32_t startdate = 2000001;
  double starttime = 0;
  std::string source = "rafts";      // SOURCENAME
  std::vector<std::string> ids;      // written as they fit the ID width
  std::optional<std::int32_t> nloc;  // NLOC when it is not ids.size()
  std::int32_t nconst = 0;
  double hdrvalue = 0;
  double tailvalue = 0;
  std::uint32_t marker = 0;                 // value of every type-5 marker word ...
  std::vector<std::uint32_t> marker_words;  // ... unless given word by word here
  std::vector<Step> steps;
};

struct Written {
  std::string bytes;
  std::size_t steps_offset = 0;           // where the first step block starts
  std::vector<std::size_t> step_offsets;  // where each step block starts
};

inline int real_bytes(int type) { return type == 1 || type == 3 ? 8 : 4; }
inline bool is_framed(int type) { return type == 3 || type == 4; }
inline bool source_is_rafts(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s == "rafts";
}
// The ID as the reader returns it: cut to the file's ID width, padded to 16.
inline std::string returned_id(const File& f, const std::string& id) {
  const bool packed = f.hdrvalue > 0 || source_is_rafts(f.source);
  const std::size_t width = packed && real_bytes(f.type) == 4 ? 10 : 16;
  std::string s = id.substr(0, std::min(width, id.size()));
  s.resize(16, ' ');
  return s;
}

class Writer {
 public:
  explicit Writer(const File& f) : f_(f) {}

  Written write() {
    const int r = real_bytes(f_.type);
    const bool packed = f_.hdrvalue > 0 || source_is_rafts(f_.source);
    // Records 1 to 6.
    record(1, [&] { text(f_.titles[0], 80); });
    record(2, [&] { text(f_.titles[1], 80); });
    record(2, [&] {
      i32(f_.startdate);
      real(f_.starttime, r);
    });
    record(2, [&] { text(f_.titles[2], 80); });
    record(2, [&] { text(f_.titles[3], 80); });
    record(2, [&] {
      text(f_.source, 20);
      i32(f_.nloc.value_or(static_cast<std::int32_t>(f_.ids.size())));
      i32(f_.nconst);
      real(f_.hdrvalue, r);
    });
    // Location IDs.
    if (packed) {
      record(3, [&] {
        for (const std::string& id : f_.ids) text(id, r == 8 ? 16 : 10);
      });
    } else {
      for (const std::string& id : f_.ids) record(0, [&] { text(id, 16); });
    }
    if (f_.nconst > 0) {
      record(0, [&] {
        for (int j = 0; j < f_.nconst; ++j) text("CONST" + std::to_string(j + 1), 16);
      });
      record(0, [&] {
        for (int j = 0; j < f_.nconst; ++j) text("mg/L", 16);
      });
      record(0, [&] {
        for (int j = 0; j < f_.nconst; ++j) i32(100 + j);
      });
    }
    record(2, [&] { real(f_.tailvalue, r); });
    out_.steps_offset = out_.bytes.size();
    // Step blocks, each in the layout the format prescribes for it.
    bool layout_a_off = false;
    for (const Step& s : f_.steps) {
      out_.step_offsets.push_back(out_.bytes.size());
      if (f_.hdrvalue > 0 || (source_is_rafts(f_.source) && !layout_a_off)) {
        record(2, [&] {
          i32(s.jday);
          real(s.timesec, r);
          real(s.deltasec, f_.type == 5 ? 4 : 8);
          for (double q : s.q) real(q, r);
        });
        if (s.jday > 99999999 || s.jday < -99999999) layout_a_off = true;
      } else {
        record(0, [&] {
          i32(s.jday);
          real(s.timesec, r);
          real(s.deltasec, r);
        });
        for (std::size_t i = 0; i < s.q.size(); ++i) {
          record(0, [&] { real(s.q[i], r); });
          for (int j = 0; j < f_.nconst; ++j) {
            const std::size_t at = i * static_cast<std::size_t>(f_.nconst) + static_cast<std::size_t>(j);
            record(0, [&] { real(at < s.c.size() ? s.c[at] : 0.0, r); });
          }
        }
      }
    }
    return std::move(out_);
  }

 private:
  // One record: type-5 marker words first, then the items; framed types put
  // the data length before and after.
  template <class Items>
  void record(int markers, Items&& items) {
    if (f_.type == 5)
      for (int m = 0; m < markers; ++m) word(next_marker());
    const std::size_t start = out_.bytes.size();
    if (is_framed(f_.type)) word(0);
    items();
    if (is_framed(f_.type)) {
      const auto len = static_cast<std::uint32_t>(out_.bytes.size() - start - 4);
      const std::string w = encode(len);
      out_.bytes.replace(start, 4, w);
      word(len);
    }
  }
  std::uint32_t next_marker() {
    return marker_index_ < f_.marker_words.size() ? f_.marker_words[marker_index_++] : f_.marker;
  }

  template <class U>
  std::string encode(U v) const {
    std::string b(sizeof(U), '\0');
    for (std::size_t i = 0; i < sizeof(U); ++i) {
      const std::size_t at = f_.big_endian ? sizeof(U) - 1 - i : i;
      b[at] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    return b;
  }
  void word(std::uint32_t v) { out_.bytes += encode(v); }
  void i32(std::int32_t v) { word(static_cast<std::uint32_t>(v)); }
  void real(double v, int width) {
    if (width == 8)
      out_.bytes += encode(std::bit_cast<std::uint64_t>(v));
    else
      word(std::bit_cast<std::uint32_t>(static_cast<float>(v)));
  }
  void text(std::string_view s, std::size_t n) {
    std::string t(s.substr(0, std::min(n, s.size())));
    t.resize(n, ' ');
    out_.bytes += t;
  }

  const File& f_;
  Written out_;
  std::size_t marker_index_ = 0;
};

inline Written write(const File& f) { return Writer(f).write(); }

}  // namespace xpgen
