#include "numeric/nrutil.h"

#include <gtest/gtest.h>

using namespace drevel;

TEST(nrutil, vector_is_indexed_over_its_range_with_a_spare_ahead) {
  double* v = vector(0, 4);
  for (int i = -1; i <= 4; i++) v[i] = i;  // -1 is the spare, all addressable
  EXPECT_EQ(&v[4] - &v[-1], 5);
  free_vector(v, 0, 12345);  // the upper bound is ignored

  double* w = vector(1, 3);
  w[0] = -1;  // the spare element
  w[3] = 3;
  free_vector(w, 1, 3);

  double* empty = vector(1, 0);  // only the spare element
  empty[0] = 0;
  free_vector(empty, 1, 0);
}

TEST(nrutil, ivector_holds_four_byte_ints) {
  int32_t* v = ivector(1, 5);
  EXPECT_EQ(sizeof v[1], 4u);
  for (int i = 0; i <= 5; i++) v[i] = -i;
  EXPECT_EQ(v[5], -5);
  free_ivector(v, 1, 5);
}

TEST(nrutil, matrix_rows_are_contiguous_and_row_major) {
  const int n = 4;
  double** m = matrix(1, n, 1, n);
  EXPECT_EQ(m[2] - m[1], n);
  for (int r = 1; r <= n; r++)
    for (int c = 0; c <= n; c++) m[r][c] = 10 * r + c;  // m[1][0] is the data block's spare
  // Element [r][c] is data element 1 + (r - 1) * n + (c - 1).
  double* block = m[1];
  EXPECT_EQ(block[1 + (3 - 1) * n + (2 - 1)], 32);
  free_matrix(m, 1, 999, 1, -7);  // upper bounds are ignored
}

TEST(nrutil, matrix_from_row_and_column_zero_holds_its_stamp) {
  const int k = 3;
  double** m = matrix(0, k, 0, k);
  EXPECT_EQ(m[1] - m[0], k + 1);
  m[0][0] = k;
  m[0][1] = k;
  m[k][k] = 7;
  m[0][-1] = 0;  // the spare element of the data block
  EXPECT_EQ(&m[k][k] - &m[0][0], (k + 1) * (k + 1) - 1);
  free_matrix(m, 0, k, 0, k);
}

TEST(nrutil, nrerror_writes_three_lines_and_exits_with_status_one) {
  EXPECT_EXIT(nrerror("x"), testing::ExitedWithCode(1),
              "^Numeric library run-time error...\nx\n...now exiting to system...\n$");
}

TEST(nrutil, refused_heap_request_is_fatal) {
  // More bytes than an address space holds: reported, never a short block.
  EXPECT_EXIT(matrix(1, 2000000000, 1, 2000000000), testing::ExitedWithCode(1),
              "allocation failure 2 in matrix\\(\\)");
}

TEST(nrutil, empty_matrix_keeps_its_release_slot) {
  double** m = matrix(1, 0, 1, 3);  // no rows: the data block is only the spare
  free_matrix(m, 1, 0, 1, 3);
  EXPECT_EXIT(matrix(1, -5, 1, 3), testing::ExitedWithCode(1), "allocation failure 1 in matrix\\(\\)");
}
