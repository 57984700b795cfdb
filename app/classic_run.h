// The two-file run, `drevel <inputfile> <outputfile>`: one locus from its
// input file to its result file.
#ifndef DREVEL_APP_CLASSIC_RUN_H
#define DREVEL_APP_CLASSIC_RUN_H

#include "app/options.h"

namespace drevel {

// Runs the two-file run of a parsed command line and returns the exit status:
// 0 on success; 2, with the usage line, when fewer than two file names are
// given; 1 on any other failure, with its message on stderr.  In order, it
// refuses an input that cannot be opened or read, an output that is the
// input file, an output that cannot be created (before any computation) and
// counts that the locus checks refuse (locus/locus_check.h).  The result is
// written through a temporary file that is removed on every failure, on
// exit and on SIGINT, SIGTERM and SIGHUP, so a failed run leaves an
// existing result file as it was.
int classic_main(const command_line& cl);

}  // namespace drevel

#endif
