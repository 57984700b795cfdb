// Dirichlet log-kernel, kernel and mode.
#include "evidence/kernel.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace drevel {

double LogDNFunc(const double* alpha, const double* theta, int n) {
  double sum = 0;
  for (int t = 1; t <= n; t++) {
    double d = alpha[t] - 1;
    sum = d * std::log(theta[t]) + sum;
  }
  return sum;
}

double DNFunc(const double* alpha, const double* theta, int n) {
  double product = 1;
  for (int t = 1; t <= n; t++) product = std::pow(theta[t], alpha[t] - 1) * product;
  return product;
}

// The last cell is the complement of the others rather than its own
// quotient, so the mode sums to 1 up to one rounding.
void Find_Argmax(const double* alpha, double* m, double* L, int n) {
  if (!m) {
    std::fputs("ERROR: argmax vector must be allocated\n", stderr);
    std::exit(1);
  }
  double S = 0;
  for (int t = 1; t <= n; t++) S = S + (alpha[t] - 1);
  double T = 0;
  for (int t = 1; t <= n - 1; t++) {
    m[t] = (alpha[t] - 1) / S;
    T = T + m[t];
  }
  m[n] = 1 - T;
  *L = LogDNFunc(alpha, m, n);
}

}  // namespace drevel
