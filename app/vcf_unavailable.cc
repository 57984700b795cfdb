// The VCF mode of a build without htslib.
#include <cstdio>

#include "app/vcf_main.h"

namespace drevel {

int vcf_main(const command_line&) {
  std::fputs(
      "drevel was built without htslib; install libhts-dev and pkg-config and rebuild to read "
      "VCF and BCF files\n",
      stderr);
  return 1;
}

}  // namespace drevel
