// The PLINK mode: the reader over the chosen samples and groups, then the
// batch run, into the VCF mode's table.
#include "app/bed_main.h"

#include "app/batch_run.h"
#include "app/group_list.h"
#include "app/sample_list.h"
#include "io/output_path.h"
#include "plink/bed_reader.h"
#include "schema/table_schema.h"
#include "sites/site_table.h"

namespace drevel {

int bed_main(const command_line& options) {
  std::string error;
  std::vector<std::string> samples;
  if (options.have_samples && !read_sample_list(options.samples, &samples, &error))
    return batch_failure(error);
  sample_groups groups;
  const bool with_groups = !options.groups.empty();
  if (with_groups && !read_group_list(options.groups, &groups, &error))
    return batch_failure(error);

  bed_read_options read;
  read.regions = options.regions;
  read.regions_by_pos = options.regions_by_pos;
  read.samples = options.have_samples ? &samples : nullptr;
  read.groups = with_groups ? &groups : nullptr;
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

  batch_table table;
  table_layout layout;
  layout.labels = vcf_label_columns();
  layout.groups = with_groups;
  table.header = table_header(layout);
  const std::vector<std::string>* names = with_groups ? &groups.names : nullptr;
  table.append_rows = [layout, names](const site_record& site, const site_evidence& evidence,
                                      std::string* out) {
    append_rows(layout, site, evidence, names, out);
  };
  table.row_noun = with_groups ? "site-group rows" : "sites";
  table.describe = [](const site_record& site) {
    return "site " + site.labels[0] + ":" + site.labels[1];
  };
  return run_batch(options, reader, table);
}

}  // namespace drevel
