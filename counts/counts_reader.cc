#include "counts/counts_reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "counts/count_text.h"
#include "counts/gcount_rows.h"
#include "counts/table_rows.h"
#include "schema/table_schema.h"
#include "sites/genotype_tally.h"

namespace drevel {

struct counts_reader::impl {
  std::string path;
  std::FILE* f = nullptr;
  bool own_file = false;
  int64_t line_number = 0;
  std::string line;
  std::vector<std::string> fields;
  size_t columns = 0;
  std::vector<std::string> names;  // the header's
  bool drevel_table = false;
  bool joint_rows_seen = false;  // a joint row was left out (warned once)
  table_layout layout;
  gcount_columns gc;
  table_columns table;
  counts_read_options options;
  genotype_tally tally;
  std::vector<std::string> warnings;

  ~impl() {
    if (f && own_file) std::fclose(f);
  }
  std::string at() const { return path + ": line " + std::to_string(line_number); }
  bool read_line();
  status read_header();
};

bool counts_reader::impl::read_line() {
  line.clear();
  int c;
  while ((c = std::getc(f)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
  if (c == EOF && line.empty()) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  line_number++;
  return true;
}

counts_reader::counts_reader() : impl_(new impl) {}
counts_reader::~counts_reader() = default;

const table_layout& counts_reader::layout() const { return impl_->layout; }

status counts_reader::open(const std::string& path, const counts_read_options& options) {
  impl_.reset(new impl);
  impl& d = *impl_;
  d.options = options;
  d.path = path == "-" ? "standard input" : path;
  errno = 0;
  d.f = path == "-" ? stdin : std::fopen(path.c_str(), "r");
  d.own_file = path != "-";
  if (!d.f)
    return status(fault_kind::input, d.path + ": cannot read the file" +
                                         (errno ? std::string(": ") + std::strerror(errno) : ""));
  if (!d.read_line() || d.line.empty() || d.line[0] != '#')
    return status(fault_kind::input,
                  d.path + ": line 1: no header line (a .gcount or a drevel table starts with #)");
  return d.read_header();
}

status counts_reader::impl::read_header() {
  line.erase(0, 1);
  split_tabs(line, &names);
  columns = names.size();
  drevel_table = names_a_drevel_table(names);
  status found = drevel_table ? find_table_columns(names, &table, &layout)
                              : find_gcount_columns(names, &gc);
  if (!found) return status(found.kind(), path + ": line 1: " + found.message());
  if (!drevel_table) layout.labels = vcf_label_columns();
  return status::ok();
}

status counts_reader::next(site_record* site, bool* at_end) {
  impl& d = *impl_;
  *at_end = false;
  for (;;) {
    if (!d.read_line()) {
      if (std::ferror(d.f)) return status(fault_kind::input, d.path + ": cannot read the file");
      *at_end = true;
      return status::ok();
    }
    split_tabs(d.line, &d.fields);
    if (d.fields.size() != d.columns)
      return status(fault_kind::input, d.at() + ": " + std::to_string(d.fields.size()) +
                                           " columns where the header has " +
                                           std::to_string(d.columns));
    if (d.drevel_table && is_joint_row(d.table, d.fields)) {
      if (!d.joint_rows_seen)
        d.warnings.push_back(d.at() + ": joint rows (N_JOINED) are left out: each row is "
                                      "computed alone here; --joint on the input gives them");
      d.joint_rows_seen = true;
      continue;
    }
    std::string left_out;
    const status read =
        d.drevel_table ? read_table_row(d.table, d.fields, d.options, &d.tally, site, &left_out)
                       : read_gcount_row(d.gc, d.names, d.fields, d.options, &d.tally, site);
    if (!read) return status(read.kind(), d.at() + ": " + read.message());
    if (left_out.empty()) return status::ok();
    d.warnings.push_back(d.at() + ": " + left_out);
  }
}

std::vector<std::string> counts_reader::take_warnings() {
  std::vector<std::string> out;
  out.swap(impl_->warnings);
  return out;
}

}  // namespace drevel
