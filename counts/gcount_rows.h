// plink2's --geno-counts table (.gcount): its columns found by name in the
// header, and each row's genotype counts into a site record.
#ifndef DREVEL_COUNTS_GCOUNT_ROWS_H
#define DREVEL_COUNTS_GCOUNT_ROWS_H

#include <cstdint>
#include <string>
#include <vector>

#include "counts/counts_options.h"
#include "fault/status.h"
#include "sites/genotype_tally.h"

namespace drevel {

// Where each known column is; -1 where the file has none.
struct gcount_columns {
  int chrom = -1, pos = -1, id = -1, ref = -1, alt = -1;
  int homref = -1, refalt = -1, altxy = -1, xy = -1;
  int hapref = -1, hapalt = -1, hap = -1, missing = -1;
};

// Finds the columns among the header's names (without the leading "#").  A
// fault of kind input, its message the cause (no file or line), for a name
// that is no .gcount column, or without REF, ALT or the genotype counts.
status find_gcount_columns(const std::vector<std::string>& names, gcount_columns* columns);

// Reads one row, whose fields match the header's names, into *site through
// *tally.  A fault of kind input, its message the cause (no file or line):
// a count or list that does not read, a list of the wrong length, a total
// beyond 2^53 calls, calls of a missing ALT.
status read_gcount_row(const gcount_columns& columns, const std::vector<std::string>& names,
                       const std::vector<std::string>& fields, const counts_read_options& options,
                       genotype_tally* tally, site_record* site);

}  // namespace drevel

#endif
