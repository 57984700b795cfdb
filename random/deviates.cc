// Normal, Poisson and binomial deviates from uniforms of the 48-bit stream.
//
// The caches below are process-wide and shared by both forms of each
// deviate.  The cache keys start at -1, outside every valid argument, so the
// first call that consults a cache always fills it.
#include <cmath>
#include <cstdint>

#include "random/gammln.h"
#include "random/process_rand48.h"
#include "random/randomic.h"

namespace drevel {

namespace {

// normaldev: a second deviate waiting from the last accepted point.
int32_t iset = 0;
double gset = 0.0;

// poissondev: set-up values for the mean oldm.  g is exp(-mean) below 12 and
// mean * log(mean) - gammln(mean + 1) from 12 on; the method depends on the
// mean alone, so a cached g always belongs to its mean's method.
double oldm = -1.0;
double g = 0.0;
double sq = 0.0;
double alxm = 0.0;

// binomdev: the trial-count part (for nold trials) and the probability part
// (for the working probability pold) are cached apart.
int32_t nold = -1;
double en = 0.0;
double oldg = 0.0;
double pold = -1.0;
double pc = 0.0;
double plog = 0.0;
double pclog = 0.0;

}  // namespace

// Polar method (Marsaglia): a uniform point in the square, kept when it falls
// inside the unit disc but not at its centre; with r = vx^2 + vy^2,
// vx * f and vy * f, f = sqrt(-2 ln r / r), are two independent standard
// normal deviates.
double normaldev(rand48_state& state) {
  if (iset != 0) {
    iset = 0;
    return gset;
  }
  double vx, vy, r;
  do {
    double u1 = drand48(state);
    vx = (u1 + u1) - 1;
    double u2 = drand48(state);
    vy = (u2 + u2) - 1;
    r = vx * vx + vy * vy;
  } while (r >= 1 || r == 0);
  double f = std::sqrt((std::log(r) * (-2.0)) / r);
  gset = vx * f;
  iset = 1;
  return vy * f;
}

double normaldev() { return normaldev(process_rand48()); }

// Below a mean of 12, the direct method: the number of arrivals before the
// product of uniforms falls to exp(-mean).  From 12 on, rejection: y is a
// standard Cauchy deviate (tangent of a uniform angle, with the decimal
// 3.141592654 for pi), k = sqrt(2 mean) y + mean, and floor(k) is accepted
// with probability 0.9 (1 + y^2) P(floor(k)) / P(mean^mean e^-mean / mean!),
// the Poisson probability over the comparison function.
double poissondev(double mean, rand48_state& state) {
  double k, t;
  if (mean < 12) {
    if (mean != oldm) {
      oldm = mean;
      g = std::exp(-mean);
    }
    k = -1;
    t = 1;
    do {
      k = k + 1;
      t = t * drand48(state);
    } while (t > g);
    return k;
  }
  if (mean != oldm) {
    oldm = mean;
    sq = std::sqrt(mean + mean);
    alxm = std::log(mean);
    g = mean * alxm - gammln(mean + 1);
  }
  double y;
  do {
    do {
      y = std::tan(3.141592654 * drand48(state));
      k = sq * y + mean;
    } while (k < 0);
    k = std::floor(k);
    t = std::exp(k * alxm - gammln(k + 1) - g) * ((y * y + 1) * 0.9);
  } while (drand48(state) > t);
  return k;
}

double poissondev(double mean) { return poissondev(mean, process_rand48()); }

// Works with q = min(p, 1 - p).  Few trials: count the uniforms below q.
// Small mean n q: the product method, counting factors until the product of
// uniforms falls strictly below exp(-n q).  Otherwise rejection from a Cauchy
// comparison function centred on n q with scale s = sqrt(2 n q (1 - q)):
// floor(k) in [0, n] is accepted with probability
// 1.2 s (1 + y^2) C(n, k) q^k (1 - q)^(n - k).
double binomdev(double p, int32_t n, rand48_state& state) {
  double q = p <= 0.5 ? p : 1 - p;
  double mu = n * q;
  double count;
  if (n <= 24) {
    count = 0;
    for (int32_t j = 1; j <= n; j++)
      if (drand48(state) < q) count = count + 1;
  } else if (mu < 1) {
    double e = std::exp(-mu);
    double t = 1;
    long long j;
    for (j = 0; j <= n; j++) {
      t = t * drand48(state);
      if (t < e) break;
    }
    count = j <= n ? static_cast<double>(j) : n;
  } else {
    if (n != nold) {
      en = n;
      oldg = gammln(en + 1);
      nold = n;
    }
    if (q != pold) {
      pc = 1 - q;
      plog = std::log(q);
      pclog = std::log(pc);
      pold = q;
    }
    double s = std::sqrt((mu + mu) * pc);
    double y, k, t;
    do {
      do {
        y = std::tan(3.141592654 * drand48(state));
        k = s * y + mu;
      } while (k < 0 || k >= en + 1);
      k = std::floor(k);
      t = std::exp(oldg - gammln(k + 1) - gammln(en - k + 1) + k * plog + (en - k) * pclog) *
          ((s * 1.2) * (y * y + 1));
    } while (drand48(state) > t);
    count = k;
  }
  if (q != p) count = n - count;
  return count;
}

double binomdev(double p, int32_t n) { return binomdev(p, n, process_rand48()); }

}  // namespace drevel
