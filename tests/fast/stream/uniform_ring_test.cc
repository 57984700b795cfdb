#include "fast/stream/uniform_ring.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fast/stream/attempt_words.h"
#include "fast/stream/cpu_dispatch.h"
#include "fast/stream/stream_avx2.h"
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

// The AVX2 words at the bins' edges, where its bin arithmetic changes
// branch: quotients of both signs at every power of two from 2^-6 to 2^22
// and one step either side, vx = 0 (infinite y and NaN), and points just
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
