// The computation of a run, in its fixed order: the posterior mode, the
// equilibrium maximum, then the Monte Carlo estimate.
#include "app/run.h"
#include "evidence/equilibrium.h"
#include "evidence/fast_engine.h"
#include "evidence/kernel.h"
#include "evidence/monte_carlo.h"
#include "random/process_rand48.h"

namespace drevel {

int CalcEvidence(int k, int c, const double* alpha, double* m, double* h, double* L_max,
                 double* L_hyp, double* E, int32_t maxmc, int32_t minmc,
                 double precision, rand48_state& state, int64_t* draws,
                 const run_options& options) {
  Find_Argmax(alpha, m, L_max, c);
  Find_Argmax_Hyp(alpha, h, L_hyp, k, c);
  double r;
  if (options.engine == mc_engine::literal) {
    r = evidag_mtcar(alpha, *L_hyp, maxmc, minmc, precision, c, state, draws);
  } else {
    fast_options fast;
    fast.threads = run_threads(options);
    r = evidag_fast(alpha, *L_hyp, maxmc, minmc, precision, c, state, draws, fast);
  }
  *E = 1 - r;
  return 1;
}

int CalcEvidence(int k, int c, const double* alpha, double* m, double* h, double* L_max,
                 double* L_hyp, double* E, int32_t maxmc, int32_t minmc, double precision,
                 const run_options& options) {
  return CalcEvidence(k, c, alpha, m, h, L_max, L_hyp, E, maxmc, minmc, precision,
                      process_rand48(), nullptr, options);
}

}  // namespace drevel
