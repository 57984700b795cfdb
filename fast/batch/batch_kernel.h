// The log-kernel of a block of draws of one locus, from the uniforms at the
// positions the walk recorded: the per-site engine's portable kernel
// (fast_kernel_portable, cell by cell in the plan's layout) draw by draw, or
// the same operations on 4 (AVX2) or 8 (AVX-512) draws at once, each lane
// bit-identical to the scalar evaluation.  For the batch engine's units only.
#ifndef DREVEL_FAST_BATCH_BATCH_KERNEL_H
#define DREVEL_FAST_BATCH_BATCH_KERNEL_H

#include <cstdint>

#include "fast/batch/batch_plan.h"
#include "fast/batch/batch_walk.h"

namespace drevel {
namespace batch_internal {

// A block's draws: L, A and ok of fast_kernel_result, draw by draw (the
// extra term is the plan's constant), and the per-site decider's verdict
// from the bound: hit (1: a hit the bound settles) and open (1: the bound
// leaves the draw to the literal replay; its hit is then 0).
struct block_values {
  alignas(64) double L[record_draws];
  alignas(64) double A[record_draws];
  alignas(64) uint8_t ok[record_draws];
  alignas(64) uint8_t hit[record_draws];
  alignas(64) uint8_t open[record_draws];
  // The vector kernels' scratch: each cell's G and each draw's smallest
  // product, over the whole block.
  alignas(64) double G[program_stride][record_draws];
  alignas(64) double minP[record_draws];
};

// Draws 0 .. n-1 (n a multiple of 4, at most record_draws): draw j starts at
// starts[j] and its accepted attempts are at accepted[j r .. j r + r).
// Prefetches the uniforms of positions from .. to (the span a few draws read).
inline void prefetch_uniforms(const double* U, int32_t from, int32_t to) {
  for (int32_t p = from & ~7; p <= to + 3; p += 8) __builtin_prefetch(U + p);
}

using block_kernel_fn = void (*)(const batch_plan& bp, const double* U, const int32_t* accepted,
                                 const int32_t* starts, int n, block_values* out);

void block_kernel_scalar(const batch_plan& bp, const double* U, const int32_t* accepted,
                         const int32_t* starts, int n, block_values* out);
// The same values, 4 or 8 draws at once (n a multiple of 8); x86 only, and
// only on processors with the instruction set (batch_dispatch chooses).
void block_kernel_avx2(const batch_plan& bp, const double* U, const int32_t* accepted,
                       const int32_t* starts, int n, block_values* out);
void block_kernel_avx512(const batch_plan& bp, const double* U, const int32_t* accepted,
                         const int32_t* starts, int n, block_values* out);

}  // namespace batch_internal
}  // namespace drevel

#endif
