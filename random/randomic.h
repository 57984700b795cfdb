// The random library: the 48-bit uniform generator (rand48.h), gamma
// deviates, the 31-bit generator and the normal, Poisson and binomial
// deviates (the log-gamma function they use is in gammln.h).
//
// Every deviate takes its uniforms from a 48-bit stream: the process-wide one
// for the forms without a state argument, the caller's otherwise.  The order
// in which a deviate takes its uniforms is part of its contract: the
// Monte Carlo results depend on it to the last bit.
#ifndef DREVEL_RANDOM_RANDOMIC_H
#define DREVEL_RANDOM_RANDOMIC_H

#include <cstdint>

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

// --- The 31-bit generator (Park-Miller minimal standard) ------------------
// ix <- 16807 * ix mod 2147483647 by Schrage's method, in 32-bit signed
// arithmetic that cannot overflow.  Its state is its own: it takes nothing
// from and gives nothing to the 48-bit stream, and no deviate uses it.

// Sets the state to seed; may be called at any time and restarts the
// sequence.  Any 32-bit seed works, negative ones included.
void init(int32_t seed);
// Advances the state and returns it, in 1..2147483647.  init(1) gives
// 16807, 282475249, 1622650073, ...  A state that is a multiple of
// 2147483647 (0 before any init, 2147483647, -2147483647) becomes
// 2147483647 and stays there.
int32_t unif();
// unif() / 2147483647.0: strictly inside (0, 1) for a seed that is not a
// multiple of 2147483647, and 1.0 on every call for one that is (so 1.0
// without init).
double funif();

// --- Further deviates -----------------------------------------------------
// Each takes its uniforms from the 48-bit stream in the order documented
// here.  Their caches (normaldev's waiting deviate, the set-up values of
// poissondev and binomdev) are process-wide and shared by both forms of a
// deviate, whatever stream they draw from.  None checks its arguments or
// fails; out-of-range arguments give values that are no deviates.

// Standard normal deviate by the polar (Marsaglia) method.  A call with no
// deviate waiting takes pairs of uniforms u1, u2 until the point
// v = (2 u1 - 1, 2 u2 - 1) has 0 < |v|^2 < 1, returns v2 * f with
// f = sqrt(-2 ln r / r), r = |v|^2, and keeps v1 * f waiting; the next call
// returns the waiting deviate and takes no uniform.  Calls of other deviates
// in between neither use nor disturb it.
double normaldev();
double normaldev(rand48_state& state);

// Poisson deviate of the given mean, a whole number >= 0 held in a double.
//  mean < 12: multiplies uniforms until the product is <= exp(-mean); the
//    result k has taken k + 1 uniforms (mean 0 returns 0 after one).
//  mean >= 12: rejection from a Cauchy comparison function centred on the
//    mean; each attempt takes u for the abscissa tan(3.141592654 u), then,
//    unless that abscissa is negative, one uniform for the acceptance test.
// exp(-mean), sqrt(2 mean), log(mean) and gammln(mean + 1) are recomputed
// only when the mean differs from the previous call's.
double poissondev(double mean);
double poissondev(double mean, rand48_state& state);

// Binomial deviate: successes in n trials of probability p (p first), a
// whole number in 0..n held in a double.  Works with q = min(p, 1 - p) and
// mean n q, and returns n minus the count when p > 0.5.
//  n <= 24: one uniform per trial, exactly n, a success when u < q;
//  n q < 1: multiplies uniforms until the product falls below exp(-n q); the
//    count is the number of factors before that, at most n (p = 0 or 1 takes
//    one uniform);
//  otherwise: rejection from a Cauchy comparison function, each attempt
//    taking u for the abscissa and, when it lands in [0, n + 1), one uniform
//    for the acceptance test.
// gammln(n + 1) is recomputed only when n changes, log q and log(1 - q) only
// when q changes.
double binomdev(double p, int32_t n);
double binomdev(double p, int32_t n, rand48_state& state);

}  // namespace drevel

#endif
