#include "fast/stream/uniform_ring.h"

#include <gtest/gtest.h>

#include "fast/stream/attempt_words.h"
#include "fast/stream/cpu_dispatch.h"
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
