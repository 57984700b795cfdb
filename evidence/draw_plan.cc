// Draw plans.
#include "evidence/draw_plan.h"

#include <cmath>

#include "evidence/fast_math.h"

namespace drevel {

draw_plan make_draw_plan(const double* alpha, int c) {
  draw_plan plan;
  plan.c = c;
  std::vector<double> dp, dr;
  for (int m = 1; m <= c; m++) {
    double a = alpha[m];
    double d = a - 1;  // as LogDNFunc forms it
    plan.D = plan.D + std::fabs(d);
    if (a >= 6) {
      plan.segments.push_back({-1});
      plan.rejection.push_back(make_rejection_cell(a));
      dr.push_back(d);
      continue;
    }
    int n = 0;
    for (int j = 1; j <= a; j++) n++;  // gamadev's loop bound
    if (plan.segments.empty() || plan.segments.back().run < 0) {
      plan.segments.push_back({static_cast<int>(plan.runs.size())});
      plan.runs.push_back({static_cast<int>(plan.product_cells.size()), 0, 0, {}});
    }
    product_run& run = plan.runs.back();
    plan.product_cells.push_back({run.uniforms, n});
    run.count++;
    run.uniforms += n;
    if (run.uniforms > plan.max_run_uniforms) plan.max_run_uniforms = run.uniforms;
    dp.push_back(d);
  }
  for (product_run& run : plan.runs) {
    run.by_count_first[0] = static_cast<int>(plan.by_count.size());
    for (int n = 1; n <= 5; n++) {
      for (int k = run.first; k < run.first + run.count; k++)
        if (plan.product_cells[k].uniforms == n)
          plan.by_count.push_back({plan.product_cells[k].offset, k});
      run.by_count_first[n] = static_cast<int>(plan.by_count.size());
    }
  }
  plan.np = static_cast<int>(dp.size());
  plan.integer_d = true;
  for (double d : dp)
    if (!(d == 0 || d == 1 || d == 2 || d == 3 || d == 4)) plan.integer_d = false;
  plan.d = dp;
  plan.d.insert(plan.d.end(), dr.begin(), dr.end());
  double nu = (static_cast<double>(c) + 2) * 0x1p-53;
  plan.bound_scale = 8 * (fast_eps + nu / (1 - nu));
  return plan;
}

}  // namespace drevel
