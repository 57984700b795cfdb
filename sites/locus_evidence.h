// The evidence computation of one locus, in its fixed order: the posterior
// mode and L_max, the equilibrium maximum and L_hyp, then the Monte Carlo
// estimate of the mass at or above L_hyp by the chosen engine.  The classic
// run and every batch mode compute a locus through this one function, so a
// batch row always equals the two-file run of the same counts.
#ifndef DREVEL_SITES_LOCUS_EVIDENCE_H
#define DREVEL_SITES_LOCUS_EVIDENCE_H

#include <cstdint>

#include "random/rand48.h"
#include "sites/locus_check.h"

namespace drevel {

struct fast_stats;  // fast/fast_engine.h

// Both engines give the same estimate, draw count and final stream state:
// fast is the default, literal the direct evaluation kept as a cross-check.
enum class mc_engine { fast, literal };

struct engine_choice {
  mc_engine engine = mc_engine::fast;
  int threads = 1;  // threads of the fast engine for this locus (>= 1)
  fast_stats* stats = nullptr;  // when not null, receives what the fast engine did
};

// alpha: the parameter vector (cells 1..c, count + 1.0001 each), read only;
// m, h: genotype cell vectors of the caller's, cells 1..c receive the mode
// and the fitted equilibrium frequencies.  Fills *L_max, *L_hyp and the
// evidence *E = 1 - the estimate; draws from `state` (which ends where the
// last draw left it) and, when draws is not null, stores their number.
// k >= 1 alleles, c = k(k+1)/2.  A shape below 1 ends the process inside
// gamadev, as the literal evaluation does.
// The first two steps alone: the posterior mode into m and L_max, the
// equilibrium maximum into h and L_hyp (the Monte Carlo's threshold).
void locus_maxima(int k, int c, const double* alpha, double* m, double* h, double* L_max,
                  double* L_hyp);

// Returns locus_fault::none, or the fault (sites/locus_check.h) that stopped
// the computation: a total of counts that is not safe, checked before
// anything else; maxima that rounding has lost, checked before the Monte
// Carlo estimate; or an evidence outside [0, 1].  The values not reached are
// then NaN, the draws 0, and the stream untouched unless the estimate ran.
locus_fault locus_evidence(int k, int c, const double* alpha, double* m, double* h,
                           double* L_max, double* L_hyp, double* E, int32_t maxmc, int32_t minmc,
                           double precision, rand48_state& state, int64_t* draws,
                           const engine_choice& engine);

}  // namespace drevel

#endif
