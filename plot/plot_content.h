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

  // Takes in one row of the table.  A row is drawn when its STATUS is ok,
  // two alleles were tested and it has an evidence value; every row with an
  // evidence value goes into the histogram.
  void add(const table_row& row);

  // Puts each diagram's points in drawing order; call once, after the last
  // row.
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

  // The grid for a number of diagrams: finer for fewer, larger diagrams, so
  // that all diagrams together keep about as many cells as one.
  static int grid_for(size_t diagrams);

 private:
  struct store;
  size_t diagram_of(const table_row& row);
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
  uint64_t drawn_more_declared_ = 0;
  size_t points_ = 0;
  int grid_ = 0;
  std::vector<std::pair<std::string, uint64_t>> not_drawn_;
};

}  // namespace drevel

#endif
