// The 48-bit congruential step on 16-bit words with 32-bit products and
// explicit carries, as in the classic portable drand48.
#include "random/rand48.h"

namespace drevel {

namespace {

const uint32_t a[3] = {0xE66D, 0xDEEC, 0x0005};  // 0x5DEECE66D
const uint32_t c = 0x000B;

inline uint32_t lo(uint32_t v) { return v & 0xFFFF; }
inline uint32_t hi(uint32_t v) { return (v >> 16) & 0xFFFF; }
inline uint32_t carry(uint32_t u, uint32_t v) { return u + v > 0xFFFF ? 1 : 0; }

// x <- (a * x + c) mod 2^48.  Every product is of two values below 2^16 and
// fits in 32 bits; all reads use the old words, which are replaced at the end.
void next(uint32_t x[3]) {
  uint32_t p = a[0] * x[0];
  uint32_t p0 = lo(p), p1 = hi(p);
  uint32_t carry0 = carry(p0, c);
  p0 = lo(p0 + c);
  uint32_t carry1 = carry(p1, carry0);
  p1 = lo(p1 + carry0);
  uint32_t q = a[0] * x[1];
  carry0 = carry(p1, lo(q));
  p1 = lo(p1 + lo(q));
  uint32_t r = a[1] * x[0];
  uint32_t x2 = lo(carry0 + carry1 + carry(p1, lo(r)) + hi(q) + hi(r) + a[0] * x[2] +
                   a[1] * x[1] + a[2] * x[0]);
  uint32_t x1 = lo(p1 + lo(r));
  x[2] = x2;
  x[1] = x1;
  x[0] = p0;
}

}  // namespace

// Each word has at most 16 bits and each intermediate at most 48, so every
// operation is exact and the result is X/2^48.
double drand48(rand48_state& state) {
  const double two16m = 1.0 / 65536.0;
  next(state.x);
  return ((state.x[0] * two16m + state.x[1]) * two16m + state.x[2]) * two16m;
}

uint64_t rand48_step(uint64_t X) {
  uint32_t x[3] = {static_cast<uint32_t>(X & 0xFFFF), static_cast<uint32_t>((X >> 16) & 0xFFFF),
                   static_cast<uint32_t>((X >> 32) & 0xFFFF)};
  next(x);
  return static_cast<uint64_t>(x[0]) | static_cast<uint64_t>(x[1]) << 16 |
         static_cast<uint64_t>(x[2]) << 32;
}

}  // namespace drevel
