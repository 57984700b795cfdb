// The 48-bit uniform stream by position, generated ahead in blocks, with
// what the rejection-branch gamma attempts need from each position computed
// in bulk as it is generated.
#ifndef DREVEL_FAST_STREAM_UNIFORM_RING_H
#define DREVEL_FAST_STREAM_UNIFORM_RING_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fast/stream/cpu_dispatch.h"
#include "random/rand48_access.h"

namespace drevel {

// Position 0 is the state the ring starts from, position p the state after
// the p-th uniform.  Positions stay readable for the ring's size - 2048
// further ones.  One slot past the ring holds 1.0, for factors a cell does
// not take.
//
// With attempts on, each position p also has an attempt word for an attempt
// of gamadev's rejection branch starting there (u1 = U(p+1), u2 = U(p+2),
// u3 = U(p+3)): its rejection bin in the low 16 bits (attempt_bin) and
// floor(u3 2^15) in the high 16 (attempt_words.h), so that one load gives
// an attempt all it needs for the table.
class uniform_ring {
 public:
  // A ring that keeps at least `span` positions readable behind the newest
  // and generates `ahead` positions past each request, with the path's code.
  uniform_ring(uint64_t X, int64_t span, simd_path path, int64_t ahead = 1024,
               bool attempts = false);
  // The state is the uniform times 2^48, exactly (both hold 48 bits).
  uint64_t state(int64_t p) const {
    return static_cast<uint64_t>(static_cast<int64_t>(uniforms_[slot(p)] * 0x1p48));
  }
  double uniform(int64_t p) const { return uniforms_[slot(p)]; }
  size_t slot(int64_t p) const { return static_cast<size_t>(p & mask_); }
  int64_t mask() const { return mask_; }
  const double* uniforms() const { return uniforms_.data(); }
  const uint32_t* attempt_words() const { return word_.data(); }
  // Makes positions up to p readable.
  void ensure(int64_t p) {
    if (p > end_) fill(p);
  }
  // Makes the bins of positions p .. p + n - 1 readable, and the uniforms
  // up to p + n + 2 (an attempt's three): a walk about to take a few
  // rejection-branch deviates asks for what it will likely read, so that
  // positions only the product cells read are never binned.  p must not
  // decrease from call to call.  Needs attempts on.
  void ensure_attempts(int64_t p, int64_t n) {
    if (p + n - 1 > binned_end_) bin_stretch(p, n);
  }
  // The same for position p, binning a further stretch when needed.
  void ensure_attempt(int64_t p) {
    if (p > binned_end_) bin_stretch(p, 32);
  }

 private:
  void fill(int64_t p);
  void advance(int64_t n);  // about n more positions
  void bin_stretch(int64_t p, int64_t n);
  std::vector<double> uniforms_;
  std::vector<rand48_jump> jumps_;  // jumps_[n]: n steps at once, n <= 8
  std::vector<uint32_t> word_;
  int64_t mask_;
  int64_t end_ = 0;
  int64_t binned_end_ = -1;  // bins known from the last stretch's start up to here
  int64_t ahead_;
  bool avx2_;
  ring_fill_fn fill_;  // the path's fill (null: the scalar one)
  bool attempts_;
};

}  // namespace drevel

#endif
