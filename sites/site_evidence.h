// The evidence computation for one site of a batch input: the same
// computation as the classic run, on counts taken from genotype calls, with a
// generator stream of its own so that sites can be computed on any thread in
// any order.
#ifndef DREVEL_SITES_SITE_EVIDENCE_H
#define DREVEL_SITES_SITE_EVIDENCE_H

#include <cstdint>

#include "sites/locus_evidence.h"
#include "sites/site_record.h"

namespace drevel {

// Sites with more alleles than this are not computed unless the user raises
// the limit: the Monte Carlo work of a site grows as c^2 (c = k(k+1)/2 cells
// per draw, and at least 500*c draws by default), about k^4.
const int default_max_alleles = 20;
// The largest k whose default maxmc, 10000*c, fits in 32 bits.
const int largest_max_alleles = 654;

// The tuning values as the user gave them; 0 selects the per-site default
// (0.005, 500*c, 10000*c), exactly as in the classic input file.
struct tuning_request {
  double precision = 0;
  int32_t minmc = 0, maxmc = 0;
  // Both engines give the same values; the fast one is the default.
  mc_engine engine = mc_engine::fast;
};

// What the computation gave for a site.
enum class site_outcome { computed, no_calls, too_many_alleles };
struct site_evidence {
  site_outcome outcome = site_outcome::no_calls;
  double E = 0, L_max = 0, L_hyp = 0;
  int64_t draws = 0;
};

// Computes the evidence, both maxima and the draw count for the site's
// counts, starting a fresh generator stream at its fixed start, on the
// caller's thread alone (the parallelism is across sites); sites with no
// counted call or more than max_alleles alleles are not computed.  Safe to
// call from several threads at once.  An allocation failure ends the process
// through nrerror.
site_evidence compute_site_evidence(const site_record& site, const tuning_request& tuning,
                                    int max_alleles);

}  // namespace drevel

#endif
