#include "fast/bounds/fast_log.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "fast/bounds/error_model.h"
#include "fast/stream/cpu_dispatch.h"

using namespace drevel;

namespace {

// Relative error against the long double library function, which is
// 11 bits more precise than the double result.
double rel_error(double approx, long double exact) {
  return static_cast<double>(std::fabs((static_cast<long double>(approx) - exact) / exact));
}

// Samples over the whole normal range, near 1 (where ln x is small and the
// relative error is hardest to keep) and at the edges of the reduction
// interval [sqrt(1/2), sqrt(2)).
double sample_log_input(std::mt19937_64& rng, int i) {
  double mant = 1.0 + static_cast<double>(rng() >> 12) * 0x1p-52;
  switch (i % 4) {
    case 0: return std::ldexp(mant, static_cast<int>(rng() % 2040) - 1020);
    case 1: return 1.0 + (mant - 1.5) * std::ldexp(1.0, -static_cast<int>(rng() % 52));
    case 2: return std::nextafter(std::sqrt(0.5), 0.0) * (1 + (mant - 1) * 1e-9);
    default: return std::ldexp(std::sqrt(2.0) * (1 - (mant - 1) * 1e-9), static_cast<int>(rng() % 20) - 10);
  }
}

#if defined(__x86_64__) || defined(__i386__)
// Both series on four lanes at a time, as the AVX2 kernel evaluates them.
__attribute__((target("avx2"))) void lanes_of(const double* x, double* out, double* out_short,
                                              size_t n) {
  for (size_t i = 0; i + 4 <= n; i += 4) {
    f64x4 v, y, ys;
    std::memcpy(&v, x + i, sizeof v);
    fast_log_lanes<8>(v, y);
    fast_log_lanes<4>(v, ys);
    std::memcpy(out + i, &y, sizeof y);
    std::memcpy(out_short + i, &ys, sizeof ys);
  }
}
#endif

}  // namespace

TEST(fast_log, both_series_are_within_their_bounds_everywhere) {
  std::mt19937_64 rng(1);
  double worst = 0, worst_short = 0;
  for (int i = 0; i < 400000; i++) {
    double x = sample_log_input(rng, i);
    long double exact = std::log(static_cast<long double>(x));
    if (exact == 0) {
      EXPECT_EQ(fast_log(x), 0.0);
      continue;
    }
    worst = std::max(worst, rel_error(fast_log(x), exact));
    worst_short = std::max(worst_short, rel_error(fast_log_short(x), exact));
  }
  EXPECT_LT(worst, 0x1p-46);  // far inside the eps the kernel's derivation uses
  EXPECT_LT(worst, fast_eps);
  EXPECT_LT(worst_short, fast_short_eps);
  EXPECT_GT(worst_short, 0x1p-40);  // it is the shorter series that is measured
  EXPECT_EQ(fast_log(DBL_MIN), std::log(DBL_MIN));
  EXPECT_EQ(fast_log(1.0), 0.0);
}

// The lane form is the scalar function lane by lane, to the bit: the kernel's
// AVX2 and portable paths then give the same deviates.
TEST(fast_log, four_lanes_are_bit_identical_to_the_scalar_function) {
#if defined(__x86_64__) || defined(__i386__)
  if (choose_simd_path(false) != simd_path::avx2) GTEST_SKIP() << "no AVX2 here";
  std::mt19937_64 rng(2);
  std::vector<double> x(200000), lanes(x.size()), lanes_short(x.size());
  for (size_t i = 0; i < x.size(); i++) x[i] = sample_log_input(rng, static_cast<int>(i));
  x[0] = DBL_MIN;
  x[1] = DBL_MAX;
  x[2] = 1.0;
  x[3] = std::sqrt(0.5);
  lanes_of(x.data(), lanes.data(), lanes_short.data(), x.size());
  for (size_t i = 0; i < x.size(); i++) {
    double a = fast_log(x[i]), b = fast_log_short(x[i]);
    ASSERT_EQ(std::memcmp(&a, &lanes[i], sizeof a), 0) << x[i];
    ASSERT_EQ(std::memcmp(&b, &lanes_short[i], sizeof b), 0) << x[i];
  }
#else
  GTEST_SKIP() << "no vector lanes on this architecture";
#endif
}
