// The computation of a run: the locus computation of every mode.
#include "app/run.h"

namespace drevel {

int CalcEvidence(int k, int c, const double* alpha, double* m, double* h, double* L_max,
                 double* L_hyp, double* E, int32_t maxmc, int32_t minmc, double precision,
                 rand48_state& state, int64_t* draws, const engine_choice& engine,
                 locus_fault* fault) {
  locus_fault result = locus_evidence(k, c, alpha, m, h, L_max, L_hyp, E, maxmc, minmc,
                                      precision, state, draws, engine);
  if (fault) *fault = result;
  return result == locus_fault::none ? 1 : 0;
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
