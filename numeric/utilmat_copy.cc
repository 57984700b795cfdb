// Copies and permutations of vectors and matrices.
#include <cstdlib>

#include "numeric/nrutil.h"
#include "numeric/utilmat.h"

namespace drevel {

void CopiaCub(double*** source, double*** destination, int n1, int n2, int n3) {
  for (int i = 1; i <= n1; i++)
    for (int j = 1; j <= n2; j++)
      for (int k = 1; k <= n3; k++) destination[i][j][k] = source[i][j][k];
}

void CopiaMat(double** source, double** destination, int nrow, int ncol) {
  for (int i = 1; i <= nrow; i++)
    for (int j = 1; j <= ncol; j++) destination[i][j] = source[i][j];
}

void CopiaVet(const double* source, double* destination, int n) {
  for (int i = 1; i <= n; i++) destination[i] = source[i];
}

// Only the row table changes: no element moves.
void Permuta_Linhas_Matriz(double** a, const int32_t* permutation, int n) {
  if (n < 1) return;
  double** scratch = static_cast<double**>(std::calloc(static_cast<size_t>(n), sizeof(double*)));
  if (!scratch) nrerror("allocation failure in Permuta_Linhas_Matriz()");
  for (int i = 1; i <= n; i++) scratch[i - 1] = a[permutation[i]];
  for (int i = 1; i <= n; i++) a[i] = scratch[i - 1];
  std::free(scratch);
}

void Permuta_Colunas_Matriz(double** a, const int32_t* permutation, int nrow, int ncol) {
  double** scratch = matrix(0, nrow, 0, ncol);
  scratch[0][0] = nrow;
  if (ncol >= 1) scratch[0][1] = ncol;
  CopiaMat(a, scratch, nrow, ncol);
  for (int i = 1; i <= nrow; i++)
    for (int j = 1; j <= ncol; j++) a[i][j] = scratch[i][permutation[j]];
  free_matrix(scratch, 0, nrow, 0, ncol);
}

void Permuta_Vetor(double* v, const int32_t* permutation, int n) {
  double* scratch = vector(0, n);
  scratch[0] = n;
  CopiaVet(v, scratch, n);
  for (int i = 1; i <= n; i++) v[i] = scratch[permutation[i]];
  free_vector(scratch, 0, n);
}

}  // namespace drevel
