// Inverse and determinant through the LU decomposition.
#include "numeric/ludcmp.h"
#include "numeric/nrutil.h"
#include "numeric/utilmat.h"

namespace drevel {

// Solves A y_j = e_j for each unit column on the same factors; the skip of
// leading zeros in lubksb saves the forward work above each unit element.
void Inversa(double** a, int n) {
  double** y = matrix(1, n, 1, n);
  double* c = vector(1, n);
  int32_t* swaps = ivector(1, n);
  double parity;
  ludcmp(a, n, swaps, &parity);
  for (int j = 1; j <= n; j++) {
    for (int i = 1; i <= n; i++) c[i] = 0;
    c[j] = 1;
    lubksb(a, n, swaps, c);
    for (int i = 1; i <= n; i++) y[i][j] = c[i];
  }
  for (int i = 1; i <= n; i++)
    for (int j = 1; j <= n; j++) a[i][j] = y[i][j];
  free_matrix(y, 1, n, 1, n);
  free_vector(c, 1, n);
  free_ivector(swaps, 1, n);
}

double Determ(double** a, int n) {
  double** y = matrix(1, n, 1, n);
  int32_t* swaps = ivector(1, n);
  CopiaMat(a, y, n, n);
  double d;
  ludcmp(y, n, swaps, &d);
  for (int j = 1; j <= n; j++) d = d * y[j][j];
  free_matrix(y, 1, n, 1, n);
  free_ivector(swaps, 1, n);
  return d;
}

}  // namespace drevel
