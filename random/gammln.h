// Natural logarithm of the gamma function.
#ifndef DREVEL_RANDOM_GAMMLN_H
#define DREVEL_RANDOM_GAMMLN_H

namespace drevel {

// ln Gamma(x) for x > 0 by the six-term Lanczos series (gamma = 5):
//   ln Gamma(x) = ln(sqrt(2 pi) * S(x) / x) - (x + 5.5) + (x + 0.5) ln(x + 5.5),
//   S(x) = c0 + sum_{j=1..6} c_j / (x + j).
// Relative error below 2e-10; the result is the series, not an exact
// log-gamma (gammln(100) lies about 1e-10 above ln 99!).  Keeps no state and
// never fails; x <= 0 gives no meaningful value.
double gammln(double x);

}  // namespace drevel

#endif
