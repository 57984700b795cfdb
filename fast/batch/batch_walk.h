// The rejection walks of many loci at once, one locus per lane: each step
// takes one attempt in every active lane, at the lane's own position and
// with the table of the lane's own cell.  For the batch engine's units only.
//
// A lane walks its locus's rejection-branch cells draw after draw; the
// product cells between them take a fixed number of uniforms, which the
// lane skips after each accepted attempt.  Each accepted attempt's position
// goes to the lane's record, 100 draws at a time (the stopping rule's
// stride); the kernel then reads the deviates and products there.
#ifndef DREVEL_FAST_BATCH_BATCH_WALK_H
#define DREVEL_FAST_BATCH_BATCH_WALK_H

#include <cstdint>

#include "fast/bounds/acceptance.h"
#include "fast/bounds/rejection_cell.h"
#include "fast/batch/fixed_start_stream.h"
#include "fast/batch/shape_tables.h"

namespace drevel {
namespace batch_internal {

constexpr int max_lanes = 16;
constexpr int program_stride = 32;  // cells of a lane's program, at most
constexpr int block_draws = 100;    // draws between checks of the stopping rule
// Records hold a few draws past the block, copies of its last, so that the
// kernel reads whole vectors of draws.
constexpr int record_draws = block_draws + 4;
constexpr int record_stride = record_draws * program_stride;
// How far ahead of a lane the vector walks prefetch its attempt words: the
// words lie spread over the stream (each lane at its own locus's position),
// mostly outside the first two levels of cache.  Inactive lanes prefetch
// harmlessly (a prefetch never faults).
constexpr int prefetch_ahead = 64;

// The lanes' state, one entry per lane.
struct walk_lanes {
  alignas(64) int32_t p[max_lanes];  // the next attempt's position
  alignas(64) int32_t tab[max_lanes];  // the pool offset of the cell's table
  alignas(64) int32_t ci[max_lanes];   // the cell's program index (lane * stride + cell)
  alignas(64) int32_t cbase[max_lanes];  // lane * stride
  alignas(64) int32_t cend[max_lanes];   // lane * stride + the locus's rejection cells
  alignas(64) int32_t wp[max_lanes];     // where the next accepted position goes
  alignas(64) int32_t wend[max_lanes];   // where the block's record ends
  uint32_t active = 0;  // lanes with a locus
};

// What a walk reads and writes besides the lanes.
struct walk_context {
  const uint32_t* words;  // the stream's words (fixed_start_stream.h)
  const double* U;        // and uniforms
  int32_t limit;          // words below this position are ready
  shape_tables* tables;
  // program[lane * stride + i]: after cell i's attempt is accepted, the next
  // cell's table offset << 8 | the uniforms to skip (product cells).
  const int32_t* program;
  int32_t* records;       // lane l's from l * record_stride
  int64_t literal_tests = 0;
  int64_t steps = 0;
  int64_t attempts = 0;       // lane steps: one attempt of one active lane
  int64_t open_attempts = 0;  // attempts the table left to the squeezes
};

// Why a walk returned: lanes that completed a block (done) and lanes whose
// position reached the limit (beyond).  At least one is non-zero.
struct walk_event {
  uint32_t done = 0, beyond = 0;
};

using walk_fn = walk_event (*)(walk_lanes& lanes, walk_context& context);

walk_event walk_scalar(walk_lanes& lanes, walk_context& context);
walk_event walk_avx2(walk_lanes& lanes, walk_context& context);
walk_event walk_avx512(walk_lanes& lanes, walk_context& context);

// An attempt at q (the position its word leads to) whose table entry left
// it open (u3 between the bounds): gamadev's own steps with the squeezes.
// Returns 1 for an accepted attempt, 0 otherwise, and the uniforms it took
// in *advance (2 for an attempt discarded before u3, else 3).
inline int open_attempt(walk_context& ctx, int32_t tab, int64_t q, int* advance) {
  const rejection_cell& cell = ctx.tables->cell(tab);
  const double* U = ctx.U;
  double u1 = U[q + 1], u2 = U[q + 2];
  double y = ((u2 + u2) - 1) / ((u1 + u1) - 1);
  double x = cell.s * y + cell.am;
  if (x <= 0) {
    *advance = 2;
    return 0;
  }
  *advance = 3;
  return accepts(cell, x, y, U[q + 3], &ctx.literal_tests) ? 1 : 0;
}

// One attempt of lane l, in scalar code (the scalar walk's step, and the
// vector walks' lanes the table leaves open go through open_attempt).
inline void scalar_attempt(walk_lanes& L, walk_context& ctx, int l) {
  uint32_t word = ctx.words[L.p[l]];
  int32_t q = static_cast<int32_t>(stream_word::attempt_at(L.p[l], word));
  uint32_t e = ctx.tables->pool()[L.tab[l] + static_cast<int32_t>(word & stream_word::bin_mask)];
  uint32_t t = word >> 16, lo = e & 0xffff, hi = e >> 16;
  int accept, advance;
  if (t < lo || t >= hi) {
    accept = t < lo;
    advance = hi == 0 ? 2 : 3;
  } else {
    ctx.open_attempts++;
    accept = open_attempt(ctx, L.tab[l], q, &advance);
  }
  if (!accept) {
    L.p[l] = q + advance;
    return;
  }
  ctx.records[L.wp[l]++] = q;
  int32_t g = ctx.program[L.ci[l]];
  L.p[l] = q + 3 + (g & 0xff);
  L.tab[l] = g >> 8;
  L.ci[l] = L.ci[l] + 1 == L.cend[l] ? L.cbase[l] : L.ci[l] + 1;
}

}  // namespace batch_internal
}  // namespace drevel

#endif
