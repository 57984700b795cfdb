// Rejection-branch gamma deviates (shape a >= 6) on a raw 48-bit state, with
// the acceptance test squeezed: the acceptance ratio is evaluated with
// fast_log and fast_exp, and the library's log and exp are called only when
// u3 lies within the error bound of the ratio.  Every attempt takes the same
// uniforms as gamadev's and reaches the same decision, so the deviate and
// the state after it are gamadev's exactly.
#ifndef DREVEL_EVIDENCE_FAST_GAMMA_H
#define DREVEL_EVIDENCE_FAST_GAMMA_H

#include <cstdint>

namespace drevel {

// Constants of one cell, computed as gamadev computes them.
struct rejection_cell {
  double am;  // a - 1
  double s;   // sqrt((am + am) + 1)
  bool squeeze;  // false for shapes whose constants overflow: always literal
};

rejection_cell make_rejection_cell(double a);

// One deviate: advances X past every uniform gamadev(a) would take and
// returns its value.  *literal_tests counts the attempts whose decision
// needed the library functions.
double fast_gamma_rejection(const rejection_cell& cell, uint64_t& X, int64_t* literal_tests);

// The squeezed decision for one attempt that reached u3: +1 when
// u3 <= e (accept), -1 when u3 > e (reject), 0 when undecided, where
// e = (y*y + 1) * exp(am*log(x/am) - s*y) as gamadev evaluates it.
int squeeze_acceptance(const rejection_cell& cell, double x, double y, double u3);

}  // namespace drevel

#endif
