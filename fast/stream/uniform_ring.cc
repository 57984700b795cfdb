// The uniform ring.
#include "fast/stream/uniform_ring.h"

#include <algorithm>

#include "fast/stream/attempt_words.h"
#include "fast/stream/stream_avx2.h"

namespace drevel {

uniform_ring::uniform_ring(uint64_t X, int64_t span, simd_path path, int64_t ahead,
                           bool attempts)
    : ahead_(ahead),
      avx2_(path == simd_path::avx2),
      fill_(ring_fill_for(path)),
      attempts_(attempts) {
  // Small enough to stay in the first-level cache for ordinary loci: a fill
  // runs `ahead` positions ahead, a walk reads at most `span` behind.
  int64_t size = 1 << 12;
  while (size < span + ahead + 1024) size *= 2;
  uniforms_.resize(static_cast<size_t>(size) + 1);
  mask_ = size - 1;
  uniforms_[0] = rand48_uniform(X);
  uniforms_[static_cast<size_t>(size)] = 1.0;
  if (attempts_) {
    word_.resize(static_cast<size_t>(size));
  }
  jumps_.resize(9);  // the fill's first eight lanes
  jumps_[0] = {1, 0};
  for (size_t n = 1; n < jumps_.size(); n++)
    jumps_[n] = {(rand48_A * jumps_[n - 1].a) & rand48_mask,
                 (rand48_A * jumps_[n - 1].c + rand48_C) & rand48_mask};
}

// Four interleaved chains, each jumping four steps, so that consecutive
// multiplies do not wait on each other.
void uniform_ring::fill(int64_t p) {
  advance((std::max(p, end_) + ahead_ - end_ + 7) / 8 * 8);
}

void uniform_ring::advance(int64_t n) {
  constexpr rand48_jump j4 = rand48_jump_of(4);
  int64_t target = end_ + n;
  if (fill_) {
    int64_t groups = (target - end_) / 4;
    // The eight lanes' first states by independent jumps, not a chain of
    // steps: a short fill (the rejection walker's) then starts at once.
    uint64_t X = state(end_), first8[8];
    for (int i = 0; i < 8; i++) first8[i] = (jumps_[i + 1].a * X + jumps_[i + 1].c) & rand48_mask;
    fill_(uniforms_.data(), mask_, end_ + 1, groups, first8);
    end_ += 4 * groups;
    return;
  }
  uint64_t x1 = rand48_next(state(end_));
  uint64_t x2 = rand48_next(x1), x3 = rand48_next(x2), x4 = rand48_next(x3);
  int64_t q = end_ + 1;
  for (; q + 3 <= target; q += 4) {
    uniforms_[slot(q)] = rand48_uniform(x1);
    uniforms_[slot(q + 1)] = rand48_uniform(x2);
    uniforms_[slot(q + 2)] = rand48_uniform(x3);
    uniforms_[slot(q + 3)] = rand48_uniform(x4);
    x1 = (j4.a * x1 + j4.c) & rand48_mask;
    x2 = (j4.a * x2 + j4.c) & rand48_mask;
    x3 = (j4.a * x3 + j4.c) & rand48_mask;
    x4 = (j4.a * x4 + j4.c) & rand48_mask;
  }
  end_ = q - 1;
}

// Attempt words for positions p .. p + n - 1 (and up to 7 more, for whole groups),
// from binned_end_ + 1 where the stretch continues the last one.  Eight at
// a time where the stretch's uniforms lie contiguously in the ring (with
// AVX2), one at a time elsewhere.
void uniform_ring::bin_stretch(int64_t p, int64_t n) {
  int64_t from = p > binned_end_ ? p : binned_end_ + 1;
  int64_t last = from + (p + n - from + 7) / 8 * 8 - 1;
  ensure(last + 3);
  const double* U = uniforms_.data();
  for (int64_t q = from; q <= last;) {
    int64_t s = static_cast<int64_t>(slot(q));
    int64_t groups = 0;
#if defined(__x86_64__) || defined(__i386__)
    // Positions s .. mask_ - 3 read U[s + 1 .. s + 3] without wrapping.
    if (avx2_) groups = std::min(last - q + 1, mask_ - 2 - s) / 8;
#endif
    if (groups > 0) {
      attempt_words_avx2(U + s + 1, word_.data() + s, groups);
      q += 8 * groups;
      continue;
    }
    word_[slot(q)] = attempt_word(U[slot(q + 1)], U[slot(q + 2)], U[slot(q + 3)]);
    q++;
  }
  binned_end_ = last;
}

}  // namespace drevel
