#include "plot/result_table.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "schema/table_schema.h"

namespace drevel {

namespace {

const size_t read_chunk = size_t(1) << 16;

bool parse_count(const char* text, double* value) {
  if (*text < '0' || *text > '9') return false;
  char* end;
  double v = std::strtod(text, &end);
  if (*end != '\0' || !(v >= 0) || v > 9007199254740992.0 || v != std::floor(v)) return false;
  *value = v;
  return true;
}

bool parse_int(const char* text, int* value) {
  char* end;
  errno = 0;
  long v = std::strtol(text, &end, 10);
  if (*text == '\0' || *end != '\0' || errno != 0 || v < 0 || v > 1000000) return false;
  *value = static_cast<int>(v);
  return true;
}

bool looks_like_number(const std::string& line) {
  const char* p = line.c_str();
  while (*p == ' ' || *p == '\t') p++;
  char* end;
  std::strtod(p, &end);
  if (end == p) return false;
  while (*end == ' ' || *end == '\t') end++;
  return *end == '\0';
}

status fault(const std::string& message) { return status(fault_kind::input, message); }

}  // namespace

result_table_reader::~result_table_reader() {
  if (own_file_) std::fclose(file_);
}

status result_table_reader::open(const std::string& path) {
  if (path == "-") {
    file_ = stdin;
    name_ = "standard input";
  } else {
    file_ = std::fopen(path.c_str(), "rb");
    name_ = path;
    if (!file_) return fault(path + ": cannot open the table: " + std::strerror(errno));
    own_file_ = true;
  }
  buffer_.resize(read_chunk);
  return read_header();
}

std::string result_table_reader::at_line() const {
  return name_ + ", line " + std::to_string(line_) + ": ";
}

status result_table_reader::fill() {
  end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  begin_ = 0;
  if (end_ > 0) return status::ok();
  at_eof_ = true;
  if (std::ferror(file_)) return fault(name_ + ": cannot read the table: " + std::strerror(errno));
  return status::ok();
}

status result_table_reader::read_line(std::string* line, bool* at_end) {
  line->clear();
  *at_end = false;
  bool complete = false;
  while (!complete) {
    if (begin_ == end_) {
      if (!at_eof_) {
        status filled = fill();
        if (!filled) return filled;
      }
      if (begin_ == end_) {  // the end of the input
        if (line->empty()) {
          *at_end = true;
          return status::ok();
        }
        break;  // a last line without its line end
      }
    }
    const char* start = buffer_.data() + begin_;
    const void* nl = std::memchr(start, '\n', end_ - begin_);
    size_t n = nl ? static_cast<size_t>(static_cast<const char*>(nl) - start) : end_ - begin_;
    if (line->size() + n > max_table_line)
      return fault(name_ + ", line " + std::to_string(line_ + 1) + ": longer than " +
                   std::to_string(max_table_line >> 20) + " MiB; not a table written by drevel");
    if (std::memchr(start, '\0', n))
      return fault(name_ + ", line " + std::to_string(line_ + 1) +
                   ": binary data; not a table written by drevel --vcf or --genepop");
    line->append(start, n);
    begin_ += n;
    if (nl) {
      begin_++;
      complete = true;
    }
  }
  line_++;
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return status::ok();
}

status result_table_reader::read_header() {
  // A compressed file is not read here, but it is worth saying what it is.
  status filled = fill();
  if (!filled) return filled;
  if (end_ >= 2 && static_cast<unsigned char>(buffer_[0]) == 0x1f &&
      static_cast<unsigned char>(buffer_[1]) == 0x8b)
    return fault(name_ + ": a compressed file; decompress it first (zcat " + name_ +
                 " | drevel --plot - <picture>)");
  std::string header;
  bool empty = false;
  status read = read_line(&header, &empty);
  if (!read) return read;
  if (empty) return fault(name_ + ": empty; not a table written by drevel --vcf or --genepop");
  const std::string not_table = name_ + ": not a table written by drevel --vcf or --genepop";
  if (header.compare(0, 16, "##fileformat=VCF") == 0)
    return fault(not_table + " but a VCF file; make the table with drevel --vcf first");
  if (looks_like_number(header))
    return fault(not_table + " (it looks like the result file of a single locus)");
  std::vector<std::string> names;
  size_t start = 0;
  for (;;) {
    size_t tab = header.find('\t', start);
    names.push_back(header.substr(start, tab == std::string::npos ? tab : tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  if (names[0] == "#" + vcf_label_columns()[0]) {
    kind_ = table_kind::vcf;
  } else if (names[0] == "#" + genepop_label_columns()[0]) {
    kind_ = table_kind::genepop;
  } else {
    return fault(not_table + " (its first line is not a header starting with #CHROM or #POP)");
  }
  columns_ = names.size();
  auto column = [&names](const char* name) {
    for (size_t i = 0; i < names.size(); i++)
      if (names[i] == name) return static_cast<int>(i);
    return -1;
  };
  std::vector<const char*> required = {
      column_name(table_column::evidence), column_name(table_column::n_tested),
      column_name(table_column::status), column_name(table_column::genotypes)};
  // POS, REF, ALT; LOCUS.
  if (kind_ == table_kind::vcf) {
    for (size_t c = 1; c <= 4; c++)
      if (c != 2) required.push_back(vcf_label_columns()[c].c_str());
  } else {
    required.push_back(locus_column);
  }
  std::string missing;
  for (const char* c : required)
    if (column(c) < 0) missing += (missing.empty() ? "" : ", ") + std::string(c);
  if (!missing.empty())
    return fault(name_ + ": the table has no column " + missing +
                 " (a table written by an older drevel? write it again with this one)");
  evidence_column_ = column(column_name(table_column::evidence));
  tested_column_ = column(column_name(table_column::n_tested));
  status_column_ = column(column_name(table_column::status));
  genotypes_column_ = column(column_name(table_column::genotypes));
  declared_column_ = column(column_name(table_column::n_alleles));
  if (kind_ == table_kind::vcf) {
    group_column_ = column(group_column);
  } else {
    group_column_ = 0;
    first_column_ = column(first_individual_column);
  }
  find_heatmap_columns(names);
  return status::ok();
}

void result_table_reader::find_heatmap_columns(const std::vector<std::string>& names) {
  auto column = [&names](const std::string& name) {
    for (size_t i = 0; i < names.size(); i++)
      if (names[i] == name || (i == 0 && names[i] == "#" + name)) return static_cast<int>(i);
    return -1;
  };
  joined_column_ = column(n_joined_column);
  if (kind_ == table_kind::genepop) {
    name_column_ = column(pop_name_column);
    locus_column_ = column(locus_column);
    return;
  }
  const std::vector<std::string>& labels = vcf_label_columns();
  chrom_column_ = column(labels[0]);
  pos_column_ = column(labels[1]);
  id_column_ = column(labels[2]);
  ref_column_ = column(labels[3]);
  alt_column_ = column(labels[4]);
}

void result_table_reader::read_heatmap_keys(table_row* row) const {
  auto field = [this](int column) -> const char* {
    return column >= 0 ? field_begin_[static_cast<size_t>(column)] : "";
  };
  row->joint_groups = row->joint_loci = false;
  // A table without groups has no heatmap.
  if (group_column_ < 0) return;
  row->group_name = field(name_column_);
  if (kind_ == table_kind::genepop) {
    row->locus = field(locus_column_);
    row->site.clear();
  } else {
    // Built in place: a large table has millions of rows.
    const char* id = field(id_column_);
    if (*id != '\0' && std::strcmp(id, ".") != 0) {
      row->locus = id;
    } else {
      row->locus = field(chrom_column_);
      row->locus += ':';
      row->locus += field(pos_column_);
    }
    row->site = field(chrom_column_);
    for (int column : {pos_column_, id_column_, ref_column_, alt_column_}) {
      row->site += '\t';
      row->site += field(column);
    }
  }
  const bool joint_table = joined_column_ >= 0;
  row->joint_groups = joint_table && row->group == joint_label;
  row->joint_loci = joint_table && kind_ == table_kind::genepop && row->locus == joint_label;
}

status result_table_reader::next(table_row* row, bool* at_end) {
  do {
    status read = read_line(&text_, at_end);
    if (!read || *at_end) return read;
  } while (text_.empty());
  // Fields become C strings in place.
  field_begin_.clear();
  field_begin_.push_back(text_.c_str());
  for (size_t i = 0; i < text_.size(); i++)
    if (text_[i] == '\t') {
      text_[i] = '\0';
      field_begin_.push_back(text_.c_str() + i + 1);
    }
  if (field_begin_.size() != columns_)
    return fault(at_line() + std::to_string(field_begin_.size()) +
                 " fields where the header has " + std::to_string(columns_));
  auto field = [this](int column) { return field_begin_[static_cast<size_t>(column)]; };
  auto bad = [&](int column, const char* name, const char* what) {
    return fault(at_line() + name + " '" + field(column) + "' is not " + what);
  };
  row->line = line_;
  row->group = group_column_ >= 0 ? field(group_column_) : "";
  row->group_first = first_column_ >= 0 ? field(first_column_) : "";
  row->status = field(status_column_);
  read_heatmap_keys(row);
  const bool joint = row->joint_groups || row->joint_loci;
  auto joint_na = [&](int column) { return joint && std::strcmp(field(column), not_available) == 0; };
  row->declared_alleles = 0;
  row->tested_alleles = 0;
  if (declared_column_ >= 0 && !joint_na(declared_column_) &&
      !parse_int(field(declared_column_), &row->declared_alleles))
    return bad(declared_column_, column_name(table_column::n_alleles), "a number of alleles");
  if (!joint_na(tested_column_) && !parse_int(field(tested_column_), &row->tested_alleles))
    return bad(tested_column_, column_name(table_column::n_tested), "a number of alleles");
  const char* evidence = field(evidence_column_);
  row->has_evidence = std::strcmp(evidence, not_available) != 0;
  if (row->has_evidence) {
    char* end;
    row->evidence = std::strtod(evidence, &end);
    if (*evidence == '\0' || *end != '\0' || !(row->evidence >= 0 && row->evidence <= 1))
      return bad(evidence_column_, column_name(table_column::evidence),
                 "NA or a number from 0 to 1");
  }
  row->has_two_allele_counts =
      !joint && row->status == status_word(row_status::computed) && row->tested_alleles == 2;
  if (row->has_two_allele_counts) {
    const char* counts = field(genotypes_column_);
    std::string part;
    const char* p = counts;
    for (int i = 0; i < 3; i++) {
      const char* comma = std::strchr(p, ',');
      if ((i < 2) != (comma != nullptr))
        return bad(genotypes_column_, column_name(table_column::genotypes), "three genotype counts n(0/0),n(0/1),n(1/1)");
      part.assign(p, comma ? static_cast<size_t>(comma - p) : std::strlen(p));
      if (!parse_count(part.c_str(), &row->counts[i]))
        return bad(genotypes_column_, column_name(table_column::genotypes), "three genotype counts n(0/0),n(0/1),n(1/1)");
      if (comma) p = comma + 1;
    }
    if (row->counts[0] + row->counts[1] + row->counts[2] <= 0)
      return bad(genotypes_column_, column_name(table_column::genotypes), "a site with counted calls, as STATUS ok says");
  }
  return status::ok();
}

}  // namespace drevel
