// Equilibrium maximum of the log-kernel through a linear system.
#include "evidence/equilibrium.h"

#include "evidence/cells.h"
#include "evidence/kernel.h"
#include "numeric/ludcmp.h"
#include "numeric/nrutil.h"
#include "numeric/utilmat.h"

namespace drevel {

void Find_Argmax_Hyp(const double* alpha, double* h, double* L, int k, int c) {
  double** N = matrix(0, k, 0, k);
  N[0][0] = k;
  N[0][1] = k;
  for (int i = 1; i <= k; i++)
    for (int j = 1; j <= k; j++) N[i][j] = j <= i ? alpha[posvectinf(i, j)] - 1 : 0;

  // Allele totals: row i up to the diagonal, then column i from the diagonal
  // down, so the homozygote counts twice.
  double* s = vector(0, k);
  s[0] = k;
  for (int i = 1; i <= k; i++) {
    s[i] = 0;
    for (int j = 1; j <= i; j++) s[i] = s[i] + N[i][j];
    for (int j = i; j <= k; j++) s[i] = s[i] + N[j][i];
  }

  double** A = matrix(0, k - 1, 0, k - 1);
  double* b = vector(0, k - 1);
  double* p = vector(0, k);
  A[0][0] = k - 1;
  if (k >= 2) A[0][1] = k - 1;
  b[0] = k - 1;
  p[0] = k;
  for (int i = 1; i <= k - 1; i++) {
    b[i] = s[i];
    for (int j = 1; j <= k - 1; j++) A[i][j] = i == j ? s[i] + s[k] : s[i];
  }
  if (k >= 2) {
    Inversa(A, k - 1);
    ProdMatVet(A, b, p, k - 1, k - 1);
  }
  double sum = 0;
  for (int i = 1; i <= k - 1; i++) sum = sum + p[i];
  p[k] = 1 - sum;

  for (int i = 1; i <= k; i++)
    for (int j = 1; j <= i; j++) {
      double t = p[i] * p[j];
      h[posvectinf(i, j)] = i == j ? t : t + t;
    }
  *L = LogDNFunc(alpha, h, c);

  free_vector(b, 0, k - 1);
  free_matrix(A, 0, k - 1, 0, k - 1);
  free_vector(s, 0, k);
  free_vector(p, 0, k);
  free_matrix(N, 0, k, 0, k);
}

}  // namespace drevel
