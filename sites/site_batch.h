// The Monte Carlo of many sites at once: the groups of the sites submitted
// run through the batch engine (fast/batch/batch_engine.h), which shares the
// stream, the rejection tables and repeated count vectors across them and
// walks several loci at once on each thread, instead of site after site.
// Every value is the one compute_site_evidence gives the same site (the same
// estimate, draws and final state for every run), so the table depends
// neither on which of the two computed it nor on the threads.  The interface
// is site_pool's: sites go in, and come back in the order they went in, with
// a bounded number in flight so that memory stays flat.
#ifndef DREVEL_SITES_SITE_BATCH_H
#define DREVEL_SITES_SITE_BATCH_H

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "fault/status.h"
#include "sites/ordered_window.h"
#include "sites/site_evidence.h"

namespace drevel {

// What the engines did, for --verbose.
struct site_batch_counts {
  int64_t groups = 0;    // groups run
  int64_t repeated = 0;  // of them, count vectors computed before (results reused)
  int64_t per_site = 0;  // run by the per-site engine (too long for the shared stream)
  int64_t restarted = 0;  // of them, begun in lanes and restarted at the stream's end
  int64_t draws = 0;     // draws taken in lanes
  int64_t replays = 0;   // of them, draws evaluated literally
};

class site_batch {
 public:
  // Starts `threads` engines (at least 1) that accept up to `window` sites
  // in flight (at least 1), computing with the tuning values and allele
  // limit of compute_site_evidence.  tuning.engine must be fast (the batch
  // engine is the fast engine's arithmetic).  When the engines or their
  // threads cannot be made, the threads started are stopped and started()
  // holds the fault.
  site_batch(const tuning_request& tuning, int max_alleles, int threads, size_t window);
  site_batch(const site_batch&) = delete;
  site_batch& operator=(const site_batch&) = delete;
  // Stops the engines after the loci in their lanes; sites not taken back
  // are dropped.
  ~site_batch();

  // Ok when every engine and its thread started; else a fault of kind
  // resource whose message is the reason ("out of memory", or the system's
  // "Resource temporarily unavailable"), and the batch must not be used.
  const status& started() const { return started_; }

  // True when `window` sites are in flight: take one back before submitting.
  bool full() const;
  bool empty() const;

  // Queues a site.  Call only when not full.
  void submit(site_record site);

  // Waits up to `timeout` for the oldest site in flight to be computed, then
  // moves it and its result out and returns true; false on a timeout or
  // when nothing is in flight.  The result equals compute_site_evidence(site,
  // tuning, max_alleles).
  bool take_next(std::chrono::milliseconds timeout, site_record* site, site_evidence* evidence);

  // Stops the engines (as the destructor does) and returns what they did.
  site_batch_counts close();

 private:
  // A computed group waiting for, or in, its run.
  struct group_job {
    ordered_window::slot* owner;
    size_t group;
    group_run run;
    locus_result locus;  // the computation's steps fill it
    bool joint = false;  // the site's joint row instead of a group
    std::vector<site_outcome> outcomes;  // for the joint row: the groups' outlined outcomes
  };
  class feed;
  friend class feed;

  void stop();

  const tuning_request tuning_;
  const int max_alleles_;
  ordered_window window_;
  status started_;
  // Guarded by the window's lock: groups not yet taken by an engine.
  std::condition_variable job_added_;
  std::deque<std::unique_ptr<group_job>> jobs_;
  bool stopping_ = false;
  struct engines;
  std::unique_ptr<engines> engines_;
  std::vector<std::thread> threads_;
};

}  // namespace drevel

#endif
