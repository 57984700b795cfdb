#include "sites/heterozygosity.h"

namespace drevel {

heterozygosity group_heterozygosity(const group_counts& group) {
  heterozygosity out;
  if (group.called <= 0) return out;
  const double n = static_cast<double>(group.called);
  const double copies = 2 * n;
  double sum_p2 = 0;
  for (int64_t a : group.allele_counts) {
    double p = static_cast<double>(a) / copies;
    sum_p2 += p * p;
  }
  out.observed = static_cast<double>(group.heterozygous) / n;
  out.expected = 1 - sum_p2;
  if (*out.expected != 0) out.F = 1 - *out.observed / *out.expected;
  return out;
}

}  // namespace drevel
