#include "random/dirirnd.h"

#include <gtest/gtest.h>

#include "random/randomic.h"

using namespace drevel;

TEST(dirirnd, cells_draw_in_order_and_are_normalised) {
  double alpha[] = {4, 1.0001, 3.5, 9.25, 6.0};
  double out[] = {4, 0, 0, 0, 0};
  rand48_state g, hand;
  for (int draw = 0; draw < 200; draw++) {
    dirirnd(alpha, out, 4, g);
    double G[5], sum = 0;
    for (int m = 1; m <= 4; m++) sum = sum + (G[m] = gamadev(alpha[m], hand));
    for (int m = 1; m <= 4; m++) ASSERT_EQ(out[m], G[m] / sum);
    ASSERT_EQ(g, hand);
    ASSERT_EQ(out[0], 4);  // the stamp stays
  }
}

TEST(dirirnd, one_cell_is_always_one) {
  double alpha[] = {1, 7.5}, out[] = {1, 0};
  rand48_state g;
  for (int i = 0; i < 10; i++) {
    dirirnd(alpha, out, 1, g);
    EXPECT_EQ(out[1], 1);
  }
}
