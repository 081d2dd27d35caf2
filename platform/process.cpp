#include "platform/process.h"

#include <cstdlib>

#include "platform/console.h"
#include "platform/units.h"

namespace platform {
namespace {

[[noreturn]] void default_terminator(int status) { std::exit(status); }

Terminator g_terminator = nullptr;

}  // namespace

void set_terminator(Terminator terminator) { g_terminator = terminator; }

void throw_process_ended(int status) { throw ProcessEnded{status}; }

void end_process(int status) {
  console::flush();
  rt::close_all();
  console::flush();
  if (g_terminator) g_terminator(status);
  default_terminator(status);
}

}  // namespace platform
