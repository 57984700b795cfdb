#include "sites/site_pool.h"

#include <new>
#include <system_error>
#include <utility>

namespace drevel {

site_pool::site_pool(int threads, size_t window, compute_fn compute)
    : compute_(std::move(compute)), window_(window) {
  if (threads < 1) threads = 1;
  // A thread that cannot start stops those started, and the caller hears
  // why instead of the process ending.
  try {
    workers_.reserve(static_cast<size_t>(threads));
    for (int t = 0; t < threads; t++) workers_.emplace_back(&site_pool::work, this);
  } catch (const std::system_error& e) {
    stop_workers();
    started_ = status(fault_kind::resource, e.code().message());
  } catch (const std::bad_alloc&) {
    stop_workers();
    started_ = status(fault_kind::resource, "out of memory");
  }
}

site_pool::~site_pool() { stop_workers(); }

void site_pool::stop_workers() {
  {
    std::lock_guard<std::mutex> lock(window_.mutex());
    stopping_ = true;
  }
  job_added_.notify_all();
  for (auto& w : workers_) w.join();
  workers_.clear();
}

bool site_pool::full() const { return window_.full(); }

bool site_pool::empty() const { return window_.empty(); }

void site_pool::submit(site_record site) {
  {
    std::lock_guard<std::mutex> lock(window_.mutex());
    jobs_.push_back(window_.push_locked(std::move(site), site_evidence(), 1));
  }
  job_added_.notify_one();
}

bool site_pool::take_next(std::chrono::milliseconds timeout, site_record* site,
                          site_evidence* evidence) {
  return window_.take_next(timeout, site, evidence);
}

void site_pool::work() {
  for (;;) {
    ordered_window::slot* job;
    {
      std::unique_lock<std::mutex> lock(window_.mutex());
      job_added_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (stopping_) return;
      job = jobs_.front();
      jobs_.pop_front();
    }
    // The slot stays in place until taken back, which waits for done().
    job->evidence = compute_(job->site);
    window_.done(job);
  }
}

}  // namespace drevel
