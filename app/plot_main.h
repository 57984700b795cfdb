// The picture mode: `drevel --plot <table> <picture>`, the de Finetti
// diagram and the evidence histogram of a table written by --vcf or
// --genepop.
#ifndef DREVEL_APP_PLOT_MAIN_H
#define DREVEL_APP_PLOT_MAIN_H

#include "app/options.h"

namespace drevel {

// Runs the picture mode of a parsed command line.  Returns the exit status:
// 0 on success, 1 on any failure, with one line on stderr; the picture file
// is then left as it was.  In a build without cairo it says so and returns
// 1.
int plot_main(const command_line& cl);

}  // namespace drevel

#endif
