// The literal Monte Carlo estimate of the posterior mass where the Dirichlet
// log-kernel reaches the equilibrium maximum: dirirnd and LogDNFunc for
// every draw, through the shared draw loop and its stopping rule.
#ifndef DREVEL_EVIDENCE_MONTE_CARLO_H
#define DREVEL_EVIDENCE_MONTE_CARLO_H

#include <cstdint>

#include "evidence/draw_loop.h"
#include "random/rand48.h"

namespace drevel {

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

// The same run on the caller's stream, with everything it ends with: the
// estimate, draws, hits and how it stopped (evidence/draw_loop.h).
mc_estimate monte_carlo_literal(const double* alpha, double L_hyp, const mc_rule& rule, int c,
                                rand48_state& state);

}  // namespace drevel

#endif
