// The bounds of the rejection tables.
#include "fast/bounds/rejection_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace drevel {

using namespace rejection_table_detail;

namespace {

constexpr rejection_bounds squeezes_only{0, 0xffff}, discarded{0, 0};

// The entry of bounds lo <= e <= hi: t < floor(lo 2^15) means
// u3 < (t + 1) 2^-15 <= lo, and t >= floor(hi 2^15) + 1 means u3 > hi.
rejection_bounds bounds_entry(double lo, double hi) {
  double l = std::floor(std::min(lo, 1.0) * 0x1p15);
  double h = std::floor(std::min(hi, 2.0) * 0x1p15) + 1;
  return {static_cast<uint16_t>(l > 0 ? l : 0), static_cast<uint16_t>(h < 0xffff ? h : 0xffff)};
}

}  // namespace

namespace {

// 2^e for the bins' exponents, from its bits: exact, as ldexp is, without
// the library call that made up a third of a bin's fill.
double power_of_two(int e) {
  uint64_t b = static_cast<uint64_t>(1023 + e) << 52;
  double v;
  std::memcpy(&v, &b, sizeof v);
  return v;
}

}  // namespace

bool rejection_bin_range(int bin, double* inner, double* outer, bool* negative) {
  if (bin == nan_bin || bin < 1 || bin >= disc_bin) return false;
  int k = (bin - 1) % side_bins;
  *negative = (bin - 1) >= side_bins;
  if (k == 0) {
    *inner = 0;
    *outer = power_of_two(first_exponent);
  } else if (k == side_bins - 1) {
    *inner = power_of_two(coarse_end_exponent);
    *outer = std::numeric_limits<double>::infinity();
  } else if (k >= first_coarse_bin) {
    *inner = power_of_two(last_exponent + (k - first_coarse_bin));
    *outer = 2 * *inner;
  } else {
    // 1 + j 2^-bits and its product by 2^ex are exact (at most seven
    // significant bits).
    int j = k - 1, ex, bits;
    if (j < low_fine_bins) {
      bits = octave_bits;
      ex = first_exponent + (j >> bits);
    } else if (j < low_fine_bins + finer_bins) {
      j -= low_fine_bins;
      bits = fine_octave_bits;
      ex = fine_first_exponent + (j >> bits);
    } else {
      j -= low_fine_bins + finer_bins;
      bits = octave_bits;
      ex = fine_last_exponent + (j >> bits);
    }
    j &= (1 << bits) - 1;
    double step = power_of_two(-bits), scale = power_of_two(ex);
    *inner = (1.0 + j * step) * scale;
    *outer = (1.0 + (j + 1) * step) * scale;
  }
  return true;
}

rejection_tables::rejection_tables(const std::vector<rejection_cell>& cells)
    : cells_(cells),
      entries_(cells.size() * bins, squeezes_only),
      filled_(cells.size() * bins, 0) {
  for (size_t i = 0; i < cells.size(); i++) {
    entries_[i * bins + disc_bin] = discarded;
    filled_[i * bins + disc_bin] = 1;
  }
}

// gamadev's acceptance value, in exact arithmetic, is
//   f(y) = (1 + y^2) exp(h(y)),  h(y) = am ln(1 + s y/am) - s y,
// where x = s y + am > 0.  h' = -s^2 y/(am + s y): h falls away from y = 0
// on both sides, and 1 + y^2 rises.  So over a range of one sign, with
// |y| from inner to outer,
//   (1 + inner^2) exp(h(+-outer)) <= f <= (1 + outer^2) exp(h(+-inner)).
// gamadev's computed e lies within a factor exp(+-E) of f(y), and the bounds
// as computed here within the same factor of their exact values, where
//   E <= 2^-39 (am (|s y|/x + 3) + 3 |am ln(x/am)| + 3 |s y| + 8)
// at the range's outer end (every term grows with |y|); hence the margin 2E
// on each side.  Tiny bounds leave the relative-error model (subnormal
// results): lo is lowered to 0 there, and hi below 2^-15 needs no care
// (the table's entry rounds it up to 2^-15).
acceptance_bounds bounds_over_y(const rejection_cell& cell, double inner, double outer,
                                bool negative) {
  acceptance_bounds r;
  if (!cell.squeeze) return r;
  const double am = cell.am, s = cell.s;
  if (negative) {
    // fl(s t) >= fl(am (1 + 2^-48)) for t = inner means s t (1 - u) >= am
    // for every t >= inner: fl(fl(-s t) + am) <= 0, and gamadev rejects.
    if (s * inner >= am * (1 + 0x1p-48)) {
      r.kind = acceptance_bounds::discarded;
      return r;
    }
    // Ranges that reach towards x = 0 are left to the squeezes.
    if (!(s * outer <= am * (1 - 0x1p-10))) return r;
  }
  if (!std::isfinite(outer)) return r;
  double sign = negative ? -1 : 1;
  double sy_in = s * (sign * inner), sy_out = s * (sign * outer);
  double x_in = sy_in + am, x_out = sy_out + am;
  double A_in = am * std::log(x_in / am), A_out = am * std::log(x_out / am);
  double h_in = A_in - sy_in, h_out = A_out - sy_out;
  double E = 0x1p-39 * (am * (std::fabs(sy_out) / x_out + 3) + 3 * std::fabs(A_out) +
                        3 * std::fabs(sy_out) + 8);
  if (!(E <= 0x1p-10)) return r;
  double hi = (1 + outer * outer) * std::exp(h_in) * (1 + 2 * E) * (1 + 0x1p-40);
  double lo = (1 + inner * inner) * std::exp(h_out) * (1 - 2 * E) * (1 - 0x1p-40);
  if (!std::isfinite(hi) || !std::isfinite(lo)) return r;
  if (!(lo >= 0x1p-900)) lo = 0;
  r.kind = acceptance_bounds::bounded;
  r.lo = lo;
  r.hi = hi;
  return r;
}

acceptance_bounds bounds_over_float_y(const rejection_cell& cell, double inner, double outer,
                                      bool negative) {
  return bounds_over_y(cell, inner * (1 - float_widening), outer * (1 + float_widening),
                       negative);
}

rejection_bounds rejection_bin_bounds(const rejection_cell& cell, int bin) {
  if (bin == disc_bin) return discarded;
  double inner, outer;
  bool negative;
  if (!rejection_bin_range(bin, &inner, &outer, &negative)) return squeezes_only;
  acceptance_bounds b = bounds_over_float_y(cell, inner, outer, negative);
  if (b.kind == acceptance_bounds::discarded) return discarded;
  if (b.kind == acceptance_bounds::bounded) return bounds_entry(b.lo, b.hi);
  return squeezes_only;
}

void rejection_tables::fill(int i, int bin) {
  if (filled(i, bin)) return;
  filled_[index(i, bin)] = 1;
  entries_[index(i, bin)] = rejection_bin_bounds(cells_[static_cast<size_t>(i)], bin);
}

}  // namespace drevel
