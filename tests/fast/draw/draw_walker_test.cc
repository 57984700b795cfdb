#include "fast/draw/draw_walker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fast/stream/cpu_dispatch.h"
#include "random/rand48_access.h"
#include "random/randomic.h"

using namespace drevel;

// Each draw's products and deviates are gamadev's, cell by cell, and the
// walk leaves the stream where gamadev does: shapes on both sides of 6, a
// run of product cells longer than the ring's block, and many draws.
TEST(draw_walker, walks_the_stream_exactly_as_gamadev_draws) {
  std::vector<double> alpha = {0, 1.0001, 6.0, 2.5, 5.9999, 17.3, 1e5, 3.0001};
  for (int i = 0; i < 400; i++) alpha.push_back(1.0001 + i % 5);
  alpha.push_back(6.0001);
  int c = static_cast<int>(alpha.size()) - 1;
  alpha[0] = c;
  draw_plan plan = make_draw_plan(alpha.data(), c);
  rand48_state literal;
  draw_walker walker(plan, rand48_access::get(literal), choose_simd_path(false));
  std::vector<double> G(c);
  int64_t tests = 0;
  for (int n = 0; n < 300; n++) {
    uint64_t X0, X1;
    walker.walk(G.data(), &X0, &X1, &tests);
    ASSERT_EQ(X0, rand48_access::get(literal));
    int ip = 0, ir = plan.np;
    for (int m = 1; m <= c; m++) {
      double g = gamadev(alpha[m], literal);
      if (alpha[m] < 6) {
        ASSERT_EQ(-std::log(G[plan.product_cells[ip++].slot]), g) << "draw " << n << " cell " << m;
      } else {
        ASSERT_EQ(G[ir++], g) << "draw " << n << " cell " << m;
      }
    }
    ASSERT_EQ(X1, rand48_access::get(literal));
  }
}

// The two-thread split: rejection deviates and run positions from a walker,
// products read at those positions, from the walker's own ring (which keeps
// the whole draw) and from a second ring of the same stream, as the two
// threads each keep one; together the same draws as the whole walk, on both
// fill paths.
TEST(draw_walker, split_walk_gives_the_whole_walk) {
  std::vector<double> alpha = {0, 7.5, 6.0};
  for (int i = 0; i < 300; i++) alpha.push_back(1.0001 + i % 5);
  for (int i = 0; i < 20; i++) alpha.push_back(i % 2 ? 2.0001 : 9.0001);
  int c = static_cast<int>(alpha.size()) - 1;
  alpha[0] = c;
  draw_plan plan = make_draw_plan(alpha.data(), c);
  const int64_t keep = 8192;
  for (bool portable : {false, true}) {
    const simd_path path = choose_simd_path(portable);
    rand48_state g;
    draw_walker whole(plan, rand48_access::get(g), path);
    draw_walker split(plan, rand48_access::get(g), path, nullptr, keep);
    uniform_ring other(rand48_access::get(g), keep, path);
    std::vector<double> G(c), R(c - plan.np), P(plan.np);
    std::vector<double> scratch(plan.max_run_uniforms + 5);
    std::vector<int64_t> runs(plan.runs.size());
    int64_t tests = 0;
    for (int n = 0; n < 200; n++) {
      uint64_t a0, a1, b0, b1;
      int64_t start;
      whole.walk(G.data(), &a0, &a1, &tests);
      split.walk_rejections(R.data(), runs.data(), &start, &b0, &b1, &tests);
      ASSERT_LE(split.position() - start, keep);
      // In two parts, as the two threads share the runs.
      const size_t half = plan.runs.size() / 2;
      other.ensure(split.position());
      products_at(plan, other.uniforms(), other.mask(), runs.data(), P.data(), scratch.data(),
                  half, plan.runs.size());
      products_at(plan, split.ring().uniforms(), split.ring().mask(), runs.data(), P.data(),
                  scratch.data(), 0, half);
      ASSERT_EQ(a0, b0);
      ASSERT_EQ(a1, b1);
      for (int i = 0; i < plan.np; i++) ASSERT_EQ(G[i], P[i]) << n << " " << i;
      for (int i = plan.np; i < c; i++) ASSERT_EQ(G[i], R[i - plan.np]) << n << " " << i;
    }
  }
}
