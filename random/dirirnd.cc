// Dirichlet draw: normalised independent gamma deviates.
#include "random/dirirnd.h"

#include "random/process_rand48.h"
#include "random/randomic.h"

namespace drevel {

void dirirnd(const double* alpha, double* out, int c, rand48_state& state) {
  double sum = 0;
  for (int m = 1; m <= c; m++) {
    out[m] = gamadev(alpha[m], state);
    sum = sum + out[m];
  }
  for (int m = 1; m <= c; m++) out[m] = out[m] / sum;
}

void dirirnd(const double* alpha, double* out, int c) {
  dirirnd(alpha, out, c, process_rand48());
}

}  // namespace drevel
