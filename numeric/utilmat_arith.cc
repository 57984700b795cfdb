// Sums, means and products of vectors and matrices.
#include <cstdio>
#include <cstdlib>

#include "numeric/utilmat.h"

namespace drevel {

double SomaDiagMat(double** a, int nrow, int ncol) {
  int n = nrow < ncol ? nrow : ncol;
  double s = 0;
  for (int i = 1; i <= n; i++) s = s + a[i][i];
  return s;
}

void MediaMat(double** a, int nrow, int ncol, int flag, double* result) {
  if (flag == 1) {
    for (int i = 1; i <= nrow; i++) {
      double s = 0;
      for (int j = 1; j <= ncol; j++) s = s + a[i][j];
      result[i] = s / static_cast<double>(ncol);
    }
  } else {
    for (int j = 1; j <= ncol; j++) {
      double s = 0;
      for (int i = 1; i <= nrow; i++) s = s + a[i][j];
      result[j] = s / static_cast<double>(nrow);
    }
  }
}

void SomaMat(double** A, double** B, double** C, int nrow, int ncol) {
  for (int i = 1; i <= nrow; i++)
    for (int j = 1; j <= ncol; j++) C[i][j] = A[i][j] + B[i][j];
}

void SubtraiMat(double** A, double** B, double** C, int nrow, int ncol) {
  for (int i = 1; i <= nrow; i++)
    for (int j = 1; j <= ncol; j++) C[i][j] = A[i][j] - B[i][j];
}

void MultiplMat(double** A, double** B, double** C, int nrow, int ncol) {
  for (int i = 1; i <= nrow; i++)
    for (int j = 1; j <= ncol; j++) C[i][j] = A[i][j] * B[i][j];
}

void SomaElemMat(double** a, double* result, int fldirec, int nrow, int ncol) {
  if (fldirec == 1) {
    for (int j = 1; j <= ncol; j++) {
      double s = 0;
      for (int i = 1; i <= nrow; i++) s = s + a[i][j];
      result[j] = s;
    }
  } else if (fldirec == 2) {
    for (int i = 1; i <= nrow; i++) {
      double s = 0;
      for (int j = 1; j <= ncol; j++) s = s + a[i][j];
      result[i] = s;
    }
  } else {
    std::fputs("SomaElemMat Erro: fldirec deve ser 1 ou 2\n", stderr);
    std::exit(1);
  }
}

void ProdMat(double** A, double** B, double** C, int n, int m, int p) {
  for (int i = 1; i <= n; i++)
    for (int j = 1; j <= p; j++) {
      double s = 0;
      for (int k = 1; k <= m; k++) s = A[i][k] * B[k][j] + s;
      C[i][j] = s;
    }
}

void ProdEscMat(double x, double** A, double** B, int nrow, int ncol) {
  for (int i = 1; i <= nrow; i++)
    for (int j = 1; j <= ncol; j++) B[i][j] = A[i][j] * x;
}

void ProdAtB(double** A, double** B, double** C, int /*unused*/, int m, int p) {
  for (int i = 1; i <= m; i++)
    for (int j = 1; j <= p; j++) {
      double s = 0;
      for (int k = 1; k <= m; k++) s = A[k][i] * B[k][j] + s;
      C[i][j] = s;
    }
}

void ProdABt(double** A, double** B, double** C, int n, int m, int p) {
  for (int i = 1; i <= n; i++)
    for (int j = 1; j <= p; j++) {
      double s = 0;
      for (int k = 1; k <= m; k++) s = A[i][k] * B[j][k] + s;
      C[i][j] = s;
    }
}

void ProdMatVet(double** A, const double* x, double* y, int nrow, int ncol) {
  for (int i = 1; i <= nrow; i++) {
    double s = 0;
    for (int j = 1; j <= ncol; j++) s = A[i][j] * x[j] + s;
    y[i] = s;
  }
}

double ProdVet(const double* x, const double* y, int n) {
  double s = 0;
  for (int i = 1; i <= n; i++) s = x[i] * y[i] + s;
  return s;
}

void Kronvet(const double* x, const double* y, double** M, int n, int m) {
  for (int i = 1; i <= n; i++)
    for (int j = 1; j <= m; j++) M[i][j] = x[i] * y[j];
}

}  // namespace drevel
