#include "sites/tuning.h"

#include <cstdint>

namespace drevel {

tuning_status apply_tuning_defaults(int c, double* precision, long long* minmc,
                                    long long* maxmc) {
  if (*precision == 0) *precision = 0.005;
  if (*minmc == 0) {
    if (500LL * c > INT32_MAX) return tuning_status::minmc_overflow;
    *minmc = 500LL * c;
  }
  if (*maxmc == 0) {
    if (10000LL * c > INT32_MAX) return tuning_status::maxmc_overflow;
    *maxmc = 10000LL * c;
  }
  return tuning_status::ok;
}

}  // namespace drevel
