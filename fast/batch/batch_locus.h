// A locus as the batch engine takes it.
#ifndef DREVEL_FAST_BATCH_BATCH_LOCUS_H
#define DREVEL_FAST_BATCH_BATCH_LOCUS_H

#include <cstdint>

namespace drevel {

// One locus: what evidag_fast takes.  alpha (cells 1..c) must stay valid
// until the engine hands back the locus's result.
struct batch_locus {
  const double* alpha = nullptr;
  int c = 0;
  double L_hyp = 0;
  int32_t maxmc = 0, minmc = 0;
  double precision = 0;
  uint64_t tag = 0;  // the caller's, handed back with the result
};

}  // namespace drevel

#endif
