// The evidence computation of one locus, in its fixed order, written once:
//   1. the total of the counts checked (locus/locus_check.h);
//   2. the posterior mode and L_max (Find_Argmax), the equilibrium fit and
//      L_hyp (Find_Argmax_Hyp), and the check that rounding kept them;
//   3. the Monte Carlo estimate r of the posterior mass where the
//      log-kernel reaches L_hyp, by the chosen engine;
//   4. the evidence E = 1 - r, and the check that it is a number in [0, 1].
// The two-file run and every batch mode compute a locus through this
// sequence: synchronously with compute_locus, or with steps 1-2 and 4 on
// either side of a batch engine's step 3 (prepare_locus, complete_locus), so
// that a batch row always equals the two-file run of the same counts.
#ifndef DREVEL_LOCUS_LOCUS_EVIDENCE_H
#define DREVEL_LOCUS_LOCUS_EVIDENCE_H

#include <cstdint>
#include <limits>
#include <vector>

#include "evidence/draw_loop.h"
#include "locus/locus_check.h"
#include "random/rand48.h"

namespace drevel {

struct fast_stats;  // fast/fast_engine.h

// Both engines give the same estimate, draws, hits and final stream state:
// fast is the default, literal the direct evaluation kept as a cross-check.
enum class mc_engine { fast, literal };

struct engine_choice {
  mc_engine engine = mc_engine::fast;
  int threads = 1;  // threads of the fast engine for this locus (>= 1)
  fast_stats* stats = nullptr;  // when not null, receives what the fast engine did
};

// How a locus computation ended.
enum class locus_end {
  precision_met,  // the Monte Carlo stopped with both half-widths below the precision
  maxmc,          // it stopped at maxmc with the precision not met
  fault,          // a check refused the locus; locus_result::fault says which
};

// Everything one locus computation gives.  Values a faulted computation did
// not reach are NaN (E, L_max, L_hyp) or 0 (draws, hits): a total refused
// reaches nothing; maxima refused reach L_max and L_hyp; an evidence
// refused keeps the value it refused, with the draws and hits.
struct locus_result {
  locus_end end = locus_end::fault;
  locus_fault fault = locus_fault::none;
  double E = std::numeric_limits<double>::quiet_NaN();
  double L_max = std::numeric_limits<double>::quiet_NaN();
  double L_hyp = std::numeric_limits<double>::quiet_NaN();
  int64_t draws = 0;
  int64_t hits = 0;  // draws whose log-kernel reached L_hyp: r = hits / draws
  // Genotype cell vectors 0..c (element 0 holds c): the posterior mode and
  // the fitted equilibrium frequencies; empty when the total was refused.
  std::vector<double> mode, fit;

  bool computed() const { return end != locus_end::fault; }
  // The Monte Carlo standard error of E, sqrt(E (1 - E) / draws); where E
  // is 0 or 1 (no draw a hit, or every draw), that of Laplace's estimate
  // (hits + 1) / (draws + 2), sqrt(q (1 - q) / (draws + 2)), q = 1 / (draws
  // + 2), so that it never reads as certainty.
  double mc_se() const;
};

// Steps 1 and 2 for the locus of k alleles, c = k(k+1)/2 cells, with
// parameters alpha (cells 1..c, count + dirichlet_pseudo_count each; read
// only).  Returns true when the Monte Carlo is to run, with result->L_hyp
// its threshold; false when a check refused the locus (result->end is then
// fault, result->fault the cause).  Takes no uniforms.
[[nodiscard]] bool prepare_locus(int k, int c, const double* alpha, locus_result* result);

// Step 4, from the estimate of step 3 for a locus that prepare_locus
// passed: E, draws, hits, the end, and the evidence check.
void complete_locus(const mc_estimate& estimate, locus_result* result);

// The whole sequence, drawing from `state` (which ends where the last draw
// left it, untouched when a check before the Monte Carlo refused the
// locus).  rule holds the tuning values after their defaults.  A shape
// below 1 ends the process inside gamadev, as the literal evaluation does;
// an allocation failure ends it through nrerror.
locus_result compute_locus(int k, int c, const double* alpha, const mc_rule& rule,
                           rand48_state& state, const engine_choice& engine);

}  // namespace drevel

#endif
