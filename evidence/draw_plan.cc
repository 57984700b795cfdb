// Draw plans and the walk through one draw's uniforms.
#include "evidence/draw_plan.h"

#include <cmath>

#include "evidence/fast_math.h"
#include "random/rand48_access.h"

namespace drevel {

draw_plan make_draw_plan(const double* alpha, int c) {
  draw_plan plan;
  plan.c = c;
  plan.uniforms.resize(c);
  std::vector<double> dp, dr;
  for (int m = 1; m <= c; m++) {
    double a = alpha[m];
    double d = a - 1;  // as LogDNFunc forms it
    if (a < 6) {
      int n = 0;
      for (int j = 1; j <= a; j++) n++;  // gamadev's loop bound
      plan.uniforms[m - 1] = n;
      dp.push_back(d);
    } else {
      plan.uniforms[m - 1] = 0;
      plan.rejection.push_back(make_rejection_cell(a));
      dr.push_back(d);
    }
    plan.D = plan.D + std::fabs(d);
  }
  plan.np = static_cast<int>(dp.size());
  plan.d = dp;
  plan.d.insert(plan.d.end(), dr.begin(), dr.end());
  double nu = (static_cast<double>(c) + 2) * 0x1p-53;
  plan.bound_scale = 8 * (fast_eps + nu / (1 - nu));
  return plan;
}

void walk_draw(const draw_plan& plan, uint64_t& X, double* G, int64_t* literal_tests) {
  double* P = G;
  double* R = G + plan.np;
  const rejection_cell* cell = plan.rejection.data();
  for (int n : plan.uniforms) {
    if (n == 0) {
      *R++ = fast_gamma_rejection(*cell++, X, literal_tests);
      continue;
    }
    X = rand48_next(X);
    double x = rand48_uniform(X);  // 1.0 * u1 is u1
    for (int j = 1; j < n; j++) {
      X = rand48_next(X);
      x *= rand48_uniform(X);
    }
    *P++ = x;
  }
}

}  // namespace drevel
