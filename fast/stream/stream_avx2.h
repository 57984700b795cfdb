// The stream's AVX2 code, for x86 processors that have it (the caller checks
// with cpu_dispatch.h): the generator's fill and the attempt words, eight
// positions at a time, with exactly the values of the scalar code.
#ifndef DREVEL_FAST_STREAM_STREAM_AVX2_H
#define DREVEL_FAST_STREAM_STREAM_AVX2_H

#include <cstdint>

namespace drevel {

// `groups` groups of four uniforms from position q on, whose states
// first8[0..8) are X(q) .. X(q + 7), into the ring `uniforms` (index
// q & mask): the uniforms rand48_uniform gives.
void ring_fill_avx2(double* uniforms, int64_t mask, int64_t q, int64_t groups,
                    const uint64_t* first8);

// The attempt words of positions p .. p + 8 groups - 1 into words[0 ...],
// from the uniforms U[0 ...] = U(p + 1) ... stored contiguously; the values
// attempt_word gives.
void attempt_words_avx2(const double* U, uint32_t* words, int64_t groups);

}  // namespace drevel

#endif
