// Per-cell tables that decide most of gamadev's rejection-branch attempts
// with one lookup.  An attempt's y = vy/vx does not depend on the cell, so
// the stream computes it, and the bin it falls in, for every position ahead
// of the walk (fast/stream/attempt_words.h); the cell's table holds, for
// each bin, bounds lo <= e <= hi on gamadev's acceptance value e over every
// y of the bin.  u3 <= lo accepts and u3 > hi rejects without any
// arithmetic on the attempt's critical path; only u3 between the two (a few
// per cent) is left to the squeezes and the library.  A bin of y where
// x = s y + am is surely not positive rejects before u3, as gamadev does.
//
// The bounds come from the monotonicity of e's two factors on each side of
// y = 0 and carry a margin for gamadev's rounding and the library's error
// (docs/fast-engine.md, "The rejection tables").  Bins are filled the first
// time an attempt lands in them, so a short run pays only for what it uses.
#ifndef DREVEL_FAST_BOUNDS_REJECTION_TABLE_H
#define DREVEL_FAST_BOUNDS_REJECTION_TABLE_H

#include <cstdint>
#include <cstring>
#include <vector>

#include "fast/bounds/rejection_cell.h"

namespace drevel {

namespace rejection_table_detail {

// |y| below 2^-4 is one bin per sign; 2^-4 <= |y| < 2^6 is split by the
// top mantissa bits into 32 bins per octave, and into 64 bins per octave in
// 2^-2 <= |y| < 2^2, where the attempts that the tables leave open gather
// (nine in ten of them, with 32 bins an octave there); 2^6 <= |y| < 2^20 is one bin per octave (y
// lands there in about one attempt in two hundred, and on the positive side
// e is far below 2^-15 for every shape, so the bin's hi alone rejects);
// |y| >= 2^20 (infinity included) is one bin per sign; NaN has a bin of its
// own.
constexpr int octave_bits = 5;
constexpr int fine_octave_bits = 6;
constexpr int first_exponent = -4, last_exponent = 6;  // binned octaves [2^-4, 2^6)
constexpr int fine_first_exponent = -2, fine_last_exponent = 2;  // finer ones [2^-2, 2^2)
constexpr int coarse_end_exponent = 20;                // coarse octaves [2^6, 2^20)
// Bins of the octaves below the finer ones, and of the finer ones.
constexpr int low_fine_bins = (fine_first_exponent - first_exponent) << octave_bits;
constexpr int finer_bins = (fine_last_exponent - fine_first_exponent) << fine_octave_bits;
// What the finer octaves add to a 32-a-octave count of the octaves above them.
constexpr int finer_extra =
    finer_bins - ((fine_last_exponent - fine_first_exponent) << octave_bits);
constexpr int first_coarse_bin =
    1 + ((last_exponent - first_exponent) << octave_bits) + finer_extra;
constexpr int side_bins = first_coarse_bin + (coarse_end_exponent - last_exponent) + 1;
constexpr int nan_bin = 0;
constexpr int disc_bin = 1 + 2 * side_bins;  // outside the unit disc
constexpr int bins = disc_bin + 1;
// |yf/y - 1| <= 2^-20: two conversions and a division in float.
constexpr double float_widening = 0x1p-20;

}  // namespace rejection_table_detail

// The bin of an attempt's y from the bits of yf = fl_float(vy)/fl_float(vx)
// (float arithmetic: eight lanes per instruction where vectorised), which
// lies within a factor 1 +- 2^-20 of y = vy/vx; the bins' bounds cover
// that widening.
inline uint16_t rejection_bin_of_float(float yf) {
  using namespace rejection_table_detail;
  uint32_t b;
  std::memcpy(&b, &yf, sizeof b);
  int ex = static_cast<int>((b >> 23) & 0xff) - 127;
  if (ex == 128 && (b & ((1U << 23) - 1))) return nan_bin;
  int k;
  if (ex < first_exponent)
    k = 0;
  else if (ex >= coarse_end_exponent)
    k = side_bins - 1;
  else if (ex >= last_exponent)
    k = first_coarse_bin + (ex - last_exponent);
  else if (ex < fine_first_exponent || ex >= fine_last_exponent)
    k = 1 + (((ex - first_exponent) << octave_bits) |
             static_cast<int>((b >> (23 - octave_bits)) & ((1 << octave_bits) - 1))) +
        (ex >= fine_last_exponent ? finer_extra : 0);
  else
    k = 1 + low_fine_bins +
        (((ex - fine_first_exponent) << fine_octave_bits) |
         static_cast<int>((b >> (23 - fine_octave_bits)) & ((1 << fine_octave_bits) - 1)));
  return static_cast<uint16_t>(1 + static_cast<int>(b >> 31) * side_bins + k);
}

// The bin of the attempt with uniforms u1, u2: disc_bin when gamadev's
// (vx, vy) lies outside the unit disc (it discards the attempt and takes
// two new uniforms), else the bin of its y.
inline uint16_t attempt_bin(double u1, double u2) {
  double vx = (u1 + u1) - 1, vy = (u2 + u2) - 1;
  if (vx * vx + vy * vy > 1) return rejection_table_detail::disc_bin;
  return rejection_bin_of_float(static_cast<float>(vy) / static_cast<float>(vx));
}

// floor(u3 2^15), exact: u3 is a multiple of 2^-48 in [0, 1).
inline uint32_t top_bits(double u3) {
  return static_cast<uint32_t>(static_cast<int32_t>(u3 * 0x1p15));
}

// What the tables know of gamadev's acceptance value e over a range of
// attempts of one sign of y, all with x = s y + am > 0 unless discarded.
struct acceptance_bounds {
  enum kind_t {
    open,       // nothing: the squeezes decide
    bounded,    // lo <= e <= hi for every attempt of the range
    discarded,  // gamadev finds x <= 0 for every attempt of the range
  } kind = open;
  double lo = 0, hi = 0;
};

// The bounds over the attempts whose y = vy/vx (double) has
// inner <= |y| <= outer and the sign given (negative: y <= 0), from the
// monotonicity of e's two factors, widened by the margin 2E for gamadev's
// rounding and the library's error and by (1 +- 2^-40) for their own
// (docs/fast-engine.md, "The rejection tables").  Open where E > 2^-10, for
// outer = infinity, and for negative ranges that reach towards x = 0.
acceptance_bounds bounds_over_y(const rejection_cell& cell, double inner, double outer,
                                bool negative);

// The same over the attempts whose single-precision quotient yf (the bins'
// measure) has inner <= |yf| <= outer: y then lies within a factor
// 1 +- float_widening of yf, and the range is widened by that before
// bounds_over_y.
acceptance_bounds bounds_over_float_y(const rejection_cell& cell, double inner, double outer,
                                      bool negative);

// The bounds of a bin against t = floor(u3 2^15), the top fifteen bits of
// u3's 48-bit state: t < lo accepts (u3 < lo 2^-15 <= e), t >= hi rejects
// (u3 >= hi 2^-15 > e); integers keep the comparison off the floating-point
// pipeline's latency.  hi = 0 marks a bin whose attempts gamadev discards
// before u3 (outside the disc, or x <= 0 for every y of the bin): they are
// rejected and take two uniforms, not three.  lo = 0, hi = 0xffff leaves
// every attempt to the squeezes (bins not yet filled included).
struct rejection_bounds {
  uint16_t lo, hi;
};

// The tables of a draw's rejection-branch cells, cell after cell, each
// `bins` entries long, so that a walk through consecutive cells moves from
// one table to the next by a fixed stride.
class rejection_tables {
 public:
  explicit rejection_tables(const std::vector<rejection_cell>& cells);
  // Cell i's table; cell i + 1's starts rejection_table_detail::bins further.
  const rejection_bounds* entries(int i) const {
    return entries_.data() + static_cast<size_t>(i) * rejection_table_detail::bins;
  }
  bool filled(int i, int bin) const { return filled_[index(i, bin)] != 0; }
  // Computes the bounds of one bin of cell i (idempotent).
  void fill(int i, int bin);

 private:
  static size_t index(int i, int bin) {
    return static_cast<size_t>(i) * rejection_table_detail::bins + static_cast<size_t>(bin);
  }
  std::vector<rejection_cell> cells_;
  std::vector<rejection_bounds> entries_;
  std::vector<uint8_t> filled_;
};

// The entry of one bin of a cell's table: what rejection_tables::fill
// writes there (the disc bin discarded, the NaN bin open).
rejection_bounds rejection_bin_bounds(const rejection_cell& cell, int bin);

// The range of |yf| of a bin (inner <= |yf| <= outer, outer = infinity for
// the last bin of a side) and its sign (true: y <= 0); false for the NaN
// and disc bins.
bool rejection_bin_range(int bin, double* inner, double* outer, bool* negative);

}  // namespace drevel

#endif
