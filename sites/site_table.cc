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

// The computed columns of a joint row, each after a tab.
void append_joint(const site_record& site, const joint_evidence& joint, std::string* out) {
  const group_evidence& row = joint.row;
  const bool estimated = status_fills_estimates(row.outcome);
  for (const column_description& d : computed_columns()) {
    if (is_estimate_column(d.column) && !estimated) {
      append_missing(out);
      continue;
    }
    switch (d.column) {
      case table_column::n_alleles:
        if (site.k > 0) append_integer(out, site.k);
        else append_missing(out);
        break;
      case table_column::n_called: append_integer(out, joint.called); break;
      case table_column::n_skipped: append_integer(out, joint.skipped); break;
      case table_column::evidence: append_table_real(out, row.E); break;
      case table_column::l_max: append_table_real(out, row.L_max); break;
      case table_column::l_hyp: append_table_real(out, row.L_hyp); break;
      case table_column::draws: append_integer(out, row.draws); break;
      case table_column::status:
        *out += '\t';
        *out += status_word(row.outcome);
        break;
      case table_column::mc_se: append_table_real(out, row.mc_se); break;
      case table_column::at_maxmc: *out += row.at_maxmc ? "\t1" : "\t0"; break;
      case table_column::sev: append_optional(out, row.sev); break;
      default: append_missing(out); break;  // a group's own columns
    }
  }
}

void append_labels(const site_record& site, std::string* out) {
  for (size_t n = 0; n < site.labels.size(); n++) {
    if (n > 0) *out += '\t';
    *out += site.labels[n];
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
  if (layout.joint) {
    header += '\t';
    header += n_joined_column;
    header += '\t';
    header += n_left_out_column;
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
  for (size_t g = 0; g < site.groups.size() && site.joint != joint_rows::only; g++) {
    append_labels(site, out);
    if (layout.groups && group_names) {
      *out += '\t';
      *out += (*group_names)[g];
    }
    const group_counts& group = site.groups[g];
    append_computed(site, group, evidence.groups[g], out);
    if (layout.joint) {
      append_missing(out);
      append_missing(out);
    }
    if (layout.alleles) {
      if (group.tested.empty()) append_missing(out);
      for (size_t t = 0; t < group.tested.size(); t++) {
        *out += t == 0 ? '\t' : ',';
        *out += site.allele_names[static_cast<size_t>(group.tested[t])];
      }
    }
    *out += '\n';
  }
  if (!evidence.joint) return;
  append_labels(site, out);
  if (layout.groups && group_names) {
    *out += '\t';
    *out += joint_label;
  }
  append_joint(site, *evidence.joint, out);
  if (layout.joint) {
    append_integer(out, evidence.joint->joined);
    append_integer(out, evidence.joint->left_out);
  }
  if (layout.alleles) append_missing(out);
  *out += '\n';
}

}  // namespace drevel
