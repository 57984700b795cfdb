// LU decomposition (Crout's method with implicit partial pivoting), solves
// from the factors, the in-place inverse and the determinant, on indices
// 1..n of the matrices and vectors of nrutil.h.
#ifndef DREVEL_NUMERIC_LUDCMP_H
#define DREVEL_NUMERIC_LUDCMP_H

#include <cstdint>

namespace drevel {

// Replaces a by the factors of its rows in a new order: a[i][j], i > j, holds
// L's multipliers (L has a unit diagonal, not stored), a[i][j], i <= j, U.
// swaps[j] (1..n) is the row exchanged with row j at step j; *d is +1 or -1
// for an even or odd number of exchanges.  Rows are scaled by 1 / their
// largest magnitude for the pivot choice; of equal scaled candidates the
// last is taken; a pivot that comes out exactly 0 becomes 1e-20.
// A row of zeros ends the process through nrerror("Singular matrix in
// routine ludcmp"), status 1.
void ludcmp(double** a, int n, int32_t* swaps, double* d);

// Solves A x = b from ludcmp's a and swaps; b holds the right-hand side on
// entry and x on return (1..n).  Leading zeros of the reordered b are
// skipped in the forward pass.  a and swaps are not changed.
void lubksb(double** a, int n, const int32_t* swaps, double* b);

// Replaces a (1..n, n >= 1) by its inverse, column by column from the
// factors.  Row 0 and column 0 are not touched.  Fatal as ludcmp.
void Inversa(double** a, int n);

// Determinant of a (1..n, n >= 1): the parity times the product of U's
// diagonal.  a is not changed.  Fatal as ludcmp.
double Determ(double** a, int n);

}  // namespace drevel

#endif
