// Free-form (list-directed) reading.
//
// Tokens are cut out of the record as views and converted in place by the
// number conversions (ffmt_numbers.cpp); plain decimals of an internal read
// skip the token machinery and go to short_decimal in one pass.
#include "library/ffmt_list.h"

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <utility>

#include "library/ffmt_numbers_detail.h"

namespace ffmt {

using detail::check_real;
using detail::is_digit;
using detail::short_decimal;

namespace {

bool is_space(char c) { return c == ' ' || c == '\t'; }
// Characters that end an unquoted value of a free-form read.
bool is_delim(char c) { return c == ' ' || c == '\t' || c == ',' || c == '/'; }

}  // namespace

struct ListReader::Token {
  enum Kind { kValue, kNull, kSlash };
  Kind kind = kNull;
  std::string_view text;  // the value; for a quoted constant its decoded text
  bool quoted = false;    // a character constant in quotes
};

ListReader::ListReader(std::string_view text) : rec_(text) {}

ListReader::ListReader(std::string_view record, NextRecord next_record)
    : rec_(record), next_(std::move(next_record)) {}

bool ListReader::next_record() {
  if (!next_) return false;
  std::string_view r;
  if (!next_(r)) return false;
  rec_ = r;
  pos_ = 0;
  return true;
}

// After a value: blanks, and one comma with the blanks before it.  When the
// record ends first, a comma at the start of the next record still counts.
void ListReader::skip_separator() {
  while (pos_ < rec_.size() && is_space(rec_[pos_])) ++pos_;
  if (pos_ == rec_.size()) {
    sep_open_ = true;
    return;
  }
  if (rec_[pos_] == ',') ++pos_;
  sep_open_ = false;
}

// A quoted character constant from rec_[start], decoded into spill_: a
// doubled quote stands for one.  In an external read a constant that its
// record does not close goes on in the next record; in an internal read it
// ends with the text.
int ListReader::scan_quoted(std::size_t start, Token& t) {
  const char q = rec_[start];
  spill_.clear();
  std::size_t i = start + 1;
  for (;;) {
    while (i < rec_.size()) {
      const char c = rec_[i];
      if (c == q) {
        if (i + 1 < rec_.size() && rec_[i + 1] == q) {
          spill_.push_back(q);
          i += 2;
          continue;
        }
        pos_ = i + 1;
        // The closing quote must be followed by a separator.
        if (pos_ < rec_.size() && !is_delim(rec_[pos_])) return kError;
        t.text = spill_;
        t.quoted = true;
        return kOk;
      }
      spill_.push_back(c);
      ++i;
    }
    if (!next_) {
      pos_ = rec_.size();
      t.text = spill_;
      t.quoted = true;
      return kOk;
    }
    if (!next_record()) return kEnd;
    i = 0;
  }
}

int ListReader::next_token(Token& t) {
  t = Token{};
  if (slash_) {
    t.kind = Token::kSlash;
    return kOk;
  }
  if (repeat_left_ > 0) {
    --repeat_left_;
    if (!repeat_quoted_ && repeat_value_.empty()) return kOk;  // r*: null values
    t.kind = Token::kValue;
    t.text = repeat_value_;
    t.quoted = repeat_quoted_;
    return kOk;
  }
  for (;;) {
    while (pos_ < rec_.size() && is_space(rec_[pos_])) ++pos_;
    if (pos_ == rec_.size()) {
      if (!next_record()) return kEnd;
      continue;
    }
    const char c = rec_[pos_];
    if (c == ',') {
      ++pos_;
      if (sep_open_) {
        sep_open_ = false;
        continue;
      }
      return kOk;  // a null value
    }
    if (c == '/') {
      slash_ = true;
      t.kind = Token::kSlash;
      return kOk;
    }
    break;
  }
  sep_open_ = false;

  // An optional repeat count: digits and "*".
  std::size_t vs = pos_;
  std::size_t scanned = pos_;  // the value's characters up to here hold no delimiter
  std::int32_t repeat = 1;
  {
    std::size_t p = pos_;
    while (p < rec_.size() && is_digit(rec_[p])) ++p;
    if (p > pos_ && p < rec_.size() && rec_[p] == '*') {
      const auto res = std::from_chars(rec_.data() + pos_, rec_.data() + p, repeat, 10);
      if (res.ec != std::errc() || repeat == 0) return kError;
      vs = p + 1;
      scanned = vs;
    } else {
      scanned = p;
    }
  }
  if (vs == rec_.size() || is_delim(rec_[vs])) {
    // "r*" alone: r null values.
    pos_ = vs;
    skip_separator();
    repeat_left_ = repeat - 1;
    repeat_value_ = {};
    repeat_quoted_ = false;
    return kOk;
  }
  t.kind = Token::kValue;
  if (rec_[vs] == '\'' || rec_[vs] == '"') {
    const int st = scan_quoted(vs, t);
    if (st != kOk) return st;
  } else {
    std::size_t e = scanned;
    while (e < rec_.size() && !is_delim(rec_[e])) ++e;
    t.text = rec_.substr(vs, e - vs);
    pos_ = e;
  }
  skip_separator();
  repeat_left_ = repeat - 1;
  repeat_value_ = t.text;
  repeat_quoted_ = t.quoted;
  return kOk;
}

int ListReader::take(Token& t) {
  const int st = next_token(t);
  value_read_ = st == kOk && t.kind == Token::kValue;
  return st;
}

// One number item the general way: the next token, converted to v's type.
template <class T>
int ListReader::read_token(T& v) {
  Token t;
  const int st = take(t);
  if (st != kOk || t.kind != Token::kValue) return st;
  if (t.quoted) return kError;
  if constexpr (std::is_integral_v<T>)
    return parse_int(t.text, v);
  else
    return parse_real(t.text, v);
}

int ListReader::read(std::int32_t& v) { return fast_int(v) ? kOk : read_token(v); }

int ListReader::read(std::int64_t& v) { return read_token(v); }

// Plain decimals ([sign] digits [. digits], ended by a separator) in an
// internal read, in one pass and without the general token machinery.
// Returns false, having changed nothing, for anything else.
template <class T>
bool ListReader::fast_real(T* v) {
  const char* p = fast_value_start();
  if (!p) return false;
  const char* const e = rec_.data() + rec_.size();
  const char* const start = p;
  const bool neg = *p == '-';
  if (neg || *p == '+') ++p;
  // The digits before the point, then those after it.
  std::uint64_t m = 0;  // wraps after 19 digits; only short mantissas are used
  const char* const first = p;
  unsigned d;
  while (p < e && (d = static_cast<unsigned char>(*p) - static_cast<unsigned>('0')) <= 9) {
    m = m * 10 + d;
    ++p;
  }
  int frac = 0;
  const bool has_point = p < e && *p == '.';
  if (has_point) {
    const char* const point = ++p;
    while (p < e && (d = static_cast<unsigned char>(*p) - static_cast<unsigned>('0')) <= 9) {
      m = m * 10 + d;
      ++p;
    }
    frac = static_cast<int>(p - point);
  }
  const int digits = static_cast<int>(p - first) - (has_point ? 1 : 0);
  if (digits == 0 || (p < e && !is_delim(*p))) return false;
  const std::string_view token(start, static_cast<std::size_t>(p - start));
  if (v) {
    if (!short_decimal(m, digits, frac, neg, *v) && parse_real(token, *v) != kOk)
      return false;  // the general path reports it
  } else if (digits - frac > 38) {
    float x;
    if (parse_real(token, x) != kOk) return false;
  }
  end_fast_value(p);
  return true;
}

// Where the next value starts, after blanks and TABs, when it may be read
// the fast way: in an internal read, outside a repeat and before any slash;
// nullptr otherwise, or when the text has no more.
const char* ListReader::fast_value_start() const {
  if (next_ || repeat_left_ > 0 || slash_) return nullptr;
  const char* const e = rec_.data() + rec_.size();
  const char* p = rec_.data() + pos_;
  while (p < e && (*p == ' ' || *p == '\t')) ++p;
  return p == e ? nullptr : p;
}

// The separator after a value read the fast way, from p: blanks, then one
// comma with the blanks after it left for the next value.
void ListReader::end_fast_value(const char* p) {
  const char* const base = rec_.data();
  const char* const e = base + rec_.size();
  while (p < e && (*p == ' ' || *p == '\t')) ++p;
  sep_open_ = p == e;
  if (p < e && *p == ',') ++p;
  pos_ = static_cast<std::size_t>(p - base);
  value_read_ = true;
}

// Plain integers ([sign] one to nine digits, ended by a separator) in an
// internal read, the same way as plain decimals.
bool ListReader::fast_int(std::int32_t& v) {
  const char* p = fast_value_start();
  if (!p) return false;
  const char* const e = rec_.data() + rec_.size();
  const bool neg = *p == '-';
  if (neg || *p == '+') ++p;
  const char* const first = p;
  std::int32_t m = 0;  // nine digits at most: no overflow
  unsigned d;
  while (p < e && p - first < 9 && (d = static_cast<unsigned char>(*p) - static_cast<unsigned>('0')) <= 9) {
    m = m * 10 + static_cast<std::int32_t>(d);
    ++p;
  }
  if (p == first || (p < e && !is_delim(*p))) return false;
  v = neg ? -m : m;
  end_fast_value(p);
  return true;
}

int ListReader::read(float& v) { return fast_real(&v) ? kOk : read_token(v); }

int ListReader::read(double& v) { return fast_real(&v) ? kOk : read_token(v); }

int ListReader::read(std::string& v) {
  Token t;
  const int st = take(t);
  if (st != kOk || t.kind != Token::kValue) return st;
  v.assign(t.text);
  return kOk;
}

int ListReader::skip_real() {
  if (fast_real<float>(nullptr)) return kOk;
  Token t;
  const int st = take(t);
  if (st != kOk || t.kind != Token::kValue) return st;
  return t.quoted ? kError : check_real(t.text);
}

}  // namespace ffmt
