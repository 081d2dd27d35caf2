// Calls of the exported routines made the way a Fortran host makes them, for
// the tests that call them through their plain names: a character variable
// is a fixed number of characters (blank-padded, no terminator) passed as a
// pointer, with its length (std::size_t) after all other arguments in
// argument order; every other argument is passed by reference; a character
// function gets its result variable (pointer and length) first.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

namespace host {

// The exported names the tests call, with how often each was entered.  Every
// table of rows and every test that calls exported routines enters their
// names through a host::Tested object at namespace scope, next to the rows
// or as part of the test's definition, so the names are all entered before
// any test runs: the check of the export list sees them whichever tests the
// binary runs and in whatever order, and a deleted row or test drops its name.
inline std::map<std::string, int>& tested() {
  static std::map<std::string, int> names;
  return names;
}

struct Tested {
  // The names of the rows of a table (their member `name`).
  template <class Row, std::size_t N>
  explicit Tested(const Row (&rows)[N]) {
    for (const Row& r : rows) ++tested()[r.name];
  }
  explicit Tested(std::initializer_list<const char*> names) {
    for (const char* n : names) ++tested()[n];
  }
};

using logical = std::int32_t;  // true -1, false 0; an argument is true when its lowest bit is 1

// A character variable of the host, followed by guard bytes that no routine
// may touch.
class Chars {
 public:
  // A variable as long as TEXT, holding it.
  Chars(std::string_view text) : n_(text.size()), buf_(std::string(text).append(kGuard)) {}
  // A result variable of N characters, filled with '?' so that every
  // character the routine leaves alone shows.
  explicit Chars(std::size_t n) : n_(n), buf_(std::string(n, '?').append(kGuard)) {}

  char* data() { return buf_.data(); }
  std::size_t size() const { return n_; }
  // The N characters; a test failure when the guard was written.
  std::string text() const {
    EXPECT_EQ(buf_.substr(n_), kGuard) << "written past the end of a " << n_ << "-character variable";
    return buf_.substr(0, n_);
  }

 private:
  static constexpr std::string_view kGuard = "~~~~~~~~";
  std::size_t n_;
  std::string buf_;
};

namespace detail {

// What an argument is held as during a call: a text becomes a character
// variable of its own; a variable of the test is passed itself (the routine
// may set it); any other value is copied.
template <class A>
using held_t = std::conditional_t<std::is_convertible_v<A, std::string_view>, Chars,
                                  std::conditional_t<std::is_lvalue_reference_v<A>, A, std::remove_cvref_t<A>>>;

inline char* by_reference(Chars& c) { return c.data(); }
template <class T>
T* by_reference(T& v) {
  return &v;
}
inline std::tuple<std::size_t> length_of(const Chars& c) { return {c.size()}; }
template <class T>
std::tuple<> length_of(const T&) {
  return {};
}

// F(first..., A by reference..., the lengths of the character arguments...).
template <class F, class First, class... A>
auto invoke(F f, First first, A&&... a) {
  std::tuple<held_t<A>...> held(std::forward<A>(a)...);
  return std::apply(
      [&](auto&... h) {
        return std::apply(f, std::tuple_cat(first, std::make_tuple(by_reference(h)...), length_of(h)...));
      },
      held);
}

}  // namespace detail

// Calls a routine with A as a host passes them; returns what it returns.
template <class F, class... A>
auto call(F f, A&&... a) {
  return detail::invoke(f, std::tuple<>(), std::forward<A>(a)...);
}

// Calls a character function with a result variable of N characters; its
// characters as the host sees them.
template <class F, class... A>
std::string text_of(F f, std::size_t n, A&&... a) {
  Chars r(n);
  detail::invoke(f, std::make_tuple(r.data(), r.size()), std::forward<A>(a)...);
  return r.text();
}

// Values as a host sees them, joined by "|": texts as they stand, numbers
// with every digit that tells them apart.
inline std::string shown(const Chars& c) { return c.text(); }
inline std::string shown(const std::string& s) { return s; }
template <class T>
  requires std::is_arithmetic_v<T>
std::string shown(T v) {
  if constexpr (std::is_integral_v<T>) {
    return std::to_string(v);
  } else {
    char b[32];
    std::snprintf(b, sizeof b, "%.*g", std::is_same_v<T, float> ? 9 : 17, static_cast<double>(v));
    return b;
  }
}
template <class... V>
std::string show(const V&... v) {
  std::string s;
  ((s += shown(v), s += '|'), ...);
  s.pop_back();
  return s;
}

}  // namespace host
