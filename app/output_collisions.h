// Outputs that would overwrite an input or each other: an annotated file
// named as the table, a table named as the --groups file or as the input's
// index.  Checked by name, links followed, before anything is read or
// written.
#ifndef DREVEL_APP_OUTPUT_COLLISIONS_H
#define DREVEL_APP_OUTPUT_COLLISIONS_H

#include <string>
#include <vector>

namespace drevel {

// A file of the run and what it is, for the message ("the table",
// "the --groups file").
struct run_file {
  std::string path;
  std::string role;
};

// Returns false with a one-line message in *error (no line end) when the
// output `out` is one of `others`, the run's inputs and its outputs checked
// before it (io/output_path.h, same_target).  Files named "-" are standard
// streams and collide with nothing.
bool check_output_collisions(const run_file& out, const std::vector<run_file>& others,
                             std::string* error);

}  // namespace drevel

#endif
