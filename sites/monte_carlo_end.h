// How a Monte Carlo run of the stopping rule ended: at maxmc, or because
// the estimate met the precision.
#ifndef DREVEL_SITES_MONTE_CARLO_END_H
#define DREVEL_SITES_MONTE_CARLO_END_H

#include <cstdint>

namespace drevel {

// The rule checks every 100 draws: go on while N < minmc, stop at
// N >= maxmc, else stop when both half-widths (Fieller's and the delta
// method's) are strictly below precision.  A run that has stopped therefore
// ended at maxmc exactly when its final check did not have both half-widths
// below precision.
//
// That final check is a function of the draw count and the hit count alone
// (every draw has weight 1, so the running sums are N, hits and N - hits),
// and the hit count is recovered exactly from the estimate: r = hits/N,
// E = 1 - r, for N < 2^52.  So from the draws and the evidence E that the
// computation returned, and the precision it ran with (after the defaults),
// this repeats the final check (evidence/monte_carlo's mc_check_sums) and
// returns true when the run ended at maxmc before meeting the precision.
// draws must be what the run reported (a positive multiple of 100).
bool ended_at_maxmc(int64_t draws, double E, double precision);

}  // namespace drevel

#endif
