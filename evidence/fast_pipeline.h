// The fast engine on two threads.  The caller's thread generates the
// uniform stream for both (shared_stream); a walker thread takes every
// draw's rejection-branch deviates, which must be walked in stream order,
// and records where each product run starts; the caller's thread reads the
// product runs there, evaluates the kernel, decides the hits and runs the
// stopping rule in draw order, exactly as on one thread.  The two meet in a
// ring of draw records; the walker may run ahead by the ring's length, and
// draws it walked past the stopping point are discarded.
#ifndef DREVEL_EVIDENCE_FAST_PIPELINE_H
#define DREVEL_EVIDENCE_FAST_PIPELINE_H

#include <cstdint>

#include "evidence/draw_decision.h"
#include "evidence/fast_engine.h"
#include "evidence/monte_carlo.h"
#include "random/rand48.h"

namespace drevel {

// evidag_fast's loop with the walk on a second thread; same result, draws
// and final state.  portable keeps both threads off the AVX2 paths;
// stream_log2 > 0 sets the shared stream's size (2^stream_log2 positions)
// instead of the automatic one.  A draw too long for the stream ends the
// split, and the run goes on on one thread from the last draw counted.
double evidag_fast_pipeline(const draw_decider& decider, bool portable, int32_t maxmc,
                            int32_t minmc, double precision, rand48_state& state, int64_t* draws,
                            fast_stats* stats_out, int stream_log2 = 0);

// The one-thread loop of the fast engine from draw N on, with the sums and
// the stopping rule's last check so far, from state X (after draw N);
// advances all of them to the stop and returns the estimate.
double fast_loop(const draw_decider& decider, bool portable, int32_t maxmc, int32_t minmc,
                 double precision, uint64_t& X, int64_t& N, mc_sums& sums, mc_check& check,
                 fast_stats& stats);

// The end of a run: the final state into `state`, the draw count into
// stats, *draws and *stats_out (either may be null).
void finish_fast_run(uint64_t X, int64_t N, fast_stats& stats, rand48_state& state,
                     int64_t* draws, fast_stats* stats_out);

}  // namespace drevel

#endif
