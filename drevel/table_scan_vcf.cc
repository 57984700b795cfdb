// The VCF half of drevel/table_scan.h, built with htslib.
#include "drevel/table_pump.h"
#include "drevel/table_scan.h"
#include "sites/sample_groups.h"
#include "vcf/vcf_reader.h"

namespace drevel {

status scan_vcf_table(const std::string& path, const vcf_scan_options& options,
                      const evidence_tuning& tuning, int threads, scanned_table* table,
                      const std::function<bool()>& interrupted) {
  table->text.clear();
  table->warnings.clear();
  sample_groups groups;
  const bool with_groups = !options.group_names.empty();
  groups.source = "groups";
  groups.names = options.group_names;
  groups.members = options.group_members;
  vcf_read_options read;
  read.regions = options.regions;
  read.samples = options.have_samples ? &options.samples : nullptr;
  read.groups = with_groups ? &groups : nullptr;
  read.declared_alleles = options.declared_alleles;
  read.max_alleles = tuning.max_alleles;
  read.overlap = options.regions_by_pos ? region_overlap::pos : region_overlap::record;
  vcf_reader reader;
  status opened = reader.open(path, read);
  if (!opened) return opened;
  return internal::pump_table(reader, vcf_table_layout(with_groups),
                              with_groups ? &groups.names : nullptr, tuning, threads, table,
                              interrupted);
}

}  // namespace drevel
