// The picture mode: the table drawn by plot/, the outcome reported here.
#include "app/plot_main.h"

#include <cinttypes>
#include <cstdio>

#include "plot/plot_table.h"

namespace drevel {

int plot_main(const command_line& options) {
  plot_summary summary;
  const status drawn = plot_table(options.files[0], options.files[1], &summary);
  if (!drawn) {
    std::fprintf(stderr, "drevel: %s\n", drawn.message().c_str());
    return 1;
  }
  const bool heatmap = summary.heatmap_rows > 0 && summary.heatmap_columns > 0;
  if (summary.drawn_rows == 0 && !heatmap)
    std::fprintf(stderr, "drevel: note: %s has no two-allele row with an evidence value; the "
                 "diagram is empty\n", summary.table_name.c_str());
  if (options.verbose) {
    std::fprintf(stderr,
                 "drevel: %" PRIu64 " rows, %" PRIu64 " drawn as %zu points in %zu diagrams%s, %" PRIu64
                 " in the histogram\n",
                 summary.rows, summary.drawn_rows, summary.points, summary.diagrams,
                 summary.thinned ? " (thinned on a grid)" : "", summary.computed_rows);
    if (heatmap)
      std::fprintf(stderr, "drevel: a heatmap of %zu by %zu cells\n", summary.heatmap_rows,
                   summary.heatmap_columns);
  }
  return 0;
}

}  // namespace drevel
