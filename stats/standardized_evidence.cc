#include "stats/standardized_evidence.h"

#include <boost/math/distributions/chi_squared.hpp>

namespace drevel {

std::optional<double> standardized_evidence(double E, int k) {
  if (k < 2 || !(E >= 0 && E <= 1)) return std::nullopt;
  if (E == 0) return 0.0;
  if (E == 1) return 1.0;
  const double c = k * (k + 1) / 2.0;
  const boost::math::chi_squared_distribution<double> all(c - 1), departure(c - k);
  const double q = boost::math::quantile(boost::math::complement(all, E));
  return boost::math::cdf(boost::math::complement(departure, q));
}

}  // namespace drevel
