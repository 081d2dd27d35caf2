#include "platform/console.h"

#include <iostream>

namespace platform::console {
namespace {

std::ostream* g_out = nullptr;
std::istream* g_in = nullptr;

std::ostream& out() { return g_out ? *g_out : std::cout; }
std::istream& in() { return g_in ? *g_in : std::cin; }

}  // namespace

void set_output(std::ostream* o) { g_out = o; }
void set_input(std::istream* i) { g_in = i; }

void put(std::string_view text) { out().write(text.data(), static_cast<std::streamsize>(text.size())); }

void line(std::string_view text) {
  put(text);
  out().put('\n');
}

void empty_line() { out().put('\n'); }

void free_line(std::string_view text) {
  out().put(' ');
  line(text);
}

std::optional<std::string> read_line() {
  flush();
  std::istream& is = in();
  std::string s;
  if (!std::getline(is, s)) {
    // A last line without "\n" still counts as a line.
    if (s.empty()) return std::nullopt;
  }
  if (!s.empty() && s.back() == '\r') s.pop_back();
  return s;
}

void flush() { out().flush(); }

}  // namespace platform::console
