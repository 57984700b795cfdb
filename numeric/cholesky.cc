// Cholesky factorisation and the triangular solves of its factor.
#include "numeric/cholesky.h"

#include <cmath>
#include <limits>

#include "numeric/nrutil.h"
#include "numeric/utilmat.h"

namespace drevel {

// Row by row, each row's factor elements from the upper triangle of a and
// the factor elements already written in the rows above; the sum that
// would be the square of a diagonal element must be positive.
int choldc(double** a, int n, double* p) {
  for (int i = 1; i <= n; i++) {
    for (int j = i; j <= n; j++) {
      double s = a[i][j];
      for (int k = i - 1; k >= 1; k--) s = s - a[i][k] * a[j][k];
      if (j == i) {
        if (!(s > 0)) return 1;  // a sum that is not a number fails as well
        p[i] = std::sqrt(s);
      } else {
        a[j][i] = s / p[i];
      }
    }
  }
  return 0;
}

// choldc on a copy of A, then its lower factor transposed into the upper
// triangle.  The scratch diagonal starts as not-a-number, so that after a
// failure the diagonal elements that were never computed say so instead of
// holding whatever the heap left there.
int Cholesky(double** A, double** U, int n) {
  if (n < 1) return 0;
  double* p = vector(1, n);
  for (int i = 1; i <= n; i++) p[i] = std::numeric_limits<double>::quiet_NaN();
  CopiaMat(A, U, n, n);
  int r = choldc(U, n, p);
  for (int i = 1; i <= n; i++) {
    U[i][i] = p[i];
    for (int j = i + 1; j <= n; j++) {
      U[i][j] = U[j][i];
      U[j][i] = 0;
    }
  }
  free_vector(p, 1, n);
  return r;
}

void uim(double** U, double** B, double** X, int n, int m) {
  if (n < 1) return;
  for (int c = 1; c <= m; c++) {
    X[n][c] = B[n][c] / U[n][n];
    for (int j = n - 1; j >= 1; j--) {
      double s = 0;
      for (int k = j + 1; k <= n; k++) s = s + U[j][k] * X[k][c];
      X[j][c] = (B[j][c] - s) / U[j][j];
    }
  }
}

// Column-oriented forward substitution on a copy of B: once X[j][c] is
// solved, its share X[j][c] * U[j][k] leaves every later row k.
void utim(double** U, double** B, double** X, int n, int m) {
  if (n < 1) return;
  CopiaMat(B, X, n, m);
  for (int c = 1; c <= m; c++) {
    for (int j = 1; j <= n - 1; j++) {
      X[j][c] = X[j][c] / U[j][j];
      for (int k = j + 1; k <= n; k++) X[k][c] = X[k][c] - X[j][c] * U[j][k];
    }
    X[n][c] = X[n][c] / U[n][n];
  }
}

}  // namespace drevel
