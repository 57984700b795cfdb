// The --regions items of the PLINK mode, matched against the .bim's
// chromosome and position: a .bed has no index, but its records have one
// size, so the sites outside the regions are passed over without reading.
#ifndef DREVEL_PLINK_BIM_REGIONS_H
#define DREVEL_PLINK_BIM_REGIONS_H

#include <cstdint>
#include <string>
#include <vector>

#include "fault/status.h"

namespace drevel {

struct bim_region {
  std::string chrom;
  int64_t begin = 1, end = INT64_MAX;  // 1-based, inclusive
};

// Parses "chr", "chr:pos", "chr:begin-end" and "chr:begin-" items.  Fails
// with fault_kind::usage for an item that cannot be read or whose end lies
// before its begin.
status parse_bim_regions(const std::vector<std::string>& items, std::vector<bim_region>* out);

// Whether a site on chrom spanning first..last (1-based, inclusive) overlaps
// any of the regions.
bool in_bim_regions(const std::vector<bim_region>& regions, const std::string& chrom,
                    int64_t first, int64_t last);

}  // namespace drevel

#endif
