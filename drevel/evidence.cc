#include "drevel/evidence.h"

#include <utility>

#include "drevel/site_of_counts.h"
#include "sites/site_evidence.h"

namespace drevel {

status compute_evidence(const std::vector<double>& counts, const evidence_tuning& tuning,
                        evidence_row* row) {
  status s = internal::check_counts(counts, tuning);
  if (!s) return s;
  const site_record site = internal::site_of_counts(counts);
  site_evidence e = compute_site_evidence(site, internal::tuning_of(tuning), tuning.max_alleles);
  *row = internal::row_of(site.groups[0], std::move(e.groups[0]));
  return status::ok();
}

}  // namespace drevel
