#include "sites/site_table.h"

#include <charconv>
#include <cstdio>

namespace drevel {

namespace {

const char* const shared_columns =
    "N_ALLELES\tN_CALLED\tN_SKIPPED\tEVIDENCE\tL_MAX\tL_HYP\tDRAWS\tN_TESTED\tSTATUS\tGENOTYPES"
    "\tHET_OBS\tHET_EXP\tF\tMC_SE\tAT_MAXMC";

void append_real(std::string* out, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "\t%e", v);
  *out += buf;
}

void append_optional(std::string* out, const std::optional<double>& v) {
  if (v)
    append_real(out, *v);
  else
    *out += "\tNA";
}

// A separator, then v in decimal (as "%" PRId64 writes it).
void append_integer(std::string* out, int64_t v, char separator = '\t') {
  char buf[24];
  buf[0] = separator;
  char* end = std::to_chars(buf + 1, buf + sizeof buf, v).ptr;
  out->append(buf, static_cast<size_t>(end - buf));
}

// The columns from N_ALLELES to AT_MAXMC, each after a tab.
void append_shared(const site_record& site, const group_counts& group,
                   const group_evidence& evidence, std::string* out) {
  append_integer(out, site.k);
  append_integer(out, group.called);
  append_integer(out, group.skipped);
  const bool computed = evidence.outcome == site_outcome::computed;
  if (computed) {
    append_real(out, evidence.E);
    append_real(out, evidence.L_max);
    append_real(out, evidence.L_hyp);
    append_integer(out, evidence.draws);
  } else {
    *out += "\tNA\tNA\tNA\tNA";
  }
  append_integer(out, static_cast<int64_t>(group.tested.size()));
  *out += '\t';
  *out += status_name(evidence.outcome);
  if (group.counts.empty()) {
    *out += "\tNA";
  } else {
    for (size_t n = 0; n < group.counts.size(); n++)
      append_integer(out, static_cast<int64_t>(group.counts[n]), n == 0 ? '\t' : ',');
  }
  append_optional(out, evidence.het_obs);
  append_optional(out, evidence.het_exp);
  append_optional(out, evidence.F);
  if (computed) {
    append_real(out, evidence.mc_se);
    *out += evidence.at_maxmc ? "\t1" : "\t0";
  } else {
    *out += "\tNA\tNA";
  }
}

}  // namespace

const char* status_name(site_outcome outcome) {
  switch (outcome) {
    case site_outcome::computed: return "ok";
    case site_outcome::no_calls: return "no_calls";
    case site_outcome::monomorphic: return "monomorphic";
    case site_outcome::too_many_alleles: return "too_many_alleles";
    case site_outcome::lost_to_rounding: return "lost_to_rounding";
  }
  return "?";
}

std::string vcf_table_header(bool with_groups) {
  return std::string("#CHROM\tPOS\tID\tREF\tALT\t") + (with_groups ? "GROUP\t" : "") +
         shared_columns + "\n";
}

std::string genepop_table_header() {
  return std::string("#POP\tFIRST_INDIVIDUAL\tLOCUS\t") + shared_columns + "\tALLELES\n";
}

void append_vcf_rows(const site_record& site, const site_evidence& evidence,
                     const std::vector<std::string>* group_names, std::string* out) {
  std::string pos;
  append_integer(&pos, site.pos);
  pos += '\t';
  for (size_t g = 0; g < site.groups.size(); g++) {
    *out += site.chrom;
    *out += pos;
    *out += site.id;
    *out += '\t';
    *out += site.ref;
    *out += '\t';
    *out += site.alt;
    if (group_names) {
      *out += '\t';
      *out += (*group_names)[g];
    }
    append_shared(site, site.groups[g], evidence.groups[g], out);
    *out += '\n';
  }
}

void append_genepop_row(const site_record& site, const site_evidence& evidence,
                        std::string* out) {
  const group_counts& group = site.groups[0];
  std::string pop;
  append_integer(&pop, site.population);
  out->append(pop, 1, std::string::npos);  // without the leading tab
  *out += '\t';
  *out += site.first_individual.empty() ? std::string(".") : site.first_individual;
  *out += '\t';
  *out += site.locus;
  append_shared(site, group, evidence.groups[0], out);
  if (group.tested.empty()) *out += "\tNA";
  for (size_t t = 0; t < group.tested.size(); t++) {
    *out += t == 0 ? '\t' : ',';
    *out += site.allele_codes[group.tested[t]];
  }
  *out += '\n';
}

}  // namespace drevel
