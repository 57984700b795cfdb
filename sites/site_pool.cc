#include "sites/site_pool.h"

#include <utility>

namespace drevel {

site_pool::site_pool(int threads, size_t window, compute_fn compute)
    : window_(window < 1 ? 1 : window), compute_(std::move(compute)) {
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
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  job_added_.notify_all();
  for (auto& w : workers_) w.join();
  workers_.clear();
}

bool site_pool::full() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return slots_.size() >= window_;
}

bool site_pool::empty() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return slots_.empty();
}

void site_pool::submit(site_record site) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    slots_.emplace_back();
    slots_.back().site = std::move(site);
  }
  job_added_.notify_one();
}

bool site_pool::take_next(std::chrono::milliseconds timeout, site_record* site,
                          site_evidence* evidence) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (slots_.empty()) return false;
  if (!job_done_.wait_for(lock, timeout, [this] { return !slots_.empty() && slots_.front().ready; }))
    return false;
  *site = std::move(slots_.front().site);
  *evidence = std::move(slots_.front().evidence);
  slots_.pop_front();
  first_++;
  return true;
}

void site_pool::work() {
  for (;;) {
    slot* job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      job_added_.wait(lock, [this] { return stopping_ || next_job_ < first_ + slots_.size(); });
      if (stopping_) return;
      job = &slots_[next_job_ - first_];
      next_job_++;
    }
    site_evidence evidence = compute_(job->site);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      job->evidence = std::move(evidence);
      job->ready = true;
    }
    job_done_.notify_all();
  }
}

}  // namespace drevel
