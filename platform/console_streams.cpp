// Redirection of the console to C++ streams (tests compare whole
// transcripts, harnesses silence it).  Kept apart from the console itself so
// that the executable, which never redirects, links no stream library.
#include <istream>
#include <ostream>

#include "platform/console.h"
#include "platform/console_redirect.h"

namespace platform::console {
namespace {

class StreamOutput final : public detail::Output {
 public:
  void write(std::string_view text) override {
    out->write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  void flush() override { out->flush(); }
  std::ostream* out = nullptr;
};

class StreamInput final : public detail::Input {
 public:
  std::optional<std::string> read_line() override {
    std::string s;
    // A last line without "\n" still counts as a line.
    if (!std::getline(*in, s) && s.empty()) return std::nullopt;
    return s;
  }
  std::istream* in = nullptr;
};

StreamOutput g_stream_out;
StreamInput g_stream_in;

}  // namespace

void set_output(std::ostream* out) {
  flush();
  g_stream_out.out = out;
  detail::install(out ? &g_stream_out : nullptr);
}

void set_input(std::istream* in) {
  g_stream_in.in = in;
  detail::install(in ? &g_stream_in : nullptr);
}

std::ostream* for_tests::output() { return g_stream_out.out; }
std::istream* for_tests::input() { return g_stream_in.in; }

void for_tests::redirect(std::ostream* out, std::istream* in) {
  g_stream_out.out = out;
  detail::install(out ? &g_stream_out : nullptr);
  set_input(in);
}

}  // namespace platform::console
