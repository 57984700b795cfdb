#include "sites/site_pool.h"

#include <utility>

namespace drevel {

site_pool::site_pool(int threads, size_t window, compute_fn compute)
    : compute_(std::move(compute)), window_(window) {
  if (threads < 1) threads = 1;
  workers_.reserve(static_cast<size_t>(threads));
  // A thread that cannot start (std::system_error) stops those started, so
  // that the exception reaches the caller instead of ending the process.
  try {
    for (int t = 0; t < threads; t++) workers_.emplace_back(&site_pool::work, this);
  } catch (...) {
    stop_workers();
    throw;
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
