// What the picture of a table shows, gathered from its rows as they stream
// past: for each group a point per two-allele row at its genotype
// frequencies, the histogram of every evidence value, and the number of rows
// left out and why.  Memory stays bounded however many rows there are: rows
// at the same genotype frequencies are one point, and past a limit on the
// number of points the points are kept per cell of a fine grid.
#ifndef DREVEL_PLOT_PLOT_CONTENT_H
#define DREVEL_PLOT_PLOT_CONTENT_H

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "plot/result_table.h"

namespace drevel {

// A point of a diagram: its ternary coordinates (plot/de_finetti.h), the
// evidence of its row (the lowest of the rows it stands for) and the number
// of rows it stands for (rows at the same genotype frequencies, or in the
// same cell of the grid).
struct diagram_point {
  float u = 0, v = 0;
  float evidence = 0;
  uint32_t rows = 1;
};

struct diagram_content {
  std::string label;  // the group, "" for a table without groups
  uint64_t drawn = 0;  // rows drawn in this diagram
  // After plot_content::finish(), in drawing order: highest evidence first,
  // so that the departures from equilibrium lie on top.
  std::vector<diagram_point> points;
};

// The heatmap of a table with groups or populations: its evidence per
// population (rows) and locus (columns) of a Genepop table, or per group
// and site of a VCF table, both in the order the table first names them,
// then the joint rows of a table written with --joint, apart from the rest:
// a last row across the populations or groups ("all populations", "all
// groups") and, for a Genepop table, a last column across a population's
// loci ("all loci").  Only the first rows and columns up to a limit are
// kept; the others are counted.
enum class cell_state : uint8_t {
  absent,        // the table has no row for it
  computed,      // STATUS ok with an evidence value
  not_computed,  // any other STATUS, or ok without a value (NA)
};

struct heatmap_cell {
  cell_state state = cell_state::absent;
  float evidence = 0;  // when computed
  std::string status;  // when not computed: the STATUS word
};

struct heatmap_shape {
  size_t rows = 0, columns = 0;  // the joint row and column included
  bool joint_row = false, joint_column = false;  // the last row, the last column
};

struct heatmap_content {
  std::vector<std::string> row_labels, column_labels;  // as the table has them
  heatmap_shape shape;
  std::vector<heatmap_cell> cells;  // row by row
  // Groups or populations, sites or loci past the limits, not shown.
  uint64_t rows_left_out = 0, columns_left_out = 0;
  const heatmap_cell& at(size_t row, size_t column) const {
    return cells[row * shape.columns + column];
  }
};

// The heatmap's limits: past them a picture's rows and columns are too
// small to read.
constexpr size_t default_heatmap_rows = 60;
constexpr size_t default_heatmap_columns = 60;

// Points kept at their exact positions, over all diagrams, before the grid
// takes over.
constexpr size_t default_exact_point_limit = 400000;
// Diagrams drawn; the rows of further groups are counted as not drawn.
constexpr size_t default_max_diagrams = 48;
constexpr size_t histogram_bins = 20;

class plot_content {
 public:
  explicit plot_content(table_kind kind, size_t exact_point_limit = default_exact_point_limit,
                        size_t max_diagrams = default_max_diagrams);
  ~plot_content();

  // Gathers the heatmap too (for a table with groups or populations), up
  // to so many rows and columns besides the joint ones; call before the
  // first row.
  void add_heatmap(size_t max_rows = default_heatmap_rows,
                   size_t max_columns = default_heatmap_columns);

  // Takes in one row of the table.  A row is drawn when its STATUS is ok,
  // two alleles were tested and it has an evidence value; every row with an
  // evidence value goes into the histogram.  A joint row goes only into
  // the heatmap: it has no genotype frequencies, and it is not one more
  // row's evidence for the histogram.
  void add(const table_row& row);

  // Puts each diagram's points in drawing order and fills the heatmap's
  // cells; call once, after the last row.  With a heatmap, the diagrams of
  // groups without a drawn row are dropped: the heatmap shows their rows.
  void finish();

  table_kind kind() const { return kind_; }
  const std::vector<diagram_content>& diagrams() const { return diagrams_; }
  // Rows with an evidence value per bin [i/20, (i+1)/20); 1 is in the last.
  const std::array<uint64_t, histogram_bins>& histogram() const { return histogram_; }
  uint64_t rows() const { return rows_; }
  uint64_t drawn_rows() const { return drawn_; }
  uint64_t computed_rows() const { return computed_; }
  // Rows not drawn, by reason ("monomorphic", "with 3 or more alleles", ...),
  // reasons in the order they were first met.
  const std::vector<std::pair<std::string, uint64_t>>& not_drawn() const { return not_drawn_; }
  // Groups beyond max_diagrams, whose rows are among those not drawn.
  uint64_t groups_not_drawn() const { return groups_not_drawn_; }
  // 0 while every row's point is at its own position; otherwise the rows
  // were more than the limit and each cell of a grid of 1/grid() of the side
  // keeps the point of its lowest-evidence row, at that row's position.
  int grid() const { return grid_; }
  // Rows drawn that declare more than two alleles (two of them seen).
  uint64_t drawn_with_more_alleles() const { return drawn_more_declared_; }
  // The joint rows, which only the heatmap shows.
  uint64_t joint_rows() const { return joint_; }
  // Null without a heatmap.
  const heatmap_content* heatmap() const { return heatmap_.get(); }

  // The grid for a number of diagrams: finer for fewer, larger diagrams, so
  // that all diagrams together keep about as many cells as one.
  static int grid_for(size_t diagrams);

 private:
  struct store;
  struct heatmap_store;
  size_t diagram_of(const table_row& row);
  void add_to_heatmap(const table_row& row);
  void count_not_drawn(const std::string& reason);
  void use_grid(int grid);

  table_kind kind_;
  size_t exact_limit_, max_diagrams_;
  std::vector<diagram_content> diagrams_;
  std::vector<std::unique_ptr<store>> stores_;
  std::unordered_map<std::string, size_t> diagram_index_;
  std::unordered_set<std::string> groups_left_out_;
  std::array<uint64_t, histogram_bins> histogram_{};
  uint64_t rows_ = 0, drawn_ = 0, computed_ = 0, groups_not_drawn_ = 0;
  uint64_t drawn_more_declared_ = 0, joint_ = 0;
  std::unique_ptr<heatmap_store> heatmap_store_;
  std::unique_ptr<heatmap_content> heatmap_;
  size_t points_ = 0;
  int grid_ = 0;
  std::vector<std::pair<std::string, uint64_t>> not_drawn_;
};

}  // namespace drevel

#endif
