// The computation of a run: the locus computation of every mode.
#include "app/run.h"

namespace drevel {

int CalcEvidence(int k, int c, const double* alpha, double* m, double* h, double* L_max,
                 double* L_hyp, double* E, int32_t maxmc, int32_t minmc, double precision,
                 rand48_state& state, int64_t* draws, const engine_choice& engine,
                 locus_fault* fault) {
  const locus_result result =
      compute_locus(k, c, alpha, mc_rule{maxmc, minmc, precision}, state, engine);
  for (size_t n = 1; n < result.mode.size(); n++) {
    m[n] = result.mode[n];
    h[n] = result.fit[n];
  }
  *L_max = result.L_max;
  *L_hyp = result.L_hyp;
  *E = result.E;
  if (draws) *draws = result.draws;
  if (fault) *fault = result.fault;
  return result.fault == locus_fault::none ? 1 : 0;
}

int CalcEvidence(int k, int c, const double* alpha, double* m, double* h, double* L_max,
                 double* L_hyp, double* E, int32_t maxmc, int32_t minmc, double precision,
                 const engine_choice& engine, locus_fault* fault) {
  // Nothing else in a run takes uniforms, so a stream at the fixed start is
  // the process-wide generator of a fresh process.
  rand48_state state;
  return CalcEvidence(k, c, alpha, m, h, L_max, L_hyp, E, maxmc, minmc, precision, state,
                      nullptr, engine, fault);
}

}  // namespace drevel
