#include "annotate/annotated_file_type.h"

#include <strings.h>

namespace drevel {

namespace {

bool ends_with(const std::string& text, const char* suffix) {
  const std::string end = suffix;
  return text.size() > end.size() &&
         ::strcasecmp(text.c_str() + text.size() - end.size(), end.c_str()) == 0;
}

}  // namespace

status annotated_type_of(const std::string& path, annotated_file_type* type) {
  if (ends_with(path, ".vcf")) {
    *type = annotated_file_type::vcf;
  } else if (ends_with(path, ".vcf.gz") || ends_with(path, ".vcf.bgz")) {
    *type = annotated_file_type::vcf_bgzf;
  } else if (ends_with(path, ".bcf")) {
    *type = annotated_file_type::bcf;
  } else {
    return status(fault_kind::usage, "--annotate: cannot tell the type of '" + path +
                                         "' from its name: end it in .vcf, .vcf.gz or .bcf");
  }
  return status::ok();
}

const char* hts_write_mode(annotated_file_type type) {
  switch (type) {
    case annotated_file_type::vcf: return "w";
    case annotated_file_type::vcf_bgzf: return "wz";
    case annotated_file_type::bcf: return "wb";
  }
  return "w";
}

bool indexable(annotated_file_type type) { return type != annotated_file_type::vcf; }

std::string index_path(const std::string& path) { return path + ".csi"; }

}  // namespace drevel
