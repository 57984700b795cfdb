#include "sites/ordered_window.h"

#include <utility>

namespace drevel {

bool ordered_window::full() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return slots_.size() >= capacity_;
}

bool ordered_window::empty() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return slots_.empty();
}

ordered_window::slot* ordered_window::push_locked(site_record site, site_evidence evidence,
                                                  int pending) {
  slots_.emplace_back();
  slot& s = slots_.back();
  s.site = std::move(site);
  s.evidence = std::move(evidence);
  s.pending = pending;
  return &s;
}

void ordered_window::done(slot* s) {
  bool complete;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    complete = --s->pending == 0;
  }
  if (complete) slot_done_.notify_all();
}

bool ordered_window::take_next(std::chrono::milliseconds timeout, site_record* site,
                               site_evidence* evidence) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (slots_.empty()) return false;
  if (!slot_done_.wait_for(lock, timeout,
                           [this] { return !slots_.empty() && slots_.front().pending == 0; }))
    return false;
  *site = std::move(slots_.front().site);
  *evidence = std::move(slots_.front().evidence);
  slots_.pop_front();
  return true;
}

}  // namespace drevel
