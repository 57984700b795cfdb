// Monte Carlo estimate of the posterior mass where the Dirichlet log-kernel
// reaches the equilibrium maximum, with its adaptive stopping rule.
#ifndef DREVEL_EVIDENCE_MONTE_CARLO_H
#define DREVEL_EVIDENCE_MONTE_CARLO_H

#include <cstdint>

#include "random/rand48.h"

namespace drevel {

// The six running sums of a ratio estimator with draw weight w (always 1.0)
// and hit h: Sw += w, Sx += h*w, Sz += (1-h)*w, Sww += w*w,
// Sxw += h*(w*w), Szw += (1-h)*(w*w).
struct mc_sums {
  double Sw = 0, Sx = 0, Sz = 0, Sww = 0, Sxw = 0, Szw = 0;
};
void mc_add_draw(mc_sums& sums, int hit);

// The check taken every 100 draws: the estimate r = mx/mw, the Fieller
// half-width HF (sqrt(D)/FA for Fieller's quadratic FA r^2 - 2 FB r + FC = 0
// with squared critical value K = 6.7; 1.0 when D is negative or NaN) and the
// delta-method half-width HD = sqrt(K V / N), every expression evaluated in
// its written order.
struct mc_check {
  double r, HF, HD;
};
mc_check mc_check_sums(const mc_sums& sums, int64_t N);

// The stopping test after a check at draw N: go on while N < minmc; stop at
// N >= maxmc; else stop when both half-widths are strictly below precision.
bool mc_stop(int64_t N, int32_t minmc, int32_t maxmc, const mc_check& check, double precision);

// Draws Dirichlet vectors theta from alpha (cells 1..c) until the stopping
// rule ends the loop, and returns the share of draws with
// LogDNFunc(alpha, theta, c) >= L_hyp at the final check (a NaN kernel is a
// miss).  At least 100 draws, always a multiple of 100.  The count is 64-bit,
// so maxmc up to 2147483647 ends the loop.  Allocates one draw vector.
// The first form draws from the process-wide generator; the second from the
// caller's stream and, when draws is not null, stores the number of draws.
double evidag_mtcar(const double* alpha, double L_hyp, int32_t maxmc, int32_t minmc,
                    double precision, int c);
double evidag_mtcar(const double* alpha, double L_hyp, int32_t maxmc, int32_t minmc,
                    double precision, int c, rand48_state& state, int64_t* draws);

}  // namespace drevel

#endif
