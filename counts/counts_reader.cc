#include "counts/counts_reader.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "schema/table_schema.h"
#include "sites/genotype_tally.h"

namespace drevel {

namespace {

void split_tabs(const std::string& line, std::vector<std::string>* fields) {
  fields->clear();
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    fields->push_back(line.substr(start, tab == std::string::npos ? tab : tab - start));
    if (tab == std::string::npos) return;
    start = tab + 1;
  }
}

// A count as the tables write it: decimal digits only.
bool read_count(const std::string& text, size_t begin, size_t end, int64_t* value) {
  if (begin >= end || text[begin] < '0' || text[begin] > '9') return false;
  auto r = std::from_chars(text.data() + begin, text.data() + end, *value);
  return r.ec == std::errc() && r.ptr == text.data() + end;
}

// A comma-separated list of counts.
bool read_counts(const std::string& text, std::vector<int64_t>* values) {
  values->clear();
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(',', start);
    size_t end = comma == std::string::npos ? text.size() : comma;
    int64_t v;
    if (!read_count(text, start, end, &v)) return false;
    values->push_back(v);
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

// The .gcount columns, by plink2's names; -1 where the file has none.
struct gcount_columns {
  int chrom = -1, pos = -1, id = -1, ref = -1, alt = -1;
  int homref = -1, refalt = -1, altxy = -1, xy = -1;
  int hapref = -1, hapalt = -1, hap = -1, missing = -1;
};

// Known, and not needed: the first ALT allele's columns repeat what the
// lists hold; GENO_NUM_CTS and OBS_CT are sums of them.
const char* const ignored_gcount_columns[] = {"ALT1", "HET_REF_ALT1_CT", "HOM_ALT1_CT",
                                              "HAP_ALT1_CT", "GENO_NUM_CTS", "OBS_CT"};

}  // namespace

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
  table_layout layout;
  gcount_columns gc;
  // A drevel table: where its computed columns start, and ALLELES (-1: none).
  size_t computed = 0;
  int alleles = -1;
  counts_read_options options;
  genotype_tally tally;
  std::vector<int64_t> list, list2;
  std::vector<std::string> warnings;

  ~impl() {
    if (f && own_file) std::fclose(f);
  }
  std::string at() const { return path + ": line " + std::to_string(line_number); }
  bool read_line();
  status read_header();
  status read_gcount_header();
  int gcount_row(site_record* site, std::string* error);
  int table_row(site_record* site, std::string* error);
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
  split_tabs(line, &fields);
  columns = fields.size();
  names = fields;
  size_t first = 0;
  while (first < fields.size() && fields[first] != column_name(table_column::n_alleles)) first++;
  if (first == fields.size()) return read_gcount_header();
  // A drevel table: the label columns, then every computed column in order,
  // then perhaps ALLELES.
  drevel_table = true;
  computed = first;
  const auto& names = computed_columns();
  bool ok = first + names.size() <= fields.size();
  for (size_t n = 0; ok && n < names.size(); n++) ok = fields[first + n] == names[n].name;
  size_t end = first + names.size();
  if (ok && end + 1 == fields.size() && fields[end] == alleles_column)
    alleles = static_cast<int>(end);
  else if (ok && end != fields.size())
    ok = false;
  if (!ok || first == 0)
    return status(fault_kind::input, path + ": line 1: not a table drevel wrote: the computed "
                                            "columns N_ALLELES ... AT_MAXMC are not all there, "
                                            "in order, after the label columns");
  layout.labels.assign(fields.begin(), fields.begin() + static_cast<long>(first));
  layout.alleles = alleles >= 0;
  return status::ok();
}

status counts_reader::impl::read_gcount_header() {
  const std::pair<const char*, int gcount_columns::*> known[] = {
      {"CHROM", &gcount_columns::chrom},
      {"POS", &gcount_columns::pos},
      {"ID", &gcount_columns::id},
      {"REF", &gcount_columns::ref},
      {"ALT", &gcount_columns::alt},
      {"HOM_REF_CT", &gcount_columns::homref},
      {"HET_REF_ALT_CTS", &gcount_columns::refalt},
      {"TWO_ALT_GENO_CTS", &gcount_columns::altxy},
      {"DIPLOID_GENO_CTS", &gcount_columns::xy},
      {"HAP_REF_CT", &gcount_columns::hapref},
      {"HAP_ALT_CTS", &gcount_columns::hapalt},
      {"HAP_CTS", &gcount_columns::hap},
      {"MISSING_CT", &gcount_columns::missing},
  };
  for (size_t c = 0; c < fields.size(); c++) {
    bool found = false;
    for (const auto& k : known)
      if (fields[c] == k.first) {
        gc.*k.second = static_cast<int>(c);
        found = true;
      }
    for (const char* name : ignored_gcount_columns) found = found || fields[c] == name;
    if (!found)
      return status(fault_kind::input, path + ": line 1: unknown column '" + fields[c] +
                                           "' (neither a plink2 .gcount column nor a drevel "
                                           "table's)");
  }
  const bool split = gc.homref >= 0 && gc.refalt >= 0 && gc.altxy >= 0;
  if (gc.ref < 0 || gc.alt < 0 || (gc.xy < 0 && !split))
    return status(fault_kind::input,
                  path + ": line 1: a .gcount needs REF, ALT and the genotype counts "
                         "(DIPLOID_GENO_CTS, or HOM_REF_CT, HET_REF_ALT_CTS and "
                         "TWO_ALT_GENO_CTS: plink2 --geno-counts cols=chrom,pos,ref,alt,homref,"
                         "refalt,altxy,hapref,hapalt,missing)");
  layout.labels = vcf_label_columns();
  return status::ok();
}

int counts_reader::next(site_record* site, std::string* error) {
  impl& d = *impl_;
  for (;;) {
    if (!d.read_line()) {
      if (std::ferror(d.f)) {
        *error = d.path + ": cannot read the file";
        return -1;
      }
      return 0;
    }
    split_tabs(d.line, &d.fields);
    if (d.fields.size() != d.columns) {
      *error = d.at() + ": " + std::to_string(d.fields.size()) +
               " columns where the header has " + std::to_string(d.columns);
      return -1;
    }
    if (!d.drevel_table) return d.gcount_row(site, error);
    int got = d.table_row(site, error);
    if (got != 2) return got;  // 2: a row left out
  }
}

std::vector<std::string> counts_reader::take_warnings() {
  std::vector<std::string> out;
  out.swap(impl_->warnings);
  return out;
}

int counts_reader::impl::gcount_row(site_record* site, std::string* error) {
  auto bad = [&](int column, const char* what) {
    *error = at() + ": " + names[column] + " '" + fields[column] + "': " + what;
    return -1;
  };
  const std::string& alt = fields[gc.alt];
  // plink2 lists a missing ALT (".") as an allele of its own; a site without
  // an ALT has k = 1, as in the VCF, and none of its calls may carry it.
  const bool no_alt = alt == ".";
  int listed = 1;
  for (char c : alt) listed += c == ',';
  const int k = no_alt ? 1 : 1 + listed;
  const int kl = 1 + listed;  // the alleles plink2's lists cover
  // counts of cells (high, low) of the listed alleles, lower-triangle order.
  std::vector<int64_t>& cells = list2;
  cells.assign(static_cast<size_t>(kl) * (kl + 1) / 2, 0);
  if (gc.xy >= 0) {
    if (!read_counts(fields[gc.xy], &list)) return bad(gc.xy, "not a list of counts");
    if (list.size() != cells.size()) return bad(gc.xy, "not one count per genotype of the alleles");
    cells = list;
  } else {
    int64_t homref;
    if (!read_count(fields[gc.homref], 0, fields[gc.homref].size(), &homref))
      return bad(gc.homref, "not a count");
    cells[0] = homref;
    if (!read_counts(fields[gc.refalt], &list)) return bad(gc.refalt, "not a list of counts");
    if (list.size() != static_cast<size_t>(listed)) return bad(gc.refalt, "not one count per ALT allele");
    for (int a = 1; a < kl; a++) cells[static_cast<size_t>(a) * (a + 1) / 2] = list[a - 1];
    if (!read_counts(fields[gc.altxy], &list)) return bad(gc.altxy, "not a list of counts");
    if (list.size() != static_cast<size_t>(listed) * (listed + 1) / 2)
      return bad(gc.altxy, "not one count per genotype of the ALT alleles");
    // 1/1, 1/2, 2/2, 1/3, ...: the ALT alleles' own lower triangle.
    size_t n = 0;
    for (int high = 1; high < kl; high++)
      for (int low = 1; low <= high; low++)
        cells[static_cast<size_t>(high) * (high + 1) / 2 + low] = list[n++];
  }
  int64_t skipped = 0;
  if (gc.missing >= 0) {
    if (!read_count(fields[gc.missing], 0, fields[gc.missing].size(), &skipped))
      return bad(gc.missing, "not a count");
  }
  // Haploid calls are not counted, as --vcf skips them.
  if (gc.hap >= 0) {
    if (!read_counts(fields[gc.hap], &list)) return bad(gc.hap, "not a list of counts");
    if (list.size() != static_cast<size_t>(kl)) return bad(gc.hap, "not one count per allele");
    for (int64_t v : list) skipped += v;
  }
  if (gc.hapref >= 0) {
    int64_t v;
    if (!read_count(fields[gc.hapref], 0, fields[gc.hapref].size(), &v))
      return bad(gc.hapref, "not a count");
    skipped += v;
  }
  if (gc.hapalt >= 0) {
    if (!read_counts(fields[gc.hapalt], &list)) return bad(gc.hapalt, "not a list of counts");
    if (list.size() != static_cast<size_t>(listed)) return bad(gc.hapalt, "not one count per ALT allele");
    for (int64_t v : list) skipped += v;
  }
  tally.start(k, 1);
  size_t n = 0;
  for (int high = 0; high < kl; high++)
    for (int low = 0; low <= high; low++, n++) {
      if (cells[n] == 0) continue;
      if (high >= k) {
        *error = at() + ": calls of the ALT allele '.' (a site without an ALT allele)";
        return -1;
      }
      tally.add_calls(0, low, high, cells[n]);
    }
  tally.add_skipped(0, skipped);
  site->labels.resize(5);
  site->labels[0] = gc.chrom >= 0 ? fields[gc.chrom] : not_available;
  site->labels[1] = gc.pos >= 0 ? fields[gc.pos] : not_available;
  site->labels[2] = gc.id >= 0 ? fields[gc.id] : ".";
  site->labels[3] = fields[gc.ref];
  site->labels[4] = alt;
  site->allele_names.clear();
  site->k = k;
  site->declared_alleles = options.declared_alleles;
  tally.finish(options.declared_alleles, options.max_alleles, &site->groups);
  return 1;
}

int counts_reader::impl::table_row(site_record* site, std::string* error) {
  auto column = [&](table_column c) -> const std::string& {
    return fields[computed + static_cast<size_t>(c)];
  };
  auto count = [&](table_column c, int64_t* v) {
    const std::string& text = column(c);
    if (read_count(text, 0, text.size(), v)) return true;
    *error = at() + ": " + column_name(c) + " '" + text + "' is not a count";
    return false;
  };
  int64_t k, called, skipped, tested;
  if (!count(table_column::n_alleles, &k) || !count(table_column::n_called, &called) ||
      !count(table_column::n_skipped, &skipped) || !count(table_column::n_tested, &tested))
    return -1;
  if (k > largest_max_alleles || tested > k) {
    *error = at() + ": N_TESTED " + std::to_string(tested) + " of N_ALLELES " + std::to_string(k) +
             " alleles (at most " + std::to_string(largest_max_alleles) + ")";
    return -1;
  }
  site->labels.assign(fields.begin(), fields.begin() + static_cast<long>(computed));
  site->allele_names.clear();
  if (alleles >= 0 && fields[alleles] != not_available) {
    const std::string& names = fields[alleles];
    size_t start = 0;
    for (;;) {
      size_t comma = names.find(',', start);
      site->allele_names.push_back(
          names.substr(start, comma == std::string::npos ? comma : comma - start));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    if (site->allele_names.size() != static_cast<size_t>(tested)) {
      *error = at() + ": ALLELES names " + std::to_string(site->allele_names.size()) +
               " alleles where N_TESTED is " + std::to_string(tested);
      return -1;
    }
  }
  site->k = static_cast<int>(k);
  site->declared_alleles = options.declared_alleles;
  const std::string& genotypes = column(table_column::genotypes);
  const int t = static_cast<int>(tested);
  if (genotypes == not_available && t > 0) {
    // Written without its counts (more alleles than its run computed):
    // nothing to compute from, and the heterozygosity columns could not be
    // written again either, so the row is left out, with a warning.
    warnings.push_back(at() + ": no GENOTYPES (STATUS " + column(table_column::status) +
                       "); the row is left out");
    return 2;
  }
  list.clear();
  if (genotypes != not_available && !read_counts(genotypes, &list)) {
    *error = at() + ": GENOTYPES '" + genotypes + "' is not a list of counts";
    return -1;
  }
  int64_t sum = 0;
  for (int64_t v : list) sum += v;
  if (list.size() != static_cast<size_t>(t) * (t + 1) / 2 || sum != called) {
    *error = at() + ": GENOTYPES '" + genotypes + "' are not N_TESTED(N_TESTED+1)/2 = " +
             std::to_string(t * (t + 1) / 2) + " counts summing to N_CALLED " +
             std::to_string(called);
    return -1;
  }
  // The tested alleles become the site's alleles, in their order, so that
  // the counts keep their cells.
  tally.start(t, 1);
  size_t n = 0;
  for (int high = 0; high < t; high++)
    for (int low = 0; low <= high; low++) tally.add_calls(0, low, high, list[n++]);
  tally.add_skipped(0, skipped);
  tally.finish(options.declared_alleles, options.max_alleles, &site->groups);
  return 1;
}

}  // namespace drevel
