// The Genepop mode: the file read whole, then the batch run over its
// population-locus records.
#include "app/genepop_main.h"

#include "app/batch_run.h"
#include "genepop/genepop_file.h"
#include "genepop/genepop_sites.h"
#include "sites/site_table.h"

namespace drevel {

int genepop_main(const command_line& options) {
  std::string error;
  genepop_file file;
  if (!read_genepop_file(options.files[0], &file, &error)) return batch_failure(error);
  genepop_sites sites(std::move(file), options.max_alleles);
  batch_table table;
  table.header = genepop_table_header();
  table.append_rows = [](const site_record& site, const site_evidence& evidence,
                         std::string* out) { append_genepop_row(site, evidence, out); };
  table.row_noun = "population-locus rows";
  table.describe = [](const site_record& site) {
    return "population " + std::to_string(site.population) + ", locus " + site.locus;
  };
  return run_batch(options, sites, table);
}

}  // namespace drevel
