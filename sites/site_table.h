// The table of the VCF mode: one header line, then one tab-separated row per
// site in the order of the input.
#ifndef DREVEL_SITES_SITE_TABLE_H
#define DREVEL_SITES_SITE_TABLE_H

#include <string>

#include "sites/site_evidence.h"

namespace drevel {

// "#CHROM\tPOS\tID\tREF\tALT\tN_ALLELES\tN_CALLED\tN_SKIPPED\tEVIDENCE\tL_MAX\tL_HYP\tDRAWS\n"
extern const char* const site_table_header;

// The row of a site, ending in "\n": the five VCF columns as read, the allele
// count, the counted and the uncounted calls, then E, L_max and L_hyp in the
// result file's "%e" notation and the number of draws; a site that was not
// computed has NA in the last four columns.
std::string format_site_row(const site_record& site, const site_evidence& evidence);

}  // namespace drevel

#endif
