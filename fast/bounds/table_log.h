// A logarithm from a table of 256 subintervals, for the squeezed rejection
// test (docs/fast-engine.md, "table_log"): no division, short dependency
// chains, and an error bound that is absolute plus relative.
#ifndef DREVEL_FAST_BOUNDS_TABLE_LOG_H
#define DREVEL_FAST_BOUNDS_TABLE_LOG_H

#include <cstddef>
#include <cstdint>

#include "fast/bounds/fast_log.h"

namespace drevel {

namespace table_log_detail {

constexpr int table_bits = 8;
constexpr int table_size = 1 << table_bits;

// For each of 256 subintervals of [sqrt(1/2), sqrt(2)) (split by the top
// bits of the reduced mantissa): the reciprocal of its midpoint and minus
// the logarithm of that reciprocal, from the long double library.
struct log_table {
  double inv_c[table_size];
  double log_c[table_size];
  log_table();
};
extern const log_table table;

}  // namespace table_log_detail

// ln x for positive normal x, within 2^-40 (1 + |ln x|).  Method: x = 2^k m,
// m in [sqrt(1/2), sqrt(2)) (fast_log's reduction); with c the midpoint of
// m's subinterval, r = m (1/c) - 1 (|r| < 2^-8, the subtraction exact) and
// ln x = (k ln2_hi + ln c) + (r - r^2/2 + r^3/3 - r^4/4 + k ln2_lo).
inline double table_log(double x) {
  using namespace fast_log_detail;
  using namespace table_log_detail;
  uint64_t ix, reduced;
  reduce_log_bits(x, ix, reduced);
  size_t i = static_cast<size_t>((reduced >> (52 - table_bits)) & (table_size - 1));
  double m, k;
  reduce_log_split(ix, reduced, m, k);
  double r = m * table.inv_c[i] - 1.0;
  double r2 = r * r;
  double p = (r + r2 * (-0.5 + r * (1.0 / 3))) + (r2 * r2) * -0.25;
  return (k * ln2_hi + table.log_c[i]) + (p + k * ln2_lo);
}

}  // namespace drevel

#endif
