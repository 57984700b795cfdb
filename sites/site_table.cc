#include "sites/site_table.h"

#include <charconv>

namespace drevel {

namespace {

void append_optional(std::string* out, const std::optional<double>& v) {
  if (v) {
    append_table_real(out, *v);
  } else {
    *out += '\t';
    *out += not_available;
  }
}

// A separator, then v in decimal (as "%" PRId64 writes it).
void append_integer(std::string* out, int64_t v, char separator = '\t') {
  char buf[24];
  buf[0] = separator;
  char* end = std::to_chars(buf + 1, buf + sizeof buf, v).ptr;
  out->append(buf, static_cast<size_t>(end - buf));
}

void append_missing(std::string* out) {
  *out += '\t';
  *out += not_available;
}

// The computed columns, each after a tab, in the schema's order.
void append_computed(const site_record& site, const group_counts& group,
                     const group_evidence& evidence, std::string* out) {
  const bool estimated = status_fills_estimates(evidence.outcome);
  for (const column_description& d : computed_columns()) {
    if (is_estimate_column(d.column) && !estimated) {
      append_missing(out);
      continue;
    }
    switch (d.column) {
      case table_column::n_alleles: append_integer(out, site.k); break;
      case table_column::n_called: append_integer(out, group.called); break;
      case table_column::n_skipped: append_integer(out, group.skipped); break;
      case table_column::evidence: append_table_real(out, evidence.E); break;
      case table_column::l_max: append_table_real(out, evidence.L_max); break;
      case table_column::l_hyp: append_table_real(out, evidence.L_hyp); break;
      case table_column::draws: append_integer(out, evidence.draws); break;
      case table_column::n_tested:
        append_integer(out, static_cast<int64_t>(group.tested.size()));
        break;
      case table_column::status:
        *out += '\t';
        *out += status_word(evidence.outcome);
        break;
      case table_column::genotypes:
        if (group.counts.empty()) append_missing(out);
        for (size_t n = 0; n < group.counts.size(); n++)
          append_integer(out, static_cast<int64_t>(group.counts[n]), n == 0 ? '\t' : ',');
        break;
      case table_column::het_obs: append_optional(out, evidence.het_obs); break;
      case table_column::het_exp: append_optional(out, evidence.het_exp); break;
      case table_column::f: append_optional(out, evidence.F); break;
      case table_column::mc_se: append_table_real(out, evidence.mc_se); break;
      case table_column::at_maxmc: *out += evidence.at_maxmc ? "\t1" : "\t0"; break;
      case table_column::p_hwe: append_optional(out, evidence.p_hwe); break;
      case table_column::p_hwe_midp: append_optional(out, evidence.p_hwe_midp); break;
      case table_column::p_het_excess: append_optional(out, evidence.p_het_excess); break;
      case table_column::p_het_deficit: append_optional(out, evidence.p_het_deficit); break;
      case table_column::p_hwe_se: append_optional(out, evidence.p_hwe_se); break;
      case table_column::sev: append_optional(out, evidence.sev); break;
    }
  }
}

}  // namespace

const char* status_name(site_outcome outcome) { return status_word(outcome); }

std::string table_header(const table_layout& layout) {
  std::string header = "#";
  for (size_t n = 0; n < layout.labels.size(); n++) {
    header += layout.labels[n];
    header += '\t';
  }
  if (layout.groups) {
    header += group_column;
    header += '\t';
  }
  for (size_t n = 0; n < computed_columns().size(); n++) {
    if (n > 0) header += '\t';
    header += computed_columns()[n].name;
  }
  if (layout.alleles) {
    header += '\t';
    header += alleles_column;
  }
  return header + "\n";
}

void append_rows(const table_layout& layout, const site_record& site,
                 const site_evidence& evidence, const std::vector<std::string>* group_names,
                 std::string* out) {
  for (size_t g = 0; g < site.groups.size(); g++) {
    for (size_t n = 0; n < site.labels.size(); n++) {
      if (n > 0) *out += '\t';
      *out += site.labels[n];
    }
    if (layout.groups && group_names) {
      *out += '\t';
      *out += (*group_names)[g];
    }
    const group_counts& group = site.groups[g];
    append_computed(site, group, evidence.groups[g], out);
    if (layout.alleles) {
      if (group.tested.empty()) append_missing(out);
      for (size_t t = 0; t < group.tested.size(); t++) {
        *out += t == 0 ? '\t' : ',';
        *out += site.allele_names[static_cast<size_t>(group.tested[t])];
      }
    }
    *out += '\n';
  }
}

}  // namespace drevel
