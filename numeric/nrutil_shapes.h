// Further array shapes of the allocation library: vectors and matrices of
// other element types, a table of matrices, views that re-index reals that
// already exist, and a three-index array.
//
// They follow the layouts of nrutil.h: a vector made for low..high is one
// block of high - low + 2 elements indexed directly as v[low] .. v[high],
// with one spare element v[low - 1] that nothing reads or writes; a matrix is
// a row table (slot 0 never set) plus one data block holding the rows one
// after the other, with a spare element ahead of it.  No element is
// initialised.
//
// Failure: a refused heap request ends the process through nrerror (three
// lines on stderr, exit status 1) with the message given for each
// allocator; nothing is returned null.  A range whose upper bound lies below
// low - 1, or whose size does not fit in memory, is refused the same way.
// An empty range (high == low - 1) is valid and can be released.
//
// Ownership: the caller owns every handle and gives it back with the
// matching free_* function, passing the same lower bounds.  Releases read
// only the handle and the lower bounds (free_cube also reads its high bound);
// the other arguments are accepted and ignored.
#ifndef DREVEL_NUMERIC_NRUTIL_SHAPES_H
#define DREVEL_NUMERIC_NRUTIL_SHAPES_H

#include <cstdint>

namespace drevel {

// Vectors over low..high.
// Char elements, one byte each; refused: "allocation failure in cvector()".
char* cvector(int low, int high);
// The library's long: 4-byte signed; refused: "allocation failure in lvector()".
int32_t* lvector(int low, int high);
// Reals, like vector(); refused: "allocation failure in dvector()".
double* dvector(int low, int high);

void free_cvector(char* v, int low, int high);
void free_lvector(int32_t* v, int low, int high);
void free_dvector(double* v, int low, int high);

// Matrices over rows row_low..row_high and columns col_low..col_high, two
// heap requests each.  Both report with matrix()'s messages: "allocation
// failure 1 in matrix()" for the row table, "allocation failure 2 in
// matrix()" for the data block.
// An empty row range is accepted (the table then keeps the one slot through
// which the release finds the data block).
// Reals: the layout of matrix(), so a dmatrix may be released with
// free_matrix and a matrix with free_dmatrix.
double** dmatrix(int row_low, int row_high, int col_low, int col_high);
// 4-byte signed ints.
int32_t** imatrix(int row_low, int row_high, int col_low, int col_high);

void free_dmatrix(double** m, int row_low, int row_high, int col_low, int col_high);
void free_imatrix(int32_t** m, int row_low, int row_high, int col_low, int col_high);

// A table of real matrices: c[i] for i = low..high is dmatrix(row_low,
// row_high, col_low, col_high), each with its own two blocks, so c[i][r][k]
// is element [r][k] of matrix i.  The table is offset like a vector (c[low]
// is its slot 1).  Refused table: "allocation failure 1 in cube()"; a refused
// matrix ends the process with matrix()'s own message.
double*** cube(int low, int high, int row_low, int row_high, int col_low, int col_high);
// Releases every matrix (free_matrix, i = low..high), then the table.
void free_cube(double*** c, int low, int high, int row_low, int row_high, int col_low,
               int col_high);

// A view of rows old_row_low..old_row_high of the matrix a, from column
// old_col_low on, re-indexed so that
//   view[new_row_low + t][new_col_low + u] is a[old_row_low + t][old_col_low + u].
// The view shares a's reals (writing through it changes a) and owns only its
// row table of old_row_high - old_row_low + 2 handles; old_col_high is not
// read.  a must outlive the view.  Refused: "allocation failure in
// submatrix()".
double** submatrix(double** a, int old_row_low, int old_row_high, int old_col_low,
                   int old_col_high, int new_row_low, int new_col_low);
// Releases the view's row table only; takes the view's own bounds.
void free_submatrix(double** view, int row_low, int row_high, int col_low, int col_high);

// A matrix view of the caller's flat array a (indexed from 0), read row
// after row: view[row_low][col_low] is a[0] and view[r][c] is
// a[(r - row_low) * cols + (c - col_low)].  The array stays the caller's and
// must outlive the view, which owns only its row table.  Refused:
// "allocation failure in convert_matrix()".
double** convert_matrix(double* a, int row_low, int row_high, int col_low, int col_high);
// Releases the view's row table only; the array is untouched.
void free_convert_matrix(double** view, int row_low, int row_high, int col_low, int col_high);

// A three-index real array t[r][c][d] over row_low..row_high,
// col_low..col_high, dep_low..dep_high, in three blocks: the row table
// ("allocation failure 1 in f3tensor()" when refused), one handle per (r, c)
// pair ("... 2 ...") and the data ("... 3 ..."), each with a spare slot
// ahead.  Element [r][c][d] is data element
//   1 + ((r - row_low) * cols + (c - col_low)) * deps + (d - dep_low),
// so the reals lie in one block, last index fastest.  Empty row, column or
// depth ranges are accepted.
double*** f3tensor(int row_low, int row_high, int col_low, int col_high, int dep_low,
                   int dep_high);
// Releases the data, then the handle block, then the row table.
void free_f3tensor(double*** t, int row_low, int row_high, int col_low, int col_high,
                   int dep_low, int dep_high);

}  // namespace drevel

#endif
