// Raw access to a rand48_state for engines that step the 48-bit stream in
// bulk with 64-bit integers (the fast engines, fast/).  Not for other
// callers: rand48.h still offers no way to seed a stream, and an engine only
// ever writes back a value that it read from a stream and advanced by whole
// steps.
#ifndef DREVEL_RANDOM_RAND48_ACCESS_H
#define DREVEL_RANDOM_RAND48_ACCESS_H

#include <cstdint>

#include "random/rand48.h"

namespace drevel {

// X(n+1) = (A X(n) + C) mod 2^48: the same step as drand48, in one 64-bit
// multiply (the low 48 bits of a 64-bit product are exact).
constexpr uint64_t rand48_A = 0x5DEECE66DULL;
constexpr uint64_t rand48_C = 0xBULL;
constexpr uint64_t rand48_mask = (1ULL << 48) - 1;

inline uint64_t rand48_next(uint64_t X) { return (rand48_A * X + rand48_C) & rand48_mask; }

// The uniform of state X: X / 2^48, exact because X has at most 48 bits.
inline double rand48_uniform(uint64_t X) {
  return static_cast<double>(static_cast<int64_t>(X)) * 0x1p-48;  // signed: one instruction
}

// A jump of n steps, X -> (a_n X + c_n) mod 2^48, for interleaved streams.
struct rand48_jump {
  uint64_t a, c;
};
constexpr rand48_jump rand48_jump_of(int n) {
  uint64_t a = 1, c = 0;
  for (int i = 0; i < n; i++) {
    a = (rand48_A * a) & rand48_mask;
    c = (rand48_A * c + rand48_C) & rand48_mask;
  }
  return {a, c};
}

struct rand48_access {
  static uint64_t get(const rand48_state& s) {
    return static_cast<uint64_t>(s.x[0]) | static_cast<uint64_t>(s.x[1]) << 16 |
           static_cast<uint64_t>(s.x[2]) << 32;
  }
  static void set(rand48_state& s, uint64_t X) {
    s.x[0] = static_cast<uint32_t>(X & 0xFFFF);
    s.x[1] = static_cast<uint32_t>((X >> 16) & 0xFFFF);
    s.x[2] = static_cast<uint32_t>((X >> 32) & 0xFFFF);
  }
};

}  // namespace drevel

#endif
