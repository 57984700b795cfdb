// The batch engine's shared parts on their own: the stream from the fixed
// start against the generator, the tables by shape against the per-cell
// tables, the result cache's key and bound, the block kernels of every path
// against the scalar one, and loci too long for the stream.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "evidence/monte_carlo.h"
#include "fast/batch/batch_dispatch.h"
#include "fast/batch/batch_engine.h"
#include "fast/batch/batch_kernel.h"
#include "fast/batch/batch_plan.h"
#include "fast/batch/fixed_start_stream.h"
#include "fast/batch/shape_tables.h"
#include "fast/stream/attempt_words.h"
#include "random/rand48.h"
#include "random/rand48_access.h"

using namespace drevel;
using namespace drevel::batch_internal;

TEST(fixed_start_stream, the_generators_uniforms_and_their_attempt_words) {
  fixed_start_stream stream(100000);
  // Two threads extend it at once, to different lengths.
  std::thread other([&stream]() { stream.extend(70000); });
  stream.extend(30000);
  other.join();
  ASSERT_GE(stream.ready(), 70000);
  rand48_state g;
  uint64_t X = rand48_access::get(g);
  const double* U = stream.uniforms();
  for (int64_t p = 0; p < stream.ready() + 3; p++) {
    ASSERT_EQ(U[p], rand48_uniform(X)) << p;
    ASSERT_EQ(stream.state(p), X) << p;
    X = rand48_next(X);
  }
  // Each word leads past the attempts outside the disc to the next one
  // inside, which gamadev's own walk reaches two uniforms at a time.
  int64_t skipped = 0;
  for (int64_t p = 0; p < stream.ready(); p++) {
    int64_t q = p;
    while (attempt_bin(U[q + 1], U[q + 2]) == rejection_table_detail::disc_bin) q += 2;
    uint32_t w = stream.words()[p];
    ASSERT_EQ(stream_word::attempt_at(p, w), q) << p;
    ASSERT_EQ(w & ~(uint32_t{stream_word::max_disc_skip} << stream_word::skip_shift),
              attempt_word(U[q + 1], U[q + 2], U[q + 3])) << p;
    skipped += q > p;
  }
  EXPECT_GT(skipped, stream.ready() / 10);  // about 1 - pi/4 of them
  // Never past the capacity.
  EXPECT_EQ(stream.extend(200000), 100000);
  EXPECT_EQ(stream.ready(), 100000);
}

// Every bin of a table the cache gives, as soon as it gives it, is the
// cell's own table's entry once filled; a replaced slot holds the new
// shape's table whole.
TEST(shape_tables, one_table_per_shape_filled_as_the_cells_own) {
  shape_tables cache(3);
  int32_t a = cache.acquire(1000.0001), b = cache.acquire(7.0001);
  EXPECT_NE(a, b);
  EXPECT_EQ(cache.acquire(1000.0001), a);  // the same shape, the same table
  auto expect_cells_own = [&cache](int32_t table, double shape) {
    rejection_tables own({make_rejection_cell(shape)});
    for (int bin = 0; bin < shape_tables::entries_per_table; bin++) {
      own.fill(0, bin);
      ASSERT_EQ(cache.pool()[table + bin], shape_tables::entry_bits(own.entries(0)[bin]))
          << shape << " bin " << bin;
    }
    EXPECT_EQ(cache.cell(table).am, make_rejection_cell(shape).am);
  };
  expect_cells_own(a, 1000.0001);
  expect_cells_own(b, 7.0001);
  // A bin that leaves every attempt to the squeezes decides nothing for any t.
  uint32_t open_entry = shape_tables::entry_bits({0, 0xffff});
  for (uint32_t t : {0u, 0x4000u, 0x7fffu}) {
    EXPECT_FALSE(t < (open_entry & 0xffff));
    EXPECT_FALSE(t >= (open_entry >> 16));
  }
  // Full and every table in use: none to give.
  int32_t c = cache.acquire(50.0001);
  EXPECT_EQ(cache.acquire(60.0001), -1);
  // Released tables are replaced, the least recently acquired first; one in
  // use never is.
  cache.release(c);
  cache.release(b);
  int32_t d = cache.acquire(60.0001);
  EXPECT_EQ(d, b);
  expect_cells_own(d, 60.0001);
  EXPECT_EQ(cache.acquire(1000.0001), a);
  EXPECT_EQ(cache.tables_cached(), 3);
}

TEST(batch_result_cache, keys_tell_every_value_apart_and_the_cache_stays_bounded) {
  std::vector<double> alpha{3, 10.0001, 3.0001, 1.0001};
  batch_locus base;
  base.alpha = alpha.data();
  base.c = 3;
  base.L_hyp = -5.25;
  base.maxmc = 30000;
  base.minmc = 1500;
  base.precision = 0.005;
  std::vector<uint64_t> key = batch_result_cache::key_of(base);
  std::vector<double> other_alpha = alpha;
  other_alpha[2] = std::nextafter(alpha[2], 10.0);
  std::vector<batch_locus> others(5, base);
  others[0].alpha = other_alpha.data();
  others[1].L_hyp = std::nextafter(base.L_hyp, 0.0);
  others[2].maxmc = 30100;
  others[3].minmc = 1600;
  others[4].precision = std::nextafter(base.precision, 1.0);
  for (const batch_locus& o : others) EXPECT_NE(batch_result_cache::key_of(o), key);
  base.tag = 99;  // the caller's tag is no part of the key
  EXPECT_EQ(batch_result_cache::key_of(base), key);

  batch_result_cache cache(2);
  batch_result r;
  r.r = 0.25;
  r.draws = 1500;
  cache.insert(key, r);
  batch_result found;
  ASSERT_TRUE(cache.find(key, &found));
  EXPECT_EQ(found.r, 0.25);
  EXPECT_EQ(found.draws, 1500);
  EXPECT_FALSE(cache.find(batch_result_cache::key_of(others[1]), &found));
  cache.insert(batch_result_cache::key_of(others[0]), r);
  cache.insert(batch_result_cache::key_of(others[1]), r);
  EXPECT_EQ(cache.size(), 2u);
  EXPECT_FALSE(cache.find(key, &found));  // the oldest went first
}

// Every path's block kernel gives the scalar one's values, bit for bit, on
// random loci and random draw positions.
TEST(block_kernel, every_path_gives_the_scalar_values) {
  fixed_start_stream stream(1 << 16);
  stream.extend(1 << 16);
  const double* U = stream.uniforms();
  std::mt19937_64 rng(7);
  std::vector<batch_isa> paths;
  for (batch_path p : {batch_path::avx2, batch_path::avx512})
    if (batch_path_runs(p)) paths.push_back(select_batch_isa(p));
  for (int t = 0; t < 200; t++) {
    int k = 1 + static_cast<int>(rng() % 4);
    int c = k * (k + 1) / 2;
    std::vector<double> alpha(static_cast<size_t>(c) + 1);
    alpha[0] = c;
    for (int m = 1; m <= c; m++)
      alpha[static_cast<size_t>(m)] =
          rng() % 3 == 0 ? 1.0001 + static_cast<double>(rng() % 6)
                         : 1.0001 + std::floor(std::pow(10.0, 4 * std::uniform_real_distribution<double>(0, 1)(rng)));
    batch_locus locus;
    locus.alpha = alpha.data();
    locus.c = c;
    batch_plan bp = make_batch_plan(locus);
    std::vector<int32_t> starts(record_draws), accepted(static_cast<size_t>(record_draws * (bp.r + 1)));
    for (int32_t& s : starts) s = static_cast<int32_t>(rng() % 60000);
    for (int32_t& a : accepted) a = static_cast<int32_t>(rng() % 60000);
    block_values want, got;
    // A threshold at one draw's own L, so that the bound's verdicts (hit,
    // miss, open) all occur.
    block_kernel_scalar(bp, U, accepted.data(), starts.data(), record_draws, &want);
    bp.L_hyp = want.L[t % record_draws];
    block_kernel_scalar(bp, U, accepted.data(), starts.data(), record_draws, &want);
    for (const batch_isa& isa : paths) {
      std::memset(&got, 0xff, sizeof got);
      isa.kernel(bp, U, accepted.data(), starts.data(), record_draws, &got);
      for (int j = 0; j < record_draws; j++) {
        ASSERT_EQ(std::memcmp(&got.L[j], &want.L[j], sizeof(double)), 0) << batch_path_name(isa.path) << " " << t << " " << j;
        ASSERT_EQ(std::memcmp(&got.A[j], &want.A[j], sizeof(double)), 0);
        ASSERT_EQ(got.ok[j], want.ok[j]);
        ASSERT_EQ(got.hit[j], want.hit[j]);
        ASSERT_EQ(got.open[j], want.open[j]);
      }
    }
  }
}

// Loci that need more of the stream than it holds: sent to the per-site
// engine at once, or restarted there when a lane reaches the end; every
// result still the literal engine's.
TEST(batch_engine, loci_too_long_for_the_stream_give_the_literal_results) {
  fixed_start_stream small(20000);
  std::vector<std::vector<double>> alphas{{3, 500.0001, 400.0001, 100.0001},
                                          {3, 1000.0001, 2.0001, 1.0001},
                                          {1, 3.0001}};
  std::vector<batch_locus> loci;
  std::vector<double> want_r;
  std::vector<int64_t> want_draws;
  std::vector<uint64_t> want_state;
  for (auto& a : alphas) {
    for (int32_t maxmc : {300, 4000}) {
      batch_locus l;
      l.alpha = a.data();
      l.c = static_cast<int>(a.size()) - 1;
      l.L_hyp = -3.0;
      l.maxmc = maxmc;
      l.minmc = maxmc == 300 ? 200 : 3000;
      l.precision = 0;
      loci.push_back(l);
      rand48_state g;
      int64_t draws;
      want_r.push_back(evidag_mtcar(a.data(), l.L_hyp, l.maxmc, l.minmc, 0, l.c, g, &draws));
      want_draws.push_back(draws);
      want_state.push_back(rand48_access::get(g));
    }
  }
  batch_options options;
  options.stream = &small;
  batch_stats stats;
  std::vector<batch_result> got = run_batch(loci, options, 1, &stats);
  for (size_t i = 0; i < loci.size(); i++) {
    EXPECT_EQ(got[i].r, want_r[i]) << i;
    EXPECT_EQ(got[i].draws, want_draws[i]) << i;
    EXPECT_EQ(got[i].end_state, want_state[i]) << i;
  }
  EXPECT_GT(stats.per_site, 0);
}
