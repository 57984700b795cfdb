// The count-table mode: `drevel --counts [options] <table> <output>`, the
// evidence for every row of plink2's --geno-counts output or of a table
// drevel wrote.
#ifndef DREVEL_APP_COUNTS_MAIN_H
#define DREVEL_APP_COUNTS_MAIN_H

#include "app/options.h"

namespace drevel {

// Runs the count-table mode of a parsed command line.  Returns the exit
// status: 0 on success, 1 on any failure (a file that cannot be read, an
// unknown header, a malformed row, a write failure), with one line on
// stderr; the output file is then left as it was.
int counts_main(const command_line& cl);

}  // namespace drevel

#endif
