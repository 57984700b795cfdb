// The --regions items of the VCF mode as the intervals of an indexed file:
// sorted and merged, so that one index query per interval visits every site
// once and in file order.
#ifndef DREVEL_VCF_VCF_REGIONS_H
#define DREVEL_VCF_VCF_REGIONS_H

#include <htslib/hts.h>
#include <htslib/tbx.h>
#include <htslib/vcf.h>

#include <string>
#include <vector>

#include "fault/status.h"

namespace drevel {

struct region_interval {
  int tid;             // sequence id of the index: tabix ids when tbx is used, else the header's
  hts_pos_t beg, end;  // 0-based, half open
};

// Parses the "chr", "chr:pos" and "chr:begin-end" items (1-based, inclusive)
// against the header hdr and, for a bgzipped VCF, its tabix index tbx (null
// for BCF), and returns the intervals in file order with those that overlap
// or touch joined.  A sequence the header declares but the index lacks holds
// no sites and gives no interval.  A fault with a one-line message: of kind
// usage for an item that cannot be read, of kind input (naming path) for
// one that names a sequence the file does not have; *intervals is then
// untouched.
status parse_regions(const std::vector<std::string>& items, const std::string& path,
                     bcf_hdr_t* hdr, tbx_t* tbx, std::vector<region_interval>* intervals);

}  // namespace drevel

#endif
