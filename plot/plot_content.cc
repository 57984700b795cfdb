#include "plot/plot_content.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "plot/de_finetti.h"
#include "schema/table_schema.h"

namespace drevel {

namespace {

struct point_key {
  uint64_t a, b;
  bool operator==(const point_key& o) const { return a == o.a && b == o.b; }
};

struct point_key_hash {
  size_t operator()(const point_key& k) const {
    uint64_t h = k.a * 0x9e3779b97f4a7c15ULL ^ (k.b + 0x632be59bd9b4e019ULL + (k.a >> 7));
    return static_cast<size_t>(h ^ (h >> 29));
  }
};

uint64_t bits_of(double x) {
  uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

// The order points are drawn in, the first under the later ones; a cell
// keeps its last.
bool drawn_before(const diagram_point& x, const diagram_point& y) {
  if (x.evidence != y.evidence) return x.evidence > y.evidence;
  if (x.u != y.u) return x.u < y.u;
  return x.v < y.v;
}

const float height = static_cast<float>(std::sqrt(3.0) / 2);

point_key cell_of(const diagram_point& p, int grid) {
  auto index = [grid](float t) {
    long i = std::lround(std::floor(t * static_cast<float>(grid)));
    return static_cast<uint64_t>(std::min<long>(std::max<long>(i, 0), grid));
  };
  return {index(p.u), index(p.v / height)};
}

// A population's name: its POP_NAME, else its number and its first
// individual (where that says more than the number).
std::string population_label(const table_row& row) {
  if (!row.group_name.empty() && row.group_name != ".") return row.group_name;
  const std::string& first = row.group_first;
  return "Pop " + row.group +
         (first.empty() || first == "." || first == row.group ? "" : " (" + first + ")");
}

// The index of the joint row or column while the rows come.
const size_t joint_index = SIZE_MAX;

}  // namespace

struct plot_content::heatmap_store {
  size_t max_rows, max_columns;
  std::unordered_map<std::string, size_t> row_index, column_index;
  std::unordered_set<std::string> rows_out, columns_out;
  // A VCF table's sites are its columns: a site's rows come one after the
  // other, so a new site is a change of site from the row before, and the
  // sites past the limit need not be remembered.
  std::string last_site;
  size_t last_site_column = joint_index;
  bool any_site = false;
  heatmap_content content;
  std::map<std::pair<size_t, size_t>, heatmap_cell> cells;

  // The row's column, joint_index for a joint row, or left_out past the
  // limit.
  size_t column_of(const table_row& row, table_kind kind) {
    if (row.joint_loci) return joint_index;
    if (kind == table_kind::vcf) {
      if (any_site && row.site == last_site) return last_site_column;
      any_site = true;
      last_site = row.site;
      last_site_column = add_column(row.locus);
      return last_site_column;
    }
    auto found = column_index.find(row.locus);
    if (found != column_index.end()) return found->second;
    if (content.column_labels.size() >= max_columns) {
      if (columns_out.insert(row.locus).second) content.columns_left_out++;
      return left_out;
    }
    return column_index[row.locus] = add_column(row.locus);
  }
  size_t add_column(const std::string& label) {
    if (content.column_labels.size() >= max_columns) {
      content.columns_left_out++;
      return left_out;
    }
    content.column_labels.push_back(label);
    return content.column_labels.size() - 1;
  }
  size_t row_of(const table_row& row, table_kind kind) {
    if (row.joint_groups) return joint_index;
    auto found = row_index.find(row.group);
    if (found != row_index.end()) return found->second;
    if (content.row_labels.size() >= max_rows) {
      if (rows_out.insert(row.group).second) content.rows_left_out++;
      return left_out;
    }
    content.row_labels.push_back(kind == table_kind::genepop ? population_label(row) : row.group);
    return row_index[row.group] = content.row_labels.size() - 1;
  }
  static constexpr size_t left_out = SIZE_MAX - 1;
};

struct plot_content::store {
  std::unordered_map<point_key, diagram_point, point_key_hash> points;
  // Adds p at key; true when the key is new.
  bool keep(const point_key& key, const diagram_point& p) {
    auto found = points.emplace(key, p);
    if (found.second) return true;
    diagram_point& kept = found.first->second;
    const uint64_t rows = static_cast<uint64_t>(kept.rows) + p.rows;
    if (drawn_before(kept, p)) kept = p;
    kept.rows = static_cast<uint32_t>(std::min<uint64_t>(rows, UINT32_MAX));
    return false;
  }
};

plot_content::plot_content(table_kind kind, size_t exact_point_limit, size_t max_diagrams)
    : kind_(kind), exact_limit_(exact_point_limit), max_diagrams_(max_diagrams) {}

plot_content::~plot_content() = default;

int plot_content::grid_for(size_t diagrams) {
  int across = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(std::max<size_t>(diagrams, 1)))));
  return std::max(64, 1024 / across);
}

void plot_content::count_not_drawn(const std::string& reason) {
  for (auto& r : not_drawn_)
    if (r.first == reason) {
      r.second++;
      return;
    }
  not_drawn_.emplace_back(reason, 1);
}

// The diagram of the row's group, made when the group is first met;
// max_diagrams_ when the group is beyond the last diagram drawn.
size_t plot_content::diagram_of(const table_row& row) {
  auto found = diagram_index_.find(row.group);
  if (found != diagram_index_.end()) return found->second;
  if (diagrams_.size() >= max_diagrams_) {
    if (groups_left_out_.insert(row.group).second) groups_not_drawn_++;
    return max_diagrams_;
  }
  diagram_content d;
  if (kind_ == table_kind::genepop)
    d.label = population_label(row);
  else
    d.label = row.group;
  diagrams_.push_back(d);
  stores_.push_back(std::make_unique<store>());
  diagram_index_.emplace(row.group, diagrams_.size() - 1);
  // More diagrams are drawn smaller and share the grid's cells.
  if (grid_ > 0 && grid_for(diagrams_.size()) < grid_) use_grid(grid_for(diagrams_.size()));
  return diagrams_.size() - 1;
}

void plot_content::use_grid(int grid) {
  grid_ = grid;
  points_ = 0;
  for (auto& s : stores_) {
    store binned;
    for (const auto& entry : s->points)
      if (binned.keep(cell_of(entry.second, grid), entry.second)) points_++;
    s->points.swap(binned.points);
  }
}

void plot_content::add_heatmap(size_t max_rows, size_t max_columns) {
  heatmap_store_ = std::make_unique<heatmap_store>();
  heatmap_store_->max_rows = max_rows;
  heatmap_store_->max_columns = max_columns;
}

// A cell keeps its row's evidence, or its STATUS when it has none; of two
// rows in one cell (a site written twice), the lower evidence.
void plot_content::add_to_heatmap(const table_row& row) {
  heatmap_store& h = *heatmap_store_;
  const size_t column = h.column_of(row, kind_);
  const size_t r = h.row_of(row, kind_);
  if (column == heatmap_store::left_out || r == heatmap_store::left_out) return;
  heatmap_cell cell;
  if (row.status == status_word(row_status::computed) && row.has_evidence) {
    cell.state = cell_state::computed;
    cell.evidence = static_cast<float>(row.evidence);
  } else {
    cell.state = cell_state::not_computed;
    cell.status = row.status == status_word(row_status::computed) ? not_available : row.status;
  }
  auto found = h.cells.emplace(std::make_pair(r, column), cell);
  heatmap_cell& kept = found.first->second;
  if (!found.second && cell.state == cell_state::computed &&
      (kept.state != cell_state::computed || cell.evidence < kept.evidence))
    kept = cell;
}

void plot_content::add(const table_row& row) {
  rows_++;
  if (heatmap_store_) add_to_heatmap(row);
  if (row.joint_groups || row.joint_loci) {
    joint_++;
    return;
  }
  if (row.has_evidence) {
    computed_++;
    size_t bin = static_cast<size_t>(row.evidence * histogram_bins);
    histogram_[std::min(bin, histogram_bins - 1)]++;
  }
  const std::optional<row_status> status = status_of_word(row.status);
  if (status != row_status::computed) {
    count_not_drawn(status == row_status::no_calls           ? "without calls"
                    : status == row_status::monomorphic      ? "monomorphic"
                    : status == row_status::too_many_alleles ? "with too many alleles"
                                                             : "with STATUS " + row.status);
    diagram_of(row);  // a group without a drawn row still has its diagram
    return;
  }
  if (row.tested_alleles != 2) {
    count_not_drawn(row.tested_alleles > 2 ? "with 3 or more alleles" : "with fewer than 2 alleles");
    diagram_of(row);
    return;
  }
  if (!row.has_evidence) {
    count_not_drawn("without an evidence value");
    diagram_of(row);
    return;
  }
  size_t d = diagram_of(row);
  if (d == max_diagrams_) {
    count_not_drawn("in groups past the first " + std::to_string(max_diagrams_));
    return;
  }
  genotype_frequencies x;
  if (!row.has_two_allele_counts ||
      !frequencies_of_counts(row.counts[0], row.counts[1], row.counts[2], &x)) {
    count_not_drawn("without genotype counts");
    return;
  }
  ternary_point t = ternary_of(x);
  diagram_point p{static_cast<float>(t.u), static_cast<float>(t.v),
                  static_cast<float>(row.evidence)};
  drawn_++;
  diagrams_[d].drawn++;
  if (row.declared_alleles > 2) drawn_more_declared_++;
  // Rows with the same frequencies share the key of their exact quotients.
  point_key key = grid_ > 0 ? cell_of(p, grid_) : point_key{bits_of(x.het), bits_of(x.hom_second)};
  if (stores_[d]->keep(key, p) && ++points_ > exact_limit_ && grid_ == 0)
    use_grid(grid_for(diagrams_.size()));
}

void plot_content::finish() {
  for (size_t d = 0; d < diagrams_.size(); d++) {
    std::vector<diagram_point>& out = diagrams_[d].points;
    out.clear();
    out.reserve(stores_[d]->points.size());
    for (const auto& entry : stores_[d]->points) out.push_back(entry.second);
    std::sort(out.begin(), out.end(), drawn_before);
    stores_[d]->points.clear();
  }
  if (!heatmap_store_) return;
  diagrams_.erase(std::remove_if(diagrams_.begin(), diagrams_.end(),
                                 [](const diagram_content& d) { return d.drawn == 0; }),
                  diagrams_.end());
  stores_.clear();
  diagram_index_.clear();

  heatmap_store& store = *heatmap_store_;
  heatmap_content& h = store.content;
  for (const auto& entry : store.cells) {
    if (entry.first.first == joint_index) h.shape.joint_row = true;
    if (entry.first.second == joint_index) h.shape.joint_column = true;
  }
  h.shape.rows = h.row_labels.size() + (h.shape.joint_row ? 1 : 0);
  h.shape.columns = h.column_labels.size() + (h.shape.joint_column ? 1 : 0);
  if (h.shape.joint_row)
    h.row_labels.push_back(kind_ == table_kind::genepop ? "all populations" : "all groups");
  if (h.shape.joint_column) h.column_labels.push_back("all loci");
  h.cells.assign(h.shape.rows * h.shape.columns, heatmap_cell());
  for (auto& entry : store.cells) {
    size_t r = entry.first.first == joint_index ? h.shape.rows - 1 : entry.first.first;
    size_t c = entry.first.second == joint_index ? h.shape.columns - 1 : entry.first.second;
    h.cells[r * h.shape.columns + c] = std::move(entry.second);
  }
  heatmap_ = std::make_unique<heatmap_content>(std::move(h));
  heatmap_store_.reset();
}

}  // namespace drevel
