// Blank-padded text of a fixed capacity.
//
// A text value holds exactly `capacity` characters; assigning a longer text
// cuts it, a shorter one is padded with blanks.  "Blank" is the space
// character (code 32) only: TAB and NUL are ordinary, significant characters.
// Positions in these helpers are 0-based.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lib {

// Significant length: length without trailing blanks (0 for an all-blank text).
std::size_t len_trim(std::string_view s) noexcept;
// Index of the first character that is not a blank (0 for an all-blank text).
std::size_t first_sig(std::string_view s) noexcept;
bool is_blank(std::string_view s) noexcept;
// The text without trailing blanks.
std::string_view trim_right(std::string_view s) noexcept;
// The text without leading and trailing blanks.
std::string_view trim_both(std::string_view s) noexcept;
// Equality with the shorter text taken as padded with blanks.
bool eq_padded(std::string_view a, std::string_view b) noexcept;
// The first n characters (all of s when it is shorter).
std::string_view cut(std::string_view s, std::size_t n) noexcept;
// s cut at n or padded with blanks to n characters.
std::string padded(std::string_view s, std::size_t n);

class FText {
 public:
  explicit FText(std::size_t capacity, std::string_view init = {});

  // Cuts or pads to the capacity.
  void assign(std::string_view s);
  FText& operator=(std::string_view s) {
    assign(s);
    return *this;
  }

  std::size_t capacity() const noexcept { return buf_.size(); }
  // The whole text, trailing blanks included.
  std::string_view view() const noexcept { return buf_; }
  // The text up to its significant length.
  std::string_view trimmed() const noexcept { return trim_right(buf_); }
  std::size_t len_trim() const noexcept { return lib::len_trim(buf_); }
  bool blank() const noexcept { return is_blank(buf_); }

  char& operator[](std::size_t i) { return buf_[i]; }
  char operator[](std::size_t i) const { return buf_[i]; }
  char* data() noexcept { return buf_.data(); }
  const char* data() const noexcept { return buf_.data(); }

  friend bool operator==(const FText& a, const FText& b) noexcept { return eq_padded(a.view(), b.view()); }
  friend bool operator==(const FText& a, std::string_view b) noexcept { return eq_padded(a.view(), b); }

 private:
  std::string buf_;
};

}  // namespace lib
