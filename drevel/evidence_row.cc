#include "drevel/evidence_row.h"

#include <cmath>
#include <limits>

#include "sites/site_record.h"

namespace drevel {

evidence_row::evidence_row()
    : evidence(std::numeric_limits<double>::quiet_NaN()),
      L_max(std::numeric_limits<double>::quiet_NaN()),
      L_hyp(std::numeric_limits<double>::quiet_NaN()),
      mc_se(std::numeric_limits<double>::quiet_NaN()),
      sev(std::numeric_limits<double>::quiet_NaN()),
      p_hwe(std::numeric_limits<double>::quiet_NaN()),
      p_hwe_midp(std::numeric_limits<double>::quiet_NaN()),
      p_het_excess(std::numeric_limits<double>::quiet_NaN()),
      p_het_deficit(std::numeric_limits<double>::quiet_NaN()),
      p_hwe_se(std::numeric_limits<double>::quiet_NaN()) {}

int alleles_of_cells(size_t c) {
  // k(k+1)/2 = c has the root k = (sqrt(8c + 1) - 1) / 2; checked exactly.
  const double root = (std::sqrt(8.0 * static_cast<double>(c) + 1) - 1) / 2;
  const size_t k = static_cast<size_t>(std::llround(root));
  return k >= 1 && k * (k + 1) / 2 == c && k <= static_cast<size_t>(largest_max_alleles)
             ? static_cast<int>(k)
             : 0;
}

}  // namespace drevel
