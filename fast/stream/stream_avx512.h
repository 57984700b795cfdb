// The stream's AVX-512 code, for x86 processors with AVX-512F and DQ (the
// caller checks with cpu_features.h): the generator's fill, sixteen
// positions at a time, with exactly the values of the scalar code.
#ifndef DREVEL_FAST_STREAM_STREAM_AVX512_H
#define DREVEL_FAST_STREAM_STREAM_AVX512_H

#include <cstdint>

namespace drevel {

// As ring_fill_avx2 (stream_avx2.h): `groups` groups of four uniforms from
// position q, whose states first8[0..8) are X(q) .. X(q + 7), into the ring
// `uniforms` (index q & mask).
void ring_fill_avx512(double* uniforms, int64_t mask, int64_t q, int64_t groups,
                      const uint64_t* first8);

}  // namespace drevel

#endif
