// The sites in flight between a reader and the threads that compute them:
// each submitted site gets a slot at the back, its computation fills the
// slot in any order on any thread, and the sites come back from the front in
// the order they went in.  The window holds at most `capacity` sites, so
// memory stays flat however long the input is.  site_pool and site_batch
// both keep their sites here and differ only in how they compute them.
#ifndef DREVEL_SITES_ORDERED_WINDOW_H
#define DREVEL_SITES_ORDERED_WINDOW_H

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

#include "sites/site_evidence.h"

namespace drevel {

class ordered_window {
 public:
  struct slot {
    site_record site;
    site_evidence evidence;
    int pending = 0;  // parts of the computation still running
  };

  explicit ordered_window(size_t capacity) : capacity_(capacity < 1 ? 1 : capacity) {}
  ordered_window(const ordered_window&) = delete;
  ordered_window& operator=(const ordered_window&) = delete;

  // The lock that guards the window; a user may guard its own queue of
  // work with it too (push and done take it themselves).
  std::mutex& mutex() const { return mutex_; }

  // True when `capacity` sites are in flight: take one back before pushing.
  bool full() const;
  bool empty() const;

  // Adds a slot at the back for `site`, with `evidence` as its result so
  // far and `pending` parts still to compute (0: ready at once), and
  // returns it.  The slot's address stays valid until take_next moves it
  // out, so the computation may write into it without the lock.  Call with
  // the lock held (the caller queues the slot's work under the same lock).
  slot* push_locked(site_record site, site_evidence evidence, int pending);

  // One part of the slot's computation has finished (its results written
  // into the slot); wakes take_next when it was the last.  Takes the lock.
  void done(slot* s);

  // Waits up to `timeout` for the oldest site to be complete, then moves it
  // and its result out and returns true; false on a timeout or when nothing
  // is in flight.
  bool take_next(std::chrono::milliseconds timeout, site_record* site, site_evidence* evidence);

 private:
  const size_t capacity_;
  mutable std::mutex mutex_;
  std::condition_variable slot_done_;
  std::deque<slot> slots_;
};

}  // namespace drevel

#endif
