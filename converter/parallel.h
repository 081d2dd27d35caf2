// Work shared among the processors.  The tables of a large input are parsed
// and formatted in pieces side by side, so that a conversion is not bound by
// one core; callers keep small work on their own thread, where starting the
// others would cost more than it saves.
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

// Threads that share the work, the caller's included (at least 1).
std::size_t width();

// Starts the threads ahead of their first work, while the caller goes on.
void start();

// Runs `helper` on up to `wanted` other threads while the caller runs
// `lead`; returns once all of those that started have returned.  Threads that
// have not started `helper` by the time `lead` returns never do, and within
// work already shared out none does: `lead` must be able to finish the work
// alone.
void run(const std::function<void()>& helper, const std::function<void()>& lead, std::size_t wanted);

// Runs body(i) for every i in 0..n-1, spread over the threads, the caller's
// included; returns when all are done.
void for_each(std::size_t n, const std::function<void(std::size_t)>& body);

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

}  // namespace conv::parallel
