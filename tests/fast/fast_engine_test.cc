#include "fast/fast_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "evidence/equilibrium.h"
#include "evidence/kernel.h"
#include "evidence/monte_carlo.h"
#include "fast/draw/engine.h"
#include "random/dirirnd.h"
#include "support/literal_kernels.h"

using namespace drevel;
using fast_internal::engine_options;
using fast_internal::schedule_policy;

namespace {

std::vector<double> alpha_of(const std::vector<double>& counts) {
  std::vector<double> alpha(counts.size() + 1);
  alpha[0] = static_cast<double>(counts.size());
  for (size_t n = 0; n < counts.size(); n++) alpha[n + 1] = counts[n] + 1.0001;
  return alpha;
}

struct outcome {
  double r;
  int64_t draws;
  int64_t hits = 0;
  bool at_maxmc = false;
  rand48_state after;
  fast_stats stats;
  int64_t two_thread_draws = 0;
};

outcome literal(const std::vector<double>& alpha, double L_hyp, int32_t maxmc, int32_t minmc,
                double precision) {
  outcome o;
  int c = static_cast<int>(alpha.size()) - 1;
  mc_estimate e =
      monte_carlo_literal(alpha.data(), L_hyp, mc_rule{maxmc, minmc, precision}, c, o.after);
  o.r = e.r;
  o.draws = e.draws;
  o.hits = e.hits;
  o.at_maxmc = e.at_maxmc;
  return o;
}

// The engine with its internal options (the path, the split's thresholds
// and the stream's size).
outcome fast(const std::vector<double>& alpha, double L_hyp, int32_t maxmc, int32_t minmc,
             double precision, engine_options options = engine_options()) {
  outcome o;
  int c = static_cast<int>(alpha.size()) - 1;
  fast_internal::engine_counts counts;
  mc_estimate e = fast_internal::run_fast_engine(alpha.data(), L_hyp,
                                                 mc_rule{maxmc, minmc, precision}, c, o.after,
                                                 options, &counts);
  o.r = e.r;
  o.draws = e.draws;
  o.hits = e.hits;
  o.at_maxmc = e.at_maxmc;
  o.stats.draws = o.draws;
  o.stats.kernel_replays = counts.kernel_replays;
  o.stats.literal_tests = counts.literal_tests;
  o.two_thread_draws = counts.two_thread_draws;
  return o;
}

// A random parameter vector mixing the two gamma branches: small whole
// counts (shapes 1 to 5), fractional ones, shapes at and next to 6, shapes
// either side of 2^20 + 1, and counts up to a billion.
std::vector<double> random_alpha(std::mt19937_64& rng) {
  int k = 1 + static_cast<int>(rng() % 6);
  int c = k * (k + 1) / 2;
  std::vector<double> alpha(c + 1);
  alpha[0] = c;
  std::uniform_real_distribution<double> unit(0, 1);
  for (int m = 1; m <= c; m++) {
    switch (rng() % 9) {
      case 0: alpha[m] = 1.0001; break;
      case 1: alpha[m] = 1.0001 + static_cast<double>(rng() % 5); break;
      case 2: alpha[m] = 1 + 5 * unit(rng); break;
      case 3: alpha[m] = 6.0; break;
      case 4: alpha[m] = std::nextafter(6.0, rng() % 2 ? 0.0 : 7.0); break;
      case 5: alpha[m] = 6 + 40 * unit(rng); break;
      case 6: alpha[m] = 1.0001 + std::floor(std::pow(10.0, 9 * unit(rng))); break;
      case 7:  // the edge of the polynomial squeeze's range, am = 2^20
        alpha[m] = std::nextafter(0x1p20 + 1, rng() % 2 ? 0.0 : 2e6);
        break;
      default: alpha[m] = 1.0001 + static_cast<double>(rng() % 30); break;
    }
  }
  return alpha;
}

void expect_same(const outcome& a, const outcome& b) {
  EXPECT_EQ(a.r, b.r);
  EXPECT_EQ(a.draws, b.draws);
  EXPECT_EQ(a.hits, b.hits);
  EXPECT_EQ(a.at_maxmc, b.at_maxmc);
  EXPECT_TRUE(a.after == b.after);
}

}  // namespace

// Thresholds: one of the draws' own literal kernels (a tie, which is a hit),
// the next double on either side (near misses the bound must send to the
// literal evaluation), and random quantiles; AVX2 and portable paths; one
// thread, two threads, and the two in turn every 37 draws (hand-overs both
// ways inside the checks' hundreds).
TEST(fast_engine, matches_the_literal_engine_on_random_inputs) {
  std::mt19937_64 rng(20261209);
  int64_t replays = 0, draws = 0, tie_replays = 0;
  const int inputs = 2000;
  for (int i = 0; i < inputs; i++) {
    std::vector<double> alpha = random_alpha(rng);
    std::vector<double> L = literal_kernels(alpha, 300);
    double tie = L[rng() % L.size()];
    std::vector<double> sorted = L;
    std::sort(sorted.begin(), sorted.end());
    double threshold;
    switch (i % 4) {
      case 0: threshold = tie; break;
      case 1: threshold = std::nextafter(tie, -INFINITY); break;
      case 2: threshold = std::nextafter(tie, INFINITY); break;
      default: threshold = sorted[rng() % sorted.size()] + 1e-3; break;
    }
    engine_options options;
    options.portable = (i / 4) % 2 == 1;  // every threshold kind on both paths
    options.threads = i % 3 == 0 ? 1 : 2;
    options.schedule = i % 3 == 1 ? schedule_policy::two : schedule_policy::alternate;
    options.alternate_draws = 37;
    options.pipeline_min_cells = 1;
    options.pipeline_min_product_share = 0;
    outcome a = literal(alpha, threshold, 300, 100, 0.0);
    outcome b = fast(alpha, threshold, 300, 100, 0.0, options);
    SCOPED_TRACE(i);
    expect_same(a, b);
    if (i % 4 == 3) {
      replays += b.stats.kernel_replays;
      draws += b.stats.draws;
    } else {
      tie_replays += b.stats.kernel_replays;
    }
    if (HasFailure()) return;
  }
  // Every tie and near tie forces a replay; elsewhere they stay rare (the
  // counts up to 1e9 widen the bound: it grows with sum |(alpha-1) ln G|).
  EXPECT_GE(tie_replays, inputs * 3 / 4);
  EXPECT_LT(replays, draws / 100);
}

TEST(fast_engine, reproduces_the_reference_runs) {
  struct reference {
    int k;
    std::vector<double> counts;
    int64_t draws;
    double r;
    long long uniforms;
  };
  const reference refs[] = {
      {2, {10, 20, 30}, 30000, 25513.0 / 30000, 554952},
      {2, {0, 0, 0}, 29400, 3683.0 / 29400, 88200},
      {3, {20, 10, 5, 3, 7, 12}, 3000, 1.0, 104443},
  };
  for (const reference& ref : refs) {
    int c = ref.k * (ref.k + 1) / 2;
    std::vector<double> alpha = alpha_of(ref.counts), h(c + 1);
    double L_hyp;
    Find_Argmax_Hyp(alpha.data(), h.data(), &L_hyp, ref.k, c);
    rand48_state expected;
    for (long long i = 0; i < ref.uniforms; i++) drand48(expected);
    for (int variant = 0; variant < 4; variant++) {
      engine_options options;
      options.portable = variant == 1;
      options.threads = variant >= 2 ? 2 : 1;
      options.schedule = variant == 2 ? schedule_policy::two : schedule_policy::timed;
      options.pipeline_min_cells = 1;
      options.pipeline_min_product_share = 0;
      outcome o = fast(alpha, L_hyp, 10000 * c, 500 * c, 0.005, options);
      EXPECT_EQ(o.draws, ref.draws);
      EXPECT_EQ(o.r, ref.r);
      EXPECT_TRUE(o.after == expected);
    }
  }
}

TEST(fast_engine, stopping_rule_and_extreme_thresholds_match) {
  std::vector<double> alpha = alpha_of({3, 4, 5, 12, 0, 40});
  const double inf = INFINITY;
  for (double L_hyp : {-inf, inf, static_cast<double>(NAN), -10.0, 0.0}) {
    for (int32_t maxmc : {0, 120, 1050, 5000}) {
      SCOPED_TRACE(L_hyp);
      expect_same(literal(alpha, L_hyp, maxmc, 250, 0.01), fast(alpha, L_hyp, maxmc, 250, 0.01));
    }
  }
}

TEST(fast_engine, many_cells_with_huge_and_zero_counts_match) {
  std::mt19937_64 rng(7);
  std::vector<double> counts(530);
  for (double& x : counts) x = rng() % 3 == 0 ? static_cast<double>(rng() % 20) : 0.0;
  counts[0] = 1e12;
  counts[5] = 3e6;
  std::vector<double> alpha = alpha_of(counts);
  std::vector<double> L = literal_kernels(alpha, 200);
  std::sort(L.begin(), L.end());
  for (double threshold : {L[100], L[3], std::nextafter(L[150], 0.0)}) {
    for (int threads : {1, 2}) {
      for (bool portable : {false, true}) {
        engine_options options;
        options.portable = portable;
        options.threads = threads;
        options.schedule = schedule_policy::two;
        expect_same(literal(alpha, threshold, 200, 200, 0.0),
                    fast(alpha, threshold, 200, 200, 0.0, options));
      }
    }
  }
}

// The walker runs ahead of the stopping rule by up to a ring of draws; what
// it walked past the stop must not leak into the draws or the final state.
TEST(fast_engine, two_threads_stop_where_one_thread_does) {
  std::vector<double> counts(530);
  for (size_t n = 0; n < counts.size(); n++) counts[n] = static_cast<double>((n * 7) % 13);
  std::vector<double> alpha = alpha_of(counts);
  std::vector<double> L = literal_kernels(alpha, 400);
  std::sort(L.begin(), L.end());
  engine_options two;
  two.threads = 2;
  two.schedule = schedule_policy::two;
  two.pipeline_min_product_share = 0;
  for (int32_t maxmc : {100, 1000, 3000}) {
    for (double precision : {0.0, 0.05}) {
      outcome a = literal(alpha, L[200], maxmc, 100, precision);
      expect_same(a, fast(alpha, L[200], maxmc, 100, precision, two));
    }
  }
}

// Draws too long for the two threads' rings (forced small here) end the
// split: the run goes on on one thread from the last draw counted, with the
// same draws, estimate and final state.
TEST(fast_engine, a_draw_too_long_for_the_rings_ends_the_split) {
  // About 2050 uniforms a draw, now and then more than 2048.
  std::vector<double> counts(530);
  for (size_t n = 0; n < counts.size(); n++) counts[n] = n % 4 == 0 ? 5 : 2;
  std::vector<double> alpha = alpha_of(counts);
  std::vector<double> L = literal_kernels(alpha, 200);
  std::sort(L.begin(), L.end());
  engine_options two;
  two.threads = 2;
  two.schedule = schedule_policy::two;
  outcome a = literal(alpha, L[100], 2000, 300, 0.0);
  two.draw_keep = 2048;  // the split ends some draws in
  outcome b = fast(alpha, L[100], 2000, 300, 0.0, two);
  expect_same(a, b);
  EXPECT_GT(b.two_thread_draws, 0);
  EXPECT_LT(b.two_thread_draws, 2000);
  two.draw_keep = 1024;  // every draw too long: the split ends at once
  b = fast(alpha, L[100], 2000, 300, 0.0, two);
  expect_same(a, b);
  EXPECT_EQ(b.two_thread_draws, 0);
  two.draw_keep = 0;  // the locus's own: two threads throughout
  b = fast(alpha, L[100], 2000, 300, 0.0, two);
  expect_same(a, b);
  EXPECT_EQ(b.two_thread_draws, 2000);
}

// Stretches of one and two threads in turn, of any length, hand the stream
// over at the last draw counted either way; and the timed choice gives the
// same run whatever it chooses.
TEST(fast_engine, drivers_taking_turns_give_the_literal_run) {
  std::vector<double> counts(210);
  for (size_t n = 0; n < counts.size(); n++) counts[n] = static_cast<double>((n * 3) % 8);
  std::vector<double> alpha = alpha_of(counts);
  std::vector<double> L = literal_kernels(alpha, 300);
  std::sort(L.begin(), L.end());
  outcome a = literal(alpha, L[120], 3000, 300, 0.0);
  for (bool portable : {false, true}) {
    for (int64_t stretch : {7, 99, 100, 101, 1000}) {
      engine_options options;
      options.portable = portable;
      options.threads = 2;
      options.schedule = schedule_policy::alternate;
      options.alternate_draws = stretch;
      SCOPED_TRACE(stretch);
      expect_same(a, fast(alpha, L[120], 3000, 300, 0.0, options));
    }
    engine_options timed;
    timed.portable = portable;
    timed.threads = 2;
    outcome b = fast(alpha, L[120], 3000, 300, 0.0, timed);
    expect_same(a, b);
    EXPECT_EQ(b.draws, 3000);
  }
  // A split that gives up inside a turn (draws too long for its rings)
  // leaves the rest of the run to one thread.
  engine_options small;
  small.threads = 2;
  small.schedule = schedule_policy::alternate;
  small.alternate_draws = 250;
  small.draw_keep = 900;  // a little above the usual draw: some draws in
  outcome c = fast(alpha, L[120], 3000, 300, 0.0, small);
  expect_same(a, c);
  EXPECT_GT(c.two_thread_draws, 0);
  EXPECT_LT(c.two_thread_draws, 250);
}

// The public face: the same run through evidag_fast for either thread
// count, with the draw count in the stats.
TEST(fast_engine, public_face_gives_the_literal_run) {
  std::vector<double> counts(210);
  for (size_t n = 0; n < counts.size(); n++) counts[n] = static_cast<double>((n * 5) % 7);
  std::vector<double> alpha = alpha_of(counts);
  std::vector<double> L = literal_kernels(alpha, 300);
  std::sort(L.begin(), L.end());
  outcome a = literal(alpha, L[150], 3000, 300, 0.02);
  for (int threads : {1, 2}) {
    outcome b;
    fast_options options;
    options.threads = threads;
    mc_estimate e = monte_carlo_fast(alpha.data(), L[150], mc_rule{3000, 300, 0.02},
                                     static_cast<int>(counts.size()), b.after, options, &b.stats);
    b.r = e.r;
    b.draws = e.draws;
    b.hits = e.hits;
    b.at_maxmc = e.at_maxmc;
    expect_same(a, b);
    EXPECT_EQ(b.stats.draws, a.draws);
    // The older form, kept for callers that want only r and the draws.
    rand48_state state;
    int64_t draws = 0;
    EXPECT_EQ(evidag_fast(alpha.data(), L[150], 3000, 300, 0.02, static_cast<int>(counts.size()),
                          state, &draws, options),
              a.r);
    EXPECT_EQ(draws, a.draws);
  }
}
