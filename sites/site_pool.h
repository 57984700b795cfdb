// Worker threads that compute sites and hand them back in the order they were
// submitted, with a bounded number of sites in flight so that memory stays
// flat however long the input is.
#ifndef DREVEL_SITES_SITE_POOL_H
#define DREVEL_SITES_SITE_POOL_H

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "fault/status.h"
#include "sites/ordered_window.h"
#include "sites/site_evidence.h"

namespace drevel {

class site_pool {
 public:
  // Called on a worker thread, on one site at a time; must be safe to run on
  // several threads at once.
  using compute_fn = std::function<site_evidence(const site_record&)>;

  // Starts `threads` workers (at least 1) that accept up to `window` sites
  // in flight (at least 1).  When a thread cannot start, the threads
  // started are stopped and started() holds the fault.
  site_pool(int threads, size_t window, compute_fn compute);
  site_pool(const site_pool&) = delete;
  site_pool& operator=(const site_pool&) = delete;
  // Stops the workers after the sites they are computing; sites not taken
  // back are dropped.
  ~site_pool();

  // Ok when every worker started; else a fault of kind resource whose
  // message is the system's reason ("Resource temporarily unavailable"),
  // and the pool must not be used.
  const status& started() const { return started_; }

  // True when `window` sites are in flight: take one back before submitting.
  bool full() const;
  bool empty() const;

  // Queues a site.  Call only when the pool is not full.
  void submit(site_record site);

  // Waits up to `timeout` for the oldest site in flight to be computed, then
  // moves it and its result out and returns true; false on a timeout or when
  // nothing is in flight.
  bool take_next(std::chrono::milliseconds timeout, site_record* site, site_evidence* evidence);

 private:
  void work();

  compute_fn compute_;
  ordered_window window_;
  status started_;
  // Guarded by the window's lock: slots not yet taken by a worker.
  std::condition_variable job_added_;
  std::deque<ordered_window::slot*> jobs_;
  void stop_workers();
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace drevel

#endif
