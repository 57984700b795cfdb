#include "numeric/ludcmp.h"

#include <gtest/gtest.h>

#include "numeric/matrix_fixture.h"

using namespace drevel;

TEST(ludcmp, exchanges_rows_for_the_larger_scaled_pivot) {
  test_matrix a{{2, 1}, {4, 3}};
  int32_t* swaps = ivector(1, 2);
  double d;
  ludcmp(a.a, 2, swaps, &d);
  EXPECT_EQ(swaps[1], 2);
  EXPECT_EQ(swaps[2], 2);
  EXPECT_EQ(d, -1);
  EXPECT_EQ(a[1][1], 4);
  EXPECT_EQ(a[1][2], 3);
  EXPECT_EQ(a[2][1], 0.5);
  EXPECT_EQ(a[2][2], -0.5);
  free_ivector(swaps, 1, 2);
}

TEST(ludcmp, ties_take_the_last_row_and_zero_pivots_become_tiny) {
  test_matrix a{{1, 1}, {1, 1}};
  int32_t* swaps = ivector(1, 2);
  double d;
  ludcmp(a.a, 2, swaps, &d);
  EXPECT_EQ(swaps[1], 2);
  EXPECT_EQ(d, -1);
  EXPECT_EQ(a[2][2], 1e-20);
  free_ivector(swaps, 1, 2);

  test_matrix same{{1, 1}, {1, 1}};
  EXPECT_EQ(Determ(same.a, 2), -1e-20);
  test_matrix scaled{{1, 2}, {2, 4}};
  EXPECT_EQ(Determ(scaled.a, 2), -2e-20);
}

TEST(ludcmp, determinants) {
  test_matrix a{{2, 1}, {4, 3}};
  EXPECT_EQ(Determ(a.a, 2), 2);
  EXPECT_EQ(a[1][1], 2);  // not changed
  test_matrix swap{{0, 1}, {1, 0}};
  EXPECT_EQ(Determ(swap.a, 2), -1);
  test_matrix five{{5}};
  EXPECT_EQ(Determ(five.a, 1), 5);
  test_matrix three{{2, -1, 0}, {-1, 2, -1}, {0, -1, 2}};
  EXPECT_NEAR(Determ(three.a, 3), 4, 1e-14);
}

TEST(ludcmp, inverse_in_place_keeps_row_and_column_zero) {
  test_matrix a{{2, 1}, {4, 3}};
  Inversa(a.a, 2);
  EXPECT_EQ(a[1][1], 1.5);
  EXPECT_EQ(a[1][2], -0.5);
  EXPECT_EQ(a[2][1], -2);
  EXPECT_EQ(a[2][2], 1);
  EXPECT_EQ(a[0][0], 2);
  EXPECT_EQ(a[0][1], 2);
  EXPECT_EQ(a[1][0], -99);
  EXPECT_EQ(a[2][0], -99);

  test_matrix five{{5}};
  Inversa(five.a, 1);
  EXPECT_EQ(five[1][1], 0.2);
}

TEST(ludcmp, solves_with_leading_zeros_skipped) {
  test_matrix a{{4, 1, 0}, {1, 4, 1}, {0, 1, 4}};
  int32_t* swaps = ivector(1, 3);
  double d;
  ludcmp(a.a, 3, swaps, &d);
  for (int i = 1; i <= 3; i++) EXPECT_EQ(swaps[i], i);  // diagonally dominant: no exchange
  double* b = vector(1, 3);
  b[1] = 0;
  b[2] = 0;
  b[3] = 1;
  lubksb(a.a, 3, swaps, b);
  // A x = e3 for the tridiagonal matrix: x = (1, -4, 15) / 56.
  EXPECT_NEAR(b[1], 1.0 / 56, 1e-16);
  EXPECT_NEAR(b[2], -4.0 / 56, 1e-16);
  EXPECT_NEAR(b[3], 15.0 / 56, 1e-16);
  free_vector(b, 1, 3);
  free_ivector(swaps, 1, 3);
}

TEST(ludcmp, zero_row_is_fatal) {
  test_matrix a{{1, 2}, {0, 0}};
  EXPECT_EXIT(Determ(a.a, 2), testing::ExitedWithCode(1),
              "^Numeric library run-time error...\nSingular matrix in routine ludcmp\n"
              "...now exiting to system...\n$");
  EXPECT_EXIT(Inversa(a.a, 2), testing::ExitedWithCode(1), "Singular matrix in routine ludcmp");
}
