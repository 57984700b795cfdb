// The fast Monte Carlo engine: the same estimate as evidag_mtcar, to the
// last bit, with the same draws, hits and uniforms consumed, in a fraction
// of the time.  Uniforms come from 64-bit integer steps, logarithms from
// fast_log (four lanes at a time where the processor has AVX2), and every
// draw whose log-kernel lies within the proven error bound of L_hyp, or
// outside the range the bound covers, is replayed with dirirnd and LogDNFunc
// from the generator state saved at its start.  docs/fast-engine.md has the
// bound and its derivation.
//
// This header is the engine's public face; everything under fast/bounds,
// fast/stream and fast/draw is its inside.
#ifndef DREVEL_FAST_FAST_ENGINE_H
#define DREVEL_FAST_FAST_ENGINE_H

#include <cstdint>
#include <string>

#include "evidence/draw_loop.h"
#include "random/rand48.h"

namespace drevel {

struct fast_options {
  // Threads: 1 runs everything on the caller's thread; 2 or more let the
  // engine use a second thread for loci large enough to gain from it (more
  // than 2 are not used), for the stretches of the run where timing shows
  // that two threads draw faster than one.  The result is the same for
  // every count.
  int threads = 1;
};

// What the engine did besides the result, for tests, benchmarks and reports.
struct fast_stats {
  int64_t draws = 0;
  int64_t kernel_replays = 0;  // draws evaluated literally (bound or range)
  int64_t literal_tests = 0;   // rejection attempts decided by log and exp
  int64_t two_thread_draws = 0;  // draws taken on two threads
  std::string driver;  // which driver ran and why, one line (for --verbose)
};

// monte_carlo_literal(alpha, L_hyp, rule, c, state) (evidence/monte_carlo.h)
// with the same estimate, draws, hits and end, and the same final state;
// stats may be null.  A shape below 1 goes to the literal evaluation
// unchanged, which ends the process with gamadev's message.
mc_estimate monte_carlo_fast(const double* alpha, double L_hyp, const mc_rule& rule, int c,
                             rand48_state& state, const fast_options& options = fast_options(),
                             fast_stats* stats = nullptr);

// evidag_mtcar(alpha, L_hyp, maxmc, minmc, precision, c, state, draws) with
// the same result, the same *draws and the same final state; draws and
// stats may be null.  A shape below 1 goes to evidag_mtcar unchanged, which
// ends the process with gamadev's message.
double evidag_fast(const double* alpha, double L_hyp, int32_t maxmc, int32_t minmc,
                   double precision, int c, rand48_state& state, int64_t* draws,
                   const fast_options& options = fast_options(), fast_stats* stats = nullptr);

}  // namespace drevel

#endif
