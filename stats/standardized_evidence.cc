#include "stats/standardized_evidence.h"

#include <boost/math/distributions/chi_squared.hpp>

namespace drevel {

std::optional<double> standardized_evidence(double E, int k) {
  if (k < 2) return std::nullopt;
  const double c = k * (k + 1) / 2.0;
  return standardized_evidence_of_dimensions(E, c - 1, c - k);
}

std::optional<double> standardized_evidence_of_dimensions(double E, double all, double departure) {
  if (!(departure >= 1 && departure <= all) || !(E >= 0 && E <= 1)) return std::nullopt;
  if (E == 0) return 0.0;
  if (E == 1) return 1.0;
  const boost::math::chi_squared_distribution<double> whole(all), apart(departure);
  const double q = boost::math::quantile(boost::math::complement(whole, E));
  return boost::math::cdf(boost::math::complement(apart, q));
}

}  // namespace drevel
