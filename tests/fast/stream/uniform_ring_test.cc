#include "fast/stream/uniform_ring.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "fast/stream/attempt_words.h"
#include "fast/stream/cpu_dispatch.h"
#include "fast/stream/stream_avx2.h"
#include "fast/stream/stream_avx512.h"
#include "random/rand48.h"
#include "random/rand48_access.h"

using namespace drevel;

// Both fills (AVX2 and portable), across several turns of the ring.
TEST(uniform_ring, returns_the_generator_sequence) {
  for (bool portable : {false, true}) {
    rand48_state g;
    uniform_ring ring(rand48_access::get(g), 100, choose_simd_path(portable));
    for (int64_t p = 1; p <= 100000; p++) {
      ring.ensure(p);
      double u = drand48(g);
      ASSERT_EQ(ring.uniform(p), u);
      ASSERT_EQ(ring.state(p), rand48_access::get(g));
    }
  }
}

// The ring's attempt words, AVX2 and portable, are attempt_word's.
TEST(uniform_ring, ring_words_are_attempt_words) {
  for (bool portable : {false, true}) {
    uniform_ring ring(0x1234ABCD5678ULL, 100, choose_simd_path(portable), 1024, true);
    for (int64_t p = 0; p < 60000; p += 37) {
      ring.ensure_attempts(p, 37);
      for (int64_t q = p; q < p + 37; q++) {
        uint32_t w = ring.attempt_words()[ring.slot(q)];
        ASSERT_EQ(w, attempt_word(ring.uniform(q + 1), ring.uniform(q + 2), ring.uniform(q + 3)))
            << q;
      }
    }
  }
}

#if defined(__x86_64__) || defined(__i386__)
// The AVX2 words at the bins' edges, where its bin arithmetic changes
// branch: quotients of both signs at every power of two from 2^-6 to 2^22
// and one step either side, next to every edge of the finer octaves, vx = 0 (infinite y and NaN), and points just
// outside the disc; each is attempt_word's.
TEST(uniform_ring, avx2_words_agree_at_the_bin_edges) {
  if (choose_simd_path(false) != simd_path::avx2) GTEST_SKIP() << "no AVX2";
  std::vector<double> U;
  auto uniform = [](double v) { return (v + 1) / 2; };  // v = 2u - 1, exact here
  for (int ex = -6; ex <= 22; ex++) {
    for (int64_t step : {-1, 0, 1}) {
      for (double sign : {1.0, -1.0}) {
        // vx = 2^-ex-1 + step 2^-47 and vy = sign/2: |y| next to 2^ex.
        double vx = std::ldexp(1.0, -ex - 1) + std::ldexp(static_cast<double>(step), -47);
        U.push_back(uniform(vx));
        U.push_back(uniform(sign * 0.5));
        U.push_back(0.25);
      }
    }
  }
  // And next to every bin edge inside the octaves around 1, whose bins are
  // finer (one mantissa bit more).
  for (int ex = -3; ex <= 2; ex++) {
    for (int j = 0; j < 64; j++) {
      for (int64_t step : {-1, 1}) {
        double vx = 0.5 / std::ldexp(1.0 + j / 64.0, ex) + std::ldexp(static_cast<double>(step), -47);
        U.push_back(uniform(vx));
        U.push_back(uniform(j % 2 ? 0.5 : -0.5));
        U.push_back(0.25);
      }
    }
  }
  for (double vy : {0.0, 0.5, -0.5}) {
    U.push_back(0.5);  // vx = 0
    U.push_back(uniform(vy));
    U.push_back(0.75);
  }
  U.push_back(uniform(0.8));  // outside the disc: 0.8^2 + 0.7^2 > 1
  U.push_back(uniform(0.7));
  U.push_back(0.5);
  while (U.size() % 8 != 2) U.push_back(0.125);
  int64_t groups = static_cast<int64_t>(U.size() - 2) / 8;
  std::vector<uint32_t> words(static_cast<size_t>(groups) * 8);
  attempt_words_avx2(U.data(), words.data(), groups);
  for (size_t i = 0; i < words.size(); i++)
    ASSERT_EQ(words[i], attempt_word(U[i], U[i + 1], U[i + 2])) << i;
}

// Every fill the processor runs (AVX-512, AVX2) writes the generator's
// uniforms: for every count of groups up to a few rounds (odd counts and
// tails of fewer than sixteen positions included) and starting anywhere
// from well before the ring's end to across it.
TEST(uniform_ring, every_fill_gives_the_generator_uniforms) {
  std::vector<std::pair<const char*, ring_fill_fn>> fills;
  if (choose_simd_path(false) == simd_path::avx2) {
    fills.push_back({"avx2", ring_fill_avx2});
    if (ring_fill_for(simd_path::avx2) != ring_fill_avx2)
      fills.push_back({"avx512", ring_fill_avx512});
  }
  if (fills.empty()) GTEST_SKIP() << "no vector fill on this processor";
  const int64_t mask = 255;
  for (const auto& [name, fill] : fills) {
    for (int64_t groups = 1; groups <= 13; groups++) {
      for (int64_t q : {int64_t{1}, int64_t{200}, int64_t{250}, int64_t{255}, int64_t{256 + 7}}) {
        uint64_t X = 0x1234ABCD5678ULL + static_cast<uint64_t>(groups * 977 + q);
        uint64_t first8[8], x = X;
        for (uint64_t& f : first8) f = x = rand48_next(x);
        std::vector<double> ring(static_cast<size_t>(mask + 1), -1.0);
        fill(ring.data(), mask, q, groups, first8);
        x = X;
        for (int64_t i = 0; i < 4 * groups; i++) {
          x = rand48_next(x);
          ASSERT_EQ(ring[static_cast<size_t>((q + i) & mask)], rand48_uniform(x))
              << name << " groups " << groups << " q " << q << " i " << i;
        }
        // Nothing past the last group is written.
        int64_t after = (q + 4 * groups) & mask;
        EXPECT_EQ(ring[static_cast<size_t>(after)], -1.0) << name;
      }
    }
  }
}

#endif
