#include "evidence/cells.h"

#include <gtest/gtest.h>

using namespace drevel;

TEST(cells, lower_triangle_row_by_row) {
  EXPECT_EQ(posvectinf(1, 1), 1);
  EXPECT_EQ(posvectinf(2, 1), 2);
  EXPECT_EQ(posvectinf(2, 2), 3);
  EXPECT_EQ(posvectinf(3, 1), 4);
  EXPECT_EQ(posvectinf(4, 4), 10);
  int n = 0;  // every cell of k = 30 once, in order
  for (int i = 1; i <= 30; i++)
    for (int j = 1; j <= i; j++) ASSERT_EQ(posvectinf(i, j), ++n);
}

TEST(cells, upper_triangle_row_by_row) {
  int n = 0;
  for (int i = 1; i <= 3; i++)
    for (int j = i; j <= 3; j++) EXPECT_EQ(posvectsup(i, j, 3), ++n);
  for (int d : {1, 5, 17}) {
    n = 0;
    for (int i = 1; i <= d; i++)
      for (int j = i; j <= d; j++) ASSERT_EQ(posvectsup(i, j, d), ++n);
  }
}

TEST(cells, wrong_triangle_is_fatal) {
  EXPECT_EXIT(posvectinf(2, 3), testing::ExitedWithCode(1), "^ERRO chamada funcao posvectinf\n$");
  EXPECT_EXIT(posvectsup(2, 1, 3), testing::ExitedWithCode(1), "^ERRO funcao posvectsup\n$");
}
