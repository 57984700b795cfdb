#include "sites/monte_carlo_end.h"

#include <cmath>
#include <initializer_list>

#include "evidence/monte_carlo.h"

namespace drevel {

bool ended_at_maxmc(int64_t draws, double E, double precision) {
  const double N = static_cast<double>(draws);
  // r = Sx / N / (Sw / N) with Sw = N, as the check computes it; E = 1 - r.
  auto evidence_of = [N](int64_t hits) {
    double mw = N / N, mx = static_cast<double>(hits) / N;
    return 1 - mx / mw;
  };
  int64_t hits = std::llround(N * (1 - E));
  for (int64_t h : {hits, hits - 1, hits + 1}) {
    if (h < 0 || h > draws || evidence_of(h) != E) continue;
    hits = h;
    break;
  }
  mc_sums sums;
  sums.Sw = sums.Sww = N;
  sums.Sx = sums.Sxw = static_cast<double>(hits);
  sums.Sz = sums.Szw = static_cast<double>(draws - hits);
  mc_check check = mc_check_sums(sums, draws);
  return !(check.HF < precision && check.HD < precision);
}

}  // namespace drevel
