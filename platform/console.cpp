#include "platform/console.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/console_redirect.h"
#include "platform/file_io.h"

namespace platform::console {
namespace {

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

// Standard output, line by line on a terminal as the C library does it,
// decided once at the start of the process.
detail::DescriptorOutput g_process_out(1, detail::DescriptorOutput::line_by_line(1));
ProcessInput g_process_in;
detail::Output* g_out = &g_process_out;
detail::Input* g_in = &g_process_in;

}  // namespace

bool detail::DescriptorOutput::line_by_line(int fd) { return ::isatty(fd) == 1; }

void detail::DescriptorOutput::write(std::string_view text) {
  if (lines_) {
    // Up to the last line end at once; what follows waits for its own.
    const std::size_t end = text.rfind('\n');
    if (end != std::string_view::npos) {
      buffer(text.substr(0, end + 1));
      flush();
      text.remove_prefix(end + 1);
    }
  }
  buffer(text);
}

void detail::DescriptorOutput::buffer(std::string_view text) {
  if (text.empty()) return;  // an empty view may hold no pointer at all
  if (text.size() > sizeof buf_ - used_.load(std::memory_order_relaxed)) {
    flush();
    if (text.size() > sizeof buf_) {
      rt::detail::write_all(fd_, text.data(), text.size());
      return;
    }
  }
  const std::size_t used = used_.load(std::memory_order_relaxed);
  std::memcpy(buf_ + used, text.data(), text.size());
  used_.store(used + text.size(), std::memory_order_release);
}

void detail::DescriptorOutput::flush() {
  rt::detail::write_all(fd_, buf_, used_.load(std::memory_order_relaxed));
  used_.store(0, std::memory_order_relaxed);
}

void detail::DescriptorOutput::write_pending() const {
  rt::detail::write_all(fd_, buf_, used_.load(std::memory_order_acquire));
}

void detail::install(Output* out) { g_out = out ? out : &g_process_out; }
void detail::install(Input* in) { g_in = in ? in : &g_process_in; }
void detail::write_pending_at_exit() { g_process_out.write_pending(); }

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
