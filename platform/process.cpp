#include "platform/process.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/connections.h"
#include "platform/console.h"

namespace platform {
namespace {

[[noreturn]] void default_terminator(int status) { std::exit(status); }

Terminator g_terminator = nullptr;

}  // namespace

void reserve_standard_descriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lower descriptors are open by now: the open takes `fd` itself.
    const int got = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (got != fd) ::_exit(1);
  }
}

void set_terminator(Terminator terminator) { g_terminator = terminator; }

void throw_process_ended(int status) { throw ProcessEnded{status}; }

Terminator for_tests::terminator() { return g_terminator; }

void end_process(int status) {
  console::flush();
  rt::close_all();
  console::flush();
  if (g_terminator) g_terminator(status);
  default_terminator(status);
}

}  // namespace platform
