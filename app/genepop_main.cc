// The Genepop mode: the file read whole, then the batch run over its
// population-locus records.
#include "app/genepop_main.h"

#include "app/batch_run.h"
#include "genepop/genepop_file.h"
#include "genepop/genepop_sites.h"
#include "sites/site_table.h"

namespace drevel {

int genepop_main(const command_line& options) {
  genepop_file file;
  const status read = read_genepop_file(options.files[0], &file);
  if (!read) return batch_failure(read.message());
  genepop_sites sites(std::move(file), options.max_alleles, options.joint);
  batch_table table;
  table_layout layout = genepop_table_layout();
  layout.joint = options.joint;
  table.header = table_header(layout);
  table.append_rows = [layout](const site_record& site, const site_evidence& evidence,
                               std::string* out) {
    append_rows(layout, site, evidence, nullptr, out);
  };
  table.row_noun = "population-locus rows";
  table.describe = [](const site_record& site) {
    return "population " + site.labels[0] + ", locus " + site.labels[3];
  };
  return run_batch(options, sites, table);
}

}  // namespace drevel
