// The VCF mode: the reader over the chosen samples and groups, then the
// batch run.
#include "app/vcf_main.h"

#include "app/batch_run.h"
#include "app/group_list.h"
#include "app/sample_list.h"
#include "sites/site_table.h"
#include "vcf/vcf_reader.h"

namespace drevel {

int vcf_main(const command_line& options) {
  std::string error;
  std::vector<std::string> samples;
  if (options.have_samples && !read_sample_list(options.samples, &samples, &error))
    return batch_failure(error);
  sample_groups groups;
  const bool with_groups = !options.groups.empty();
  if (with_groups && !read_group_list(options.groups, &groups, &error))
    return batch_failure(error);

  vcf_read_options read;
  read.regions = options.regions;
  read.samples = options.have_samples ? &samples : nullptr;
  read.groups = with_groups ? &groups : nullptr;
  read.declared_alleles = options.declared_alleles;
  read.max_alleles = options.max_alleles;
  read.overlap = options.regions_by_pos ? region_overlap::pos : region_overlap::record;
  // One thread inflates the blocks while this one parses the records.
  read.decompression_threads = 1;
  vcf_reader reader;
  if (!reader.open(options.files[0], read, &error)) return batch_failure(error);

  batch_table table;
  table.header = vcf_table_header(with_groups);
  const std::vector<std::string>* names = with_groups ? &groups.names : nullptr;
  table.append_rows = [names](const site_record& site, const site_evidence& evidence,
                              std::string* out) { append_vcf_rows(site, evidence, names, out); };
  table.row_noun = with_groups ? "site-group rows" : "sites";
  return run_batch(options, reader, table);
}

}  // namespace drevel
