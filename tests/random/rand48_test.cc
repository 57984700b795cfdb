#include "random/rand48.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace drevel;

static uint64_t state_of(double value) { return static_cast<uint64_t>(std::ldexp(value, 48)); }

TEST(rand48, first_values_and_the_thousandth_from_the_fixed_start) {
  rand48_state g;
  struct { int call; uint64_t X; double value; } table[] = {
      {1, 0x657EB7255101, 0.39646477376027534}, {2, 0xD72A0C966378, 0.84048536941142515},
      {3, 0x5A743C062A23, 0.35333609724524351}, {4, 0x72534ABF62F2, 0.44658343479654405},
      {5, 0x5195D97A8D15, 0.31869277231188065}, {1000, 0x63B7A3739EF6, 0.38952085087563404}};
  int call = 0;
  for (const auto& row : table) {
    double u = 0;
    while (call < row.call) {
      u = drand48(g);
      call++;
    }
    EXPECT_EQ(u, row.value) << "call " << row.call;
    EXPECT_EQ(state_of(u), row.X) << "call " << row.call;
  }
}

TEST(rand48, process_stream_starts_where_a_fresh_stream_starts) {
  rand48_state g;
  for (int i = 0; i < 10; i++) EXPECT_EQ(drevel::drand48(), drand48(g));
}

TEST(rand48, values_are_multiples_of_two_to_the_minus_48_below_one) {
  rand48_state g;
  for (int i = 0; i < 100000; i++) {
    double u = drand48(g);
    ASSERT_LT(u, 1.0);
    ASSERT_GE(u, 0.0);
    ASSERT_EQ(std::ldexp(u, 48), std::floor(std::ldexp(u, 48)));
  }
}

TEST(rand48, step_carries_across_all_three_words) {
  EXPECT_EQ(rand48_step(0xFFFFFFFFFFFF), 0xFFFA2113199Eu);
  EXPECT_EQ(rand48_step(0), 0xBu);
  EXPECT_EQ(rand48_step(0x1234ABCD330E), 0x657EB7255101u);
  // Against 64-bit arithmetic on states that exercise every carry.
  uint64_t X = 0xFFFF0000FFFF;
  for (int i = 0; i < 100000; i++) {
    uint64_t expected = (0x5DEECE66DULL * X + 0xB) & 0xFFFFFFFFFFFFULL;
    ASSERT_EQ(rand48_step(X), expected) << std::hex << X;
    X = expected ^ (i & 1 ? 0xFFFF0000FFFFULL : 0);
  }
}

TEST(rand48, streams_are_independent_and_comparable) {
  rand48_state a, b;
  EXPECT_EQ(a, b);
  drand48(a);
  EXPECT_NE(a, b);
  drand48(b);
  EXPECT_EQ(a, b);
}
