// Crout's LU decomposition with implicit partial pivoting.
#include "numeric/ludcmp.h"

#include <cmath>

#include "numeric/nrutil.h"

namespace drevel {

void ludcmp(double** a, int n, int32_t* swaps, double* d) {
  const double tiny = 1.0e-20;
  double* scale = vector(1, n);
  *d = 1;
  for (int i = 1; i <= n; i++) {
    double largest = 0;
    for (int j = 1; j <= n; j++)
      if (std::fabs(a[i][j]) > largest) largest = std::fabs(a[i][j]);
    if (largest == 0) nrerror("Singular matrix in routine ludcmp");
    scale[i] = 1 / largest;
  }
  for (int j = 1; j <= n; j++) {
    for (int i = 1; i < j; i++) {
      double s = a[i][j];
      for (int k = 1; k < i; k++) s = s - a[i][k] * a[k][j];
      a[i][j] = s;
    }
    double largest = 0;
    int p = j;
    for (int i = j; i <= n; i++) {
      double s = a[i][j];
      for (int k = 1; k < j; k++) s = s - a[i][k] * a[k][j];
      a[i][j] = s;
      double t = scale[i] * std::fabs(s);
      if (t >= largest) {
        largest = t;
        p = i;
      }
    }
    if (p != j) {
      for (int k = 1; k <= n; k++) {
        double t = a[p][k];
        a[p][k] = a[j][k];
        a[j][k] = t;
      }
      *d = -*d;
      scale[p] = scale[j];
    }
    swaps[j] = p;
    if (a[j][j] == 0) a[j][j] = tiny;
    if (j < n) {
      double r = 1 / a[j][j];
      for (int i = j + 1; i <= n; i++) a[i][j] = a[i][j] * r;
    }
  }
  free_vector(scale, 1, n);
}
}  // namespace drevel
