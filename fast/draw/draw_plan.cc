// Draw plans.
#include "fast/draw/draw_plan.h"

#include <algorithm>
#include <cmath>

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
    plan.product_cells.push_back({run.uniforms, n, 0});
    run.count++;
    run.uniforms += n;
    if (run.uniforms > plan.max_run_uniforms) plan.max_run_uniforms = run.uniforms;
    dp.push_back(d);
  }
  // Kernel slots of the product cells: grouped by d, in order of first
  // appearance, when there are few distinct d (integer counts give at most
  // five); in draw order otherwise.
  int np = static_cast<int>(dp.size());
  std::vector<double> values;
  for (double d : dp)
    if (std::find(values.begin(), values.end(), d) == values.end()) values.push_back(d);
  std::vector<int> slot(static_cast<size_t>(np));
  if (values.size() <= static_cast<size_t>(max_product_groups)) {
    int next = 0;
    for (double v : values) {
      int first = next;
      for (int k = 0; k < np; k++)
        if (dp[static_cast<size_t>(k)] == v) slot[static_cast<size_t>(k)] = next++;
      plan.groups.push_back({first, next, v});
    }
  } else {
    for (int k = 0; k < np; k++) slot[static_cast<size_t>(k)] = k;
  }
  for (int k = 0; k < np; k++) plan.product_cells[static_cast<size_t>(k)].slot = slot[static_cast<size_t>(k)];
  for (product_run& run : plan.runs) {
    run.by_count_first[0] = static_cast<int>(plan.by_count.size());
    for (int n = 1; n <= 5; n++) {
      for (int k = run.first; k < run.first + run.count; k++)
        if (plan.product_cells[k].uniforms == n)
          plan.by_count.push_back({plan.product_cells[k].offset, plan.product_cells[k].slot});
      run.by_count_first[n] = static_cast<int>(plan.by_count.size());
    }
  }
  plan.np = np;
  plan.d.assign(static_cast<size_t>(np), 0);
  for (int k = 0; k < np; k++) plan.d[static_cast<size_t>(slot[static_cast<size_t>(k)])] = dp[static_cast<size_t>(k)];
  plan.d.insert(plan.d.end(), dr.begin(), dr.end());
  plan.short_log = kernel_bound::short_log_fits(plan.D);
  plan.bound = kernel_bound(c, plan.D, plan.short_log);
  return plan;
}

}  // namespace drevel
