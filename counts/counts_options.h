// What a reader of count tables counts (counts/counts_reader.h).
#ifndef DREVEL_COUNTS_COUNTS_OPTIONS_H
#define DREVEL_COUNTS_COUNTS_OPTIONS_H

#include "sites/site_record.h"

namespace drevel {

struct counts_read_options {
  // Test every allele the row declares, seen or not (for a drevel table:
  // every allele it tested).
  bool declared_alleles = false;
  // Groups with more tested alleles get no genotype counts.
  int max_alleles = default_max_alleles;
};

}  // namespace drevel

#endif
