// The random library: the 48-bit uniform generator (rand48.h), gamma
// deviates, and the further generators and deviates.
//
// Every deviate takes its uniforms from a 48-bit stream: the process-wide one
// for the forms without a state argument, the caller's otherwise.  The order
// in which a deviate takes its uniforms is part of its contract: the
// Monte Carlo results depend on it to the last bit.
#ifndef DREVEL_RANDOM_RANDOMIC_H
#define DREVEL_RANDOM_RANDOMIC_H

#include "random/rand48.h"

namespace drevel {

// Gamma deviate of shape a and unit scale, > 0.
//  1 <= a < 6: product of floor(a) uniforms, -log(u1 * ... * un); the
//    fractional part of a is ignored (a = 2.5 draws exactly like a = 2).
//  a >= 6: rejection from a Cauchy comparison function centred on a - 1 with
//    scale sqrt(2a - 1); each attempt takes u1, u2 (a point in the square,
//    rejected outside the unit disc or when x <= 0) and then u3.
// a < 1 (not a number included): writes "\nErro na rotina gamdev\n" to stderr
// and exits with status 1, before taking any uniform.
double gamadev(double a);
double gamadev(double a, rand48_state& state);

}  // namespace drevel

#endif
