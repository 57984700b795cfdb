// A table drevel wrote, read back: its label columns, its computed columns
// found by name, and each row's GENOTYPES into a site record, to be computed
// again with other tuning.
#ifndef DREVEL_COUNTS_TABLE_ROWS_H
#define DREVEL_COUNTS_TABLE_ROWS_H

#include <string>
#include <vector>

#include "counts/counts_options.h"
#include "fault/status.h"
#include "sites/genotype_tally.h"
#include "sites/site_table.h"

namespace drevel {

struct table_columns {
  size_t computed = 0;  // where N_ALLELES is: the label columns come before
  int alleles = -1;     // the ALLELES column, -1 when none
  int joined = -1;      // the N_JOINED column of a table with joint rows, -1 when none
};

// Whether the header's names (without the leading "#") are a drevel
// table's: N_ALLELES somewhere.  When they are, find_table_columns says
// whether they are one well.
bool names_a_drevel_table(const std::vector<std::string>& names);

// Finds the columns and the layout to write them again (the label columns,
// GROUP among them, and ALLELES).  A fault of kind input, its message the
// cause (no file or line), when the computed columns are not all there in
// order after at least one label column, or other columns follow but
// N_JOINED and N_LEFT_OUT (a table written with --joint) and ALLELES.
status find_table_columns(const std::vector<std::string>& names, table_columns* columns,
                          table_layout* layout);

// Whether a row is a joint row (N_JOINED not NA): it has no counts of its
// own to read.
bool is_joint_row(const table_columns& columns, const std::vector<std::string>& fields);

// Reads one row into *site through *tally: k = N_ALLELES, the counts are
// GENOTYPES over the N_TESTED alleles (the ALLELES names, when the table
// has them), skipped = N_SKIPPED.  *left_out is empty for a site read, and
// the reason for a row written without GENOTYPES, which gives no site.  A
// fault of kind input, its message the cause (no file or line), for a
// value that is not a count, GENOTYPES that are not N_TESTED(N_TESTED+1)/2
// counts adding up to N_CALLED, or ALLELES that name another number of
// alleles.
status read_table_row(const table_columns& columns, const std::vector<std::string>& fields,
                      const counts_read_options& options, genotype_tally* tally,
                      site_record* site, std::string* left_out);

}  // namespace drevel

#endif
