// The VCF mode: the reader over the chosen samples and groups, then the
// batch run.
#include "app/vcf_main.h"

#include <cstdio>
#include <memory>

#include "annotate/vcf_annotator.h"
#include "app/batch_run.h"
#include "app/output_collisions.h"
#include "app/site_selection.h"
#include "sites/site_table.h"
#include "io/output_path.h"
#include "vcf/vcf_reader.h"

namespace drevel {

namespace {

// --annotate's file: a usage error (status 2) when its name tells no type,
// --write-index is given for a plain VCF, or it is the input or the table.
bool check_annotate(const command_line& options, annotate_options* annotate, std::string* error) {
  annotate->path = options.annotate;
  annotate->write_index = options.write_index;
  const status typed = annotated_type_of(options.annotate, &annotate->type);
  if (!typed) {
    *error = typed.message();
    return false;
  }
  if (options.write_index && !indexable(annotate->type)) {
    *error = "--write-index: a plain VCF cannot be indexed; name the annotated file .vcf.gz or "
             ".bcf";
    return false;
  }
  for (const std::string& other : options.files)
    if (same_target(options.annotate, other)) {
      *error = "--annotate: '" + options.annotate + "' is also the " +
               (&other == &options.files[0] ? "input" : "table") + "; name another file";
      return false;
    }
  return true;
}

// The run's other collisions: an output that is a list file, the input's
// index or another output.  (The table named as the input is refused by
// the batch run, as it always was.)
bool check_collisions(const command_line& options, std::string* error) {
  const std::string& input = options.files[0];
  const run_file table = {options.files[1], "the table"};
  std::vector<run_file> others = list_files(options);
  if (input != "-")
    for (const char* suffix : {".tbi", ".csi"}) others.push_back({input + suffix, "the input's index"});
  if (!check_output_collisions(table, others, error)) return false;
  if (options.annotate.empty()) return true;
  others.push_back({input, "the input"});
  others.push_back(table);
  const run_file annotated = {options.annotate, "the annotated file"};
  if (!check_output_collisions(annotated, others, error)) return false;
  others.push_back(annotated);
  return !options.write_index ||
         check_output_collisions({index_path(options.annotate), "the annotated file's index"},
                                 others, error);
}

}  // namespace

int vcf_main(const command_line& options) {
  std::string error;
  annotate_options annotate;
  if (!options.annotate.empty() && !check_annotate(options, &annotate, &error)) {
    std::fprintf(stderr, "drevel: %s (see drevel --help)\n", error.c_str());
    return 2;
  }
  if (!check_collisions(options, &error)) {
    std::fprintf(stderr, "drevel: %s (see drevel --help)\n", error.c_str());
    return 2;
  }
  site_selection selection;
  if (!read_site_selection(options, &selection, &error)) return batch_failure(error);

  vcf_read_options read;
  read.regions = options.regions;
  read.samples = selection.sample_list();
  read.groups = selection.group_list();
  read.declared_alleles = options.declared_alleles;
  read.max_alleles = options.max_alleles;
  read.overlap = options.regions_by_pos ? region_overlap::pos : region_overlap::record;
  // This thread inflates the blocks as it parses the records: htslib's
  // threads (a pool and the reader feeding it, two for one) would come on
  // top of the --threads that compute, for a small share of the work.
  read.decompression_threads = 0;
  vcf_reader reader;
  const status opened = reader.open(options.files[0], read);
  if (!opened) return batch_failure(opened.message());

  batch_table table = site_table_of(vcf_table_layout(selection.with_groups), selection,
                                     options.joint);
  if (options.annotate.empty()) return run_batch(options, reader, table);
  vcf_annotator annotator;
  annotate.group_names = selection.with_groups ? &selection.groups.names : nullptr;
  annotate.joint = options.joint;
  const status annotating = annotator.open(&reader, annotate);
  if (!annotating) return batch_failure(annotating.message());
  table.beside = &annotator;
  return run_batch(options, annotator, table);
}

}  // namespace drevel
