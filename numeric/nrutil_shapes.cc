// Further array shapes; see nrutil_shapes.h for the layouts.
//
// Sizes are computed in 64 bits from the 32-bit bounds.  A negative count
// (upper bound below low - 1) or a product that does not fit is turned into a
// refused request, so it ends the process through nrerror with the shape's
// message instead of reaching malloc.
#include "numeric/nrutil_shapes.h"

#include <cstdint>
#include <cstdlib>

#include "numeric/allocate.h"
#include "numeric/nrutil.h"

namespace drevel {

namespace {

// Number of indices in low..high (negative when high < low - 1).
long long extent(int low, int high) { return static_cast<long long>(high) - low + 1; }

// a * b + 1: the elements of a block of a * b entries plus its spare, or -1
// when a count is negative or the product does not fit, which allocate
// refuses.
long long with_spare(long long a, long long b) {
  long long product;
  if (a < 0 || b < 0 || __builtin_mul_overflow(a, b, &product) || product == INT64_MAX)
    return -1;
  return product + 1;
}

// Slots of a row table: rows + 1, and 2 for an empty row range so that slot
// 1, through which every release finds the data, always exists.
long long table_slots(long long rows) { return rows == 0 ? 2 : rows + 1; }

// Block of high - low + 2 elements, offset so that handle[low] is element 1.
template <typename T>
T* offset_vector(int low, int high, const char* message) {
  T* block = static_cast<T*>(allocate(extent(low, high) + 1, sizeof(T)));
  if (!block) nrerror(message);
  return block - (static_cast<long long>(low) - 1);
}

template <typename T>
void free_offset_vector(T* v, int low) {
  std::free(v + (static_cast<long long>(low) - 1));
}

// Row table plus one data block of rows * cols + 1 elements; element [r][c]
// is data element 1 + (r - row_low) * cols + (c - col_low).
template <typename T>
T** offset_matrix(int row_low, int row_high, int col_low, int col_high) {
  long long rows = extent(row_low, row_high), cols = extent(col_low, col_high);
  T** table = static_cast<T**>(allocate(table_slots(rows), sizeof(T*)));
  if (!table) nrerror("allocation failure 1 in matrix()");
  T** m = table + 1 - static_cast<long long>(row_low);
  T* data = static_cast<T*>(allocate(with_spare(rows, cols), sizeof(T)));
  if (!data) nrerror("allocation failure 2 in matrix()");
  m[row_low] = data + 1 - static_cast<long long>(col_low);
  for (long long r = static_cast<long long>(row_low) + 1; r <= row_high; r++) m[r] = m[r - 1] + cols;
  return m;
}

template <typename T>
void free_offset_matrix(T** m, int row_low, int col_low) {
  std::free(m[row_low] + (static_cast<long long>(col_low) - 1));
  std::free(m + (static_cast<long long>(row_low) - 1));
}

}  // namespace

char* cvector(int low, int high) {
  return offset_vector<char>(low, high, "allocation failure in cvector()");
}

int32_t* lvector(int low, int high) {
  return offset_vector<int32_t>(low, high, "allocation failure in lvector()");
}

double* dvector(int low, int high) {
  return offset_vector<double>(low, high, "allocation failure in dvector()");
}

void free_cvector(char* v, int low, int /*high*/) { free_offset_vector(v, low); }
void free_lvector(int32_t* v, int low, int /*high*/) { free_offset_vector(v, low); }
void free_dvector(double* v, int low, int /*high*/) { free_offset_vector(v, low); }

double** dmatrix(int row_low, int row_high, int col_low, int col_high) {
  return offset_matrix<double>(row_low, row_high, col_low, col_high);
}

int32_t** imatrix(int row_low, int row_high, int col_low, int col_high) {
  return offset_matrix<int32_t>(row_low, row_high, col_low, col_high);
}

void free_dmatrix(double** m, int row_low, int /*row_high*/, int col_low, int /*col_high*/) {
  free_offset_matrix(m, row_low, col_low);
}

void free_imatrix(int32_t** m, int row_low, int /*row_high*/, int col_low, int /*col_high*/) {
  free_offset_matrix(m, row_low, col_low);
}

// A table of high - low + 2 matrix handles offset like a vector, then one
// matrix per slot in increasing index order.  dmatrix has matrix()'s layout
// and messages and also accepts an empty row range.
double*** cube(int low, int high, int row_low, int row_high, int col_low, int col_high) {
  double*** table = static_cast<double***>(allocate(extent(low, high) + 1, sizeof(double**)));
  if (!table) nrerror("allocation failure 1 in cube()");
  double*** c = table + 1 - static_cast<long long>(low);
  for (long long i = low; i <= high; i++) {
    c[i] = dmatrix(row_low, row_high, col_low, col_high);
    if (!c[i]) nrerror("allocation failure 2 in cube()");
  }
  return c;
}

void free_cube(double*** c, int low, int high, int row_low, int row_high, int col_low,
               int col_high) {
  for (long long i = low; i <= high; i++) free_matrix(c[i], row_low, row_high, col_low, col_high);
  std::free(c + (static_cast<long long>(low) - 1));
}

// Only a row table: each handle is the source's row handle shifted by
// old_col_low - new_col_low elements.
double** submatrix(double** a, int old_row_low, int old_row_high, int old_col_low,
                   int /*old_col_high*/, int new_row_low, int new_col_low) {
  long long rows = extent(old_row_low, old_row_high);
  double** table = static_cast<double**>(allocate(rows + 1, sizeof(double*)));
  if (!table) nrerror("allocation failure in submatrix()");
  double** view = table + 1 - static_cast<long long>(new_row_low);
  long long shift = static_cast<long long>(old_col_low) - new_col_low;
  for (long long t = 0; t < rows; t++) view[new_row_low + t] = a[old_row_low + t] + shift;
  return view;
}

void free_submatrix(double** view, int row_low, int /*row_high*/, int /*col_low*/,
                    int /*col_high*/) {
  std::free(view + (static_cast<long long>(row_low) - 1));
}

// Row handles into the caller's array, cols elements apart, the first one
// shifted so that view[row_low][col_low] is a[0].
double** convert_matrix(double* a, int row_low, int row_high, int col_low, int col_high) {
  long long rows = extent(row_low, row_high), cols = extent(col_low, col_high);
  double** table = static_cast<double**>(allocate(table_slots(rows), sizeof(double*)));
  if (!table) nrerror("allocation failure in convert_matrix()");
  double** view = table + 1 - static_cast<long long>(row_low);
  if (rows > 0) view[row_low] = a - static_cast<long long>(col_low);
  for (long long r = static_cast<long long>(row_low) + 1; r <= row_high; r++)
    view[r] = view[r - 1] + cols;
  return view;
}

void free_convert_matrix(double** view, int row_low, int /*row_high*/, int /*col_low*/,
                         int /*col_high*/) {
  std::free(view + (static_cast<long long>(row_low) - 1));
}

// Three blocks, each with a spare slot ahead and offset by its lower bound:
// the row table, rows * cols handles into the data, and the data itself.
// t[row_low] and t[row_low][col_low] are always set (the table and handle
// block keep slot 1 for empty ranges), because the release starts from them.
double*** f3tensor(int row_low, int row_high, int col_low, int col_high, int dep_low,
                   int dep_high) {
  long long rows = extent(row_low, row_high), cols = extent(col_low, col_high);
  long long deps = extent(dep_low, dep_high);
  double*** t = static_cast<double***>(allocate(table_slots(rows), sizeof(double**)));
  if (!t) nrerror("allocation failure 1 in f3tensor()");
  t += 1 - static_cast<long long>(row_low);

  long long pairs = with_spare(rows, cols);
  double** handles = static_cast<double**>(allocate(pairs == 1 ? 2 : pairs, sizeof(double*)));
  if (!handles) nrerror("allocation failure 2 in f3tensor()");
  t[row_low] = handles + 1 - static_cast<long long>(col_low);

  long long cells = pairs < 0 ? -1 : with_spare(pairs - 1, deps);
  double* data = static_cast<double*>(allocate(cells, sizeof(double)));
  if (!data) nrerror("allocation failure 3 in f3tensor()");
  t[row_low][col_low] = data + 1 - static_cast<long long>(dep_low);

  for (long long c = static_cast<long long>(col_low) + 1; rows > 0 && c <= col_high; c++)
    t[row_low][c] = t[row_low][c - 1] + deps;
  for (long long r = static_cast<long long>(row_low) + 1; r <= row_high; r++) {
    t[r] = t[r - 1] + cols;
    t[r][col_low] = t[r - 1][col_low] + cols * deps;
    for (long long c = static_cast<long long>(col_low) + 1; c <= col_high; c++)
      t[r][c] = t[r][c - 1] + deps;
  }
  return t;
}

void free_f3tensor(double*** t, int row_low, int /*row_high*/, int col_low, int /*col_high*/,
                   int dep_low, int /*dep_high*/) {
  std::free(t[row_low][col_low] + (static_cast<long long>(dep_low) - 1));
  std::free(t[row_low] + (static_cast<long long>(col_low) - 1));
  std::free(t + (static_cast<long long>(row_low) - 1));
}

}  // namespace drevel
