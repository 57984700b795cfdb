#include "fast/batch/fixed_start_stream.h"

#include <algorithm>

#include "fast/stream/attempt_words.h"
#include "random/rand48.h"
#include "random/rand48_access.h"

namespace drevel {

namespace {

int64_t clamp_capacity(int64_t capacity) {
  return std::min<int64_t>(std::max<int64_t>(capacity, 64), int64_t{1} << 30);
}

// Uniforms computed beyond the last word's position: the word's attempt may
// lie 2 max_disc_skip further, and it reads three uniforms from there.
constexpr int64_t lookahead = 3 + 2 * stream_word::max_disc_skip;

static_assert(rejection_table_detail::bins <= static_cast<int>(stream_word::bin_mask) + 1,
              "a bin fits below the skip field");
static_assert(rejection_table_detail::disc_bin <= static_cast<int>(stream_word::bin_mask),
              "the disc bin fits below the skip field");

}  // namespace

// new[] without an initialiser leaves the pages untouched: the operating
// system maps them only when a stretch is first written.
fixed_start_stream::fixed_start_stream(int64_t capacity)
    : capacity_(clamp_capacity(capacity)),
      U_(new double[static_cast<size_t>(capacity_ + lookahead)]),
      words_(new uint32_t[static_cast<size_t>(capacity_)]) {
  X_ = rand48_access::get(rand48_state());
  U_[0] = rand48_uniform(X_);
}

fixed_start_stream& fixed_start_stream::process() {
  static fixed_start_stream stream;
  return stream;
}

// Each stretch doubles what is ready (at least 2^16 positions) up to 2^20
// positions a stretch, so that a long locus extends the stream a few times
// only, and the few loci that run far take the memory they reach, not twice
// it.
int64_t fixed_start_stream::extend(int64_t p) {
  std::lock_guard<std::mutex> lock(extending_);
  int64_t ready = ready_.load(std::memory_order_relaxed);
  if (p <= ready) return ready;
  const int64_t stretch = std::min(std::max(ready, int64_t{1} << 16), int64_t{1} << 20);
  int64_t target = std::min(capacity_, std::max(p, ready + stretch));
  double* U = U_.get();
  for (; computed_ < target + lookahead - 1; computed_++) {
    X_ = rand48_next(X_);
    U[computed_ + 1] = rand48_uniform(X_);
  }
  uint32_t* words = words_.get();
  for (int64_t p = ready; p < target; p++) {
    uint32_t k = 0, w = attempt_word(U[p + 1], U[p + 2], U[p + 3]);
    while ((w & stream_word::bin_mask) == rejection_table_detail::disc_bin &&
           k < stream_word::max_disc_skip) {
      k++;
      w = attempt_word(U[p + 2 * k + 1], U[p + 2 * k + 2], U[p + 2 * k + 3]);
    }
    words[p] = w | k << stream_word::skip_shift;
  }
  ready_.store(target, std::memory_order_release);
  return target;
}

}  // namespace drevel
