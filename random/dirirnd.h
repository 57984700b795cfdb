// Dirichlet deviates from gamma deviates.
#ifndef DREVEL_RANDOM_DIRIRND_H
#define DREVEL_RANDOM_DIRIRND_H

#include "random/rand48.h"

namespace drevel {

// One Dirichlet draw over cells 1..c: out[m] = G_m / sum(G), where
// G_m = gamadev(alpha[m]) is drawn for m = 1..c in this order (all uniforms of
// cell m before any of cell m + 1).  Element 0 of alpha and out is neither
// read nor written.  A shape below 1 ends the process inside gamadev.
void dirirnd(const double* alpha, double* out, int c);
void dirirnd(const double* alpha, double* out, int c, rand48_state& state);

}  // namespace drevel

#endif
