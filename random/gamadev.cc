// Gamma deviates: the product method for small integer shapes and
// rejection from a Cauchy (Lorentzian) comparison function for the rest.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "random/randomic.h"

#include "random/process_rand48.h"

namespace drevel {

double gamadev(double a, rand48_state& state) {
  if (!(a >= 1)) {
    std::fputs("\nErro na rotina gamdev\n", stderr);
    std::exit(1);
  }
  if (a < 6) {
    double x = 1.0;
    for (int j = 1; j <= a; j++) x *= drand48(state);
    return -std::log(x);
  }
  double x;
  for (;;) {
    double u1 = drand48(state);
    double vx = (u1 + u1) - 1;
    double u2 = drand48(state);
    double vy = (u2 + u2) - 1;
    if (vx * vx + vy * vy > 1) continue;
    double y = vy / vx;
    double am = a - 1;
    double s = std::sqrt((am + am) + 1);
    x = s * y + am;
    if (x <= 0) continue;
    double e = (y * y + 1) * std::exp(am * std::log(x / am) - s * y);
    double u3 = drand48(state);
    if (u3 > e) continue;
    return x;
  }
}

double gamadev(double a) {
  return gamadev(a, process_rand48());
}

}  // namespace drevel
