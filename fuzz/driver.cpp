#include "fuzz/driver.h"

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>

#include "converter/flowtab.h"
#include "platform/console.h"
#include "platform/process.h"

namespace fuzzing {
namespace {

// Enough for a table formatted on several threads (from 1 MB), and no more:
// past it every row is formatting time under the sanitizers and nothing new.
constexpr rlim_t kMaxFileBytes = rlim_t{1} << 20;

// Discards everything written to it.
class NullBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// The scratch folder, removed with what it holds when the process ends
// normally (libFuzzer ends a timed run through exit).
struct ScratchFolder {
  std::filesystem::path path;
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

const std::filesystem::path& scratch() {
  static const ScratchFolder dir{[] {
    // A small input may rightly ask for an output of hundreds of megabytes (a
    // time axis of millions of rows).  Files are capped here, far below that:
    // a write beyond the cap fails as on a full disk, and the program's own
    // handling of a failed output ends such a run quickly.
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit cap{kMaxFileBytes, kMaxFileBytes};
    ::setrlimit(RLIMIT_FSIZE, &cap);
    const std::filesystem::path base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
    std::filesystem::path d = base / ("flowtab-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    std::filesystem::current_path(d);
    return d;
  }()};
  return dir.path;
}

void clear_scratch() {
  for (const auto& entry : std::filesystem::directory_iterator(scratch())) std::filesystem::remove_all(entry);
}

}  // namespace

void put_file(std::string_view name, std::string_view bytes) {
  std::ofstream(scratch() / std::string(name), std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void run_arguments(const std::vector<std::string>& args) {
  scratch();
  static NullBuffer null_buffer;
  static std::ostream null_out(&null_buffer);
  std::istringstream no_input;
  platform::console::set_output(&null_out);
  platform::console::set_input(&no_input);
  platform::set_terminator(platform::throw_process_ended);
  std::vector<std::string> argv{"flowtab"};
  argv.insert(argv.end(), args.begin(), args.end());
  try {
    conv::FLOWTAB(argv);
  } catch (const platform::ProcessEnded&) {
  }
  platform::console::set_input(nullptr);
  clear_scratch();
}

void run_kind(const Kind& kind, const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  const std::uint8_t options = data[0];
  std::string_view body(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<std::string> args{"-b", std::string(kind.flag)};
  if (options & 1) args.emplace_back("-csv");
  if (options & 2) args.emplace_back("-ts2");
  if (options & 4) args.emplace_back("-s0");
  if (options & 8) args.emplace_back("-e0");
  if (const int col = (options >> 4) & 3) args.push_back("-col" + std::to_string(col));
  if ((options & 64) && !kind.variant.empty()) {
    args.emplace_back(kind.variant);
    if (kind.variant_takes_events) {
      const std::size_t split = body.find("\n\n");
      const std::string_view events = split == std::string_view::npos ? std::string_view() : body.substr(0, split + 1);
      if (split != std::string_view::npos) body.remove_prefix(split + 2);
      put_file("events.txt", events);
      args.emplace_back("events.txt");
    }
  }
  args.emplace_back(kind.file);
  put_file(kind.file, body);
  run_arguments(args);
}

}  // namespace fuzzing
