// What the batch modes over sites with chromosome and position (VCF, BCF,
// PLINK) share: the samples and groups the command line chooses, the list
// files that an output must not overwrite, and the table with the VCF's
// label columns.
#ifndef DREVEL_APP_SITE_SELECTION_H
#define DREVEL_APP_SITE_SELECTION_H

#include <string>
#include <vector>

#include "app/batch_run.h"
#include "app/options.h"
#include "app/output_collisions.h"
#include "sites/sample_groups.h"
#include "sites/site_table.h"

namespace drevel {

struct site_selection {
  bool with_samples = false, with_groups = false;
  std::vector<std::string> samples;  // --samples, when with_samples
  sample_groups groups;              // --groups, when with_groups
  const std::vector<std::string>* sample_list() const { return with_samples ? &samples : nullptr; }
  const sample_groups* group_list() const { return with_groups ? &groups : nullptr; }
};

// Reads --samples and --groups.  Returns false with a one-line message in
// *error when a list cannot be read.  The selection must outlive the
// reader and the table that point into it.
bool read_site_selection(const command_line& options, site_selection* selection,
                         std::string* error);

// The list files of the command line (--groups, --samples @file), as
// check_output_collisions takes them.
std::vector<run_file> list_files(const command_line& options);

// The table of such a run in `layout` (its format's: the VCF's label
// columns, GROUP with groups), one row per site and group, and with `joint`
// (--joint) the joint row of each site's groups; rows named "site
// CHROM:POS" in the notes.
batch_table site_table_of(table_layout layout, const site_selection& selection, bool joint);

}  // namespace drevel

#endif
