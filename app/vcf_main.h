// The VCF mode: `drevel --vcf [options] <input> <output>`, the evidence for
// every site of a VCF, bgzipped VCF or BCF file in one tab-separated table.
#ifndef DREVEL_APP_VCF_MAIN_H
#define DREVEL_APP_VCF_MAIN_H

namespace drevel {

// Runs the VCF mode on the whole command line (argv[0] the program name;
// "--vcf" may stand anywhere).  Returns the exit status: 0 on success, 2 on
// a usage error, 1 on any other failure, each failure with one line on
// stderr; the output file is then left as it was.  In a build without
// htslib it says so and returns 1.
int vcf_main(int argc, char** argv);

}  // namespace drevel

#endif
