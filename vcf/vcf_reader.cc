#include "vcf/vcf_reader.h"

#include <htslib/bgzf.h>
#include <htslib/hts.h>
#include <htslib/kseq.h>
#include <htslib/kstring.h>
#include <htslib/tbx.h>
#include <htslib/vcf.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <initializer_list>

#include "sites/genotype_tally.h"
#include "vcf/genotype_field.h"
#include "vcf/vcf_regions.h"

namespace drevel {

namespace {

// The most a text record's calls may take once htslib widens them all to
// the largest ploidy (4 bytes a value): beyond it the record is refused
// before it is parsed.  A million samples of ploidy 8 stay below it.
const double max_widened_bytes = double(1u << 30);

// What the file or its reading is at fault for.
status fault(const std::string& message) { return status(fault_kind::input, message); }

// A sample name that a text VCF's #CHROM line gives twice, which htslib
// refuses without saying so; empty when none does or the file is no text
// VCF.  Reads the file again, from its start, up to that line.
std::string sample_named_twice(const std::string& path) {
  htsFile* fp = hts_open(path.c_str(), "r");
  if (!fp) return std::string();
  std::string twice;
  kstring_t line = {0, 0, nullptr};
  if (hts_get_format(fp)->format == vcf)
    while (hts_getline(fp, KS_SEP_LINE, &line) >= 0 && line.l > 0 && line.s[0] == '#') {
      if (std::strncmp(line.s, "#CHROM", 6) != 0) continue;
      std::vector<std::string> names;
      std::string text(line.s, line.l);
      size_t start = 0;
      for (int column = 0; start <= text.size(); column++) {
        size_t tab = text.find('\t', start);
        if (tab == std::string::npos) tab = text.size();
        if (column >= 9) names.push_back(text.substr(start, tab - start));
        start = tab + 1;
      }
      std::sort(names.begin(), names.end());
      auto repeated = std::adjacent_find(names.begin(), names.end());
      if (repeated != names.end()) twice = *repeated;
      break;
    }
  free(line.s);
  hts_close(fp);
  return twice;
}

}  // namespace

table_layout vcf_table_layout(bool with_groups) {
  table_layout layout;
  layout.labels = vcf_label_columns();
  layout.groups = with_groups;
  return layout;
}

struct vcf_reader::impl {
  std::string path;
  htsFile* fp = nullptr;
  bcf_hdr_t* hdr = nullptr;
  bcf1_t* rec = nullptr;
  hts_idx_t* idx = nullptr;  // BCF index
  tbx_t* tbx = nullptr;      // bgzipped VCF index
  hts_itr_t* itr = nullptr;
  kstring_t line = {0, 0, nullptr};

  // The samples whose calls count and the group each counts in, by sample
  // index (a sample in several groups appears once for each).
  struct counted_sample {
    int sample, group;
  };
  std::vector<counted_sample> counted;
  int groups = 1;
  bool declared_alleles = false;
  int max_alleles = default_max_alleles;
  genotype_tally tally;

  // Which of FILTER, INFO and FORMAT each header ID is declared as (bit
  // 1 << BCF_HL_*), to name those htslib adds for undeclared fields.
  std::vector<unsigned char> id_kinds;
  int contigs = 0;  // the contigs declared so far
  std::vector<std::string> warnings;
  bool use_regions = false;
  region_overlap overlap = region_overlap::record;
  std::vector<region_interval> regions;
  size_t region = 0;            // the next interval to query
  std::string last_site;        // "chr:pos" of the last site read, for messages

  ~impl() {
    if (itr) hts_itr_destroy(itr);
    if (tbx) tbx_destroy(tbx);
    if (idx) hts_idx_destroy(idx);
    free(line.s);
    if (rec) bcf_destroy(rec);
    if (hdr) bcf_hdr_destroy(hdr);
    if (fp) hts_close(fp);
  }

  status load_regions(const std::vector<std::string>& items);
  bool text = false;  // a text VCF (plain or bgzipped), read line by line

  std::string after_last_site() const {
    return last_site.empty() ? "before the first site" : "after site " + last_site;
  }
  status check_columns();
  // "at site chr:pos" from the first two columns of the text line just read
  // (vcf_parse may have turned its tabs into NULs).
  std::string line_site() const {
    std::string text(line.s, line.l);
    const char separators[] = {'\t', '\0'};
    const std::string tabs(separators, 2);
    size_t tab1 = text.find_first_of(tabs), tab2 = text.find_first_of(tabs, tab1 + 1);
    if (tab1 == std::string::npos) return after_last_site();
    return "at site " + text.substr(0, tab1) + ":" +
           text.substr(tab1 + 1, tab2 == std::string::npos ? tab2 : tab2 - tab1 - 1);
  }
  status read_record(bool* at_end);
  status at_end() const;
  bool bgzipped = false;
  status fill_site(site_record* site);
  status choose_samples(const vcf_read_options& options);
  unsigned char kinds_of(int id) const;
  void note_undeclared(int errcode);
};

vcf_reader::vcf_reader() : impl_(new impl) {}
vcf_reader::~vcf_reader() = default;

status vcf_reader::open(const std::string& path, const vcf_read_options& options) {
  impl_.reset(new impl);
  impl& d = *impl_;
  d.overlap = options.overlap;
  d.path = path == "-" ? "standard input" : path;
  d.max_alleles = options.max_alleles;
  d.declared_alleles = options.declared_alleles;
  // Our own messages name the file and the site; htslib's would only add a
  // second, less precise line.
  hts_set_log_level(HTS_LOG_OFF);
  if (!options.regions.empty() && path == "-")
    return status(fault_kind::usage, "--regions needs an indexed file, not standard input");

  // A directory opens for reading and fails only at the first read.
  struct stat st;
  if (path != "-" && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    return fault(d.path + ": cannot open the file: " + std::strerror(EISDIR));
  errno = 0;
  d.fp = hts_open(path.c_str(), "r");
  // htslib says ENOEXEC (Exec format error) for bytes of no format it knows.
  if (!d.fp && errno == ENOEXEC) return fault(d.path + ": not a VCF or BCF file");
  if (!d.fp)
    return fault(d.path + ": cannot open the file" +
                 (errno ? std::string(": ") + std::strerror(errno) : std::string()));
  const htsFormat* format = hts_get_format(d.fp);
  if (format->category != variant_data || (format->format != vcf && format->format != bcf))
    return fault(d.path + ": not a VCF or BCF file");
  d.text = format->format == vcf;
  // A bgzipped file cut at a block boundary reads as if complete; only the
  // missing end-of-file block tells.  A file is checked here, before
  // anything is read; a pipe, which cannot seek to its end, when it ends
  // (at_end).
  d.bgzipped = format->compression == bgzf;
  if (format->compression == bgzf && bgzf_check_EOF(hts_get_bgzfp(d.fp)) == 0)
    return fault(d.path + ": truncated file (the bgzip end-of-file block is missing)");
  // Without the threads the file reads the same, only slower: a failure to
  // start them is no error.
  if (format->compression == bgzf && options.decompression_threads > 0)
    hts_set_threads(d.fp, options.decompression_threads);
  d.hdr = bcf_hdr_read(d.fp);
  if (!d.hdr) {
    std::string twice = path == "-" ? std::string() : sample_named_twice(path);
    return fault(d.path + (twice.empty() ? ": the VCF header is missing, truncated or corrupt"
                                         : ": the sample name '" + twice +
                                               "' appears twice in the header"));
  }
  d.rec = bcf_init();
  for (int id = 0; id < d.hdr->n[BCF_DT_ID]; id++) d.id_kinds.push_back(d.kinds_of(id));
  d.contigs = d.hdr->n[BCF_DT_CTG];

  status chosen = d.choose_samples(options);
  if (!chosen || options.regions.empty()) return chosen;
  return d.load_regions(options.regions);
}

// --samples chooses the samples, --groups assigns them: with both, a
// sample counts when it is in both lists.
status vcf_reader::impl::choose_samples(const vcf_read_options& options) {
  const int n = bcf_hdr_nsamples(hdr);
  std::vector<bool> chosen(static_cast<size_t>(n), options.samples == nullptr);
  if (options.samples) {
    for (const auto& name : *options.samples) {
      int s = bcf_hdr_id2int(hdr, BCF_DT_SAMPLE, name.c_str());
      if (s < 0) return fault(path + ": unknown sample '" + name + "'");
      chosen[s] = true;
    }
  }
  if (!options.groups) {
    for (int s = 0; s < n; s++)
      if (chosen[s]) counted.push_back({s, 0});
    return status::ok();
  }
  groups = static_cast<int>(options.groups->names.size());
  for (const auto& member : options.groups->members) {
    int s = bcf_hdr_id2int(hdr, BCF_DT_SAMPLE, member.first.c_str());
    if (s < 0)
      return fault(path + ": unknown sample '" + member.first + "' (in " +
                   options.groups->source + ")");
    if (!chosen[s]) continue;
    for (int g : member.second) counted.push_back({s, g});
  }
  // In the order of the calls in the record.
  std::stable_sort(counted.begin(), counted.end(),
                   [](const counted_sample& a, const counted_sample& b) { return a.sample < b.sample; });
  return status::ok();
}

unsigned char vcf_reader::impl::kinds_of(int id) const {
  const bcf_idpair_t& pair = hdr->id[BCF_DT_ID][id];
  unsigned char kinds = 0;
  if (pair.key && pair.val)
    for (int type : {BCF_HL_FLT, BCF_HL_INFO, BCF_HL_FMT})
      if (pair.val->hrec[type]) kinds |= static_cast<unsigned char>(1u << type);
  return kinds;
}

// htslib declares, in its copy of the header, what a record uses
// undeclared: its contig, or FILTER, INFO and FORMAT fields.  Each is named
// once, the first time, as bcftools does.  The record's error code says
// that a field was added, but a later addition may overwrite an earlier
// one's bit, so the contigs are counted after every record.
void vcf_reader::impl::note_undeclared(int errcode) {
  if (hdr->n[BCF_DT_CTG] == contigs && !errcode) return;
  const char* name = bcf_seqname(hdr, rec);
  // POS + 1 unsigned: a corrupt POS can read as the largest position.
  std::string at = std::string(name ? name : "?") + ":" +
                   std::to_string(static_cast<unsigned long long>(rec->pos) + 1);
  for (; contigs < hdr->n[BCF_DT_CTG]; contigs++)
    warnings.push_back(path + ": contig '" + hdr->id[BCF_DT_CTG][contigs].key +
                       "' is not declared in the header (first at site " + at + ")");
  if (!errcode && hdr->n[BCF_DT_ID] == static_cast<int>(id_kinds.size())) return;
  for (int id = 0; id < hdr->n[BCF_DT_ID]; id++) {
    unsigned char kinds = kinds_of(id);
    unsigned char known = id < static_cast<int>(id_kinds.size()) ? id_kinds[id] : 0;
    for (int type : {BCF_HL_FLT, BCF_HL_INFO, BCF_HL_FMT}) {
      if (!(kinds & ~known & (1u << type))) continue;
      const char* what = type == BCF_HL_FLT ? "FILTER '" : type == BCF_HL_INFO ? "INFO field '"
                                                                                : "FORMAT field '";
      warnings.push_back(path + ": " + what + hdr->id[BCF_DT_ID][id].key +
                         "' is not declared in the header (first at site " + at + ")");
    }
    if (id < static_cast<int>(id_kinds.size()))
      id_kinds[id] = kinds;
    else
      id_kinds.push_back(kinds);
  }
}

bcf_hdr_t* vcf_reader::header() const { return impl_->hdr; }

bcf1_t* vcf_reader::record() const { return impl_->rec; }

status vcf_reader::add_header_line(const std::string& line) {
  impl& d = *impl_;
  if (!d.hdr)
    return status(fault_kind::usage, "cannot add the header line " + line + " before open");
  if (bcf_hdr_append(d.hdr, line.c_str()) != 0 || bcf_hdr_sync(d.hdr) != 0)
    return status(fault_kind::input, d.path + ": cannot add the header line " + line);
  // Declared now, like the fields the file declares.
  for (int id = static_cast<int>(d.id_kinds.size()); id < d.hdr->n[BCF_DT_ID]; id++)
    d.id_kinds.push_back(0);
  for (int id = 0; id < d.hdr->n[BCF_DT_ID]; id++) d.id_kinds[id] = d.kinds_of(id);
  d.contigs = d.hdr->n[BCF_DT_CTG];
  return status::ok();
}

std::vector<std::string> vcf_reader::take_warnings() {
  std::vector<std::string> out;
  out.swap(impl_->warnings);
  return out;
}

status vcf_reader::impl::load_regions(const std::vector<std::string>& items) {
  const htsFormat* format = hts_get_format(fp);
  if (format->format == bcf)
    idx = bcf_index_load3(path.c_str(), nullptr, HTS_IDX_SILENT_FAIL);
  else if (format->compression == bgzf)
    tbx = tbx_index_load3(path.c_str(), nullptr, HTS_IDX_SILENT_FAIL);
  if (!idx && !tbx)
    return fault(path + ": --regions needs an index next to the file (" +
                 (format->format == bcf ? "a .csi index"
                                        : "a bgzipped VCF with a .tbi or .csi index") +
                 "); none was found");
  use_regions = true;
  return parse_regions(items, path, hdr, tbx, &regions);
}

// htslib accepts text lines with too few columns; a line cut short is the
// usual sign of a truncated file, so the columns are counted first.
status vcf_reader::impl::check_columns() {
  // The tabs, and on the way the largest ploidy of a call (GT is FORMAT's
  // first key where present): htslib widens every call of a record to the
  // largest, in 32-bit values, before drevel can skip a polyploid one.
  size_t columns = 1, widest = 0, ploidy = 0;
  bool gt_first = false, in_gt = false;
  for (size_t n = 0; n < line.l; n++) {
    const char c = line.s[n];
    if (c == '\t') {
      if (in_gt) widest = std::max(widest, ploidy);
      columns++;
      if (columns == 9)
        gt_first = n + 2 < line.l && line.s[n + 1] == 'G' && line.s[n + 2] == 'T' &&
                   (n + 3 == line.l || line.s[n + 3] == ':' || line.s[n + 3] == '\t');
      in_gt = gt_first && columns >= 10;
      ploidy = 1;
    } else if (in_gt && c == ':') {
      widest = std::max(widest, ploidy);
      in_gt = false;
    } else if (in_gt && (c == '/' || c == '|')) {
      ploidy++;
    }
  }
  if (in_gt) widest = std::max(widest, ploidy);
  int nsamples = bcf_hdr_nsamples(hdr);
  size_t expected = nsamples > 0 ? 9 + static_cast<size_t>(nsamples) : 8;
  if (columns != expected && !(nsamples == 0 && columns == 9))
    return fault(path + ": truncated or corrupt input " + line_site() + ": " +
                 std::to_string(columns) + " columns where the header makes " +
                 std::to_string(expected));
  const double widened = 4.0 * static_cast<double>(widest) * nsamples;
  if (widest > 2 && widened > max_widened_bytes) {
    char gigabytes[32];
    std::snprintf(gigabytes, sizeof gigabytes, "%.1f", widened / 1e9);
    return fault(path + ": cannot read the record " + line_site() + ": a call of ploidy " +
                 std::to_string(widest) + " would widen the calls of its " +
                 std::to_string(nsamples) + " samples to " + gigabytes +
                 " GB (drevel counts diploid calls only)");
  }
  return status::ok();
}

// The next record, whole file or through the region intervals, into rec;
// *ended at the end instead.
status vcf_reader::impl::read_record(bool* ended) {
  *ended = false;
  for (;;) {
    if (use_regions && !itr) {
      if (region >= regions.size()) {
        *ended = true;
        return status::ok();
      }
      const region_interval& r = regions[region++];
      itr = tbx ? tbx_itr_queryi(tbx, r.tid, r.beg, r.end)
                : bcf_itr_queryi(idx, r.tid, r.beg, r.end);
      if (!itr) return fault(path + ": the index does not match the file");
    }
    int got;
    rec->errcode = 0;
    errno = 0;
    if (text) {
      got = use_regions ? tbx_itr_next(fp, tbx, itr, &line) : hts_getline(fp, KS_SEP_LINE, &line);
      if (got >= 0 && line.l == 0) continue;  // a blank line holds no site
      if (got >= 0) {
        status columns = check_columns();
        if (!columns) return columns;
      }
      if (got >= 0 && vcf_parse(&line, hdr, rec) != 0) got = -2;
    } else {
      got = use_regions ? bcf_itr_next(fp, itr, rec) : bcf_read(fp, hdr, rec);
    }
    if (got == -1 && use_regions) {
      hts_itr_destroy(itr);
      itr = nullptr;
      continue;
    }
    if (got == -1) {
      *ended = true;
      return at_end();
    }
    // An undeclared contig or field is declared by htslib as it reads it
    // (bcftools reads such files with a warning); anything else it flags is
    // corrupt input.
    const int undeclared = BCF_ERR_CTG_UNDEF | BCF_ERR_TAG_UNDEF;
    if (got >= 0 && !(rec->errcode & ~undeclared)) {
      note_undeclared(rec->errcode);
      rec->errcode = 0;
    }
    if (got < -1 || rec->errcode) {
      // A parse error leaves the record's position; a read error does not.
      const char* name = rec->errcode ? bcf_seqname(hdr, rec) : nullptr;
      // A text line that htslib could not parse still names its site.
      // POS + 1 unsigned: a corrupt POS can read as the largest position.
      std::string where = name ? "at site " + std::string(name) + ":" +
                                     std::to_string(static_cast<unsigned long long>(rec->pos) + 1)
                          : text && (got >= 0 || got == -2) ? line_site()
                                                           : after_last_site();
      // htslib widens a text record's FORMAT fields to the largest ploidy of
      // any call before drevel sees them: a call of ploidy 20,000 among
      // 20,000 samples needs gigabytes, and a record it cannot hold is not
      // corrupt.
      if (errno == ENOMEM)
        return status(fault_kind::resource, path + ": out of memory reading the record " + where);
      return fault(path + ": truncated or corrupt input " + where);
    }
    // By position, a record belongs to the interval that holds its POS
    // (records before it reach in from outside, or belong to an earlier
    // interval, where they were given).
    if (use_regions && overlap == region_overlap::pos) {
      const region_interval& current = regions[region - 1];
      if (rec->pos < current.beg || rec->pos >= current.end) continue;
      return status::ok();
    }
    // A long record that reaches into an earlier interval of the same
    // sequence was already given there.
    if (use_regions && region >= 2) {
      const region_interval& current = regions[region - 1];
      const region_interval& before = regions[region - 2];
      if (before.tid == current.tid && rec->pos < before.end) continue;
    }
    return status::ok();
  }
}

// The end of the records: ok, or a fault when the input was a bgzipped
// stream that ended without its end-of-file block (a writer
// killed mid-file, a download cut short).  htslib notes that missing block
// (no_eof_block, its "EOF marker is absent" warning) as it reads the end,
// whether or not its threads decompress.  Through an index the end of the
// file is never read, and a file was checked at open.
status vcf_reader::impl::at_end() const {
  if (!bgzipped || use_regions) return status::ok();
  const BGZF* bgzf = hts_get_bgzfp(fp);
  if (!bgzf || !bgzf->no_eof_block) return status::ok();
  return fault(path + ": truncated file (the bgzip end-of-file block is missing) " +
               after_last_site());
}

status vcf_reader::next(site_record* site, bool* at_end) {
  impl& d = *impl_;
  status read = d.read_record(at_end);
  if (!read || *at_end) return read;
  return d.fill_site(site);
}

status vcf_reader::impl::fill_site(site_record* site) {
  if (bcf_unpack(rec, BCF_UN_ALL) != 0) return fault(path + ": corrupt record " + after_last_site());
  const char* name = bcf_seqname(hdr, rec);
  if (!name || rec->n_allele < 1) return fault(path + ": corrupt record " + after_last_site());
  // The five columns as read (ALT "." when the site has none).
  site->labels.resize(5);
  site->labels[0] = name;
  site->labels[1] = std::to_string(static_cast<long long>(rec->pos) + 1);
  last_site = site->labels[0] + ":" + site->labels[1];
  site->labels[2] = rec->d.id ? rec->d.id : ".";
  site->labels[3] = rec->d.allele[0];
  std::string& alt = site->labels[4];
  alt.clear();
  for (int a = 1; a < rec->n_allele; a++) {
    if (a > 1) alt += ',';
    alt += rec->d.allele[a];
  }
  if (alt.empty()) alt = ".";
  site->allele_names.clear();
  int k = rec->n_allele;
  site->k = k;
  site->declared_alleles = declared_alleles;
  tally.start(k, groups);

  // htslib ends the process on a GT field stored as neither 8-, 16- nor
  // 32-bit integers (a damaged file can give one): refuse the record first.
  const bcf_fmt_t* gt_field = bcf_get_fmt(hdr, rec, "GT");
  if (gt_field && gt_field->type != BCF_BT_INT8 && gt_field->type != BCF_BT_INT16 &&
      gt_field->type != BCF_BT_INT32)
    return fault(path + ": corrupt record " + after_last_site() + " (GT is not stored as integers)");
  // Read in place: a polyploid call is skipped without the whole field
  // being widened first (vcf/genotype_field.h).
  const bcf_fmt_t* calls = genotype_field(hdr, rec);
  if (!calls || bcf_hdr_nsamples(hdr) == 0) {  // no GT field: no sample has a call
    for (const counted_sample& c : counted) tally.add_skipped(c.group);
    tally.finish(declared_alleles, max_alleles, &site->groups);
    return status::ok();
  }
  for (const counted_sample& c : counted) {
    int32_t g[2];
    if (!diploid_call(calls, c.sample, &g[0], &g[1]) || bcf_gt_is_missing(g[0]) ||
        bcf_gt_is_missing(g[1])) {
      tally.add_skipped(c.group);
      continue;
    }
    int a = bcf_gt_allele(g[0]), b = bcf_gt_allele(g[1]);
    if (a < 0 || b < 0 || a >= k || b >= k)
      return fault(path + ": site " + last_site + ": a genotype names allele " +
                   std::to_string(std::max(a, b)) + " but the site has only " +
                   std::to_string(k) + " alleles");
    tally.add_call(c.group, a, b);
  }
  tally.finish(declared_alleles, max_alleles, &site->groups);
  return status::ok();
}

}  // namespace drevel
