// The logarithm of the fast Monte Carlo engine's kernel, with a proven
// relative error bound (docs/fast-engine.md) instead of the last-bit
// accuracy of the C library.  The engine never trusts these values near a
// decision: it widens every comparison by the bound and falls back to the
// library functions inside it.
//
// The same formulas are evaluated four lanes at a time in fast_kernel_avx2.cc,
// operation for operation, so both paths give identical values.
#ifndef DREVEL_EVIDENCE_FAST_MATH_H
#define DREVEL_EVIDENCE_FAST_MATH_H

#include <cstdint>
#include <cstring>

namespace drevel {

// Relative error bound, against the exact function, that the engine assumes
// for fast_log AND for the C library's log and exp.  fast_log is within
// 2^-46 (derivation in docs/fast-engine.md); glibc documents errors below
// 1 ulp (2^-52).  2^-44 leaves a wide margin.
constexpr double fast_eps = 0x1p-44;

namespace fast_math_detail {

constexpr uint64_t sqrt_half_bits = 0x3fe6a09e667f3bcdULL;  // sqrt(1/2)
constexpr uint64_t bias_1024 = 1024ULL << 52;
constexpr double ln2_hi = 6.93147180369123816490e-01;  // 32 significant bits
constexpr double ln2_lo = 1.90821492927058770002e-10;  // ln 2 - ln2_hi

// 1/(2j+1) for j = 1..8: the atanh series of log(1+f) in z = s^2.
constexpr double atanh_c[8] = {1.0 / 3,  1.0 / 5,  1.0 / 7,  1.0 / 9,
                               1.0 / 11, 1.0 / 13, 1.0 / 15, 1.0 / 17};
inline uint64_t bits_of(double x) {
  uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}
inline double double_of(uint64_t b) {
  double x;
  std::memcpy(&x, &b, sizeof x);
  return x;
}

// x = 2^k m, m in [sqrt(1/2), sqrt(2)): returns s = f/(2+f), f = m - 1
// (exact), and k.
inline double log_reduce(double x, double* k) {
  uint64_t ix = bits_of(x);
  uint64_t kb = (ix - sqrt_half_bits + (1ULL << 62)) >> 52;  // k + 1024
  double m = double_of(ix - (kb << 52) + bias_1024);
  *k = double_of(kb | 0x4330000000000000ULL) - (0x1p52 + 1024.0);
  double f = m - 1.0;
  return f / (2.0 + f);
}

// k ln2_hi + (2s + (2s z p + k ln2_lo)).
inline double log_combine(double s, double z, double p, double k) {
  double s2 = s + s;
  return k * ln2_hi + (s2 + ((s2 * z) * p + k * ln2_lo));
}

}  // namespace fast_math_detail

// ln x for a positive normal finite x (anything else gives a meaningless
// value; callers test the range).  Method: x = 2^k m with m in
// [sqrt(1/2), sqrt(2)); f = m - 1 (exact), s = f/(2+f) with |s| < 0.1716;
// ln m = 2 atanh s = 2s + 2s z (1/3 + z/5 + ... + z^7/17), z = s^2, the
// polynomial in Estrin's scheme;
// ln x = k ln2_hi + (2s + (2s z p + k ln2_lo)), k ln2_hi exact.
inline double fast_log(double x) {
  using namespace fast_math_detail;
  double k;
  double s = log_reduce(x, &k);
  double z = s * s;
  // Estrin's scheme: four independent pairs, then two, then one.
  double z2 = z * z, z4 = z2 * z2;
  double p01 = atanh_c[0] + z * atanh_c[1], p23 = atanh_c[2] + z * atanh_c[3];
  double p45 = atanh_c[4] + z * atanh_c[5], p67 = atanh_c[6] + z * atanh_c[7];
  double p = (p01 + z2 * p23) + z4 * (p45 + z2 * p67);
  return log_combine(s, z, p, k);
}

// Relative error bound of fast_log_short against the exact logarithm
// (truncation 2^-28.9, rounding far below; docs/fast-engine.md).
constexpr double fast_short_eps = 0x1p-28;

// fast_log with the series cut after z^4/9: ln m = 2s + 2s z (1/3 + z/5 +
// z^2/7 + z^3/9), for the product cells' deviates G = -ln P, whose error
// the kernel's bound carries separately.
inline double fast_log_short(double x) {
  using namespace fast_math_detail;
  double k;
  double s = log_reduce(x, &k);
  double z = s * s;
  double z2 = z * z;
  double p = (atanh_c[0] + z * atanh_c[1]) + z2 * (atanh_c[2] + z * atanh_c[3]);
  return log_combine(s, z, p, k);
}

}  // namespace drevel

#endif
