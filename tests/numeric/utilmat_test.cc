#include "numeric/utilmat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "numeric/matrix_fixture.h"
#include "support/run_drevel.h"

using namespace drevel;

TEST(utilmat, products_and_sums) {
  test_matrix A{{1, 2}, {3, 4}}, B{{5, 6}, {7, 8}}, C{{0, 0}, {0, 0}};
  double x[] = {2, 5, 6}, y[3] = {2, 0, 0};
  ProdMatVet(A.a, x, y, 2, 2);
  EXPECT_EQ(y[1], 17);
  EXPECT_EQ(y[2], 39);
  EXPECT_EQ(y[0], 2);
  ProdMatVet(A.a, x, y, 2, 0);
  EXPECT_EQ(y[1], 0);
  EXPECT_EQ(y[2], 0);

  ProdMat(A.a, B.a, C.a, 2, 2, 2);
  EXPECT_EQ(C[1][1], 19);
  EXPECT_EQ(C[2][2], 50);
  ProdAtB(A.a, B.a, C.a, 0, 2, 2);  // A^T B
  EXPECT_EQ(C[1][2], 1 * 6 + 3 * 8);
  EXPECT_EQ(C[2][1], 2 * 5 + 4 * 7);
  ProdABt(A.a, B.a, C.a, 2, 2, 2);  // A B^T
  EXPECT_EQ(C[1][2], 1 * 7 + 2 * 8);
  EXPECT_EQ(C[2][1], 3 * 5 + 4 * 6);
  EXPECT_EQ(ProdVet(x, x, 2), 61);

  double r[3];
  SomaElemMat(A.a, r, 1, 2, 2);
  EXPECT_EQ(r[1], 4);
  EXPECT_EQ(r[2], 6);
  SomaElemMat(A.a, r, 2, 2, 2);
  EXPECT_EQ(r[1], 3);
  EXPECT_EQ(r[2], 7);
  MediaMat(A.a, 2, 2, 1, r);
  EXPECT_EQ(r[1], 1.5);
  EXPECT_EQ(r[2], 3.5);
  for (int flag : {0, 2}) {
    MediaMat(A.a, 2, 2, flag, r);
    EXPECT_EQ(r[1], 2);
    EXPECT_EQ(r[2], 3);
  }
  test_matrix W{{1, 2, 3}, {4, 5, 6}};
  EXPECT_EQ(SomaDiagMat(W.a, 2, 3), 6);

  SubtraiMat(B.a, A.a, C.a, 2, 2);
  EXPECT_EQ(C[2][1], 4);
  MultiplMat(A.a, B.a, A.a, 2, 2);  // in place is allowed
  EXPECT_EQ(A[2][2], 32);
  ProdEscMat(0.5, B.a, B.a, 2, 2);
  EXPECT_EQ(B[1][2], 3);
  EXPECT_EQ(A[1][0], -99);  // column 0 untouched throughout
}

TEST(utilmat, index_searches_keep_the_first_on_ties) {
  double v[] = {0, 3, 7, 7, 1};
  EXPECT_EQ(IndMaximoVet(v, 4), 2);
  double w[] = {0, 4, 1, 1, 9};
  EXPECT_EQ(IndMinimoVet(w, 4), 2);
  EXPECT_EQ(IndMaximoVet(v, 1), 1);
  EXPECT_EQ(IndMinimoVet(w, 1), 1);
  double nan_first[] = {0, NAN, 5};
  EXPECT_EQ(IndMaximoVet(nan_first, 2), 1);

  test_matrix a{{5, 1}, {5, 9}};
  int32_t* idx = ivector(1, 2);
  IndMaximoMat(a.a, idx, 1, 2, 2);
  EXPECT_EQ(idx[1], 1);
  EXPECT_EQ(idx[2], 2);
  IndMaximoMat(a.a, idx, 2, 2, 2);
  EXPECT_EQ(idx[1], 1);
  EXPECT_EQ(idx[2], 2);
  free_ivector(idx, 1, 2);
}

TEST(utilmat, permutations_gather_in_the_same_direction) {
  int32_t perm[] = {0, 3, 1, 2};
  double v[] = {3, 10, 20, 30};
  Permuta_Vetor(v, perm, 3);
  EXPECT_EQ(v[1], 30);
  EXPECT_EQ(v[2], 10);
  EXPECT_EQ(v[3], 20);

  test_matrix c{{10, 20, 30}};
  Permuta_Colunas_Matriz(c.a, perm, 1, 3);
  EXPECT_EQ(c[1][1], 30);
  EXPECT_EQ(c[1][2], 10);
  EXPECT_EQ(c[1][3], 20);

  test_matrix r{{10}, {20}, {30}};  // made from row 0, so free_matrix still works
  double* row0 = r.a[0];
  Permuta_Linhas_Matriz(r.a, perm, 3);
  EXPECT_EQ(r[1][1], 30);
  EXPECT_EQ(r[2][1], 10);
  EXPECT_EQ(r[3][1], 20);
  EXPECT_EQ(r.a[0], row0);
}

TEST(utilmat, copies_and_outer_product) {
  test_matrix a{{1, 2}, {3, 4}}, b{{0, 0}, {0, 0}};
  CopiaMat(a.a, b.a, 2, 2);
  EXPECT_EQ(b[2][1], 3);
  EXPECT_EQ(b[1][0], -99);
  double x[] = {0, 2, 3}, y[] = {0, 5, 7};
  Kronvet(x, y, b.a, 2, 2);
  EXPECT_EQ(b[2][2], 21);
  EXPECT_EQ(b[1][2], 14);
}

TEST(utilmat, bad_direction_flags_are_fatal) {
  test_matrix a{{1, 2}, {3, 4}};
  double r[3];
  int32_t idx[3];
  EXPECT_EXIT(SomaElemMat(a.a, r, 3, 2, 2), testing::ExitedWithCode(1),
              "^SomaElemMat Erro: fldirec deve ser 1 ou 2\n$");
  EXPECT_EXIT(IndMaximoMat(a.a, idx, 0, 2, 2), testing::ExitedWithCode(1),
              "^IndMaximoMat Erro: fldirec deve ser 1 ou 2\n$");
}

TEST(utilmat, matrix_file_bytes) {
  std::string dir = make_temp_dir();
  test_matrix a{{1, -2}};
  grava_matriz(a.a, (dir + "/m.txt").c_str(), 1, 2);
  EXPECT_EQ(read_text(dir + "/m.txt"), "1.000000e+00\t-2.000000e+00\n");
  test_matrix b{{0.5, 1e-300, 12345.678}, {-0.0, 1e100, 3}};
  grava_matriz(b.a, (dir + "/b.txt").c_str(), 2, 3);
  EXPECT_EQ(read_text(dir + "/b.txt"),
            "5.000000e-01\t1.000000e-300\t1.234568e+04\n-0.000000e+00\t1.000000e+100\t3.000000e+00\n");
  grava_matriz(a.a, (dir + "/empty.txt").c_str(), 0, 2);
  EXPECT_EQ(read_text(dir + "/empty.txt"), "");
  EXPECT_EXIT(grava_matriz(a.a, (dir + "/no/such/dir.txt").c_str(), 1, 2),
              testing::ExitedWithCode(1), "^arquivo de saida nao pode ser aberto: No such file or directory\n$");
  EXPECT_EXIT(grava_matriz(a.a, "/dev/full", 1, 2), testing::ExitedWithCode(1),
              "^arquivo de saida nao pode ser gravado: No space left on device\n$");
}
