#include "converter/parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/cpus.h"

namespace conv::parallel {

namespace {

// Beyond this many threads the work is bound by memory, not by the cores.
constexpr std::size_t kMostThreads = 8;

// Set on the pool's own threads, and on a calling thread while it shares
// out work: work shared out from within shared work runs on its thread alone.
thread_local bool t_sharing = false;

// Threads that wait for a job, run it, and wait for the next.  They are
// started on first use and joined when the program ends.
class Pool {
 public:
  explicit Pool(std::size_t helpers) {
    threads_.reserve(helpers);
    for (std::size_t i = 0; i < helpers; ++i) threads_.emplace_back([this] { serve(); });
  }
  ~Pool() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
  }
  Pool(const Pool&) = delete;
  Pool& operator=(const Pool&) = delete;

  std::size_t helpers() const { return threads_.size(); }

  void run(const std::function<void()>& helper, const std::function<void()>& lead) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      job_ = &helper;
      busy_ = threads_.size();
      ++generation_;
    }
    wake_.notify_all();
    // The helpers use what the caller's frame holds: they are waited for even
    // when the lead's part throws.
    std::exception_ptr failure;
    try {
      lead();
    } catch (...) {
      failure = std::current_exception();
    }
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return busy_ == 0; });
    job_ = nullptr;
    lock.unlock();
    if (failure) std::rethrow_exception(failure);
  }

 private:
  void serve() {
    t_sharing = true;
    std::uint64_t seen = 0;
    for (;;) {
      const std::function<void()>* job = nullptr;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [&] { return stop_ || generation_ != seen; });
        if (stop_) return;
        seen = generation_;
        job = job_;
      }
      (*job)();
      std::lock_guard<std::mutex> lock(mutex_);
      if (--busy_ == 0) done_.notify_one();
    }
  }

  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  const std::function<void()>* job_ = nullptr;
  std::uint64_t generation_ = 0;
  std::size_t busy_ = 0;
  bool stop_ = false;
};

Pool& pool() {
  static Pool shared(std::min(platform::available_cpus(), kMostThreads) - 1);
  return shared;
}

}  // namespace

std::size_t width() { return pool().helpers() + 1; }

void run(const std::function<void()>& helper, const std::function<void()>& lead) {
  if (pool().helpers() == 0) {
    lead();
    return;
  }
  t_sharing = true;
  struct Done {
    ~Done() { t_sharing = false; }
  } done;
  pool().run(helper, lead);
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
  run(take, take);
}

}  // namespace conv::parallel
