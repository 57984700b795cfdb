// Cholesky factorisation of a symmetric positive definite matrix and the two
// triangular solves that go with it.
//
// All work on indices 1..n of the offset-indexed real matrices and vectors
// of nrutil.h (row and column 0 are never touched) and allocate nothing that
// outlives the call.  With U from Cholesky, A X = B is solved by
//   utim(U, B, Y, n, m);  uim(U, Y, X, n, m);
#ifndef DREVEL_NUMERIC_CHOLESKY_H
#define DREVEL_NUMERIC_CHOLESKY_H

namespace drevel {

// Cholesky-Banachiewicz factorisation A = L L^T in place:
//   L(i,i) = sqrt(a[i][i] - sum_{k<i} L(i,k)^2),
//   L(j,i) = (a[i][j] - sum_{k<i} L(i,k) L(j,k)) / L(i,i),  j > i.
// Reads only the upper triangle and diagonal of a (a[i][j], j >= i), which
// keep their values; writes L(j,i), j > i, into a[j][i] and the diagonal
// L(i,i) into p[1..n].
// Returns 0 when the factorisation is complete, 1 at the first diagonal sum
// that is not positive (not positive definite, or made so by rounding; a sum
// that is not a number counts as a failure too).  The elements computed
// before the failure stay written; the rest of a's lower triangle and of p
// are left as they were.
int choldc(double** a, int n, double* p);

// The upper triangular factor U = L^T of A, so that U^T U = A, in a matrix
// of the caller's: U[i][i] = L(i,i), U[i][j] = L(j,i) for j > i, zeros below
// the diagonal.  A is only read (its upper triangle and diagonal) and must
// not be U.  Returns choldc's result; after a failure (1) U is not a factor:
// its lower triangle is still zero, its diagonal from the failing row on is
// not a number, and the caller must not use it.  Allocates one scratch
// vector and releases it; a refused heap request ends the process with
// vector()'s message.  n < 1 is an empty factorisation and returns 0.
int Cholesky(double** A, double** U, int n);

// Back substitution: solves U X = B for the upper triangular U, one system
// per column c = 1..m:
//   X[n][c] = B[n][c] / U[n][n],
//   X[j][c] = (B[j][c] - sum_{k>j} U[j][k] X[k][c]) / U[j][j],  j = n-1..1.
// Reads only U[j][k] with k >= j.  X may be B; it must not be U.  A zero on
// the diagonal gives infinite or not-a-number elements, without a message.
// Does nothing when n < 1 or m < 1.
void uim(double** U, double** B, double** X, int n, int m);

// Forward substitution: solves U^T X = B, the lower triangular U^T having
// element (k, j) = U[j][k], column by column; each solved element is
// subtracted from all later rows at once.  Same reads, aliasing, diagonal
// and empty-size rules as uim.
void utim(double** U, double** B, double** X, int n, int m);

}  // namespace drevel

#endif
