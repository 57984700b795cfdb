// The fast engine on two threads.  A walker thread takes every draw's
// rejection-branch deviates, which must be walked in stream order, and
// records where each product run starts; the caller's thread regenerates
// the product runs from those states, evaluates the kernel, decides the
// hits and runs the stopping rule in draw order, exactly as on one thread.
// The two meet in a ring of draw records; the walker may run ahead by the
// ring's length, and draws it walked past the stopping point are discarded.
#ifndef DREVEL_EVIDENCE_FAST_PIPELINE_H
#define DREVEL_EVIDENCE_FAST_PIPELINE_H

#include <cstdint>

#include "evidence/draw_decision.h"
#include "evidence/fast_engine.h"
#include "random/rand48.h"

namespace drevel {

// evidag_fast's loop with the walk on a second thread; same result, draws
// and final state.  portable keeps both threads off the AVX2 paths.
double evidag_fast_pipeline(const draw_decider& decider, bool portable, int32_t maxmc,
                            int32_t minmc, double precision, rand48_state& state, int64_t* draws,
                            fast_stats* stats_out);

}  // namespace drevel

#endif
