// The face's batch tables: a VCF or BCF file, or a Genepop file, computed
// on threads into the table the command line writes for it (--vcf,
// --genepop), kept in memory instead of written to a file.
#ifndef DREVEL_DREVEL_TABLE_SCAN_H
#define DREVEL_DREVEL_TABLE_SCAN_H

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "drevel/evidence_row.h"
#include "fault/status.h"

namespace drevel {

// Which sites, samples and alleles of a VCF count, as the command line's
// options say.
struct vcf_scan_options {
  // --regions: "chr", "chr:pos" or "chr:begin-end" items, read through the
  // file's index; empty: every site.
  std::vector<std::string> regions;
  bool regions_by_pos = false;  // --regions-overlap pos
  // --samples: only these samples' calls count, when have_samples.
  bool have_samples = false;
  std::vector<std::string> samples;
  // --groups: the groups in their order, and each sample once with the
  // groups it belongs to (indices into group_names, at least one); no groups
  // when group_names is empty.
  std::vector<std::string> group_names;
  std::vector<std::pair<std::string, std::vector<int>>> group_members;
  bool declared_alleles = false;  // --declared-alleles
};

// A table as the command line writes it: the header line, then the rows,
// each line ending in "\n"; and the reader's warnings, one line each.
struct scanned_table {
  std::string text;
  std::vector<std::string> warnings;
};

// Computes every site of the VCF, bgzipped VCF or BCF file at `path` with
// `tuning` (precision, minmc, maxmc, max_alleles, literal) on `threads`
// threads into *table.  `interrupted` is asked from the calling thread
// about ten times a second and stops the work as in compute_many_loci.  Faults: usage
// (threads < 1, tuning.max_alleles outside 1..654, a region item that cannot
// be read, or a build without VCF support), input (the file cannot be
// opened or read, is not a VCF or BCF, names no sample asked for, or lacks
// the index that regions need: the command line's message), resource (a
// record that does not fit in memory, or threads that cannot be had),
// interrupted.
status scan_vcf_table(const std::string& path, const vcf_scan_options& options,
                      const evidence_tuning& tuning, int threads, scanned_table* table,
                      const std::function<bool()>& interrupted = nullptr);

// The same for a Genepop file: one row per population and locus.
status scan_genepop_table(const std::string& path, const evidence_tuning& tuning, int threads,
                          scanned_table* table,
                          const std::function<bool()>& interrupted = nullptr);

}  // namespace drevel

#endif
