// The count-table mode: the reader tells the kind of table by its header
// and gives the layout of the table written.
#include "app/counts_main.h"

#include "app/batch_run.h"
#include "counts/counts_reader.h"
#include "sites/site_table.h"

namespace drevel {

int counts_main(const command_line& options) {
  counts_read_options read;
  read.declared_alleles = options.declared_alleles;
  read.max_alleles = options.max_alleles;
  counts_reader reader;
  status opened = reader.open(options.files[0], read);
  if (!opened) return batch_failure(opened.message());

  batch_table table;
  const table_layout layout = reader.layout();
  table.header = table_header(layout);
  table.append_rows = [layout](const site_record& site, const site_evidence& evidence,
                               std::string* out) {
    append_rows(layout, site, evidence, nullptr, out);
  };
  table.row_noun = "rows";
  table.describe = [](const site_record& site) {
    std::string where = "row";
    for (size_t n = 0; n < site.labels.size() && n < 3; n++) where += " " + site.labels[n];
    return where;
  };
  return run_batch(options, reader, table);
}

}  // namespace drevel
