// The VCF mode: `drevel --vcf [options] <input> <output>`, the evidence for
// every site of a VCF, bgzipped VCF or BCF file in one tab-separated table.
#ifndef DREVEL_APP_VCF_MAIN_H
#define DREVEL_APP_VCF_MAIN_H

#include "app/options.h"

namespace drevel {

// Runs the VCF mode of a parsed command line.  Returns the exit status: 0
// on success, 1 on any failure, with one line on stderr; the output file is
// then left as it was.  In a build without htslib it says so and returns 1.
int vcf_main(const command_line& cl);

}  // namespace drevel

#endif
