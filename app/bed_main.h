// The PLINK mode: `drevel --bed [options] <prefix> <output>` (or --bfile),
// the evidence for every site of a PLINK 1 binary fileset in the table
// --vcf writes.
#ifndef DREVEL_APP_BED_MAIN_H
#define DREVEL_APP_BED_MAIN_H

#include "app/options.h"

namespace drevel {

// Runs the PLINK mode of a parsed command line.  Returns the exit status: 0
// on success, 1 on any failure (files that cannot be read, do not belong
// together or are malformed, a write failure), with one line on stderr; the
// output file is then left as it was.
int bed_main(const command_line& cl);

}  // namespace drevel

#endif
