#include "converter/parallel.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <utility>

#include "platform/cpus.h"

namespace conv::parallel {

namespace {

// Beyond this many threads the work is bound by memory, not by the cores.
constexpr std::size_t kMostThreads = 8;

// Set on the pool's own threads, and on a calling thread while it shares
// out work: work shared out from within shared work runs on its thread alone.
thread_local bool t_sharing = false;

// How long a thread that has finished its part looks for more work before
// it sleeps, and the caller for the helpers to finish before it does.
// Waking a sleeping thread costs a system call and, on a virtual machine,
// tens of microseconds more: work handed out in quick succession, the
// batches of one table, finds the threads still awake.
constexpr std::chrono::microseconds kStayAwake{100};

// Lets a sibling hardware thread run while this one waits in a loop.
inline void relax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

// Loops until done() or until kStayAwake has passed; true when done().
template <class Done>
bool stay_awake_until(Done done) {
  const auto until = std::chrono::steady_clock::now() + kStayAwake;
  for (;;) {
    for (int i = 0; i < 16; ++i) {
      if (done()) return true;
      relax();
    }
    if (std::chrono::steady_clock::now() >= until) return done();
  }
}

// Starts a thread off processor `off_cpu`; false when the system refuses it
// or the memory for it.
bool start(std::function<void()> body, int off_cpu) {
  try {
    return platform::start_thread(std::move(body), off_cpu);
  } catch (...) {
    return false;
  }
}

// Threads that wait for a job, run it, and wait for the next.  They live
// until the process ends: they hold nothing that needs closing, and joining
// them would only delay the exit.  The first of them starts the others, so
// that the thread that creates the pool goes on at once; a job offered
// before they all run is shared by those that do.
//
// A job is offered by publishing it and a number of places; a helper takes
// a place by counting it down.  The caller withdraws the places left when its
// own part is done, and then waits only for the helpers that took one.
class Pool {
 public:
  // When the system refuses a thread (or the memory for one), the work is
  // shared by those it gave; with none, the calling thread does it all.
  explicit Pool(std::size_t helpers) {
    if (helpers == 0) return;
    // The helpers keep off the processor of the thread that creates the pool,
    // the one that hands them work: woken on its processor, a helper would
    // wait there for it instead of running beside it.
    const int lead_cpu = platform::current_cpu();
    const auto starter = [this, helpers, lead_cpu] {
      for (std::size_t i = 1; i < helpers && start([this] { serve(); }, lead_cpu); ++i) {
      }
      serve();
    };
    helpers_ = start(starter, lead_cpu) ? helpers : 0;
  }
  Pool(const Pool&) = delete;
  Pool& operator=(const Pool&) = delete;

  std::size_t helpers() const { return helpers_; }

  // Offers `helper` to up to `wanted` of the threads while the caller runs
  // `lead`.  Places that no thread has taken by the time `lead` returns are
  // withdrawn, so a thread slow to wake never holds up work the caller has
  // already done.
  void run(const std::function<void()>& helper, const std::function<void()>& lead, std::size_t wanted) {
    job_.store(&helper, std::memory_order_relaxed);
    open_.store(static_cast<int>(std::min(wanted, helpers_)), std::memory_order_release);
    generation_.fetch_add(1);
    // One sleeping thread is woken here, and it wakes the others: the caller
    // pays for one wake.
    offered_.raise_one();
    // The helpers use what the caller's frame holds: they are waited for even
    // when the lead's part throws.
    std::exception_ptr failure;
    try {
      lead();
    } catch (...) {
      failure = std::current_exception();
    }
    open_.store(0);
    finished_.wait([this] { return busy_.load(std::memory_order_acquire) == 0; });
    // What failed on a helper (memory running out, say) fails the caller.
    if (!failure) failure = std::exchange(helper_failure_, nullptr);
    helper_failure_ = nullptr;
    if (failure) std::rethrow_exception(failure);
  }

 private:
  void serve() {
    t_sharing = true;
    // A thread that starts after a job was offered still takes a place in it.
    std::uint32_t seen = 0;
    for (;;) {
      offered_.wait([&] { return generation_.load(std::memory_order_acquire) != seen; });
      seen = generation_.load(std::memory_order_acquire);
      // Counted busy before taking a place, so that a caller that withdraws
      // the places and then finds no helper busy has none still to come.
      busy_.fetch_add(1);
      int open = open_.load(std::memory_order_acquire);
      while (open > 0 && !open_.compare_exchange_weak(open, open - 1, std::memory_order_acquire)) {
      }
      if (open > 0) {
        if (open > 1) offered_.raise();
        try {
          (*job_.load(std::memory_order_relaxed))();
        } catch (...) {
          std::lock_guard<std::mutex> lock(failure_mutex_);
          if (!helper_failure_) helper_failure_ = std::current_exception();
        }
      }
      if (busy_.fetch_sub(1, std::memory_order_release) == 1) finished_.raise();
    }
  }

  std::size_t helpers_ = 0;
  std::atomic<const std::function<void()>*> job_{nullptr};
  std::atomic<std::uint32_t> generation_{0};  // counts the jobs offered
  std::atomic<int> open_{0};                  // places of the job not yet taken
  std::atomic<int> busy_{0};                  // helpers that may hold a place
  Signal offered_;                            // a job was offered
  Signal finished_;                           // busy_ came down to 0
  std::mutex failure_mutex_;
  std::exception_ptr helper_failure_;  // the first thing that failed on a helper
};

Pool& pool() {
  // Never destroyed: see Pool.
  static Pool& shared = *new Pool(std::min(platform::available_cpus(), kMostThreads) - 1);
  return shared;
}

}  // namespace

std::size_t width() { return pool().helpers() + 1; }

void Signal::raise() {
  raised_.fetch_add(1);
  if (sleepers_.load() > 0) raised_.notify_all();
}

void Signal::raise_one() {
  raised_.fetch_add(1);
  if (sleepers_.load() > 0) raised_.notify_one();
}

void Signal::wait(const std::function<bool()>& done) {
  if (stay_awake_until(done)) return;
  // Asleep, a thread keeps to its processor: woken from another, the system
  // may move it next to the thread that woke it, and with a helper kept off
  // the leading thread's processor the two then shared the helper's while
  // the other stood idle (seen for most of a conversion on two processors).
  const platform::StayPut here;
  for (;;) {
    const std::uint32_t seen = raised_.load();
    if (done()) return;
    // Counted asleep before the raise count is looked at again: a raise after
    // `seen` either finds this thread counted (and wakes it) or changed the
    // count (and the wait returns at once).
    sleepers_.fetch_add(1);
    raised_.wait(seen);
    sleepers_.fetch_sub(1);
  }
}

void start() { pool(); }

void run(const std::function<void()>& helper, const std::function<void()>& lead, std::size_t wanted) {
  if (pool().helpers() == 0 || wanted == 0 || t_sharing) {
    lead();
    return;
  }
  t_sharing = true;
  struct Done {
    ~Done() { t_sharing = false; }
  } done;
  pool().run(helper, lead, wanted);
}

void for_each(std::size_t n, const std::function<void(std::size_t)>& body) {
  if (n <= 1 || t_sharing || width() == 1) {
    for (std::size_t i = 0; i < n; ++i) body(i);
    return;
  }
  std::atomic<std::size_t> next{0};
  const std::function<void()> take = [&] {
    for (std::size_t i = next.fetch_add(1, std::memory_order_relaxed); i < n;
         i = next.fetch_add(1, std::memory_order_relaxed))
      body(i);
  };
  run(take, take, n - 1);
}

}  // namespace conv::parallel
