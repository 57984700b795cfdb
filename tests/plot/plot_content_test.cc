// What the picture shows, from rows: which rows are drawn and why the
// others are not, the histogram's bins, one point per position with the
// lowest evidence drawn last, groups, the grid that bounds the points of a
// large table without moving any point drawn, and the heatmap's cells.
#include "plot/plot_content.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <set>

#include "plot/de_finetti.h"

namespace {

using namespace drevel;

table_row two_allele(double evidence, double aa, double ab, double bb,
                     const std::string& group = "") {
  table_row r;
  r.group = group;
  r.status = "ok";
  r.tested_alleles = 2;
  r.declared_alleles = 2;
  r.has_evidence = true;
  r.evidence = evidence;
  r.has_two_allele_counts = true;
  r.counts[0] = aa;
  r.counts[1] = ab;
  r.counts[2] = bb;
  return r;
}

table_row other(const std::string& status, int tested, bool evidence,
                const std::string& group = "") {
  table_row r;
  r.group = group;
  r.status = status;
  r.tested_alleles = tested;
  r.has_evidence = evidence;
  r.evidence = 0.5;
  return r;
}

TEST(plot_content, rows_drawn_counted_and_binned) {
  plot_content c(table_kind::vcf);
  c.add(two_allele(0, 1, 2, 1));
  c.add(two_allele(0.05, 5, 0, 5));
  c.add(two_allele(1, 9, 1, 0));
  c.add(two_allele(0.999, 0, 1, 9));
  c.add(other("ok", 3, true));            // in the histogram only
  c.add(other("monomorphic", 1, false));
  c.add(other("monomorphic", 1, false));
  c.add(other("no_calls", 0, false));
  c.add(other("too_many_alleles", 25, false));
  c.add(other("ok", 2, false));           // no evidence value
  c.add(other("filtered", 2, true));      // a status this reader does not know
  c.finish();
  EXPECT_EQ(c.rows(), 11u);
  EXPECT_EQ(c.drawn_rows(), 4u);
  EXPECT_EQ(c.computed_rows(), 6u);
  EXPECT_EQ(c.histogram()[0], 1u);
  EXPECT_EQ(c.histogram()[1], 1u);
  EXPECT_EQ(c.histogram()[10], 2u);  // the three-allele row and the unknown status
  EXPECT_EQ(c.histogram()[19], 2u);  // 0.999 and 1
  const std::vector<std::pair<std::string, uint64_t>> reasons = {
      {"with 3 or more alleles", 1}, {"monomorphic", 2},           {"without calls", 1},
      {"with too many alleles", 1},  {"without an evidence value", 1}, {"with STATUS filtered", 1}};
  EXPECT_EQ(c.not_drawn(), reasons);
  ASSERT_EQ(c.diagrams().size(), 1u);
  EXPECT_EQ(c.diagrams()[0].drawn, 4u);
  EXPECT_EQ(c.grid(), 0);
}

TEST(plot_content, one_point_per_position_lowest_evidence_last) {
  plot_content c(table_kind::vcf);
  c.add(two_allele(0.7, 1, 2, 1));
  c.add(two_allele(0.2, 2, 4, 2));  // the same frequencies
  c.add(two_allele(0.9, 3, 6, 3));
  c.add(two_allele(0.4, 10, 0, 0));
  c.add(two_allele(0.95, 0, 0, 3));
  table_row more = two_allele(0.6, 5, 1, 0);
  more.declared_alleles = 3;
  c.add(more);
  c.finish();
  const auto& points = c.diagrams()[0].points;
  ASSERT_EQ(points.size(), 4u);
  EXPECT_EQ(c.drawn_rows(), 6u);
  EXPECT_EQ(c.drawn_with_more_alleles(), 1u);
  for (size_t i = 1; i < points.size(); i++) EXPECT_GE(points[i - 1].evidence, points[i].evidence);
  const diagram_point& last = points.back();
  EXPECT_FLOAT_EQ(last.evidence, 0.2f);
  EXPECT_FLOAT_EQ(last.u, 0.5f);
  EXPECT_FLOAT_EQ(last.v, static_cast<float>(std::sqrt(3.0) / 4));
  EXPECT_FLOAT_EQ(points.front().u, 1);  // 0,0,3 at the aa corner
  EXPECT_FLOAT_EQ(points.front().v, 0);
}

TEST(plot_content, groups_in_order_with_a_limit) {
  plot_content c(table_kind::vcf, default_exact_point_limit, 2);
  c.add(two_allele(0.5, 1, 1, 1, "EUR"));
  c.add(other("monomorphic", 1, false, "AFR"));  // a group with no point still has its diagram
  c.add(two_allele(0.5, 1, 1, 1, "EAS"));        // past the limit
  c.add(two_allele(0.5, 1, 1, 2, "EAS"));
  c.add(two_allele(0.5, 1, 1, 2, "SAS"));
  c.add(two_allele(0.5, 2, 1, 1, "EUR"));
  c.finish();
  ASSERT_EQ(c.diagrams().size(), 2u);
  EXPECT_EQ(c.diagrams()[0].label, "EUR");
  EXPECT_EQ(c.diagrams()[0].drawn, 2u);
  EXPECT_EQ(c.diagrams()[1].label, "AFR");
  EXPECT_EQ(c.diagrams()[1].drawn, 0u);
  EXPECT_EQ(c.groups_not_drawn(), 2u);
  EXPECT_EQ(c.drawn_rows(), 2u);
  EXPECT_EQ(c.computed_rows(), 5u);  // the histogram has every group
  const std::vector<std::pair<std::string, uint64_t>> reasons = {
      {"monomorphic", 1}, {"in groups past the first 2", 3}};
  EXPECT_EQ(c.not_drawn(), reasons);

  plot_content genepop(table_kind::genepop);
  table_row r = two_allele(0.5, 1, 1, 1, "3");
  r.group_first = "cat17";
  genepop.add(r);
  genepop.finish();
  EXPECT_EQ(genepop.diagrams()[0].label, "Pop 3 (cat17)");
}

// Random sites over many sample sizes, so that positions rarely repeat.
std::vector<table_row> random_rows(size_t n, int groups, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<table_row> rows;
  for (size_t i = 0; i < n; i++) {
    double aa = rng() % 3000, ab = rng() % 3000, bb = rng() % 3000 + 1;
    rows.push_back(two_allele((rng() % 100000) / 99999.0, aa, ab, bb,
                              "g" + std::to_string(i % groups)));
  }
  return rows;
}

TEST(plot_content, the_grid_keeps_each_cells_lowest_row_where_it_is) {
  for (int groups : {1, 3}) {
    const auto rows = random_rows(20000, groups, 11 + groups);
    plot_content exact(table_kind::vcf);
    plot_content thinned(table_kind::vcf, 500);
    for (const auto& r : rows) {
      exact.add(r);
      thinned.add(r);
    }
    exact.finish();
    thinned.finish();
    EXPECT_EQ(exact.grid(), 0);
    EXPECT_EQ(thinned.grid(), plot_content::grid_for(groups));
    EXPECT_EQ(thinned.drawn_rows(), rows.size());
    const int grid = thinned.grid();
    const float height = static_cast<float>(std::sqrt(3.0) / 2);
    auto cell = [grid, height](const diagram_point& p) {
      return std::make_pair(static_cast<int>(std::floor(p.u * grid)),
                            static_cast<int>(std::floor(p.v / height * grid)));
    };
    for (int g = 0; g < groups; g++) {
      // Every cell of the exact points, with its lowest evidence.
      std::map<std::pair<int, int>, float> lowest;
      std::set<std::pair<float, float>> positions;
      for (const diagram_point& p : exact.diagrams()[g].points) {
        auto found = lowest.emplace(cell(p), p.evidence);
        if (!found.second) found.first->second = std::min(found.first->second, p.evidence);
        positions.emplace(p.u, p.v);
      }
      const auto& kept = thinned.diagrams()[g].points;
      EXPECT_EQ(kept.size(), lowest.size());
      std::set<std::pair<int, int>> cells;
      for (const diagram_point& p : kept) {
        EXPECT_TRUE(cells.insert(cell(p)).second) << "two points in one cell";
        EXPECT_EQ(p.evidence, lowest[cell(p)]);
        EXPECT_EQ(positions.count({p.u, p.v}), 1u) << "a point not at a row's position";
      }
    }
  }
}

TEST(plot_content, the_grid_coarsens_as_groups_come) {
  plot_content c(table_kind::vcf, 100);
  for (const auto& r : random_rows(1000, 1, 3)) c.add(r);
  EXPECT_EQ(c.grid(), plot_content::grid_for(1));
  for (const auto& r : random_rows(40, 40, 4)) c.add(r);  // g0 to g39, g0 already there
  ASSERT_EQ(c.diagrams().size(), 40u);
  EXPECT_EQ(c.grid(), plot_content::grid_for(40));
  EXPECT_LT(plot_content::grid_for(40), plot_content::grid_for(1));
  // All diagrams together keep no more cells than one diagram's grid has.
  for (size_t d : {1, 2, 4, 9, 16, 48})
    EXPECT_LE(d * plot_content::grid_for(d) * plot_content::grid_for(d),
              size_t(1024) * 1024 + 64 * 64 * 48);
}

// A row of a Genepop table; evidence < 0 for NA.
table_row panel_row(const std::string& pop, const std::string& name, const std::string& locus,
                    const std::string& status, double evidence, int tested = 5) {
  table_row r = other(status, tested, evidence >= 0);
  r.group = pop;
  r.group_name = name;
  r.group_first = pop == "*" ? "." : "ind" + pop;
  r.locus = locus;
  r.evidence = evidence;
  r.joint_groups = pop == "*";
  r.joint_loci = locus == "*";
  return r;
}

// Populations as rows and loci as columns in the order the table first
// names them, the joint rows last and apart, cells without a value told
// from values and from cells the table has no row for; joint rows out of
// the diagrams, the histogram and the rows not drawn.
TEST(plot_content, heatmap_of_a_panel) {
  plot_content c(table_kind::genepop);
  c.add_heatmap();
  table_row two = two_allele(0.9, 5, 3, 2, "1");
  two.group_name = "North";
  two.locus = "A";
  c.add(two);
  c.add(panel_row("1", "North", "B", "ok", 0.01));
  c.add(panel_row("1", "North", "C", "monomorphic", -1, 1));
  c.add(panel_row("1", "North", "*", "ok", 0.2, 0));
  c.add(panel_row("2", ".", "B", "ok", 0.5));
  c.add(panel_row("2", ".", "A", "no_calls", -1, 0));
  c.add(panel_row("2", ".", "D", "ok", -1, 2));  // ok without a value
  c.add(panel_row("2", ".", "*", "ok", 0.4, 0));
  for (const char* locus : {"A", "B", "C", "D"})
    c.add(panel_row("*", "*", locus, locus[0] == 'C' ? "monomorphic" : "ok",
                    locus[0] == 'C' ? -1 : 0.3, 0));
  c.add(panel_row("*", "*", "*", "ok", 0.05, 0));
  c.finish();

  ASSERT_NE(c.heatmap(), nullptr);
  const heatmap_content& h = *c.heatmap();
  EXPECT_EQ(h.row_labels, (std::vector<std::string>{"North", "Pop 2 (ind2)", "all populations"}));
  EXPECT_EQ(h.column_labels, (std::vector<std::string>{"A", "B", "C", "D", "all loci"}));
  EXPECT_EQ(h.shape.rows, 3u);
  EXPECT_EQ(h.shape.columns, 5u);
  EXPECT_TRUE(h.shape.joint_row && h.shape.joint_column);
  EXPECT_EQ(h.rows_left_out + h.columns_left_out, 0u);
  ASSERT_EQ(h.cells.size(), 15u);
  auto value = [&h](size_t r, size_t col) {
    const heatmap_cell& cell = h.at(r, col);
    return cell.state == cell_state::computed ? cell.evidence : -1.0f;
  };
  auto status = [&h](size_t r, size_t col) {
    const heatmap_cell& cell = h.at(r, col);
    return cell.state == cell_state::not_computed ? cell.status : std::string("-");
  };
  EXPECT_FLOAT_EQ(value(0, 0), 0.9f);
  EXPECT_FLOAT_EQ(value(0, 1), 0.01f);
  EXPECT_EQ(status(0, 2), "monomorphic");
  EXPECT_EQ(h.at(0, 3).state, cell_state::absent);  // North has no row for D
  EXPECT_FLOAT_EQ(value(0, 4), 0.2f);
  EXPECT_EQ(status(1, 0), "no_calls");
  EXPECT_FLOAT_EQ(value(1, 1), 0.5f);
  EXPECT_EQ(h.at(1, 2).state, cell_state::absent);
  EXPECT_EQ(status(1, 3), "NA");
  EXPECT_FLOAT_EQ(value(1, 4), 0.4f);
  EXPECT_FLOAT_EQ(value(2, 0), 0.3f);
  EXPECT_EQ(status(2, 2), "monomorphic");
  EXPECT_FLOAT_EQ(value(2, 4), 0.05f);

  EXPECT_EQ(c.rows(), 13u);
  EXPECT_EQ(c.joint_rows(), 7u);
  EXPECT_EQ(c.computed_rows(), 3u);  // 0.9, 0.01 and 0.5: no joint row
  EXPECT_EQ(c.drawn_rows(), 1u);
  const std::vector<std::pair<std::string, uint64_t>> reasons = {
      {"with 3 or more alleles", 2}, {"monomorphic", 1}, {"without calls", 1},
      {"without an evidence value", 1}};
  EXPECT_EQ(c.not_drawn(), reasons);
  // Population 2 has no drawn row: the heatmap shows it, not an empty diagram.
  ASSERT_EQ(c.diagrams().size(), 1u);
  EXPECT_EQ(c.diagrams()[0].label, "North");
}

// Sites as columns, one per run of rows of a site even where two sites
// share a label; groups past the limit and sites past the limit counted,
// and the joint row kept for the sites shown.
TEST(plot_content, heatmap_of_sites_within_limits) {
  plot_content c(table_kind::vcf);
  c.add_heatmap(2, 3);
  struct site {
    const char* label;
    const char* key;
  };
  const site sites[] = {{"rs1", "1\t100\trs1\tA\tG"}, {"1:200", "1\t200\t.\tA\tG"},
                        {"1:200", "1\t200\t.\tA\tT"}, {"rs4", "1\t400\trs4\tC\tG"},
                        {"rs5", "1\t500\trs5\tC\tG"}};
  float evidence = 0;
  for (const site& s : sites)
    for (const char* group : {"EUR", "AFR", "EAS", "*"}) {
      table_row r = two_allele(evidence += 0.01f, 4, 4, 2, group);
      r.locus = s.label;
      r.site = s.key;
      r.joint_groups = group[0] == '*';
      if (r.joint_groups) r.has_two_allele_counts = false;
      c.add(r);
    }
  c.finish();
  const heatmap_content& h = *c.heatmap();
  EXPECT_EQ(h.row_labels, (std::vector<std::string>{"EUR", "AFR", "all groups"}));
  EXPECT_EQ(h.column_labels, (std::vector<std::string>{"rs1", "1:200", "1:200"}));
  EXPECT_EQ(h.rows_left_out, 1u);
  EXPECT_EQ(h.columns_left_out, 2u);
  EXPECT_TRUE(h.shape.joint_row);
  EXPECT_FALSE(h.shape.joint_column);
  // Row r of site s holds the evidence written 4 s + r + 1 hundredths,
  // the joint row that of "*" (4 s + 4).
  for (size_t s = 0; s < 3; s++) {
    EXPECT_NEAR(h.at(0, s).evidence, 0.01 * (4 * s + 1), 1e-5);
    EXPECT_NEAR(h.at(1, s).evidence, 0.01 * (4 * s + 2), 1e-5);
    EXPECT_NEAR(h.at(2, s).evidence, 0.01 * (4 * s + 4), 1e-5);
  }
  EXPECT_EQ(c.joint_rows(), 5u);
  EXPECT_EQ(c.drawn_rows(), 15u);  // the diagrams keep every group's rows
}

}  // namespace
