// An attempt word: what the rejection walk needs from a stream position p
// for an attempt of gamadev's rejection branch starting there (u1 = U(p+1),
// u2 = U(p+2), u3 = U(p+3)), in one 32-bit load: the attempt's rejection bin
// in the low 16 bits and floor(u3 2^15) in the high 16
// (fast/bounds/rejection_table.h).
#ifndef DREVEL_FAST_STREAM_ATTEMPT_WORDS_H
#define DREVEL_FAST_STREAM_ATTEMPT_WORDS_H

#include <cstdint>

#include "fast/bounds/rejection_table.h"

namespace drevel {

// attempt_bin(u1, u2) | top_bits(u3) << 16.
inline uint32_t attempt_word(double u1, double u2, double u3) {
  return attempt_bin(u1, u2) | top_bits(u3) << 16;
}

}  // namespace drevel

#endif
