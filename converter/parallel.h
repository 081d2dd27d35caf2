// Work shared among the processors.  The tables of a large input are parsed
// and formatted in pieces side by side, so that a conversion is not bound by
// one core; small work stays on the calling thread, where starting the others
// would cost more than it saves.  Callers only say what their work is and how
// large; whether it is shared, and by how many threads, is decided here, in
// one place (parallel.cpp).
//
// The work given to the other threads must not end the run: it records what
// it finds (a value that does not read, say), and the calling thread acts on
// that afterwards, in the order a single thread would have met it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace conv::parallel {

// What work does with the bytes it covers.  Each kind takes its own time a
// byte, and so is worth sharing from a size of its own.
enum class Kind : std::uint8_t {
  input,      // a whole text input, read and then written as tables
  line_ends,  // text searched for the ends of its lines
  numbers,    // text read as numbers, in pieces of consecutive lines
  values,     // stored values (4 bytes each) grown, copied or searched
  rows,       // the rows of a table formatted as text
};

// Work as its caller describes it: its kind, and about how many bytes it
// covers (of text, or of values).
struct Work {
  Kind kind;
  std::size_t bytes;
};

// True when `work` is shared among threads (never with one thread).  A caller
// that lays its work out up front (the sizes of the tiles of a table) asks
// this first.
bool shared(Work work);

// The threads that work on `work` (1 when it is not shared).  Never more
// than width(): with fewer, the caller may hand its part to another thread.
std::size_t threads(Work work);

// The fewest bytes of work of `kind` worth handing to a thread as one piece.
std::size_t least_piece(Kind kind);

// Threads that can share work, the caller's included (at least 1).
std::size_t width();

// Starts the threads now when `work` will be shared, so that they are up by
// the time it comes, while the caller goes on.
void start(Work work);

// Runs `helper` on up to `wanted` other threads while the caller runs
// `lead`; returns once all of those that started have returned.  Threads that
// have not started `helper` by the time `lead` returns never do, and within
// work already shared out none does: `lead` must be able to finish the work
// alone.
void run(const std::function<void()>& helper, const std::function<void()>& lead, std::size_t wanted);

// Runs body(i) for every i in 0..n-1, where `work` is what all of them do
// together: spread over the threads when it is shared, on the calling thread
// otherwise.  Returns when all are done.
void for_each(std::size_t n, Work work, const std::function<void(std::size_t)>& body);

// Something that threads wait for, raised by the thread that brings it
// about.  A waiter stays awake a short while, then sleeps until a raise; a
// raise costs a system call only when some waiter sleeps, so threads that
// hand each other work many times a millisecond never pay for a wake.
class Signal {
 public:
  // Call after making waiters' conditions true: wakes every sleeping waiter.
  void raise();
  // As raise(), when what changed lets only one waiter go on: wakes at most
  // one (a thread that wakes for nothing waits again for the next raise).
  void raise_one();
  // Returns once done() is true; done() becomes true only before a raise().
  void wait(const std::function<bool()>& done);

 private:
  std::atomic<std::uint32_t> raised_{0};
  std::atomic<int> sleepers_{0};
};

// For tests only: no option of the program reaches these.
namespace for_tests {

// From now on work is shared among `threads` threads, the caller's included,
// whatever the machine's processors (0: as many as the process may use, at
// most eight, as in a run).  The threads of the pool so far stop, and a pool
// of the new size starts at the next work.  Call only while no work is
// shared.
void use_threads(std::size_t threads);

}  // namespace for_tests

}  // namespace conv::parallel
