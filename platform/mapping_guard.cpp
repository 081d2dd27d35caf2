// The SIGBUS handler for mapped inputs cut short while they are read, the
// table of the mappings it watches, and the same end of the run for a change
// that ordinary code finds (see platform/mapping_guard.h for why).
//
// The table is a fixed array of slots that the handler reads without locks,
// on whichever thread faulted, possibly while another thread fills or frees
// a slot: every slot carries a sequence word (a generation and a phase), and
// the handler trusts what it read of a slot only when the word was "in use"
// before and unchanged after.  A slot being filled or freed is simply not
// matched: its mapping is not being read at that moment.
#include "platform/mapping_guard.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <utility>

#include "platform/console.h"
#include "platform/console_redirect.h"
#include "platform/file_io.h"
#include "platform/process.h"

namespace platform::rt {

namespace {

// The phase, in the low two bits of a slot's sequence word; the generation
// above them counts the times the slot was freed.
constexpr std::uint64_t kFree = 0;
constexpr std::uint64_t kFilling = 1;
constexpr std::uint64_t kInUse = 2;
constexpr std::uint64_t kPhase = 3;

struct Slot {
  std::atomic<std::uint64_t> seq{kFree};
  std::atomic<std::uintptr_t> begin{0};
  std::atomic<std::uintptr_t> end{0};
  std::atomic<const char*> name{nullptr};
  std::atomic<std::size_t> name_size{0};
};
static_assert(std::atomic<std::uint64_t>::is_always_lock_free && std::atomic<std::uintptr_t>::is_always_lock_free &&
                  std::atomic<const char*>::is_always_lock_free && std::atomic<std::size_t>::is_always_lock_free,
              "the handler reads the table with plain loads");

constexpr int kSlots = 256;
Slot g_slots[kSlots];

// The disposition of SIGBUS before the handler came: faults that are not in
// a watched mapping go on to it.  Written once, before the handler is
// installed.
struct sigaction g_before = {};

// Set by the first thread that reports: a fault on another thread meanwhile
// waits for the process to end.
std::atomic<bool> g_reporting{false};

constexpr char kChanged[] = "ERROR - Input file changed while it was read: ";

void write_text(const char* p, std::size_t n) { detail::write_all(1, p, n); }

[[noreturn]] void report_cut_input(const char* name, std::size_t name_size) {
  if (g_reporting.exchange(true)) {
    for (;;) ::pause();
  }
  console::detail::write_pending_at_exit();
  write_text("\n", 1);
  write_text(kChanged, sizeof kChanged - 1);
  write_text(name, name_size);
  write_text("\n", 1);
  ::_exit(1);
}

// Reports the fault when `at` lies in a watched mapping; returns otherwise.
void report_if_watched(std::uintptr_t at) {
  for (Slot& s : g_slots) {
    // A field written after the word changed (its stores release, these
    // loads acquire) makes the second load of the word see the change.
    const std::uint64_t seq = s.seq.load(std::memory_order_acquire);
    if ((seq & kPhase) != kInUse) continue;
    const std::uintptr_t begin = s.begin.load(std::memory_order_acquire);
    const std::uintptr_t end = s.end.load(std::memory_order_acquire);
    const char* const name = s.name.load(std::memory_order_acquire);
    const std::size_t name_size = s.name_size.load(std::memory_order_acquire);
    if (s.seq.load(std::memory_order_relaxed) != seq) continue;
    if (at >= begin && at < end) report_cut_input(name, name_size);
  }
}

void on_bus_error(int signo, siginfo_t* info, void* context) {
  // Only a fault the system raised names an address (si_code > 0): a
  // SIGBUS sent by a process is never taken for one.
  if (info != nullptr && info->si_code > 0) report_if_watched(reinterpret_cast<std::uintptr_t>(info->si_addr));
  if (g_before.sa_flags & SA_SIGINFO) {
    if (g_before.sa_sigaction != nullptr) {
      g_before.sa_sigaction(signo, info, context);
      return;
    }
  } else if (g_before.sa_handler == SIG_IGN && (info == nullptr || info->si_code <= 0)) {
    return;
  } else if (g_before.sa_handler != SIG_DFL && g_before.sa_handler != SIG_IGN) {
    g_before.sa_handler(signo);
    return;
  }
  // The default action, as without the handler: the signal, blocked while
  // the handler runs, is taken as it returns.
  struct sigaction dfl = {};
  dfl.sa_handler = SIG_DFL;
  ::sigemptyset(&dfl.sa_mask);
  ::sigaction(signo, &dfl, nullptr);
  ::raise(signo);
}

void install_handler() {
  ::sigaction(SIGBUS, nullptr, &g_before);
  struct sigaction a = {};
  a.sa_sigaction = on_bus_error;
  a.sa_flags = SA_SIGINFO;
  ::sigemptyset(&a.sa_mask);
  ::sigaction(SIGBUS, &a, nullptr);
}

}  // namespace

void end_changed_input(std::string_view name) {
  console::empty_line();
  console::line(std::string(kChanged).append(name));
  end_process(1);
}

MappingGuard::MappingGuard(const char* begin, std::size_t size, std::string name) : name_(std::move(name)) {
  static const bool installed = (install_handler(), true);
  (void)installed;
  for (int i = 0; i < kSlots; ++i) {
    Slot& s = g_slots[i];
    std::uint64_t seq = s.seq.load(std::memory_order_relaxed);
    if ((seq & kPhase) != kFree || !s.seq.compare_exchange_strong(seq, seq | kFilling, std::memory_order_relaxed))
      continue;
    // Released: a handler that sees any of the new fields sees the slot
    // being filled too.
    s.begin.store(reinterpret_cast<std::uintptr_t>(begin), std::memory_order_release);
    s.end.store(reinterpret_cast<std::uintptr_t>(begin) + size, std::memory_order_release);
    s.name.store(name_.data(), std::memory_order_release);
    s.name_size.store(name_.size(), std::memory_order_release);
    s.seq.store(seq | kInUse, std::memory_order_release);
    slot_ = i;
    return;
  }
}

MappingGuard::~MappingGuard() {
  if (slot_ < 0) return;
  // Free, one generation on: a handler that read the slot in use sees the
  // change and does not trust what it read.
  std::atomic<std::uint64_t>& seq = g_slots[slot_].seq;
  seq.store((seq.load(std::memory_order_relaxed) | kPhase) + 1, std::memory_order_release);
}

}  // namespace platform::rt
