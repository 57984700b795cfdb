// drevel/table_scan.h's VCF half in a build without htslib.
#include "drevel/table_scan.h"

namespace drevel {

status scan_vcf_table(const std::string&, const vcf_scan_options&, const evidence_tuning&, int,
                      scanned_table* table, const std::function<bool()>&) {
  table->text.clear();
  table->warnings.clear();
  return status(fault_kind::usage,
                "drevel was built without htslib; install libhts-dev and pkg-config and "
                "rebuild to read VCF and BCF files");
}

}  // namespace drevel
