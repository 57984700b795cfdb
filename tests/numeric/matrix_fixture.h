// Small matrices for the numeric tests, made from row and column 0 like the
// program's own, with their size stamps.
#ifndef DREVEL_TESTS_NUMERIC_MATRIX_FIXTURE_H
#define DREVEL_TESTS_NUMERIC_MATRIX_FIXTURE_H

#include <initializer_list>

#include "numeric/nrutil.h"

struct test_matrix {
  double** a;
  int nrow, ncol;
  test_matrix(std::initializer_list<std::initializer_list<double>> rows)
      : nrow(static_cast<int>(rows.size())), ncol(static_cast<int>(rows.begin()->size())) {
    a = drevel::matrix(0, nrow, 0, ncol);
    a[0][0] = nrow;
    a[0][1] = ncol;
    int i = 1;
    for (auto& row : rows) {
      int j = 1;
      for (double v : row) a[i][j++] = v;
      a[i][0] = -99;  // column 0 must never be touched
      i++;
    }
  }
  ~test_matrix() { drevel::free_matrix(a, 0, nrow, 0, ncol); }
  test_matrix(const test_matrix&) = delete;
  test_matrix& operator=(const test_matrix&) = delete;
  double* operator[](int i) { return a[i]; }
};

#endif
