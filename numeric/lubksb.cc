// Forward and back substitution from Crout's LU factors.
#include "numeric/ludcmp.h"

namespace drevel {

void lubksb(double** a, int n, const int32_t* swaps, double* b) {
  int first = 0;
  for (int i = 1; i <= n; i++) {
    int p = swaps[i];
    double s = b[p];
    b[p] = b[i];
    if (first != 0) {
      for (int j = first; j <= i - 1; j++) s = s - a[i][j] * b[j];
    } else if (s != 0) {  // a NaN counts as nonzero
      first = i;
    }
    b[i] = s;
  }
  for (int i = n; i >= 1; i--) {
    double s = b[i];
    for (int j = i + 1; j <= n; j++) s = s - a[i][j] * b[j];
    b[i] = s / a[i][i];
  }
}

}  // namespace drevel
