// The picture of a table in one call, the public face of plot/: reads a
// table written by `drevel --vcf` or `drevel --genepop` and draws one de
// Finetti diagram per group, with the points coloured by evidence, beside
// the histogram of every evidence value, and for a table with groups or
// populations the heatmap of the evidence, to a picture file.  The rest of
// the folder (the table reader, what the picture shows, its drawing) is the
// inside.
#ifndef DREVEL_PLOT_PLOT_TABLE_H
#define DREVEL_PLOT_PLOT_TABLE_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "fault/status.h"

namespace drevel {

// What a picture shows, for a report.
struct plot_summary {
  std::string table_name;      // the table as messages name it ("standard input" for "-")
  uint64_t rows = 0;           // rows read
  uint64_t drawn_rows = 0;     // rows drawn as points; 0 leaves the diagrams empty
  uint64_t computed_rows = 0;  // rows with an evidence value, all in the histogram
  size_t points = 0;           // points over all diagrams (rows at one place are one point)
  size_t diagrams = 0;
  bool thinned = false;  // too many rows: one point kept per cell of a grid
  // The heatmap of a table with groups or populations, its joint row and
  // column included; 0 by 0 without one.
  size_t heatmap_rows = 0, heatmap_columns = 0;
};

// Reads the table at table_path ("-": standard input) and draws its picture
// to picture_path, in the format its extension names (.svg, .png or .pdf,
// in any case).  The picture is written to a temporary file beside
// picture_path and renamed over it only when complete; on any failure (a
// name without such an extension, the table's own name, a table that cannot
// be read or is not such a table, cairo or a write failing) the picture
// file is left as it was, the temporary file is removed, and the fault says
// why.  Until then the temporary file is also removed if the process ends
// or is ended by a signal (io/atomic_output.h).  Fills *summary (which may
// be null) on success.  Prints nothing.  A fault's message is one line
// naming the file and the cause, without the program's name; its kind is
// usage for a picture name without such an extension, input for a table
// that cannot be read, output for a picture that cannot be written.
status plot_table(const std::string& table_path,
                                    const std::string& picture_path, plot_summary* summary);

}  // namespace drevel

#endif
