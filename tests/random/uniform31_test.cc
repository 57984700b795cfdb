#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "random/randomic.h"

using namespace drevel;

TEST(uniform31, sequences_after_init) {
  init(1);
  for (int32_t want : {16807, 282475249, 1622650073, 984943658, 1144108930}) EXPECT_EQ(unif(), want);
  init(1);  // init restarts the sequence
  EXPECT_EQ(funif(), 7.826369259425611e-06);
  EXPECT_EQ(funif(), 0.13153778814316625);
  EXPECT_EQ(funif(), 0.7556053221950332);
  init(-1);
  EXPECT_EQ(unif(), 2147466840);
}

TEST(uniform31, multiples_of_the_modulus_stick_at_2147483647) {
  for (int32_t seed : {0, 2147483647, -2147483647}) {
    init(seed);
    for (int i = 0; i < 3; i++) ASSERT_EQ(unif(), 2147483647) << "seed " << seed;
    init(seed);
    ASSERT_EQ(funif(), 1.0) << "seed " << seed;
  }
}

TEST(uniform31, unseeded_generator_starts_at_zero) {
  // A fresh process, so that no earlier test has seeded the generator.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto report_first_draws = [] {
    int32_t a = unif(), b = unif();
    double f = funif();
    std::fprintf(stderr, "%d %d %.17g\n", a, b, f);
    std::exit(0);
  };
  EXPECT_EXIT(report_first_draws(), testing::ExitedWithCode(0), "^2147483647 2147483647 1\n$");
}

// Schrage's 32-bit steps against 64-bit modular arithmetic, over seeds that
// reach both ends of the 32-bit range (UBSan watches for overflow).
TEST(uniform31, schrage_step_is_16807_ix_mod_2147483647) {
  const long long m = 2147483647;
  const int32_t ends[] = {INT32_MIN, INT32_MAX, INT32_MIN + 1, -2, -1, 1, 127773, 127772};
  uint64_t probe = 12345;
  for (int i = 0; i < 200000; i++) {
    probe = probe * 6364136223846793005u + 1442695040888963407u;
    int32_t seed = i < 8 ? ends[i] : static_cast<int32_t>(probe >> 32);
    long long want = ((16807LL * seed) % m + m) % m;
    if (want == 0) want = m;
    init(seed);
    ASSERT_EQ(unif(), want) << "seed " << seed;
    init(seed);
    double f = funif();
    ASSERT_EQ(f, want / 2147483647.0);
    if (want != m) {
      ASSERT_TRUE(f > 0 && f < 1);
    }
  }
}
