#include "converter/parallel.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/cpus.h"

namespace conv::parallel {

namespace {

// Beyond this many threads the work is bound by memory, not by the cores.
constexpr std::size_t kMostThreads = 8;

// When work is shared: the one place that decides it.  Handing work to the
// other threads costs the time a sleeping one takes to wake and take its
// part, 10 to 20 microseconds on a virtual machine (more when its processor
// is busy), and each thread's memory traffic besides.  Work that one thread
// finishes in a few times that stays on it.  Each kind of work takes its own
// time a byte, so each is shared from a size of its own, about 50
// microseconds of one thread's time or more (times measured on the
// development machine):
struct Rule {
  std::size_t from;          // bytes from which the work is shared
  std::size_t least_piece;   // bytes of the least piece, where a caller cuts work by bytes
  std::size_t most_threads;  // threads that work on it at most
};

constexpr Rule rule(Kind kind) {
  constexpr std::size_t KB = 1024;
  switch (kind) {
    case Kind::input:
      // An input of a megabyte holds tables that are read, and most likely
      // written, on several threads: the threads start while the reader
      // finds its first table.
      return {1024 * KB, 1024 * KB, SIZE_MAX};
    case Kind::line_ends:
      // Half a megabyte searched for line ends takes about 50 microseconds.
      // Pieces of an eighth of that are still worth a thread's while: cut
      // several a thread, they even out a thread that starts late.
      return {512 * KB, 64 * KB, SIZE_MAX};
    case Kind::numbers:
      // 64 KB of lines read as numbers take about 50 microseconds, and are
      // the least piece handed out.
      return {64 * KB, 64 * KB, SIZE_MAX};
    case Kind::values:
      // 65,536 values grown, copied or searched: fresh memory touched, or
      // each value compared, tens of microseconds.
      return {256 * KB, 256 * KB, SIZE_MAX};
    case Kind::rows:
      // A table's rows are formatted in tiles (converter/writers/tiles.h)
      // that one thread writes to the file in order while the others format
      // those after them.  A megabyte of rows takes one thread about 270
      // microseconds; the ring costs more to set up than a plain loop (tiles
      // smaller, slots, waits for them), and pays from there.
      // Four threads formatting keep up with one writing; more only compete
      // with it for memory.
      return {1024 * KB, 1024 * KB, 4};
  }
  return {SIZE_MAX, SIZE_MAX, 1};
}

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
// them would only delay the exit (only a test retires a pool, and keeps it).
// The first of them starts the others, so that the thread that creates the
// pool goes on at once; a job offered before they all run is shared by those
// that do.
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
      for (std::size_t i = 1; i < helpers && !retiring_.load(); ++i) {
        alive_.fetch_add(1);
        if (!start([this] { serve(); }, lead_cpu)) {
          alive_.fetch_sub(1);
          break;
        }
      }
      serve();
    };
    alive_.store(1);
    if (start(starter, lead_cpu))
      helpers_ = helpers;
    else
      alive_.store(0);
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

  // Ends the pool's threads and returns once they have all left it (for
  // tests; no job may be running).  The pool must then be kept: the last
  // thread may still be raising `gone_` as it leaves.
  void retire() {
    retiring_.store(true);
    offered_.raise();
    gone_.wait([this] { return alive_.load() == 0; });
  }

 private:
  void serve() {
    t_sharing = true;
    // A thread that starts after a job was offered still takes a place in it.
    std::uint32_t seen = 0;
    for (;;) {
      offered_.wait([&] { return generation_.load(std::memory_order_acquire) != seen || retiring_.load(); });
      if (retiring_.load()) break;
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
    if (alive_.fetch_sub(1) == 1) gone_.raise();
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
  std::atomic<bool> retiring_{false};  // the threads are to leave
  std::atomic<int> alive_{0};          // threads started or being started
  Signal gone_;                        // alive_ came down to 0
};

// The pool, made at its first use; replaced only by a test.
std::mutex g_pool_mutex;  // held while the pool is made or replaced
std::atomic<Pool*> g_pool{nullptr};
std::size_t g_threads = 0;  // the threads a test asked for (0: as in a run)

Pool& pool() {
  if (Pool* p = g_pool.load(std::memory_order_acquire)) return *p;
  const std::lock_guard<std::mutex> lock(g_pool_mutex);
  Pool* p = g_pool.load(std::memory_order_relaxed);
  if (p == nullptr) {
    const std::size_t threads = g_threads != 0 ? g_threads : std::min(platform::available_cpus(), kMostThreads);
    // Never destroyed: see Pool.
    p = new Pool(threads - 1);
    g_pool.store(p, std::memory_order_release);
  }
  return *p;
}

}  // namespace

bool shared(Work work) {
  // The size first: small work never starts the threads.
  return work.bytes >= rule(work.kind).from && width() > 1;
}

std::size_t threads(Work work) { return shared(work) ? std::min(width(), rule(work.kind).most_threads) : 1; }

std::size_t least_piece(Kind kind) { return rule(kind).least_piece; }

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

void start(Work work) {
  if (work.bytes >= rule(work.kind).from) pool();
}

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

void for_each(std::size_t n, Work work, const std::function<void(std::size_t)>& body) {
  const std::size_t sharing = n <= 1 || t_sharing ? 1 : threads(work);
  if (sharing == 1) {
    for (std::size_t i = 0; i < n; ++i) body(i);
    return;
  }
  std::atomic<std::size_t> next{0};
  const std::function<void()> take = [&] {
    for (std::size_t i = next.fetch_add(1, std::memory_order_relaxed); i < n;
         i = next.fetch_add(1, std::memory_order_relaxed))
      body(i);
  };
  run(take, take, std::min(n, sharing) - 1);
}

void for_tests::use_threads(std::size_t threads) {
  const std::lock_guard<std::mutex> lock(g_pool_mutex);
  if (Pool* p = g_pool.exchange(nullptr)) {
    p->retire();
    // Kept where the leak checker sees it.
    static std::vector<Pool*>& retired = *new std::vector<Pool*>;
    retired.push_back(p);
  }
  g_threads = threads;
}

}  // namespace conv::parallel
