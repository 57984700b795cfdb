#include "counts/gcount_rows.h"

#include <utility>

#include "counts/count_text.h"
#include "schema/table_schema.h"

namespace drevel {

namespace {

// Known, and not needed: the first ALT allele's columns repeat what the
// lists hold; GENO_NUM_CTS and OBS_CT are sums of them.
const char* const ignored_gcount_columns[] = {"ALT1", "HET_REF_ALT1_CT", "HOM_ALT1_CT",
                                              "HAP_ALT1_CT", "GENO_NUM_CTS", "OBS_CT"};

}  // namespace

status find_gcount_columns(const std::vector<std::string>& fields, gcount_columns* columns) {
  gcount_columns& gc = *columns;
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
      return status(fault_kind::input, "unknown column '" + fields[c] +
                                           "' (neither a plink2 .gcount column nor a drevel "
                                           "table's)");
  }
  const bool split = gc.homref >= 0 && gc.refalt >= 0 && gc.altxy >= 0;
  if (gc.ref < 0 || gc.alt < 0 || (gc.xy < 0 && !split))
    return status(fault_kind::input,
                  "a .gcount needs REF, ALT and the genotype counts (DIPLOID_GENO_CTS, or "
                  "HOM_REF_CT, HET_REF_ALT_CTS and TWO_ALT_GENO_CTS: plink2 --geno-counts "
                  "cols=chrom,pos,ref,alt,homref,refalt,altxy,hapref,hapalt,missing)");
  return status::ok();
}

status read_gcount_row(const gcount_columns& gc, const std::vector<std::string>& names,
                       const std::vector<std::string>& fields, const counts_read_options& options,
                       genotype_tally* tally, site_record* site) {
  auto bad = [&](int column, const char* what) {
    return status(fault_kind::input, names[column] + " '" + fields[column] + "': " + what);
  };
  std::vector<int64_t> list;
  const std::string& alt = fields[gc.alt];
  // plink2 lists a missing ALT (".") as an allele of its own; a site without
  // an ALT has k = 1, as in the VCF, and none of its calls may carry it.
  const bool no_alt = alt == ".";
  int listed = 1;
  for (char c : alt) listed += c == ',';
  // The lists hold listed(listed+1)/2 genotypes; past this a row would
  // take gigabytes, far beyond what any site has.
  const int most_listed = 4096;
  if (listed > most_listed) return bad(gc.alt, "more than 4096 ALT alleles");
  const int k = no_alt ? 1 : 1 + listed;
  const int kl = 1 + listed;  // the alleles plink2's lists cover
  // counts of cells (high, low) of the listed alleles, lower-triangle order.
  std::vector<int64_t> cells(static_cast<size_t>(kl) * (kl + 1) / 2, 0);
  if (gc.xy >= 0) {
    if (!read_counts(fields[gc.xy], &list)) return bad(gc.xy, "not a list of counts");
    if (list.size() != cells.size()) return bad(gc.xy, "not one count per genotype of the alleles");
    cells = list;
  } else {
    int64_t homref;
    if (!read_count(fields[gc.homref], &homref))
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
  int64_t total = 0;
  for (int64_t v : cells)
    if (!add_to_total(v, &total)) return bad(gc.xy >= 0 ? gc.xy : gc.homref, "beyond 2^53 calls");
  int64_t skipped = 0;
  if (gc.missing >= 0 && !read_count(fields[gc.missing], &skipped))
    return bad(gc.missing, "not a count");
  if (skipped > largest_call_total) return bad(gc.missing, "beyond 2^53 calls");
  // Haploid calls are not counted, as --vcf skips them.
  if (gc.hap >= 0) {
    if (!read_counts(fields[gc.hap], &list)) return bad(gc.hap, "not a list of counts");
    if (list.size() != static_cast<size_t>(kl)) return bad(gc.hap, "not one count per allele");
    for (int64_t v : list)
      if (!add_to_total(v, &skipped)) return bad(gc.hap, "beyond 2^53 calls");
  }
  if (gc.hapref >= 0) {
    int64_t v;
    if (!read_count(fields[gc.hapref], &v))
      return bad(gc.hapref, "not a count");
    if (!add_to_total(v, &skipped)) return bad(gc.hapref, "beyond 2^53 calls");
  }
  if (gc.hapalt >= 0) {
    if (!read_counts(fields[gc.hapalt], &list)) return bad(gc.hapalt, "not a list of counts");
    if (list.size() != static_cast<size_t>(listed)) return bad(gc.hapalt, "not one count per ALT allele");
    for (int64_t v : list)
      if (!add_to_total(v, &skipped)) return bad(gc.hapalt, "beyond 2^53 calls");
  }
  tally->start(k, 1);
  size_t n = 0;
  for (int high = 0; high < kl; high++)
    for (int low = 0; low <= high; low++, n++) {
      if (cells[n] == 0) continue;
      if (high >= k)
        return status(fault_kind::input,
                      "calls of the ALT allele '.' (a site without an ALT allele)");
      tally->add_calls(0, low, high, cells[n]);
    }
  tally->add_skipped(0, skipped);
  site->labels.resize(5);
  site->labels[0] = gc.chrom >= 0 ? fields[gc.chrom] : not_available;
  site->labels[1] = gc.pos >= 0 ? fields[gc.pos] : not_available;
  site->labels[2] = gc.id >= 0 ? fields[gc.id] : ".";
  site->labels[3] = fields[gc.ref];
  site->labels[4] = alt;
  site->allele_names.clear();
  site->k = k;
  site->declared_alleles = options.declared_alleles;
  tally->finish(options.declared_alleles, options.max_alleles, &site->groups);
  return status::ok();
}

}  // namespace drevel
