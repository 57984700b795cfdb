// The type of the annotated file, told by its name as bcftools tells the
// type of its output file: ".vcf" plain VCF, ".vcf.gz" or ".vcf.bgz"
// bgzipped VCF, ".bcf" BCF (compressed), whatever the letters' case.
#ifndef DREVEL_ANNOTATE_ANNOTATED_FILE_TYPE_H
#define DREVEL_ANNOTATE_ANNOTATED_FILE_TYPE_H

#include <string>

#include "fault/status.h"

namespace drevel {

enum class annotated_file_type { vcf, vcf_bgzf, bcf };

// Sets *type from the end of path.  Any other name is a fault of kind
// usage, with a one-line message.
status annotated_type_of(const std::string& path, annotated_file_type* type);

// The mode htslib's hts_open writes the type with: "w", "wz" or "wb".
const char* hts_write_mode(annotated_file_type type);

// Whether --write-index can index the type (bgzipped only), and the index
// written: path + ".csi" (a CSI index, as bcftools --write-index makes,
// read by bcftools, tabix and drevel --regions alike).
bool indexable(annotated_file_type type);
std::string index_path(const std::string& path);

}  // namespace drevel

#endif
