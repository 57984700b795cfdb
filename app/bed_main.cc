// The PLINK mode: the reader over the chosen samples and groups, then the
// batch run, into the VCF mode's table.
#include "app/bed_main.h"

#include <cstdio>

#include "app/batch_run.h"
#include "app/output_collisions.h"
#include "app/site_selection.h"
#include "io/output_path.h"
#include "plink/bed_reader.h"
#include "schema/table_schema.h"
#include "sites/site_table.h"

namespace drevel {

int bed_main(const command_line& options) {
  std::string error;
  // A table named as a list file would replace it once complete.
  if (!check_output_collisions({options.files[1], "the table"}, list_files(options), &error)) {
    std::fprintf(stderr, "drevel: %s (see drevel --help)\n", error.c_str());
    return 2;
  }
  site_selection selection;
  if (!read_site_selection(options, &selection, &error)) return batch_failure(error);

  bed_read_options read;
  read.regions = options.regions;
  read.regions_by_pos = options.regions_by_pos;
  read.samples = selection.sample_list();
  read.groups = selection.group_list();
  read.declared_alleles = options.declared_alleles;
  read.max_alleles = options.max_alleles;
  // The table replaces its file only once complete, so an output named as
  // one of the three inputs would replace that input.
  std::string base = options.files[0];
  if (base.size() > 4 && base.compare(base.size() - 4, 4, ".bed") == 0) base.resize(base.size() - 4);
  for (const char* suffix : {".bed", ".bim", ".fam"})
    if (same_file(base + suffix, options.files[1]))
      return batch_failure(options.files[1] + ": the output file is an input file");
  bed_reader reader;
  status opened = reader.open(options.files[0], read);
  if (!opened) return batch_failure(opened.message());

  // The VCF mode's columns, so that the rows compare with a VCF export.
  table_layout layout;
  layout.labels = vcf_label_columns();
  layout.groups = selection.with_groups;
  return run_batch(options, reader, site_table_of(layout, selection, options.joint));
}

}  // namespace drevel
