#include "stats/hwe_exact.h"

#include <algorithm>
#include <limits>
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
  // from it in both directions, so nothing overflows.  Away from the mode the
  // terms shrink; those below the smallest normal double count as 0 (a
  // subnormal times a ratio near 1 may round to itself and never reach 0).
  // Only the window [low, high] of the others is kept, some 75 standard
  // deviations wide, so a cohort of any size costs O(sqrt(n)) memory.
  int64_t mid = static_cast<int64_t>(static_cast<double>(rare) *
                                     static_cast<double>(2 * n - rare) / static_cast<double>(2 * n));
  if ((mid & 1) != (rare & 1)) mid++;
  std::vector<double> down{1.0}, up;  // het = mid, mid-2, ... and mid+2, mid+4, ...
  {
    double r = static_cast<double>((rare - mid) / 2);  // rare homozygotes at h
    double c = static_cast<double>(n - mid - (rare - mid) / 2);  // common ones
    for (int64_t h = mid; h > 1; h -= 2) {
      const double hd = static_cast<double>(h);
      const double x = down.back() * hd * (hd - 1) / (4 * (r + 1) * (c + 1));
      if (x < std::numeric_limits<double>::min()) break;
      down.push_back(x);
      r += 1;
      c += 1;
    }
  }
  {
    double r = static_cast<double>((rare - mid) / 2);
    double c = static_cast<double>(n - mid - (rare - mid) / 2);
    double last = 1;
    for (int64_t h = mid; h + 2 <= rare; h += 2) {
      const double hd = static_cast<double>(h);
      last = last * 4 * r * c / ((hd + 2) * (hd + 1));
      if (last < std::numeric_limits<double>::min()) break;
      up.push_back(last);
      r -= 1;
      c -= 1;
    }
  }
  const int64_t low = mid - 2 * static_cast<int64_t>(down.size() - 1);
  const int64_t high = mid + 2 * static_cast<int64_t>(up.size());
  // The probability of het = h, 0 outside the window.
  auto prob = [&](int64_t h) {
    if (h < low || h > high) return 0.0;
    return h <= mid ? down[static_cast<size_t>((mid - h) / 2)] : up[static_cast<size_t>((h - mid) / 2 - 1)];
  };
  // Summed from the fewest heterozygotes up, as every sum below.
  double total = 0;
  for (int64_t h = low; h <= high; h += 2) total += prob(h);
  const double observed = prob(het);
  const double tie = observed * (1 + 1e-10);
  double below = 0, equal = 0, deficit = 0, excess = 0;
  // Terms outside the window are 0 and add nothing to any sum; only the
  // observed count may lie outside it, and then it ties with them.
  for (int64_t h = low; h <= high; h += 2) {
    const double x = prob(h);
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
