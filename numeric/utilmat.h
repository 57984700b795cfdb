// Matrix and vector arithmetic on the offset-indexed arrays of nrutil.h.
//
// Every operation takes its lengths as arguments and works on indices from 1
// (vectors 1..n, matrices rows 1..nrow, columns 1..ncol); element 0, row 0
// and column 0 are never touched, so size stamps pass through.  Results go
// into arrays the caller made and owns; sums and products start from 0 and
// take their terms in increasing index order (s = term + s for products).
// Products must not write into one of their operands; the element-by-element
// operations may.
#ifndef DREVEL_NUMERIC_UTILMAT_H
#define DREVEL_NUMERIC_UTILMAT_H

#include <cstdint>

namespace drevel {

// Copies: destination[i][j][k] = source[i][j][k] and so on.
void CopiaCub(double*** source, double*** destination, int n1, int n2, int n3);
void CopiaMat(double** source, double** destination, int nrow, int ncol);
void CopiaVet(const double* source, double* destination, int n);

// Gathers: new element i is old element permutation[i].  The row permutation
// only moves row handles of rows 1..n, so a matrix whose first row moves must
// have been made from row 0 for free_matrix to find its data block.  The
// scratch of each is released before return.
void Permuta_Linhas_Matriz(double** a, const int32_t* permutation, int n);
void Permuta_Colunas_Matriz(double** a, const int32_t* permutation, int nrow, int ncol);
void Permuta_Vetor(double* v, const int32_t* permutation, int n);

// Sum of a[i][i] for i = 1..min(nrow, ncol).
double SomaDiagMat(double** a, int nrow, int ncol);
// flag 1: result[i] = mean of row i; any other flag: result[j] = mean of column j.
void MediaMat(double** a, int nrow, int ncol, int flag, double* result);
// C = A + B, A - B, A .* B (element by element).
void SomaMat(double** A, double** B, double** C, int nrow, int ncol);
void SubtraiMat(double** A, double** B, double** C, int nrow, int ncol);
void MultiplMat(double** A, double** B, double** C, int nrow, int ncol);
// fldirec 1: result[j] = sum of column j; 2: result[i] = sum of row i.  Any
// other flag prints "SomaElemMat Erro: fldirec deve ser 1 ou 2\n" on stderr
// and exits with status 1 before writing anything.
void SomaElemMat(double** a, double* result, int fldirec, int nrow, int ncol);
// C (n x p) = A (n x m) . B (m x p).
void ProdMat(double** A, double** B, double** C, int n, int m, int p);
// B = x . A.
void ProdEscMat(double x, double** A, double** B, int nrow, int ncol);
// C = transpose(A) . B, C[i][j] = sum over k = 1..m of A[k][i] B[k][j] for
// i = 1..m, j = 1..p (A square); the fourth argument is not read.
void ProdAtB(double** A, double** B, double** C, int unused, int m, int p);
// C (n x p) = A (n x m) . transpose(B) (B is p x m).
void ProdABt(double** A, double** B, double** C, int n, int m, int p);
// y = A . x; y must not share storage with x.
void ProdMatVet(double** A, const double* x, double* y, int nrow, int ncol);
// Sum of x[i] y[i].
double ProdVet(const double* x, const double* y, int n);
// Index of the first smallest / largest element of v[1..n] (strict
// comparisons: ties keep the earliest; a NaN never wins); 1 for n <= 1.
int IndMinimoVet(const double* v, int n);
int IndMaximoVet(const double* v, int n);
// fldirec 1: result[j] = row of the largest element of column j; 2:
// result[i] = column of the largest element of row i.  Other flags print
// "IndMaximoMat Erro: fldirec deve ser 1 ou 2\n" on stderr and exit 1.
void IndMaximoMat(double** a, int32_t* result, int fldirec, int nrow, int ncol);
// Outer product M[i][j] = x[i] y[j].
void Kronvet(const double* x, const double* y, double** M, int n, int m);

// Writes rows 1..nrow to a new text file at path, one line per row, the
// values as "%e" separated by single tabs.  If the file cannot be opened,
// written or closed, prints "arquivo de saida nao pode ser aberto" (or
// "arquivo de saida nao pode ser gravado") with the system's reason on
// stderr and exits with status 1.
void grava_matriz(double** a, const char* path, int nrow, int ncol);

}  // namespace drevel

#endif
