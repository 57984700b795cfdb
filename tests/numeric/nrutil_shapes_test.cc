#include "numeric/nrutil_shapes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <type_traits>

#include "numeric/nrutil.h"

using namespace drevel;

// Every element written below lies inside its block, so AddressSanitizer
// confirms the sizes; LeakSanitizer confirms that each release frees all.

TEST(nrutil_shapes, vectors_of_each_element_type) {
  static_assert(std::is_same<decltype(lvector(1, 1)), int32_t*>::value, "long is 4 bytes");
  char* c = cvector(1, 10);  // 11 bytes: the spare and 1..10
  for (int i = 0; i <= 10; i++) c[i] = static_cast<char>('a' + i);
  EXPECT_EQ(&c[10] - &c[0], 10);
  free_cvector(c, 1, 10);

  int32_t* l = lvector(0, 4);
  for (int i = -1; i <= 4; i++) l[i] = -i;
  EXPECT_EQ(l[4], -4);
  free_lvector(l, 0, 99);  // upper bound ignored

  double* d = dvector(-2, 2);
  for (int i = -3; i <= 2; i++) d[i] = i;
  free_dvector(d, -2, 2);

  free_cvector(cvector(1, 0), 1, 0);  // empty range: only the spare
}

TEST(nrutil_shapes, dmatrix_and_imatrix_share_the_matrix_layout) {
  double** d = dmatrix(0, 3, 0, 2);
  EXPECT_EQ(d[1] - d[0], 3);
  d[0][-1] = 0;  // the data block's spare
  for (int r = 0; r <= 3; r++)
    for (int k = 0; k <= 2; k++) d[r][k] = 10 * r + k;
  EXPECT_EQ(d[0][2 * 3 + 2], 22);  // rows lie next to each other
  free_matrix(d, 0, 3, 0, 2);          // a dmatrix is a matrix
  free_dmatrix(matrix(1, 2, 1, 2), 1, 2, 1, 2);

  int32_t** m = imatrix(1, 2, 1, 3);
  EXPECT_EQ(m[2] - m[1], 3);
  for (int r = 1; r <= 2; r++)
    for (int k = 0; k <= 3; k++) m[r][k] = r * k;
  free_imatrix(m, 1, 0, 1, 0);

  free_imatrix(imatrix(1, 0, 1, 4), 1, 0, 1, 4);  // empty row range
  free_dmatrix(dmatrix(1, 0, 1, 4), 1, 0, 1, 4);
}

TEST(nrutil_shapes, cube_is_a_table_of_matrices) {
  double*** c = cube(1, 3, 0, 2, 1, 2);
  for (int i = 1; i <= 3; i++)
    for (int r = 0; r <= 2; r++)
      for (int k = 1; k <= 2; k++) c[i][r][k] = 100 * i + 10 * r + k;
  EXPECT_EQ(c[2][1][2], 212);
  EXPECT_EQ(c[3][0][1], 301);
  free_cube(c, 1, 3, 0, 2, 1, 2);
  free_cube(cube(1, 0, 1, 2, 1, 2), 1, 0, 1, 2, 1, 2);  // no matrices
}

TEST(nrutil_shapes, submatrix_is_a_view_of_the_source) {
  double** a = matrix(1, 3, 1, 3);
  for (int r = 1; r <= 3; r++)
    for (int k = 1; k <= 3; k++) a[r][k] = 10 * r + k;
  double** v = submatrix(a, 2, 3, 2, 3, 1, 1);
  EXPECT_EQ(v[1][1], 22);
  EXPECT_EQ(v[2][1], 32);
  EXPECT_EQ(v[2][2], 33);
  v[1][2] = -1;
  EXPECT_EQ(a[2][3], -1);  // written through the view
  free_submatrix(v, 1, 2, 1, 2);
  EXPECT_EQ(a[3][3], 33);  // the source survives the view
  free_matrix(a, 1, 3, 1, 3);
}

TEST(nrutil_shapes, convert_matrix_reads_a_flat_array_row_after_row) {
  double array[6] = {0, 1, 2, 3, 4, 5};
  double** v = convert_matrix(array, 1, 2, 1, 3);
  EXPECT_EQ(v[2][1], 3);
  EXPECT_EQ(v[1][3], 2);
  v[2][3] = 50;
  EXPECT_EQ(array[5], 50);
  free_convert_matrix(v, 1, 2, 1, 3);
  double** z = convert_matrix(array, 0, 1, 0, 2);
  EXPECT_EQ(z[0][0], 0);
  EXPECT_EQ(z[1][0], 3);
  free_convert_matrix(z, 0, 1, 0, 2);
  free_convert_matrix(convert_matrix(array, 1, 0, 1, 3), 1, 0, 1, 3);  // no rows
}

TEST(nrutil_shapes, f3tensor_holds_its_reals_in_one_block) {
  const int rl = 1, rh = 3, cl = 0, ch = 2, dl = 2, dh = 5;
  const int cols = ch - cl + 1, deps = dh - dl + 1;
  double*** t = f3tensor(rl, rh, cl, ch, dl, dh);
  for (int r = rl; r <= rh; r++)
    for (int c = cl; c <= ch; c++)
      for (int d = dl; d <= dh; d++) {
        t[r][c][d] = 100 * r + 10 * c + d;
        ASSERT_EQ(&t[r][c][d] - &t[rl][cl][dl], ((r - rl) * cols + (c - cl)) * deps + (d - dl));
      }
  EXPECT_EQ(t[2][1][4], 214);
  free_f3tensor(t, rl, rh, cl, ch, dl, dh);
  // Empty ranges of each index can be made and released.
  free_f3tensor(f3tensor(1, 0, 1, 3, 1, 3), 1, 0, 1, 3, 1, 3);
  free_f3tensor(f3tensor(1, 3, 1, 0, 1, 3), 1, 3, 1, 0, 1, 3);
  free_f3tensor(f3tensor(1, 3, 1, 3, 1, 0), 1, 3, 1, 3, 1, 0);
}

// A range whose upper bound lies below low - 1 is a request the heap
// cannot grant; it takes the refusal path of each block in turn.
TEST(nrutil_shapes, refused_requests_are_fatal_with_the_shape_message) {
  double array[4] = {0, 0, 0, 0};
  double** a = matrix(1, 2, 1, 2);
  struct {
    std::function<void()> make;
    const char* message;
  } cases[] = {
      {[] { cvector(5, 1); }, "allocation failure in cvector\\(\\)"},
      {[] { lvector(5, 1); }, "allocation failure in lvector\\(\\)"},
      {[] { dvector(5, 1); }, "allocation failure in dvector\\(\\)"},
      {[] { dmatrix(5, 1, 1, 2); }, "allocation failure 1 in matrix\\(\\)"},
      {[] { dmatrix(1, 2, 5, 1); }, "allocation failure 2 in matrix\\(\\)"},
      {[] { imatrix(5, 1, 1, 2); }, "allocation failure 1 in matrix\\(\\)"},
      {[] { imatrix(1, 2, 5, 1); }, "allocation failure 2 in matrix\\(\\)"},
      {[] { cube(5, 1, 1, 2, 1, 2); }, "allocation failure 1 in cube\\(\\)"},
      {[] { cube(1, 2, 1, 2, 5, 1); }, "allocation failure 2 in matrix\\(\\)"},
      {[a] { submatrix(a, 5, 1, 1, 2, 1, 1); }, "allocation failure in submatrix\\(\\)"},
      {[&array] { convert_matrix(array, 5, 1, 1, 2); }, "allocation failure in convert_matrix\\(\\)"},
      {[] { f3tensor(5, 1, 1, 2, 1, 2); }, "allocation failure 1 in f3tensor\\(\\)"},
      {[] { f3tensor(1, 2, 5, 1, 1, 2); }, "allocation failure 2 in f3tensor\\(\\)"},
      {[] { f3tensor(1, 2, 1, 2, 5, 1); }, "allocation failure 3 in f3tensor\\(\\)"},
  };
  for (auto& c : cases)
    EXPECT_EXIT(c.make(), testing::ExitedWithCode(1),
                std::string("^Numeric library run-time error...\n") + c.message +
                    "\n...now exiting to system...\n$");
  free_matrix(a, 1, 2, 1, 2);
}
