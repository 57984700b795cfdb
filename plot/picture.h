// The picture of a table: one de Finetti diagram per group (plot/de_finetti.h)
// with its points coloured by evidence (plot/evidence_colours.h) and the
// equilibrium parabola, beside the histogram of every evidence value over
// the colour scale, under a title naming the table and the rows drawn and
// not drawn; for a table with groups or populations, the heatmap of the
// evidence under the diagrams, in the same colours.  Drawn with cairo as
// SVG, PNG or PDF.
#ifndef DREVEL_PLOT_PICTURE_H
#define DREVEL_PLOT_PICTURE_H

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "fault/status.h"
#include "plot/de_finetti.h"
#include "plot/plot_content.h"

namespace drevel {

enum class picture_format { svg, png, pdf };

// The format the file name asks for by its extension, in any case: .svg,
// .png or .pdf.  Returns false for any other name.
bool picture_format_of(const std::string& path, picture_format* format);

struct box {
  double left = 0, top = 0, width = 0, height = 0;
};

// Where things are, in pixels (PNG) or points (SVG, PDF), y downwards.  It
// depends only on the number of diagrams and the heatmap's shape.
struct picture_layout {
  double width = 0, height = 0;
  std::vector<triangle_frame> diagrams;  // in the order of plot_content::diagrams()
  // The histogram's plotting area: evidence 0 to 1 from left to right, a bar
  // of the largest count reaching at most the top.
  box histogram;
  // The heatmap's cells, under the diagrams, the joint row and column set
  // apart by joint_gap; heatmap_shape.rows is 0 without a heatmap.
  heatmap_shape heatmap_cells;
  box heatmap;
  double cell = 0, joint_gap = 0;
};

// The picture of so many diagrams and, unless heatmap is null or has no
// cells, a heatmap.  Without a heatmap there is at least one diagram
// (empty for a table without rows).
picture_layout layout_picture(size_t diagrams, const heatmap_shape* heatmap = nullptr);

// The square of the heatmap's cell at (row, column).
box heatmap_cell_box(const picture_layout& layout, size_t row, size_t column);

// Receives the picture's bytes in order; returns false when they could not
// be written, which ends the drawing (the sink keeps why, for its caller).
using byte_sink = std::function<bool(const unsigned char* data, size_t size)>;

// Draws content (after plot_content::finish()) and gives the picture to
// sink.  table_name is the table's name for the title.  A fault of kind
// output, with a one-line message, when cairo fails or the sink refuses
// bytes; the sink may then have received part of the picture.
status draw_picture(const plot_content& content, const std::string& table_name,
                    picture_format format, const byte_sink& sink);

}  // namespace drevel

#endif
