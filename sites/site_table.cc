#include "sites/site_table.h"

#include <cinttypes>
#include <cstdio>

namespace drevel {

const char* const site_table_header =
    "#CHROM\tPOS\tID\tREF\tALT\tN_ALLELES\tN_CALLED\tN_SKIPPED\tEVIDENCE\tL_MAX\tL_HYP\tDRAWS\n";

std::string format_site_row(const site_record& site, const site_evidence& evidence) {
  char buf[256];
  std::string row;
  row.reserve(site.chrom.size() + site.id.size() + site.ref.size() + site.alt.size() + 128);
  row += site.chrom;
  std::snprintf(buf, sizeof buf, "\t%" PRId64 "\t", site.pos);
  row += buf;
  row += site.id;
  row += '\t';
  row += site.ref;
  row += '\t';
  row += site.alt;
  std::snprintf(buf, sizeof buf, "\t%d\t%" PRId64 "\t%" PRId64, site.k, site.called,
                site.skipped);
  row += buf;
  if (evidence.outcome == site_outcome::computed) {
    std::snprintf(buf, sizeof buf, "\t%e\t%e\t%e\t%" PRId64 "\n", evidence.E, evidence.L_max,
                  evidence.L_hyp, evidence.draws);
    row += buf;
  } else {
    row += "\tNA\tNA\tNA\tNA\n";
  }
  return row;
}

}  // namespace drevel
