// Log-gamma by the Lanczos approximation with six series terms.
#include "random/gammln.h"

#include <cmath>

namespace drevel {

namespace {

const double cof[6] = {76.18009172947146,     -86.50532032941678,     24.01409824083091,
                       -1.231739572450155,    0.001208650973866179,  -5.395239384953e-06};

}  // namespace

// 2.5066282746310005 is a literal one unit in the last place above the
// double nearest sqrt(2 pi), kept as the series was fitted with it.
double gammln(double x) {
  double t = x + 5.5;
  t = t - (x + 0.5) * std::log(t);
  double sum = 1.000000000190015;
  double y = x;
  for (int j = 0; j <= 5; j++) {
    y = y + 1;
    sum = sum + cof[j] / y;
  }
  return std::log((2.5066282746310005 * sum) / x) - t;
}

}  // namespace drevel
