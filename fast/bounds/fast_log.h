// The logarithm of the fast engine's kernel, with a proven relative error
// bound (docs/fast-engine.md, "fast_log") instead of the last-bit accuracy of
// the C library.  The engine never trusts these values near a decision: it
// widens every comparison by the bound and falls back to the library
// functions inside it.
//
// Every formula is written once, as a template over the number type: double
// for one value, or a GCC/Clang vector of four doubles for the AVX2 kernel's
// lanes (f64x4).  The vector operations are the same IEEE operations lane by
// lane, in the same order (no FMA: the build forbids contraction), so each
// lane is bit-identical to the scalar function on the same input.  The lane
// forms take and give references, so that no vector crosses a call boundary
// outside an AVX2 function; call them only from functions compiled for AVX2,
// where they are inlined.
#ifndef DREVEL_FAST_BOUNDS_FAST_LOG_H
#define DREVEL_FAST_BOUNDS_FAST_LOG_H

#include <cstdint>

namespace drevel {

// Four doubles, and their bit patterns, as the compiler's vector extension:
// arithmetic acts lane by lane and a scalar operand is broadcast.
typedef double f64x4 __attribute__((vector_size(32)));
typedef uint64_t u64x4 __attribute__((vector_size(32)));

namespace fast_log_detail {

template <class Real>
struct bits_type;
template <>
struct bits_type<double> {
  using type = uint64_t;
};
template <>
struct bits_type<f64x4> {
  using type = u64x4;
};

constexpr uint64_t sqrt_half_bits = 0x3fe6a09e667f3bcdULL;  // sqrt(1/2)
constexpr uint64_t bias_1024 = 1024ULL << 52;
constexpr double ln2_hi = 6.93147180369123816490e-01;  // 32 significant bits
constexpr double ln2_lo = 1.90821492927058770002e-10;  // ln 2 - ln2_hi

// 1/(2j+1) for j = 1..8: the atanh series of log(1+f) in z = s^2.
constexpr double atanh_c[8] = {1.0 / 3,  1.0 / 5,  1.0 / 7,  1.0 / 9,
                               1.0 / 11, 1.0 / 13, 1.0 / 15, 1.0 / 17};

}  // namespace fast_log_detail

// The range reduction of every logarithm of the engine (fast_log,
// fast_log_short, table_log): x = 2^k m with m in [sqrt(1/2), sqrt(2)), by
// bit operations on a positive normal x, all exact.  In two steps, so that
// table_log can take its index between them: first ix, the bits of x, and
// `reduced`, those bits moved so that the top ones are k + 1024 and the next
// ones the position of m in [sqrt(1/2), sqrt(2)); then m and k.
template <class Real, class Bits>
__attribute__((always_inline)) inline void reduce_log_bits(const Real& x, Bits& ix,
                                                           Bits& reduced) {
  ix = __builtin_bit_cast(Bits, x);
  reduced = ix - fast_log_detail::sqrt_half_bits + (1ULL << 62);
}

template <class Real, class Bits>
__attribute__((always_inline)) inline void reduce_log_split(const Bits& ix, const Bits& reduced,
                                                            Real& m, Real& k) {
  Bits kb = reduced >> 52;  // k + 1024
  m = __builtin_bit_cast(Real, Bits(ix - (kb << 52) + fast_log_detail::bias_1024));
  k = __builtin_bit_cast(Real, Bits(kb | 0x4330000000000000ULL)) - (0x1p52 + 1024.0);
}

// ln x for positive normal finite x (anything else gives a meaningless
// value; callers test the range), within 2^-48.8 relative.  Method: f = m - 1
// (exact, Sterbenz), s = f/(2+f) with |s| < 0.1716; ln m = 2 atanh s =
// 2s + 2s z (1/3 + z/5 + ... + z^7/17), z = s^2, the polynomial in Estrin's
// scheme; ln x = k ln2_hi + (2s + (2s z p + k ln2_lo)), k ln2_hi exact.
// `terms` is 8, or 4 for fast_log_short's series cut after z^4/9.
template <int terms, class Real>
__attribute__((always_inline)) inline void fast_log_lanes(const Real& x, Real& out) {
  static_assert(terms == 8 || terms == 4, "the two series of docs/fast-engine.md");
  using namespace fast_log_detail;
  typename bits_type<Real>::type ix, reduced;
  Real m, k;
  reduce_log_bits(x, ix, reduced);
  reduce_log_split(ix, reduced, m, k);
  Real f = m - 1.0;
  Real s = f / (2.0 + f);
  Real z = s * s;
  Real z2 = z * z;
  Real p;
  if constexpr (terms == 8) {
    // Estrin's scheme: four independent pairs, then two, then one.
    Real z4 = z2 * z2;
    Real p01 = atanh_c[0] + z * atanh_c[1], p23 = atanh_c[2] + z * atanh_c[3];
    Real p45 = atanh_c[4] + z * atanh_c[5], p67 = atanh_c[6] + z * atanh_c[7];
    p = (p01 + z2 * p23) + z4 * (p45 + z2 * p67);
  } else {
    p = (atanh_c[0] + z * atanh_c[1]) + z2 * (atanh_c[2] + z * atanh_c[3]);
  }
  Real s2 = s + s;
  out = k * ln2_hi + (s2 + ((s2 * z) * p + k * ln2_lo));
}

inline double fast_log(double x) {
  double y;
  fast_log_lanes<8>(x, y);
  return y;
}

// Relative error bound of fast_log_short against the exact logarithm
// (truncation 2^-28.9, rounding far below).
constexpr double fast_short_eps = 0x1p-28;

// fast_log with the series cut after z^4/9: ln m = 2s + 2s z (1/3 + z/5 +
// z^2/7 + z^3/9), for the product cells' deviates G = -ln P, whose error
// the kernel's bound carries separately.
inline double fast_log_short(double x) {
  double y;
  fast_log_lanes<4>(x, y);
  return y;
}

}  // namespace drevel

#endif
