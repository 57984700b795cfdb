// drevel --vcf --annotate: the records of the input written back out, each
// with INFO fields holding its computed values (annotate/annotation_fields.h),
// beside the table.  Header, samples and every other column pass through as
// htslib reads and writes them, in the input's order: the records the run
// reads (with --regions, those of the regions).
//
// The annotator stands between the reader and the batch run.  As the run's
// site_source it passes on the reader's sites and keeps a copy of each
// record; as its site_sink it takes the computed sites back in the same
// order (the site pool hands them back in the order they were read) and
// writes each kept record with its fields.  So at most the records of the
// sites in flight are kept, a number the pool bounds, and no more than
// max_kept_bytes of them.
//
// The file, and with --write-index its index, appear only when complete
// (io/atomic_output.h); a run that fails leaves the targets as they were.
// htslib writes them on the thread that calls write() and commit(): the
// annotation adds no thread to the run.
#ifndef DREVEL_ANNOTATE_VCF_ANNOTATOR_H
#define DREVEL_ANNOTATE_VCF_ANNOTATOR_H

#include <memory>
#include <string>
#include <vector>

#include "annotate/annotated_file_type.h"
#include "sites/site_sink.h"
#include "sites/site_source.h"
#include "vcf/vcf_reader.h"

namespace drevel {

struct annotate_options {
  std::string path;  // the annotated file; its type follows its name
  annotated_file_type type = annotated_file_type::vcf;
  bool write_index = false;  // also path + ".csi"; bgzipped types only
  // The groups of the run, in the order of the records' groups; null when
  // the run has none.
  const std::vector<std::string>* group_names = nullptr;
  // The run has joint rows (--joint): their fields too.
  bool joint = false;
  // The records kept may reach this many bytes before the run must take
  // sites back (at least one record is always kept): records of a cohort of
  // hundreds of thousands of samples are megabytes each.
  size_t max_kept_bytes = size_t{256} << 20;
};

class vcf_annotator : public site_source, public site_sink {
 public:
  vcf_annotator();
  // Abandons an output not committed: the targets are left as they were.
  ~vcf_annotator() override;
  vcf_annotator(const vcf_annotator&) = delete;
  vcf_annotator& operator=(const vcf_annotator&) = delete;

  // Declares the fields in the header of *reader (opened, no site read
  // yet), which must outlive the annotator, and starts the annotated file
  // with that header.  A fault with a one-line message: of kind usage for
  // two groups that give the same key or --write-index for a plain VCF; of
  // kind input when the input declares a key with another Number or Type;
  // of kind output when the file cannot be created.  An input that declares
  // a key as Number=1,Type=Float keeps its line, and its records' old values
  // of the key are replaced or removed.
  status open(vcf_reader* reader, const annotate_options& options);

  // The reader's next site, its record kept.  A BCF file can hold only
  // what its header declares: a record of a contig or with a field that the
  // input's header does not declare is a fault of kind input here.
  status next(site_record* site, bool* at_end) override;
  std::vector<std::string> take_warnings() override;

  // Writes the oldest kept record with the site's values.  With
  // --write-index the records must come sorted, as an index needs (a fault
  // of kind input when they do not); a file that cannot be written is a
  // fault of kind output, with the system's reason where there is one.
  status write(const site_record& site, const site_evidence& evidence) override;
  // True while the records kept hold more than max_kept_bytes.
  bool holding_too_much() const override;
  // Completes the file and its index; the file is renamed over its target
  // first, then the index, so that an index is never newer than its file.
  // A fault of kind output when either cannot be written.
  status commit() override;

 private:
  struct impl;
  std::unique_ptr<impl> impl_;
};

}  // namespace drevel

#endif
