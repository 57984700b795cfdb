// One site of a batch input as its reader gives it: the columns that name it
// and its genotype counts.  Every batch format (VCF, BCF) fills the same
// record, so the table, the pool and the computation know no format.
#ifndef DREVEL_SITES_SITE_RECORD_H
#define DREVEL_SITES_SITE_RECORD_H

#include <cstdint>
#include <string>
#include <vector>

namespace drevel {

// counts holds the c = k(k+1)/2 genotype counts in lower-triangle order:
// counts[n - 1] is cell n, so cell (i, j), i >= j, is at posvectinf(i, j) - 1.
// It is empty for a site that is not to be computed (more alleles than the
// limit).
struct site_record {
  std::string chrom, id, ref, alt;  // alt: the ALT column as written, "." if none
  int64_t pos = 0;                  // 1-based
  int k = 1;
  std::vector<double> counts;
  int64_t called = 0, skipped = 0;  // diploid calls counted; calls not counted
};

}  // namespace drevel

#endif
