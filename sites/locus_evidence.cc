#include "sites/locus_evidence.h"

#include <limits>

#include "evidence/equilibrium.h"
#include "evidence/kernel.h"
#include "evidence/monte_carlo.h"
#include "fast/fast_engine.h"

namespace drevel {

void locus_maxima(int k, int c, const double* alpha, double* m, double* h, double* L_max,
                  double* L_hyp) {
  Find_Argmax(alpha, m, L_max, c);
  Find_Argmax_Hyp(alpha, h, L_hyp, k, c);
}

locus_fault locus_evidence(int k, int c, const double* alpha, double* m, double* h,
                           double* L_max, double* L_hyp, double* E, int32_t maxmc, int32_t minmc,
                           double precision, rand48_state& state, int64_t* draws,
                           const engine_choice& engine) {
  *L_max = *L_hyp = *E = std::numeric_limits<double>::quiet_NaN();
  if (draws) *draws = 0;
  double total;
  locus_fault fault = check_total(alpha, c, &total);
  if (fault != locus_fault::none) return fault;
  locus_maxima(k, c, alpha, m, h, L_max, L_hyp);
  fault = check_maxima(*L_max, *L_hyp, total, c);
  if (fault != locus_fault::none) return fault;
  double r;
  if (engine.engine == mc_engine::literal) {
    r = evidag_mtcar(alpha, *L_hyp, maxmc, minmc, precision, c, state, draws);
  } else {
    fast_options fast;
    fast.threads = engine.threads < 1 ? 1 : engine.threads;
    r = evidag_fast(alpha, *L_hyp, maxmc, minmc, precision, c, state, draws, fast, engine.stats);
  }
  *E = 1 - r;
  return check_evidence(*E);
}

}  // namespace drevel
