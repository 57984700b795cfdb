// The VCF mode: the reader over the chosen samples and groups, then the
// batch run.
#include "app/vcf_main.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "annotate/vcf_annotator.h"
#include "app/batch_run.h"
#include "app/group_list.h"
#include "app/sample_list.h"
#include "sites/site_table.h"
#include "vcf/vcf_reader.h"

namespace drevel {

namespace {

// Whether two names are one file: the same name, or both existing with the
// same device and inode.
bool same_file(const std::string& a, const std::string& b) {
  if (a == b) return true;
  struct stat sa, sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

// --annotate's file: a usage error (status 2) when its name tells no type,
// --write-index is given for a plain VCF, or it is the input or the table.
bool check_annotate(const command_line& options, annotate_options* annotate, std::string* error) {
  annotate->path = options.annotate;
  annotate->write_index = options.write_index;
  if (!annotated_type_of(options.annotate, &annotate->type, error)) return false;
  if (options.write_index && !indexable(annotate->type)) {
    *error = "--write-index: a plain VCF cannot be indexed; name the annotated file .vcf.gz or "
             ".bcf";
    return false;
  }
  for (const std::string& other : options.files)
    if (other != "-" && same_file(options.annotate, other)) {
      *error = "--annotate: '" + options.annotate + "' is also the " +
               (&other == &options.files[0] ? "input" : "table") + "; name another file";
      return false;
    }
  return true;
}

}  // namespace

int vcf_main(const command_line& options) {
  std::string error;
  annotate_options annotate;
  if (!options.annotate.empty() && !check_annotate(options, &annotate, &error)) {
    std::fprintf(stderr, "drevel: %s (see drevel --help)\n", error.c_str());
    return 2;
  }
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
  // This thread inflates the blocks as it parses the records: htslib's
  // threads (a pool and the reader feeding it, two for one) would come on
  // top of the --threads that compute, for a small share of the work.
  read.decompression_threads = 0;
  vcf_reader reader;
  if (!reader.open(options.files[0], read, &error)) return batch_failure(error);

  batch_table table;
  const table_layout layout = vcf_table_layout(with_groups);
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
  if (options.annotate.empty()) return run_batch(options, reader, table);
  vcf_annotator annotator;
  annotate.group_names = names;
  if (!annotator.open(&reader, annotate, &error)) return batch_failure(error);
  table.beside = &annotator;
  return run_batch(options, annotator, table);
}

}  // namespace drevel
