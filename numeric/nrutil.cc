// Offset-indexed vectors and matrices; see nrutil.h for the layouts.
#include "numeric/nrutil.h"

#include "numeric/allocate.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace drevel {

void nrerror(const char* message) {
  std::fprintf(stderr, "Numeric library run-time error...\n");
  std::fprintf(stderr, "%s\n", message);
  std::fprintf(stderr, "...now exiting to system...\n");
  std::exit(1);
}

void* allocate(long long count, size_t size) {
  if (count <= 0 || static_cast<unsigned long long>(count) > SIZE_MAX / size) return nullptr;
  return std::malloc(static_cast<size_t>(count) * size);
}

// Block of high - low + 2 elements; the handle is offset so that handle[low]
// is block element 1 and handle[low - 1] the spare element 0.
template <typename T>
static T* offset_vector(int low, int high, const char* message) {
  long long count = static_cast<long long>(high) - low + 2;
  T* block = static_cast<T*>(allocate(count, sizeof(T)));
  if (!block) nrerror(message);
  return block - (static_cast<long long>(low) - 1);
}

double* vector(int low, int high) {
  return offset_vector<double>(low, high, "allocation failure in vector()");
}

int32_t* ivector(int low, int high) {
  return offset_vector<int32_t>(low, high, "allocation failure in ivector()");
}

// Row table of rows + 1 handles (slot 0 never set) and one data block of
// rows * cols + 1 elements (element 0 the spare); element [r][c] is data
// element 1 + (r - row_low) * cols + (c - col_low).  An empty row range
// still gets the table slot that holds the data block's handle.
double** matrix(int row_low, int row_high, int col_low, int col_high) {
  long long rows = static_cast<long long>(row_high) - row_low + 1;
  long long cols = static_cast<long long>(col_high) - col_low + 1;
  double** table = rows < 0 ? nullptr
                            : static_cast<double**>(allocate(rows < 1 ? 2 : rows + 1, sizeof(double*)));
  if (!table) nrerror("allocation failure 1 in matrix()");
  double** m = table + 1 - row_low;
  // rows and cols reach 2^32 each: a product past 63 bits is refused (-1).
  long long cells = cols < 0 ? 0 : cols > 0 && rows > (LLONG_MAX - 1) / cols ? -1 : rows * cols + 1;
  double* data = static_cast<double*>(allocate(cells, sizeof(double)));
  if (!data) nrerror("allocation failure 2 in matrix()");
  m[row_low] = data + 1 - col_low;
  for (int r = row_low + 1; r <= row_high; r++) m[r] = m[r - 1] + cols;
  return m;
}

void free_vector(double* v, int low, int /*high*/) { std::free(v + (low - 1)); }

void free_ivector(int32_t* v, int low, int /*high*/) { std::free(v + (low - 1)); }

void free_matrix(double** m, int row_low, int /*row_high*/, int col_low, int /*col_high*/) {
  std::free(m[row_low] + (col_low - 1));
  std::free(m + (row_low - 1));
}

}  // namespace drevel
