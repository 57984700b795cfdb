// gamadev's acceptance test u3 <= e for one rejection attempt with x > 0,
// decided in the cheapest way that is exact: the polynomial squeeze, then
// the log-domain squeeze, then the library's own evaluation for what both
// leave open.  Shared by the walks of the fast and the batch engines.
#ifndef DREVEL_FAST_BOUNDS_ACCEPTANCE_H
#define DREVEL_FAST_BOUNDS_ACCEPTANCE_H

#include <cstdint>

#include "fast/bounds/polynomial_squeeze.h"
#include "fast/bounds/rejection_cell.h"
#include "fast/bounds/squeeze.h"

namespace drevel {

// True when the attempt (x, y, u3) on cell is accepted; counts in
// *literal_tests the attempts that needed the library's evaluation.
// Inlined into the attempt loops: a call would spill the attempt's values.
__attribute__((always_inline)) inline bool accepts(const rejection_cell& cell, double x, double y,
                                                   double u3, int64_t* literal_tests) {
  int verdict = polynomial_acceptance(cell, x, y, u3);
  if (verdict == 0) verdict = squeeze_acceptance(cell, x, y, u3);
  if (verdict == 0) {
    ++*literal_tests;
    verdict = literal_acceptance(cell, x, y, u3);
  }
  return verdict > 0;
}

}  // namespace drevel

#endif
