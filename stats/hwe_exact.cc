#include "stats/hwe_exact.h"

#include <algorithm>
#include <vector>

namespace drevel {

hwe_exact_p hwe_exact(int64_t hom1, int64_t het, int64_t hom2) {
  hwe_exact_p out;
  const int64_t n = hom1 + het + hom2;
  // The rarer allele's copies.
  const int64_t rare = 2 * std::min(hom1, hom2) + het;
  if (n <= 0) return out;
  if (rare == 0) {
    // One table only, the observed one: counted half in the mid-p value.
    out.midp = 0.5;
    return out;
  }
  // Probabilities of het = 0..rare (only those of rare's parity occur),
  // relative to the most likely count, which is 1: the recurrence runs away
  // from it in both directions, so nothing overflows and the smallest values
  // underflow to 0 only where they are below every double.
  std::vector<double> prob(static_cast<size_t>(rare) + 1, 0.0);
  int64_t mid = static_cast<int64_t>(static_cast<double>(rare) *
                                     static_cast<double>(2 * n - rare) / static_cast<double>(2 * n));
  if ((mid & 1) != (rare & 1)) mid++;
  prob[static_cast<size_t>(mid)] = 1;
  {
    double r = static_cast<double>((rare - mid) / 2);  // rare homozygotes at h
    double c = static_cast<double>(n - mid - (rare - mid) / 2);  // common ones
    for (int64_t h = mid; h > 1; h -= 2) {
      const double hd = static_cast<double>(h);
      prob[static_cast<size_t>(h - 2)] =
          prob[static_cast<size_t>(h)] * hd * (hd - 1) / (4 * (r + 1) * (c + 1));
      r += 1;
      c += 1;
    }
  }
  {
    double r = static_cast<double>((rare - mid) / 2);
    double c = static_cast<double>(n - mid - (rare - mid) / 2);
    for (int64_t h = mid; h + 2 <= rare; h += 2) {
      const double hd = static_cast<double>(h);
      prob[static_cast<size_t>(h + 2)] =
          prob[static_cast<size_t>(h)] * 4 * r * c / ((hd + 2) * (hd + 1));
      r -= 1;
      c -= 1;
    }
  }
  double total = 0;
  for (double x : prob) total += x;
  const double observed = prob[static_cast<size_t>(het)];
  const double tie = observed * (1 + 1e-10);
  double below = 0, equal = 0, deficit = 0, excess = 0;
  for (int64_t h = rare & 1; h <= rare; h += 2) {
    const double x = prob[static_cast<size_t>(h)];
    if (x <= tie) {
      if (x >= observed * (1 - 1e-10)) equal += x;
      else below += x;
    }
    if (h <= het) deficit += x;
    if (h >= het) excess += x;
  }
  out.p = std::min(1.0, (below + equal) / total);
  out.midp = std::min(1.0, (below + 0.5 * equal) / total);
  out.deficit = std::min(1.0, deficit / total);
  out.excess = std::min(1.0, excess / total);
  return out;
}

}  // namespace drevel
