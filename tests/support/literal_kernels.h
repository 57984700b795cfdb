// The literal log-kernels of a locus's first draws, for tests that check a
// faster evaluation draw by draw.
#ifndef DREVEL_TESTS_SUPPORT_LITERAL_KERNELS_H
#define DREVEL_TESTS_SUPPORT_LITERAL_KERNELS_H

#include <vector>

#include "evidence/kernel.h"
#include "random/dirirnd.h"
#include "random/rand48.h"

namespace drevel {

// LogDNFunc of the first n Dirichlet draws for alpha (cells 1..c, alpha[0]
// unused here), from the generator's fixed start.
inline std::vector<double> literal_kernels(const std::vector<double>& alpha, int n) {
  int c = static_cast<int>(alpha.size()) - 1;
  std::vector<double> theta(alpha.size()), L;
  rand48_state g;
  for (int i = 0; i < n; i++) {
    dirirnd(alpha.data(), theta.data(), c, g);
    L.push_back(LogDNFunc(alpha.data(), theta.data(), c));
  }
  return L;
}

}  // namespace drevel

#endif
