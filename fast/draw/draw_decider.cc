// The literal replay of a draw.
#include "fast/draw/draw_decider.h"

#include <cstdio>
#include <cstdlib>

#include "evidence/kernel.h"
#include "random/dirirnd.h"
#include "random/rand48_access.h"

namespace drevel {

draw_decider::draw_decider(const draw_plan& plan, simd_path path, const double* alpha,
                           double L_hyp)
    : kernel_(fast_kernel_for(path)),
      layout_(plan.layout()),
      bound_(plan.bound),
      alpha_(alpha),
      L_hyp_(L_hyp),
      c_(plan.c),
      theta_(static_cast<size_t>(plan.c) + 1) {
  theta_[0] = plan.c;
}

// dirirnd and LogDNFunc on a stream set to X_start.
int draw_decider::replay(uint64_t X_start, uint64_t X_end) {
  replays_++;
  rand48_state st;
  rand48_access::set(st, X_start);
  dirirnd(alpha_, theta_.data(), c_, st);
  double L = LogDNFunc(alpha_, theta_.data(), c_);
  if (rand48_access::get(st) != X_end) {
    std::fputs("drevel: internal error: fast engine lost its place in the random stream\n",
               stderr);
    std::abort();
  }
  return L >= L_hyp_ ? 1 : 0;
}

}  // namespace drevel
