#include "platform/console.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/console_redirect.h"
#include "platform/file_io.h"

namespace platform::console {
namespace {

// Standard output, buffered.  A failed write drops the text, as a stream in
// a failed state would: the console is never the reason a conversion stops.
class ProcessOutput final : public detail::Output {
 public:
  ~ProcessOutput() override { flush(); }
  void write(std::string_view text) override {
    if (text.empty()) return;  // an empty view may hold no pointer at all
    if (text.size() > sizeof buf_ - used_) {
      flush();
      if (text.size() > sizeof buf_) {
        rt::detail::write_all(1, text.data(), text.size());
        return;
      }
    }
    std::memcpy(buf_ + used_, text.data(), text.size());
    used_ += text.size();
  }
  void flush() override {
    rt::detail::write_all(1, buf_, used_);
    used_ = 0;
  }

 private:
  char buf_[64 * 1024];
  size_t used_ = 0;
};

// Standard input, read a buffer at a time.
class ProcessInput final : public detail::Input {
 public:
  std::optional<std::string> read_line() override {
    std::string s;
    for (;;) {
      if (pos_ == end_ && !fill()) {
        // A last line without "\n" still counts as a line.
        if (s.empty()) return std::nullopt;
        return s;
      }
      const char* start = buf_ + pos_;
      const void* nl = std::memchr(start, '\n', end_ - pos_);
      const size_t n = nl ? static_cast<size_t>(static_cast<const char*>(nl) - start) : end_ - pos_;
      s.append(start, n);
      pos_ += n;
      if (nl) {
        ++pos_;
        return s;
      }
    }
  }

 private:
  bool fill() {
    for (;;) {
      const ssize_t r = ::read(0, buf_, sizeof buf_);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) return false;
      pos_ = 0;
      end_ = static_cast<size_t>(r);
      return true;
    }
  }
  char buf_[4096];
  size_t pos_ = 0;
  size_t end_ = 0;
};

ProcessOutput g_process_out;
ProcessInput g_process_in;
detail::Output* g_out = &g_process_out;
detail::Input* g_in = &g_process_in;

}  // namespace

void detail::install(Output* out) { g_out = out ? out : &g_process_out; }
void detail::install(Input* in) { g_in = in ? in : &g_process_in; }

void put(std::string_view text) { g_out->write(text); }

void line(std::string_view text) {
  g_out->write(text);
  g_out->write("\n");
}

void empty_line() { g_out->write("\n"); }

void free_line(std::string_view text) {
  g_out->write(" ");
  line(text);
}

std::optional<std::string> read_line() {
  flush();
  std::optional<std::string> s = g_in->read_line();
  if (s && !s->empty() && s->back() == '\r') s->pop_back();
  return s;
}

void flush() { g_out->flush(); }

}  // namespace platform::console
