// Offset-indexed arrays and the numeric library's fatal error.
//
// Every allocator takes the index range the caller wants to use and returns a
// handle indexed directly with those indices: v = vector(1, n) is used as
// v[1] .. v[n].  Each block carries one spare element ahead of the range
// (v[low - 1]), which no operation of the library reads or writes.  Elements
// are not initialised.
//
// Matrices are a row table plus one contiguous data block, row after row, so
// rows can be reordered by moving row handles alone.  m[r] + cols == m[r + 1].
//
// Failure: a refused heap request ends the process through nrerror (three
// lines on stderr, exit status 1); no allocator ever returns null.
// Ownership: the caller owns every handle and gives it back with the matching
// free_* function, passing the same lower bounds (upper bounds are ignored).
#ifndef DREVEL_NUMERIC_NRUTIL_H
#define DREVEL_NUMERIC_NRUTIL_H

#include <cstdint>

namespace drevel {

// Writes "Numeric library run-time error...", the message and
// "...now exiting to system..." to stderr, one line each, and exits with
// status 1.  Never returns; frees nothing.
[[noreturn]] void nrerror(const char* message);

// Real vector over low..high: one block of high - low + 2 doubles.
// vector(1, 0) is a valid empty vector (only the spare element).
double* vector(int low, int high);
// Int vector over low..high, 4-byte signed elements.
int32_t* ivector(int low, int high);
// Real matrix over rows row_low..row_high, columns col_low..col_high; needs
// at least one row.  Two heap requests whatever its size.
double** matrix(int row_low, int row_high, int col_low, int col_high);

// Releases read only the handle and the lower bounds.  free_matrix finds the
// data block through m[row_low], which must still hold the allocator's value.
void free_vector(double* v, int low, int high);
void free_ivector(int32_t* v, int low, int high);
void free_matrix(double** m, int row_low, int row_high, int col_low, int col_high);

}  // namespace drevel

#endif
