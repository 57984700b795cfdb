#include "numeric/cholesky.h"

#include <gtest/gtest.h>

#include <cmath>

#include "numeric/matrix_fixture.h"

using namespace drevel;

TEST(cholesky, factor_of_a_two_by_two_ignores_the_lower_triangle) {
  for (double lower : {2.0, 99.0}) {
    test_matrix a{{4, 2}, {lower, 3}};
    double* p = vector(1, 2);
    EXPECT_EQ(choldc(a.a, 2, p), 0);
    EXPECT_EQ(p[1], 2);
    EXPECT_EQ(p[2], std::sqrt(2.0));
    EXPECT_EQ(a[2][1], 1);
    EXPECT_EQ(a[1][2], 2);  // upper triangle and diagonal keep the input
    EXPECT_EQ(a[2][2], 3);
    free_vector(p, 1, 2);

    test_matrix A{{4, 2}, {lower, 3}}, U{{-1, -1}, {-1, -1}};
    EXPECT_EQ(Cholesky(A.a, U.a, 2), 0);
    EXPECT_EQ(U[1][1], 2);
    EXPECT_EQ(U[1][2], 1);
    EXPECT_EQ(U[2][1], 0);
    EXPECT_EQ(U[2][2], std::sqrt(2.0));
    EXPECT_EQ(A[2][1], lower);  // A is only read
    EXPECT_EQ(U[0][0], 2);      // stamps and column 0 untouched
    EXPECT_EQ(U[1][0], -99);
  }
}

TEST(cholesky, sums_that_are_not_positive_fail) {
  test_matrix indefinite{{1, 2}, {2, 1}}, zero{{0}}, nan{{std::nan("")}};
  double* p = vector(1, 2);
  EXPECT_EQ(choldc(indefinite.a, 2, p), 1);
  EXPECT_EQ(choldc(zero.a, 1, p), 1);
  EXPECT_EQ(choldc(nan.a, 1, p), 1);
  free_vector(p, 1, 2);

  test_matrix A{{1, 2}, {2, 1}}, U{{0, 0}, {0, 0}};
  EXPECT_EQ(Cholesky(A.a, U.a, 2), 1);
  EXPECT_EQ(U[1][1], 1);
  EXPECT_EQ(U[1][2], 2);
  EXPECT_EQ(U[2][1], 0);
  EXPECT_TRUE(std::isnan(U[2][2]));  // never computed
}

TEST(cholesky, failure_keeps_what_was_written_and_leaves_the_rest) {
  // Row 1 factors (L = 1, 2, 3 down column 1); row 2 then sums 4 - 4 = 0.
  test_matrix a{{1, 2, 3}, {-7, 4, 5}, {-7, -7, 9}};
  double* p = vector(1, 3);
  p[2] = p[3] = -5;
  EXPECT_EQ(choldc(a.a, 3, p), 1);
  EXPECT_EQ(p[1], 1);
  EXPECT_EQ(a[2][1], 2);
  EXPECT_EQ(a[3][1], 3);
  EXPECT_EQ(p[2], -5);
  EXPECT_EQ(p[3], -5);
  EXPECT_EQ(a[3][2], -7);
  free_vector(p, 1, 3);
}

TEST(cholesky, triangular_solves) {
  test_matrix U{{2, 1}, {0, 4}}, B{{4}, {8}}, X{{0}, {0}};
  uim(U.a, B.a, X.a, 2, 1);
  EXPECT_EQ(X[1][1], 1);
  EXPECT_EQ(X[2][1], 2);
  test_matrix B2{{4}, {10}};
  utim(U.a, B2.a, X.a, 2, 1);
  EXPECT_EQ(X[1][1], 2);
  EXPECT_EQ(X[2][1], 2);
  EXPECT_EQ(B2[2][1], 10);  // B is only read

  test_matrix u1{{4}}, b1{{3, -8}}, x1{{0, 0}};
  uim(u1.a, b1.a, x1.a, 1, 2);
  EXPECT_EQ(x1[1][1], 0.75);
  EXPECT_EQ(x1[1][2], -2);
  utim(u1.a, b1.a, x1.a, 1, 2);
  EXPECT_EQ(x1[1][1], 0.75);
  EXPECT_EQ(x1[1][2], -2);
}

TEST(cholesky, factor_and_both_solves_give_the_solution_in_place) {
  test_matrix A{{4, 2, -2}, {2, 10, 4}, {-2, 4, 9}}, U{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
  ASSERT_EQ(Cholesky(A.a, U.a, 3), 0);
  for (int i = 1; i <= 3; i++)  // U^T U = A
    for (int j = 1; j <= 3; j++) {
      double s = 0;
      for (int k = 1; k <= 3; k++) s += U[k][i] * U[k][j];
      EXPECT_NEAR(s, A[i][j], 1e-12);
    }
  test_matrix B{{1, 0}, {2, 1}, {3, 0}};
  test_matrix X{{1, 0}, {2, 1}, {3, 0}};
  utim(U.a, X.a, X.a, 3, 2);  // X may be B
  uim(U.a, X.a, X.a, 3, 2);
  for (int c = 1; c <= 2; c++)
    for (int i = 1; i <= 3; i++) {
      double s = 0;
      for (int k = 1; k <= 3; k++) s += A[i][k] * X[k][c];
      EXPECT_NEAR(s, B[i][c], 1e-12) << "row " << i << " column " << c;
    }
}

TEST(cholesky, empty_systems_touch_nothing) {
  test_matrix U{{1}}, X{{5}};
  EXPECT_EQ(Cholesky(U.a, X.a, 0), 0);
  uim(U.a, U.a, X.a, 0, 1);
  utim(U.a, U.a, X.a, 0, 1);
  EXPECT_EQ(X[0][0], 1);  // the stamp in row 0
  EXPECT_EQ(X[1][1], 5);
}
