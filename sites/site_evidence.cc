#include "sites/site_evidence.h"

#include "sites/tuning.h"
#include "numeric/nrutil.h"
#include "random/rand48.h"

namespace drevel {

site_evidence compute_site_evidence(const site_record& site, const tuning_request& tuning,
                                    int max_alleles) {
  site_evidence result;
  if (site.k > max_alleles) {
    result.outcome = site_outcome::too_many_alleles;
    return result;
  }
  if (site.called == 0) {
    result.outcome = site_outcome::no_calls;
    return result;
  }
  int k = site.k;
  int c = k * (k + 1) / 2;
  double precision = tuning.precision;
  long long minmc = tuning.minmc, maxmc = tuning.maxmc;
  // Cannot overflow: k is at most largest_max_alleles.
  apply_tuning_defaults(c, &precision, &minmc, &maxmc);

  double* alpha = vector(0, c);
  double* m = vector(0, c);
  double* h = vector(0, c);
  alpha[0] = m[0] = h[0] = c;
  for (int n = 1; n <= c; n++) alpha[n] = site.counts[n - 1] + 1.0001;

  rand48_state state;
  engine_choice one_thread;
  one_thread.engine = tuning.engine;
  one_thread.threads = 1;
  locus_evidence(k, c, alpha, m, h, &result.L_max, &result.L_hyp, &result.E,
                 static_cast<int32_t>(maxmc), static_cast<int32_t>(minmc), precision, state,
                 &result.draws, one_thread);
  result.outcome = site_outcome::computed;
  free_vector(alpha, 0, c);
  free_vector(m, 0, c);
  free_vector(h, 0, c);
  return result;
}

}  // namespace drevel
