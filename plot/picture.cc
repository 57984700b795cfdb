#include "plot/picture.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "plot/display_text.h"
#include "plot/evidence_colours.h"

namespace drevel {

namespace {

// The layout, in pixels at the default size.
const double margin = 24;
const double header_height = 84;     // title and subtitle
const double corner_room = 96;       // beside a triangle, for its corner labels
const double above_triangle = 48;    // the diagram's label and the apex label
const double below_triangle = 60;    // the base's ticks and axis title
const double panel_gap = 28;
const double histogram_room_left = 70;  // the count axis's labels and title
const double histogram_width = 350;
const double histogram_top_room = 40;   // the histogram's title
const double histogram_height = 250;
const double legend_width = histogram_room_left + histogram_width + 30;
const double legend_room = 230;  // colour bar, its labels and the legend lines
const double heatmap_legend_room = 120;  // the heatmap's lines in the legend
const double heatmap_top_room = 52;      // the heatmap's title and its counts
const double row_label_room = 170;       // left of the cells, for the rows' names
const double column_label_room = 110;    // under the cells, for the columns' names
const double heatmap_min_width = 560;    // room for the heatmap's title

const double sqrt3_half = std::sqrt(3.0) / 2;

double triangle_side(size_t diagrams) { return diagrams <= 1 ? 480 : diagrams <= 4 ? 360 : 280; }

// The side of a heatmap's cell: large for a few rows and columns, small
// for many (61 at most of each).
double cell_side(const heatmap_shape& shape) {
  size_t n = std::max(shape.rows, shape.columns);
  return n <= 12 ? 36 : n <= 24 ? 26 : n <= 40 ? 18 : 13;
}

size_t columns_for(size_t diagrams) {
  size_t c = 1;
  while (c * c < diagrams) c++;
  return c;
}

// Writes cairo's output to the sink; the first refusal stops the surface.
struct sink_closure {
  const byte_sink* sink;
  bool failed = false;
};

cairo_status_t write_to_sink(void* closure, const unsigned char* data, unsigned int length) {
  auto* c = static_cast<sink_closure*>(closure);
  if (c->failed || !(*c->sink)(data, length)) {
    c->failed = true;
    return CAIRO_STATUS_WRITE_ERROR;
  }
  return CAIRO_STATUS_SUCCESS;
}

// "1 234 567": counts up to millions read more easily grouped.
std::string grouped(uint64_t n) {
  std::string digits = std::to_string(n), out;
  for (size_t i = 0; i < digits.size(); i++) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ' ';
    out += digits[i];
  }
  return out;
}

// An axis label for a count, in the unit of the axis's top: 950; 12k on an
// axis up to 20k; 1.5M on one up to 2M.
std::string short_count(double n, double top) {
  char text[32];
  if (n == 0)
    return "0";
  if (top >= 1e6)
    std::snprintf(text, sizeof text, "%gM", n / 1e6);
  else if (top >= 1e4)
    std::snprintf(text, sizeof text, "%gk", n / 1e3);
  else
    std::snprintf(text, sizeof text, "%.0f", n);
  return text;
}

// The tick step of a count axis up to largest: 1, 2 or 5 times a power of
// ten, with at most five steps.
double count_step(uint64_t largest) {
  double step = 1;
  for (;;) {
    for (double m : {1.0, 2.0, 5.0})
      if (static_cast<double>(largest) <= 5 * m * step) return m * step;
    step *= 10;
  }
}

class painter {
 public:
  explicit painter(cairo_t* cr) : cr_(cr) {}

  void colour(const rgb& c) { cairo_set_source_rgb(cr_, c.r, c.g, c.b); }
  void grey(double level) { cairo_set_source_rgb(cr_, level, level, level); }
  void font(double size, bool bold = false) {
    cairo_select_font_face(cr_, "sans-serif", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr_, size);
  }
  // Every text goes through displayable_utf8: a name with Latin-1 bytes
  // would put cairo, and the whole picture, in an error state.
  double text_width(const std::string& text) {
    cairo_text_extents_t e;
    cairo_text_extents(cr_, displayable_utf8(text).c_str(), &e);
    return e.x_advance;
  }
  // Text with its baseline at y; align 0 left, 0.5 centred, 1 right of x.
  void text(double x, double y, const std::string& text, double align = 0) {
    cairo_move_to(cr_, x - align * text_width(text), y);
    cairo_show_text(cr_, displayable_utf8(text).c_str());
  }
  void line(double x0, double y0, double x1, double y1, double width) {
    cairo_set_line_width(cr_, width);
    cairo_move_to(cr_, x0, y0);
    cairo_line_to(cr_, x1, y1);
    cairo_stroke(cr_);
  }
  cairo_t* cr() { return cr_; }

 private:
  cairo_t* cr_;
};

// The name shortened in its middle until the title fits the width.
// The cuts fall between characters, never inside one.
std::string fitting_title(painter& p, const std::string& given, const std::string& rest,
                          double width) {
  const std::string name = displayable_utf8(given);
  std::string shown = name;
  size_t keep = name.size();
  while (p.text_width(shown + rest) > width && keep > 8) {
    keep -= std::max<size_t>(1, keep / 10);
    size_t head = character_boundary(name, keep / 2);
    size_t tail_start = character_boundary(name, name.size() - (keep - keep / 2));
    shown = name.substr(0, head) + "..." + name.substr(tail_start);
  }
  return shown + rest;
}

struct corner_labels {
  const char* first_hom[2];
  const char* het;
  const char* second_hom[2];
  const char* axis;
};

const corner_labels vcf_labels = {
    {"hom. REF", "(0/0)"}, "het. (0/1)", {"hom. ALT", "(1/1)"}, "ALT allele frequency"};
const corner_labels genepop_labels = {
    {"hom.", "11"}, "het. 12", {"hom.", "22"}, "frequency of allele 2"};

// The radius of the points of a diagram: smaller when there are many.
double point_radius(size_t points, double side) {
  double r = points <= 2000 ? 3.2 : points <= 50000 ? 2.4 : 1.7;
  return r * std::max(0.75, side / 480);
}

// The radius factor of a point standing for `rows` rows: its area grows
// with them, up to 25 times that of one row.
double area_scale(uint32_t rows) { return std::sqrt(static_cast<double>(std::min<uint32_t>(rows, 25))); }

void draw_diagram(painter& p, const diagram_content& d, const triangle_frame& f,
                  const corner_labels& labels, bool named) {
  cairo_t* cr = p.cr();
  const double h = f.side * sqrt3_half;
  const double right = f.left + f.side, apex_x = f.left + f.side / 2, apex_y = f.base - h;

  p.grey(0.1);
  p.font(14, true);
  std::string count = grouped(d.drawn) + (d.drawn == 1 ? " row" : " rows");
  p.text(apex_x, apex_y - above_triangle + 16, named ? d.label + ": " + count : count, 0.5);

  // The triangle, its corners named after the genotypes, and the allele
  // frequency along the base.
  p.grey(0.2);
  cairo_set_line_width(cr, 1.2);
  cairo_move_to(cr, f.left, f.base);
  cairo_line_to(cr, right, f.base);
  cairo_line_to(cr, apex_x, apex_y);
  cairo_close_path(cr);
  cairo_stroke(cr);
  p.font(14);
  p.text(f.left - 10, f.base - 12, labels.first_hom[0], 1);
  p.text(f.left - 10, f.base + 5, labels.first_hom[1], 1);
  p.text(right + 10, f.base - 12, labels.second_hom[0], 0);
  p.text(right + 10, f.base + 5, labels.second_hom[1], 0);
  p.text(apex_x, apex_y - 10, labels.het, 0.5);
  p.font(12);
  for (int i = 0; i <= 4; i++) {
    double x = f.left + f.side * i / 4;
    p.line(x, f.base, x, f.base + 5, 1);
    static const char* const ticks[] = {"0", "0.25", "0.5", "0.75", "1"};
    p.text(x, f.base + 19, ticks[i], 0.5);
  }
  p.font(13);
  p.text(apex_x, f.base + 40, labels.axis, 0.5);

  // The parabola, under the points so that none hides behind it: the
  // quadratic Bezier curve through AA and aa with the apex as its control
  // point, written as the cubic cairo draws.
  p.colour(equilibrium_curve_colour);
  cairo_set_line_width(cr, 2);
  cairo_move_to(cr, f.left, f.base);
  cairo_curve_to(cr, f.left + (apex_x - f.left) * 2 / 3, f.base - h * 2 / 3,
                 right + (apex_x - right) * 2 / 3, f.base - h * 2 / 3, right, f.base);
  cairo_stroke(cr);

  // The points, one path per shade: they come in decreasing evidence, so the
  // shades do too and the lowest evidence ends on top.  A point's area grows
  // with the rows it stands for (up to 25 times), and each has a dark edge,
  // so that the palest shades stay visible on the white ground and on the
  // curve.  A path holds a bounded number of points, as the memory cairo
  // takes to fill it grows with their number.
  const double r = point_radius(d.points.size(), f.side);
  const size_t points_per_path = 4096;
  size_t i = 0;
  while (i < d.points.size()) {
    int level = colour_level(d.points[i].evidence);
    for (size_t end = i + points_per_path;
         i < std::min(end, d.points.size()) && colour_level(d.points[i].evidence) == level; i++) {
      page_point c = on_page(f, {d.points[i].u, d.points[i].v});
      cairo_new_sub_path(cr);
      cairo_arc(cr, c.x, c.y, r * area_scale(d.points[i].rows), 0, 2 * M_PI);
    }
    p.colour(level_colour(level));
    cairo_fill_preserve(cr);
    p.grey(0.25);
    cairo_set_line_width(cr, 0.5);
    cairo_stroke(cr);
  }
}

void draw_histogram(painter& p, const plot_content& content, const box& b) {
  cairo_t* cr = p.cr();
  const double bottom = b.top + b.height;
  p.grey(0.1);
  p.font(14, true);
  p.text(b.left + b.width / 2, b.top - histogram_top_room + 16,
         "Evidence of all " + grouped(content.computed_rows()) + " computed rows", 0.5);

  uint64_t largest = 0;
  for (uint64_t n : content.histogram()) largest = std::max(largest, n);
  const double step = count_step(std::max<uint64_t>(largest, 1));
  const double top_count = std::ceil(std::max<uint64_t>(largest, 1) / step) * step;

  // The bars, each in the colour of its middle.
  const double bin_width = b.width / histogram_bins;
  for (size_t i = 0; i < histogram_bins; i++) {
    uint64_t n = content.histogram()[i];
    if (n == 0) continue;
    double height = b.height * static_cast<double>(n) / top_count;
    p.colour(evidence_colour((i + 0.5) / histogram_bins));
    cairo_rectangle(cr, b.left + i * bin_width + 0.5, bottom - height, bin_width - 1, height);
    cairo_fill(cr);
  }

  // The count axis.
  p.grey(0.2);
  p.line(b.left, b.top, b.left, bottom, 1);
  p.font(12);
  for (double c = 0; c <= top_count + step / 2; c += step) {
    double y = bottom - b.height * c / top_count;
    p.line(b.left - 5, y, b.left, y, 1);
    p.text(b.left - 8, y + 4, short_count(c, top_count), 1);
  }
  cairo_save(cr);
  p.font(13);
  cairo_translate(cr, b.left - 50, b.top + b.height / 2);
  cairo_rotate(cr, -M_PI / 2);
  p.text(0, 0, "rows", 0.5);
  cairo_restore(cr);

  // The evidence axis is the colour scale of the points.
  const double bar_top = bottom + 4, bar_height = 14;
  cairo_pattern_t* scale = cairo_pattern_create_linear(b.left, 0, b.left + b.width, 0);
  for (size_t s = 0; s < evidence_colour_stops; s++) {
    const rgb& c = evidence_colour_stop[s];
    cairo_pattern_add_color_stop_rgb(scale, static_cast<double>(s) / (evidence_colour_stops - 1),
                                     c.r, c.g, c.b);
  }
  cairo_set_source(cr, scale);
  cairo_rectangle(cr, b.left, bar_top, b.width, bar_height);
  cairo_fill(cr);
  cairo_pattern_destroy(scale);
  p.grey(0.2);
  p.line(b.left, bottom, b.left + b.width, bottom, 1);
  p.font(12);
  for (int i = 0; i <= 5; i++) {
    double x = b.left + b.width * i / 5;
    p.line(x, bar_top + bar_height, x, bar_top + bar_height + 4, 1);
    char tick[32];
    std::snprintf(tick, sizeof tick, "%g", i / 5.0);
    p.text(x, bar_top + bar_height + 17, tick, 0.5);
  }
  p.font(13);
  p.text(b.left + b.width / 2, bar_top + bar_height + 37,
         "evidence for equilibrium (colour of the points)", 0.5);
}

// The swatch of a heatmap cell that has no evidence value: grey, crossed
// by a diagonal, which no shade of the scale comes near.
void not_computed_swatch(painter& p, double x, double y, double side) {
  cairo_t* cr = p.cr();
  p.grey(0.83);
  cairo_rectangle(cr, x, y, side, side);
  cairo_fill(cr);
  p.grey(0.55);
  p.line(x + 1, y + side - 1, x + side - 1, y + 1, 1);
}

// A cell for which the table has no row: white, outlined.
void absent_swatch(painter& p, double x, double y, double side) {
  p.grey(0.8);
  cairo_set_line_width(p.cr(), 1);
  cairo_rectangle(p.cr(), x + 0.5, y + 0.5, side - 1, side - 1);
  cairo_stroke(p.cr());
}

// Writes text from (left, y) on, wrapped at width, each further line 17
// lower; returns the last line's y.
double wrapped_text(painter& p, const std::string& text, double left, double y, double width) {
  std::string line;
  size_t start = 0;
  while (start <= text.size()) {
    size_t space = text.find(' ', start);
    std::string word = text.substr(start, space == std::string::npos ? space : space - start);
    std::string longer = line.empty() ? word : line + " " + word;
    if (!line.empty() && p.text_width(longer) > width) {
      p.text(left, y, line);
      y += 17;
      line = word;
    } else {
      line = longer;
    }
    if (space == std::string::npos) break;
    start = space + 1;
  }
  p.text(left, y, line);
  return y;
}

// The heatmap's lines of the legend, from y on; returns the last line's y.
double draw_heatmap_legend(painter& p, const heatmap_content& h, double left, double y) {
  // The statuses of the cells without a value, by count, in the order met.
  std::vector<std::pair<std::string, uint64_t>> statuses;
  bool absent = false;
  for (const heatmap_cell& c : h.cells) {
    if (c.state == cell_state::absent) absent = true;
    if (c.state != cell_state::not_computed) continue;
    auto found = std::find_if(statuses.begin(), statuses.end(),
                              [&c](const auto& s) { return s.first == c.status; });
    if (found == statuses.end())
      statuses.emplace_back(c.status, 1);
    else
      found->second++;
  }
  const double width = legend_width - 46;
  p.grey(0.1);
  p.font(13);
  y = wrapped_text(p, "Heatmap: each cell a row's evidence, in the colours of the scale above.",
                   left, y, legend_width - 10);
  y += 23;
  not_computed_swatch(p, left + 6, y - 12, 16);
  std::string without = "no evidence value, by STATUS";
  for (size_t i = 0; i < statuses.size(); i++)
    without += (i == 0 ? ": " : ", ") + grouped(statuses[i].second) + " " + statuses[i].first;
  p.grey(0.1);
  y = wrapped_text(p, without, left + 36, y, width);
  if (absent) {
    y += 23;
    absent_swatch(p, left + 6, y - 12, 16);
    p.grey(0.1);
    y = wrapped_text(p, "no row in the table", left + 36, y, width);
  }
  if (h.shape.joint_row || h.shape.joint_column) {
    y += 21;
    y = wrapped_text(p,
                     "Set apart: the joint rows (--joint), the evidence for equilibrium in "
                     "every " + std::string(h.shape.joint_column ? "population or locus" : "group") +
                         " they join.",
                     left, y, legend_width - 10);
  }
  return y;
}

// The legend of the diagrams, unless there are none, and of the heatmap
// (null when there is none).
void draw_legend(painter& p, const plot_content& content, const heatmap_content* heatmap,
                 double left, double top) {
  cairo_t* cr = p.cr();
  double y = top;
  if (content.diagrams().empty() && heatmap) {
    draw_heatmap_legend(p, *heatmap, left, y);
    return;
  }
  p.colour(equilibrium_curve_colour);
  p.line(left, y - 4, left + 28, y - 4, 2);
  p.grey(0.1);
  p.font(13);
  p.text(left + 36, y, "Hardy\u2013Weinberg equilibrium (p\u00b2, 2pq, q\u00b2)");
  y += 21;
  p.colour(level_colour(0));
  cairo_new_path(cr);
  cairo_arc(cr, left + 14, y - 4, 3.2, 0, 2 * M_PI);
  cairo_fill(cr);
  p.grey(0.1);
  p.text(left + 36, y, "a two-allele row at its genotype frequencies,");
  y += 17;
  p.text(left + 36, y, "the lowest evidence on top; its area grows with");
  y += 17;
  p.text(left + 36, y, "the rows at the same frequencies (up to 25)");
  y += 21;
  p.text(left, y, "Above the curve: more heterozygotes than at");
  y += 17;
  p.text(left, y, "equilibrium; below it: fewer.");
  std::vector<std::string> notes;
  if (content.kind() == table_kind::genepop)
    notes.push_back("Allele 1: the smaller allele code, 2: the larger.");
  if (content.kind() == table_kind::vcf && content.drawn_with_more_alleles() > 0)
    notes.push_back(grouped(content.drawn_with_more_alleles()) +
                    " rows declare more alleles: REF and ALT are the first and second seen.");
  if (content.grid() > 0)
    notes.push_back("Thinned: of the rows in a cell of 1/" + std::to_string(content.grid()) +
                    " of the side, only the one of lowest evidence is drawn.");
  if (content.groups_not_drawn() > 0)
    notes.push_back(grouped(content.groups_not_drawn()) + " further groups are not drawn.");
  // Notes wrap at the legend's width.
  y += 4;
  for (const std::string& note : notes) y = wrapped_text(p, note, left, y + 17, legend_width - 10);
  if (heatmap) draw_heatmap_legend(p, *heatmap, left, y + 27);
}

// The heatmap: its title and counts, the cells, the rows' names on the
// left and the columns' names, upwards, under the cells.
void draw_heatmap(painter& p, const heatmap_content& h, table_kind kind,
                  const picture_layout& layout) {
  cairo_t* cr = p.cr();
  const box& grid = layout.heatmap;
  const double title_y = grid.top - heatmap_top_room + 16;
  p.grey(0.1);
  p.font(14, true);
  const bool genepop = kind == table_kind::genepop;
  p.text(margin, title_y,
         genepop ? "Evidence per population and locus" : "Evidence per group and site");
  const size_t rows = h.shape.rows - (h.shape.joint_row ? 1 : 0);
  const size_t columns = h.shape.columns - (h.shape.joint_column ? 1 : 0);
  auto counted = [](uint64_t n, const char* one, const char* many) {
    return grouped(n) + " " + (n == 1 ? one : many);
  };
  const char* row_one = genepop ? "population" : "group";
  const char* row_many = genepop ? "populations" : "groups";
  const char* column_one = genepop ? "locus" : "site";
  const char* column_many = genepop ? "loci" : "sites";
  std::string counts =
      h.rows_left_out > 0 ? "the first " + counted(rows, row_one, row_many) + " of " +
                                grouped(rows + h.rows_left_out)
                          : counted(rows, row_one, row_many);
  counts += " \u00d7 ";
  counts += h.columns_left_out > 0 ? "the first " + counted(columns, column_one, column_many) +
                                         " of " + grouped(columns + h.columns_left_out) + " (" +
                                         grouped(h.columns_left_out) + " not shown)"
                                   : counted(columns, column_one, column_many);
  if (h.shape.joint_row || h.shape.joint_column) counts += ", and the joint rows";
  counts += ", in the table's order";
  p.font(13);
  p.grey(0.25);
  p.text(margin, title_y + 20, counts);

  const double font = layout.cell >= 18 ? 12 : 10;
  for (size_t r = 0; r < h.shape.rows; r++)
    for (size_t c = 0; c < h.shape.columns; c++) {
      const box b = heatmap_cell_box(layout, r, c);
      const heatmap_cell& cell = h.at(r, c);
      if (cell.state == cell_state::computed) {
        p.colour(level_colour(colour_level(cell.evidence)));
        cairo_rectangle(cr, b.left, b.top, b.width - 1, b.height - 1);
        cairo_fill(cr);
      } else if (cell.state == cell_state::not_computed) {
        not_computed_swatch(p, b.left, b.top, b.width - 1);
      } else {
        absent_swatch(p, b.left, b.top, b.width - 1);
      }
    }

  // The names, cut in their middle where they are too long; the joint
  // row's and column's in bold.
  p.grey(0.1);
  for (size_t r = 0; r < h.shape.rows; r++) {
    const bool joint = h.shape.joint_row && r + 1 == h.shape.rows;
    p.font(font, joint);
    const box b = heatmap_cell_box(layout, r, 0);
    p.text(grid.left - 6, b.top + b.height / 2 + font / 3,
           fitting_title(p, h.row_labels[r], "", row_label_room - 12), 1);
  }
  for (size_t c = 0; c < h.shape.columns; c++) {
    const bool joint = h.shape.joint_column && c + 1 == h.shape.columns;
    p.font(font, joint);
    const box b = heatmap_cell_box(layout, 0, c);
    cairo_save(cr);
    cairo_translate(cr, b.left + b.width / 2 + font / 3, grid.top + grid.height + 6);
    cairo_rotate(cr, -M_PI / 2);
    p.text(0, 0, fitting_title(p, h.column_labels[c], "", column_label_room - 12), 1);
    cairo_restore(cr);
  }
}

void draw(cairo_t* cr, const plot_content& content, const std::string& table_name,
          const picture_layout& layout) {
  painter p(cr);
  p.grey(1);
  cairo_paint(cr);

  const uint64_t not_drawn = content.rows() - content.drawn_rows() - content.joint_rows();
  p.grey(0.05);
  p.font(18, true);
  std::string counts = ": " + grouped(content.drawn_rows()) + " two-allele rows drawn, " +
                       grouped(not_drawn) + " not drawn";
  p.text(margin, margin + 20,
         fitting_title(p, table_name, counts, layout.width - 2 * margin));
  p.font(13);
  std::string reasons;
  for (const auto& r : content.not_drawn())
    reasons += (reasons.empty() ? layout.heatmap_cells.rows > 0 ? "Not drawn in the diagrams: "
                                                                : "Not drawn: "
                                : ", ") +
               grouped(r.second) + " " + r.first;
  if (reasons.empty()) reasons = "Every row is drawn.";
  if (content.joint_rows() > 0)
    reasons += "; " + grouped(content.joint_rows()) + " joint rows are in the heatmap only";
  p.grey(0.25);
  p.text(margin, margin + 42, reasons);

  const corner_labels& labels =
      content.kind() == table_kind::genepop ? genepop_labels : vcf_labels;
  const bool named = content.kind() == table_kind::genepop || content.diagrams().size() > 1 ||
                     (content.diagrams().size() == 1 && !content.diagrams()[0].label.empty());
  for (size_t d = 0; d < content.diagrams().size(); d++)
    draw_diagram(p, content.diagrams()[d], layout.diagrams[d], labels, named);
  if (layout.heatmap_cells.rows > 0) draw_heatmap(p, *content.heatmap(), content.kind(), layout);
  if (content.diagrams().empty() && !layout.diagrams.empty()) {
    // A table without rows still shows an empty diagram.
    diagram_content none;
    draw_diagram(p, none, layout.diagrams[0], labels, false);
  }
  draw_histogram(p, content, layout.histogram);
  draw_legend(p, content, layout.heatmap_cells.rows > 0 ? content.heatmap() : nullptr,
              layout.histogram.left - histogram_room_left,
              layout.histogram.top + layout.histogram.height + 90);
}

}  // namespace

bool picture_format_of(const std::string& path, picture_format* format) {
  size_t dot = path.rfind('.');
  size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == "svg") *format = picture_format::svg;
  else if (ext == "png") *format = picture_format::png;
  else if (ext == "pdf") *format = picture_format::pdf;
  else return false;
  return true;
}

picture_layout layout_picture(size_t diagrams, const heatmap_shape* heatmap) {
  const bool with_heatmap = heatmap && heatmap->rows > 0 && heatmap->columns > 0;
  const size_t shown = with_heatmap ? diagrams : std::max<size_t>(diagrams, 1);
  const size_t columns = shown > 0 ? columns_for(shown) : 0;
  const size_t rows = shown > 0 ? (shown + columns - 1) / columns : 0;
  const double side = triangle_side(shown);
  const double cell_width = side + 2 * corner_room;
  const double cell_height = above_triangle + side * sqrt3_half + below_triangle;
  picture_layout layout;
  // The heatmap first, under the title: the diagrams draw only the
  // two-allele rows, and of a panel of microsatellites hardly any.
  double left_width = static_cast<double>(columns) * cell_width;
  double diagrams_top = header_height;
  if (with_heatmap) {
    layout.heatmap_cells = *heatmap;
    layout.cell = cell_side(*heatmap);
    layout.joint_gap = std::round(layout.cell / 2);
    const double width = static_cast<double>(heatmap->columns) * layout.cell +
                         (heatmap->joint_column ? layout.joint_gap : 0);
    const double height = static_cast<double>(heatmap->rows) * layout.cell +
                          (heatmap->joint_row ? layout.joint_gap : 0);
    layout.heatmap = {margin + row_label_room, header_height + heatmap_top_room, width, height};
    left_width = std::max({left_width, row_label_room + width, heatmap_min_width});
    diagrams_top = layout.heatmap.top + height + column_label_room;
  }
  for (size_t d = 0; d < shown; d++) {
    triangle_frame f;
    f.side = side;
    f.left = margin + static_cast<double>(d % columns) * cell_width + corner_room;
    f.base = diagrams_top + static_cast<double>(d / columns) * cell_height + above_triangle +
             side * sqrt3_half;
    layout.diagrams.push_back(f);
  }
  const double left_bottom = diagrams_top + static_cast<double>(rows) * cell_height;
  const double panel_left = margin + left_width + panel_gap;
  layout.histogram = {panel_left + histogram_room_left, header_height + histogram_top_room,
                      histogram_width, histogram_height};
  layout.width = std::round(panel_left + legend_width + margin);
  layout.height = std::round(
      std::max(left_bottom, header_height + histogram_top_room + histogram_height + legend_room +
                                (with_heatmap ? heatmap_legend_room : 0)) +
      margin);
  return layout;
}

box heatmap_cell_box(const picture_layout& layout, size_t row, size_t column) {
  const heatmap_shape& shape = layout.heatmap_cells;
  const bool joint_row = shape.joint_row && row + 1 == shape.rows;
  const bool joint_column = shape.joint_column && column + 1 == shape.columns;
  return {layout.heatmap.left + static_cast<double>(column) * layout.cell +
              (joint_column ? layout.joint_gap : 0),
          layout.heatmap.top + static_cast<double>(row) * layout.cell +
              (joint_row ? layout.joint_gap : 0),
          layout.cell, layout.cell};
}

status draw_picture(const plot_content& content, const std::string& table_name,
                    picture_format format, const byte_sink& sink) {
  const heatmap_content* heatmap = content.heatmap();
  const picture_layout layout =
      layout_picture(content.diagrams().size(), heatmap ? &heatmap->shape : nullptr);
  sink_closure closure{&sink};
  cairo_surface_t* surface = nullptr;
  switch (format) {
    case picture_format::png:
      surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(layout.width),
                                           static_cast<int>(layout.height));
      break;
    case picture_format::svg:
      surface = cairo_svg_surface_create_for_stream(write_to_sink, &closure, layout.width,
                                                    layout.height);
      break;
    case picture_format::pdf:
      surface = cairo_pdf_surface_create_for_stream(write_to_sink, &closure, layout.width,
                                                    layout.height);
      // No creation date: the same table gives the same bytes.
      cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATE_DATE, "");
      break;
  }
  cairo_t* cr = cairo_create(surface);
  draw(cr, content, table_name, layout);
  cairo_status_t drawn = cairo_status(cr);
  cairo_destroy(cr);
  if (drawn == CAIRO_STATUS_SUCCESS) {
    if (format == picture_format::png) {
      cairo_surface_flush(surface);
      drawn = cairo_surface_write_to_png_stream(surface, write_to_sink, &closure);
    } else {
      cairo_surface_finish(surface);
      drawn = cairo_surface_status(surface);
    }
  }
  cairo_surface_destroy(surface);
  if (closure.failed) return status(fault_kind::output, "cannot write the picture");
  if (drawn != CAIRO_STATUS_SUCCESS)
    return status(fault_kind::output,
                  std::string("cannot draw the picture: ") + cairo_status_to_string(drawn));
  return status::ok();
}

}  // namespace drevel
