#include "library/transforms.h"

#include <algorithm>
#include <cstdint>
#include <deque>

#include "library/ftext.h"
#include "library/keywords.h"

namespace lib {

namespace {

inline bool is_alnum(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

inline unsigned char fold(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 32) : u;
}

// True when TEXT ends with PATTERN, ignoring ASCII case.
bool ends_with_folded(std::string_view text, std::string_view pattern) {
  if (text.size() < pattern.size()) return false;
  const std::size_t off = text.size() - pattern.size();
  for (std::size_t k = pattern.size(); k-- > 0;)
    if (fold(text[off + k]) != fold(pattern[k])) return false;
  return true;
}

// Most replacements REPLACEALL makes when each search starts from the
// beginning again.  Such a run can take about the square of the text's length
// (a replacement that moves a character one place, repeated); the limit only
// stops arguments that would replace for ever.
std::uint64_t replacement_limit(std::size_t cap) {
  constexpr std::uint64_t kMost = std::uint64_t{1} << 26;
  const std::uint64_t c = cap + 1;
  return c > kMost / c ? kMost : std::max<std::uint64_t>(c * c, 1024);
}

}  // namespace

std::string REMOVESPACES(std::string_view str) {
  std::string r;
  for (char c : trim_right(str))
    if (c != ' ') r.push_back(c);
  return r;
}

std::string ALPHANUMERICONLY(std::string_view str, std::string_view ch, std::size_t result_cap) {
  if (is_blank(str)) return "X";
  // A text is blank beyond its end: an empty CH replaces with blanks.
  const char r = ch.empty() ? ' ' : ch[0];
  std::string out;
  for (char c : trim_right(str)) {
    if (out.size() >= result_cap) break;  // the rest would fall beyond the result
    if (is_alnum(c))
      out.push_back(c);
    else if (r != '\0')
      out.push_back(r);
  }
  if (is_blank(out)) return "X";
  out.resize(len_trim(out));
  return out;
}

std::string CLEANATTRIBUTENAME(std::string_view str) {
  std::string out;
  for (char c : trim_right(str))
    if (is_alnum(c) || c == '_') out.push_back(c);
  return out.empty() ? "X" : out;
}

std::string DOUBLEQUOTE(std::string_view str) {
  std::string out;
  for (char c : trim_right(str)) {
    out.push_back(c);
    if (c == '"') out.push_back(c);
  }
  return out;
}

std::string REPLACE(std::string_view str, std::string_view old, std::string_view neu) {
  const std::size_t i = find_flag(str, old);
  if (i == std::string_view::npos) return std::string(trim_right(str));
  std::string out(str.substr(0, i));
  out.append(trim_right(neu));
  out.append(trim_right(str.substr(i + len_trim(old))));
  return out;
}

// The working text is scanned once from the left.  OUT holds the text before
// the scan position and never contains OLD (in restart mode): a replacement
// removes OLD from its end and puts NEW in front of the unscanned text, so
// that an occurrence formed by NEW with what precedes it is found next, as a
// search from the beginning would find it (occurrences of equal length that
// end first also start first).  The working text is OUT, PENDING (replaced
// text still to scan), SRC(pos:rend) and blanks up to RESULT_CAP; growth cuts
// it at RESULT_CAP, shrinking brings blanks in at its end.
std::string REPLACEALL(std::string_view str, std::string_view old, std::string_view neu, std::size_t result_cap) {
  const std::string_view src = trim_right(cut(str, result_cap));
  const std::string_view o = trim_right(old);
  if (o.empty()) return std::string(src);
  const std::string_view n = trim_right(neu);
  // When NEW contains OLD a restart would find the inserted text again and
  // again: replace the occurrences of the original text in one pass instead.
  const bool one_pass = find_flag(n, o) != std::string_view::npos;
  const unsigned char last = fold(o.back());

  std::string out;
  out.reserve(src.size());
  std::deque<char> pending;
  std::size_t pos = 0, rend = src.size();
  std::size_t floor = 0;  // one pass: an occurrence starts at or after this position of OUT
  std::uint64_t left = replacement_limit(result_cap);

  for (;;) {
    char c;
    if (!pending.empty()) {
      c = pending.front();
      pending.pop_front();
    } else if (pos < rend) {
      c = src[pos++];
    } else {
      break;
    }
    out.push_back(c);
    if (fold(c) != last || out.size() < floor + o.size() || !ends_with_folded(out, o)) continue;

    out.resize(out.size() - o.size());
    if (one_pass) {
      out.append(n);
      floor = out.size();
    } else {
      for (auto it = n.rbegin(); it != n.rend(); ++it) pending.push_front(*it);
    }
    // Cut what grew beyond the capacity, from the end of the working text.
    std::size_t len = out.size() + pending.size() + (rend - pos);
    if (len > result_cap) {
      std::size_t excess = len - result_cap;
      const std::size_t m = std::min(excess, rend - pos);
      rend -= m;
      excess -= m;
      const std::size_t p = std::min(excess, pending.size());
      pending.resize(pending.size() - p);
      out.resize(out.size() - (excess - p));
    }
    if (!one_pass && --left == 0) break;
  }
  out.append(pending.begin(), pending.end());
  out.append(src.substr(pos, rend - pos));
  out.resize(len_trim(out));
  return out;
}

}  // namespace lib
