#include "plink/bed_reader.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <set>
#include <unordered_map>

#include "plink/bim_regions.h"
#include "plink/packed_calls.h"
#include "sites/genotype_tally.h"

namespace drevel {

namespace {

// The white-space separated fields of a line (plink writes tabs in .bim and
// spaces or tabs in .fam; both are read either way).
void split_fields(const std::string& line, std::vector<std::string>* fields) {
  fields->clear();
  size_t n = 0;
  while (n < line.size()) {
    while (n < line.size() && (line[n] == ' ' || line[n] == '\t')) n++;
    size_t start = n;
    while (n < line.size() && line[n] != ' ' && line[n] != '\t') n++;
    if (n > start) fields->push_back(line.substr(start, n - start));
  }
}

// The next line of f into *line without its end (and a carriage return
// before it); false at the end of the file.
bool read_line(std::FILE* f, std::string* line) {
  line->clear();
  int c;
  while ((c = std::getc(f)) != EOF && c != '\n') line->push_back(static_cast<char>(c));
  if (c == EOF && line->empty()) return false;
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return true;
}

std::string cannot_read(const std::string& path) {
  return path + ": cannot read the file" + (errno ? std::string(": ") + std::strerror(errno) : "");
}

// The lines of a file, the last one counted without its line end; -1 when
// it cannot be read.  The .bim is counted before it is read, to check the
// .bed's size before any site is computed; when chroms is not null, the
// first field of every line is gathered there too, for --regions.
int64_t count_lines(const std::string& path, std::set<std::string>* chroms) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return -1;
  int64_t lines = 0;
  char buf[1 << 16];
  size_t got;
  char last = '\n';
  std::string first;        // the current line's first field, when gathered
  bool in_first = true;     // still reading it
  while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) {
    if (chroms) {
      for (size_t n = 0; n < got; n++) {
        char c = buf[n];
        if (c == '\n') {
          chroms->insert(first);
          first.clear();
          in_first = true;
        } else if (in_first && (c == ' ' || c == '\t')) {
          in_first = first.empty();  // leading white space
        } else if (in_first) {
          first.push_back(c);
        }
      }
    }
    for (const char* p = buf; (p = static_cast<const char*>(std::memchr(p, '\n', buf + got - p)));
         p++)
      lines++;
    last = buf[got - 1];
  }
  if (chroms && !first.empty()) chroms->insert(first);
  bool failed = std::ferror(f);
  std::fclose(f);
  if (failed) return -1;
  return lines + (last != '\n' ? 1 : 0);
}

struct fam_sample {
  std::string fid, iid;
};

}  // namespace

struct bed_reader::impl {
  std::string bed_path, bim_path, fam_path;
  std::FILE* bed = nullptr;
  std::FILE* bim = nullptr;
  std::vector<fam_sample> samples;
  int64_t sites = 0, bytes_per_site = 0;
  int64_t bim_line = 0;       // the .bim lines read
  int64_t bed_position = 0;   // the site the .bed is positioned before
  std::vector<uint8_t> record;
  std::vector<packed_selection> groups;  // one per group
  bool declared_alleles = false;
  int max_alleles = default_max_alleles;
  std::vector<bim_region> regions;
  bool use_regions = false, regions_by_pos = false;
  genotype_tally tally;
  std::string line;
  std::vector<std::string> fields;

  ~impl() {
    if (bed) std::fclose(bed);
    if (bim) std::fclose(bim);
  }
  status read_fam();
  status check_bed();
  status choose_samples(const bed_read_options& options);
};

bed_reader::bed_reader() : impl_(new impl) {}
bed_reader::~bed_reader() = default;

status bed_reader::impl::read_fam() {
  errno = 0;
  std::FILE* f = std::fopen(fam_path.c_str(), "r");
  if (!f) return status(fault_kind::input, cannot_read(fam_path));
  for (int64_t n = 1; read_line(f, &line); n++) {
    split_fields(line, &fields);
    if (fields.size() != 6) {
      std::fclose(f);
      return status(fault_kind::input, fam_path + ": line " + std::to_string(n) + ": " +
                                           std::to_string(fields.size()) +
                                           " fields where a .fam line has 6 (FID IID father "
                                           "mother sex phenotype)");
    }
    samples.push_back({fields[0], fields[1]});
  }
  bool failed = std::ferror(f);
  std::fclose(f);
  if (failed) return status(fault_kind::input, cannot_read(fam_path));
  return status::ok();
}

status bed_reader::impl::check_bed() {
  errno = 0;
  bed = std::fopen(bed_path.c_str(), "rb");
  if (!bed) return status(fault_kind::input, cannot_read(bed_path));
  // Sites are read a whole record at a time: a buffer of a few records.
  std::setvbuf(bed, nullptr, _IOFBF, 1 << 20);
  unsigned char magic[3];
  size_t got = std::fread(magic, 1, 3, bed);
  if (got < 2 || magic[0] != 0x6c || magic[1] != 0x1b)
    return status(fault_kind::input, bed_path + ": not a PLINK 1 .bed file (wrong magic number)");
  if (got < 3 || magic[2] != 0x01)
    return status(fault_kind::input,
                  bed_path + ": " +
                      (got == 3 && magic[2] == 0x00
                           ? "individual-major .bed, which drevel does not read (plink2 --bfile "
                             "... --make-bed writes it SNP-major)"
                           : "unknown .bed mode byte (SNP-major files have 0x01)"));
  std::set<std::string> chroms;
  sites = count_lines(bim_path, use_regions ? &chroms : nullptr);
  if (sites < 0) return status(fault_kind::input, cannot_read(bim_path));
  // As --vcf does for a sequence its file lacks: a misspelt chromosome
  // would otherwise give an empty table.
  for (const bim_region& r : regions)
    if (!chroms.count(r.chrom))
      return status(fault_kind::input,
                    bim_path + ": --regions: no site on chromosome '" + r.chrom + "'");
  bytes_per_site = (static_cast<int64_t>(samples.size()) + 3) / 4;
  struct stat st;
  if (::fstat(fileno(bed), &st) != 0) return status(fault_kind::input, cannot_read(bed_path));
  const int64_t expected = 3 + sites * bytes_per_site;
  if (st.st_size != expected)
    return status(fault_kind::input,
                  bed_path + ": " + std::to_string(st.st_size) + " bytes where " +
                      std::to_string(sites) + " sites (" + bim_path + ") of " +
                      std::to_string(samples.size()) + " samples (" + fam_path + ") make " +
                      std::to_string(expected) + "; the three files do not belong together");
  record.resize(static_cast<size_t>(bytes_per_site));
  return status::ok();
}

// --samples chooses the samples, --groups assigns them: with both, a sample
// counts when it is in both lists.
status bed_reader::impl::choose_samples(const bed_read_options& options) {
  const int64_t n = static_cast<int64_t>(samples.size());
  if (!options.samples && !options.groups) {
    groups.push_back(select_all(n));
    return status::ok();
  }
  // IID first, then FID_IID; -1 marks a name that several samples have.
  std::unordered_map<std::string, int64_t> by_iid, by_fid_iid;
  for (int64_t s = 0; s < n; s++) {
    auto r = by_iid.emplace(samples[s].iid, s);
    if (!r.second) r.first->second = -1;
    auto q = by_fid_iid.emplace(samples[s].fid + "_" + samples[s].iid, s);
    if (!q.second) q.first->second = -1;
  }
  auto find = [&](const std::string& name, const std::string& where, int64_t* s) {
    auto i = by_iid.find(name);
    if (i == by_iid.end()) {
      i = by_fid_iid.find(name);
      if (i == by_fid_iid.end())
        return status(fault_kind::input, fam_path + ": unknown sample '" + name + "'" + where);
    }
    if (i->second < 0)
      return status(fault_kind::input, fam_path + ": sample '" + name + "'" + where +
                                           " names several samples; name them FID_IID");
    *s = i->second;
    return status::ok();
  };
  std::vector<bool> chosen(static_cast<size_t>(n), options.samples == nullptr);
  if (options.samples)
    for (const std::string& name : *options.samples) {
      int64_t s = 0;
      status found = find(name, "", &s);
      if (!found) return found;
      chosen[s] = true;
    }
  if (!options.groups) {
    std::vector<int64_t> counted;
    for (int64_t s = 0; s < n; s++)
      if (chosen[s]) counted.push_back(s);
    groups.push_back(select_samples(counted));
    return status::ok();
  }
  std::vector<std::vector<int64_t>> members(options.groups->names.size());
  for (const auto& member : options.groups->members) {
    int64_t s = 0;
    status found = find(member.first, " (in " + options.groups->source + ")", &s);
    if (!found) return found;
    if (!chosen[s]) continue;
    for (int g : member.second) members[g].push_back(s);
  }
  for (const auto& m : members) groups.push_back(select_samples(m));
  return status::ok();
}

status bed_reader::open(const std::string& prefix, const bed_read_options& options) {
  impl_.reset(new impl);
  impl& d = *impl_;
  std::string base = prefix;
  if (base.size() > 4 && base.compare(base.size() - 4, 4, ".bed") == 0)
    base.resize(base.size() - 4);
  d.bed_path = base + ".bed";
  d.bim_path = base + ".bim";
  d.fam_path = base + ".fam";
  d.declared_alleles = options.declared_alleles;
  d.max_alleles = options.max_alleles;
  d.regions_by_pos = options.regions_by_pos;
  if (!options.regions.empty()) {
    status parsed = parse_bim_regions(options.regions, &d.regions);
    if (!parsed) return parsed;
    d.use_regions = true;
  }
  status s = d.read_fam();
  if (s) s = d.check_bed();
  if (s) s = d.choose_samples(options);
  if (!s) return s;
  errno = 0;
  d.bim = std::fopen(d.bim_path.c_str(), "r");
  if (!d.bim) return status(fault_kind::input, cannot_read(d.bim_path));
  return status::ok();
}

status bed_reader::next(site_record* site, bool* at_end) {
  impl& d = *impl_;
  *at_end = false;
  for (;;) {
    if (d.bim_line >= d.sites || !read_line(d.bim, &d.line)) {
      if (std::ferror(d.bim)) return status(fault_kind::input, cannot_read(d.bim_path));
      *at_end = true;
      return status::ok();
    }
    const int64_t index = d.bim_line++;
    const std::string at = d.bim_path + ": line " + std::to_string(d.bim_line);
    split_fields(d.line, &d.fields);
    if (d.fields.size() != 6)
      return status(fault_kind::input,
                    at + ": " + std::to_string(d.fields.size()) +
                        " fields where a .bim line has 6 (chromosome, ID, cM, position, A1, A2)");
    const std::string& pos_text = d.fields[3];
    int64_t pos = 0;
    auto r = std::from_chars(pos_text.data(), pos_text.data() + pos_text.size(), pos);
    if (r.ec != std::errc() || r.ptr != pos_text.data() + pos_text.size() || pos < 0)
      return status(fault_kind::input, at + ": position '" + pos_text + "' is not a whole number");
    const std::string& a1 = d.fields[4];
    const std::string& a2 = d.fields[5];
    if (d.use_regions) {
      int64_t last = d.regions_by_pos ? pos : pos + static_cast<int64_t>(a2.size()) - 1;
      if (!in_bim_regions(d.regions, d.fields[0], pos, last)) continue;
    }
    if (index != d.bed_position &&
        fseeko(d.bed, static_cast<off_t>(3 + index * d.bytes_per_site), SEEK_SET) != 0)
      return status(fault_kind::input, cannot_read(d.bed_path));
    if (d.bytes_per_site > 0 &&
        std::fread(d.record.data(), 1, d.record.size(), d.bed) != d.record.size())
      return status(fault_kind::input, d.bed_path + ": cannot read site " +
                                           std::to_string(index + 1) +
                                           " (the file was cut or changed while read)");
    d.bed_position = index + 1;

    const bool no_a1 = a1 == "0" || a1 == ".";
    const int k = no_a1 ? 1 : 2;
    const int groups = static_cast<int>(d.groups.size());
    d.tally.start(k, groups);
    for (int g = 0; g < groups; g++) {
      code_counts c = count_codes(d.record.data(), d.groups[g]);
      if (no_a1 && (c.n[hom_a1] > 0 || c.n[het] > 0))
        return status(fault_kind::input,
                      at + ": calls of allele A1, which the line gives as 0 (missing)");
      d.tally.add_calls(g, 0, 0, c.n[hom_a2]);
      if (!no_a1) {
        d.tally.add_calls(g, 0, 1, c.n[het]);
        d.tally.add_calls(g, 1, 1, c.n[hom_a1]);
      }
      d.tally.add_skipped(g, c.n[missing]);
    }
    site->labels.resize(5);
    site->labels[0] = d.fields[0];
    site->labels[1] = pos_text;
    site->labels[2] = d.fields[1];
    site->labels[3] = a2;
    site->labels[4] = no_a1 ? "." : a1;
    site->allele_names.clear();
    site->k = k;
    site->declared_alleles = d.declared_alleles;
    d.tally.finish(d.declared_alleles, d.max_alleles, &site->groups);
    return status::ok();
  }
}

}  // namespace drevel
