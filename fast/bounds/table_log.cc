// The table of table_log.
#include "fast/bounds/table_log.h"

#include <cmath>
#include <cstring>

namespace drevel {
namespace table_log_detail {

// Subinterval i holds the m whose bits lie in
// [bits(sqrt(1/2)) + i 2^44, bits(sqrt(1/2)) + (i+1) 2^44); c is the double
// at the middle bit pattern.  Below 1 a subinterval is 2^-9 wide, above 1
// 2^-8, so |m/c - 1| < 2^-8 (the one that contains 1 included).
log_table::log_table() {
  using fast_log_detail::sqrt_half_bits;
  for (int i = 0; i < table_size; i++) {
    uint64_t mid = sqrt_half_bits + (static_cast<uint64_t>(2 * i + 1) << (52 - table_bits - 1));
    double c;
    std::memcpy(&c, &mid, sizeof c);
    inv_c[i] = 1 / c;
    log_c[i] = static_cast<double>(-std::log(static_cast<long double>(inv_c[i])));
  }
}

const log_table table;

}  // namespace table_log_detail
}  // namespace drevel
