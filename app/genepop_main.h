// The Genepop mode: `drevel --genepop [options] <input> <output>`, the
// evidence for every population and locus of a Genepop file in one
// tab-separated table.
#ifndef DREVEL_APP_GENEPOP_MAIN_H
#define DREVEL_APP_GENEPOP_MAIN_H

#include "app/options.h"

namespace drevel {

// Runs the Genepop mode of a parsed command line.  Returns the exit status:
// 0 on success, 1 on any failure (a file that cannot be read or is not a
// well-formed Genepop file, a write failure), with one line on stderr; the
// output file is then left as it was.
int genepop_main(const command_line& cl);

}  // namespace drevel

#endif
