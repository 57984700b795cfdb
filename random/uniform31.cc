// The Park-Miller minimal standard generator, ix <- 16807 * ix mod (2^31 - 1),
// a uniform source of its own beside the 48-bit stream; no deviate uses it.
#include <cstdint>

#include "random/randomic.h"

namespace drevel {

namespace {

int32_t ix = 0;  // 0 until init: unif then sticks at 2147483647

}  // namespace

void init(int32_t seed) { ix = seed; }

// Schrage's decomposition of the modulus, 2147483647 = 127773 * 16807 + 2836:
// with k = ix / 127773 (truncated toward zero),
//   16807 * ix mod m = 16807 * (ix mod 127773) - 2836 * k  (+ m when <= 0),
// and neither term leaves 32-bit signed range for any ix, negative included.
int32_t unif() {
  int32_t k = ix / 127773;
  ix = 16807 * (ix - k * 127773) - 2836 * k;
  if (ix <= 0) ix += 2147483647;
  return ix;
}

// A division, not a multiplication by the reciprocal: the quotient is the
// correctly rounded ix / (2^31 - 1).
double funif() { return unif() / 2147483647.0; }

}  // namespace drevel
