// The Monte Carlo of many sites at once: the groups of a list of sites run
// through the batch engine (fast/batch/batch_engine.h), which shares the
// stream, the rejection tables and repeated count vectors across them and
// walks several loci at once, instead of site after site.  Every value is
// the one compute_site_evidence gives the same site (the same estimate,
// draws and final state for every run), so the table does not depend on
// which of the two computed it, nor on the threads.
#ifndef DREVEL_SITES_SITE_BATCH_H
#define DREVEL_SITES_SITE_BATCH_H

#include <cstdint>
#include <memory>
#include <vector>

#include "sites/site_evidence.h"

namespace drevel {

// What the engines did so far, for --verbose.
struct site_batch_counts {
  int64_t groups = 0;    // groups run
  int64_t repeated = 0;  // of them, count vectors computed before (results reused)
  int64_t per_site = 0;  // run by the per-site engine (too long for the shared stream)
  int64_t draws = 0;     // draws taken in lanes
  int64_t replays = 0;   // of them, draws evaluated literally
};

class site_batch {
 public:
  // Computes with `threads` engines (at least 1), the tuning values and the
  // allele limit of compute_site_evidence.  tuning.engine must be fast
  // (the batch engine is the fast engine's arithmetic).
  site_batch(const tuning_request& tuning, int max_alleles, int threads);
  ~site_batch();
  site_batch(const site_batch&) = delete;
  site_batch& operator=(const site_batch&) = delete;

  // One entry per site, in order; each equal to compute_site_evidence(site,
  // tuning, max_alleles).  The engines, their cached tables and results
  // persist from call to call, with bounded memory.  An allocation failure
  // ends the process.
  std::vector<site_evidence> compute(const std::vector<site_record>& sites);

  site_batch_counts counts() const;

 private:
  struct impl;
  std::unique_ptr<impl> impl_;
};

}  // namespace drevel

#endif
