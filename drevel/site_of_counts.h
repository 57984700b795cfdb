// The inside of the face: a locus's counts as the one-group site the batch
// computation takes, and its group's result as the face's row.
#ifndef DREVEL_DREVEL_SITE_OF_COUNTS_H
#define DREVEL_DREVEL_SITE_OF_COUNTS_H

#include <vector>

#include "drevel/evidence_row.h"
#include "fault/status.h"
#include "sites/site_evidence.h"

namespace drevel {
namespace internal {

// Usage faults of compute_evidence's arguments, else ok.
status check_counts(const std::vector<double>& counts, const evidence_tuning& tuning);
// A site with one group testing all k alleles of the counts (checked), its
// calls and heterozygotes taken from the counts.
site_record site_of_counts(const std::vector<double>& counts);
tuning_request tuning_of(const evidence_tuning& tuning);
evidence_row row_of(const group_counts& group, group_evidence&& evidence);
// The resource fault of a pool or batch whose threads did not all start
// (`started`, from their started()), worded as the command line words it:
// "cannot run N threads: <why>".
status cannot_start(int threads, const status& started);

}  // namespace internal
}  // namespace drevel

#endif
