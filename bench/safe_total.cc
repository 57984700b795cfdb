// Where double precision gives up on a locus: for loci of 2 to 40 alleles in
// shapes that stress the two maxima, the smallest total of counts (scanned
// in steps of 10^0.05 from 10 to 1e16) at which the posterior mode or the
// equilibrium fit is no longer finite, or L_max falls below L_hyp by more
// than rounding.  The largest total drevel accepts (locus/locus_check.h) and
// the README's account of it come from this table.
//   build/bench/safe_total
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "evidence/dirichlet_prior.h"
#include "evidence/equilibrium.h"
#include "evidence/kernel.h"

using namespace drevel;

namespace {

// Counts of k alleles adding up to about `total`, lower triangle.
using shape = std::function<std::vector<double>(int k, double total)>;

int cell(int i, int j) { return i * (i - 1) / 2 + j - 1; }  // 1-based i >= j

bool lost(int k, const std::vector<double>& counts) {
  const int c = k * (k + 1) / 2;
  std::vector<double> alpha(c + 1), m(c + 1), h(c + 1);
  alpha[0] = m[0] = h[0] = c;
  double total = 0;
  for (int n = 1; n <= c; n++) {
    alpha[n] = cell_parameter(counts[n - 1]);
    total += alpha[n] - 1;
  }
  double L_max, L_hyp;
  Find_Argmax(alpha.data(), m.data(), &L_max, c);
  Find_Argmax_Hyp(alpha.data(), h.data(), &L_hyp, k, c);
  if (!std::isfinite(L_max) || !std::isfinite(L_hyp)) return true;
  return L_hyp - L_max > 4.0 * c * DBL_EPSILON * (total + std::fabs(L_max));
}

}  // namespace

int main() {
  const int alleles[] = {2, 3, 4, 6, 8, 12, 20, 40};
  const std::pair<const char*, shape> shapes[] = {
      {"every cell alike", [](int k, double t) {
         return std::vector<double>(k * (k + 1) / 2, std::floor(t / (k * (k + 1) / 2)));
       }},
      {"homozygotes only", [](int k, double t) {
         std::vector<double> v(k * (k + 1) / 2, 0);
         for (int i = 1; i <= k; i++) v[cell(i, i)] = std::floor(t / k);
         return v;
       }},
      {"one cell, the rest empty", [](int k, double t) {
         std::vector<double> v(k * (k + 1) / 2, 0);
         v[0] = t;
         return v;
       }},
      {"one cell, the last seen once", [](int k, double t) {
         std::vector<double> v(k * (k + 1) / 2, 0);
         v[0] = t - 1;
         v.back() = 1;
         return v;
       }},
      {"last allele absent", [](int k, double t) {
         std::vector<double> v(k * (k + 1) / 2, 0);
         for (int i = 1; i < k; i++)
           for (int j = 1; j <= i; j++) v[cell(i, j)] = std::floor(t / (k * (k - 1) / 2));
         return v;
       }},
      {"last allele in one heterozygote", [](int k, double t) {
         std::vector<double> v(k * (k + 1) / 2, 0);
         for (int i = 1; i < k; i++)
           for (int j = 1; j <= i; j++) v[cell(i, j)] = std::floor(t / (k * (k - 1) / 2));
         v[cell(k, 1)] = 1;
         return v;
       }},
  };
  std::printf("%-34s", "shape \\ alleles");
  for (int k : alleles) std::printf("%9d", k);
  std::printf("\n");
  for (const auto& s : shapes) {
    std::printf("%-34s", s.first);
    for (int k : alleles) {
      double first = 0;
      for (int step = 20; step <= 320 && first == 0; step++) {
        double total = std::pow(10.0, step / 20.0);
        if (lost(k, s.second(k, total))) first = total;
      }
      if (first == 0) std::printf("%9s", "-");
      else std::printf("%9.2g", first);
    }
    std::printf("\n");
  }
  std::printf("(the smallest total lost; -: none up to 1e16)\n");
  return 0;
}
