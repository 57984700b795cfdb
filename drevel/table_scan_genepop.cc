// The Genepop half of drevel/table_scan.h (the VCF half needs htslib).
#include <utility>

#include "drevel/table_pump.h"
#include "drevel/table_scan.h"
#include "genepop/genepop_file.h"
#include "genepop/genepop_sites.h"

namespace drevel {

status scan_genepop_table(const std::string& path, const evidence_tuning& tuning, int threads,
                          scanned_table* table, const std::function<bool()>& interrupted) {
  table->text.clear();
  table->warnings.clear();
  genepop_file file;
  status read = read_genepop_file(path, &file);
  if (!read) return read;
  genepop_sites sites(std::move(file), tuning.max_alleles);
  return internal::pump_table(sites, genepop_table_layout(), nullptr, tuning, threads, table,
                              interrupted);
}

}  // namespace drevel
