#include "annotate/annotation_fields.h"

#include <cstdio>
#include <cstdlib>
#include <map>

#include "schema/table_schema.h"

namespace drevel {

namespace {

bool key_character(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '.';
}

// A Description value between double quotes, with '"' and '\' escaped as
// VCF 4.3 writes them.
std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string info_line(const std::string& key, const std::string& description) {
  return "##INFO=<ID=" + key + ",Number=1,Type=Float,Description=" + quoted(description) + ">";
}

// The keys with `suffix` appended.
group_fields fields_named(const std::string& suffix) {
  return {"HWE_EV" + suffix,     "HWE_EV_SE" + suffix, "HWE_F" + suffix,
          "HWE_P" + suffix,      "HWE_P_MIDP" + suffix, "HWE_P_EXC" + suffix,
          "HWE_P_DEF" + suffix,  "HWE_SEV" + suffix};
}

}  // namespace

std::string info_key_part(const std::string& group_name) {
  std::string out = group_name;
  for (char& c : out)
    if (!key_character(c)) c = '_';
  return out;
}

status annotation_fields(const std::vector<std::string>* group_names,
                         std::vector<group_fields>* fields) {
  fields->clear();
  if (!group_names) {
    fields->push_back(fields_named(""));
    return status::ok();
  }
  std::map<std::string, size_t> owner;  // key -> the group it was made for
  for (size_t g = 0; g < group_names->size(); g++) {
    const std::string part = info_key_part((*group_names)[g]);
    group_fields f = fields_named("_" + part);
    for (const std::string* key : f.all()) {
      auto taken = owner.emplace(*key, g);
      if (taken.second) continue;
      return status(fault_kind::usage,
                    "--annotate: the groups '" + (*group_names)[taken.first->second] + "' and '" +
                        (*group_names)[g] + "' both give the INFO field " + *key +
                        " (characters other than letters, digits, '_' and '.' are written as "
                        "'_'); rename one of them in the groups file");
    }
    fields->push_back(f);
  }
  return status::ok();
}

status joint_fields(const std::vector<group_fields>& groups, group_fields* joint) {
  *joint = fields_named("_JOINT");
  for (const group_fields& g : groups)
    for (const std::string* taken : g.all())
      for (const std::string* key : joint_keys(*joint))
        if (*taken == *key)
          return status(fault_kind::usage,
                        "--annotate: a group gives the INFO field " + *key +
                            ", which --joint writes for the joint row; rename the group");
  return status::ok();
}

std::vector<const std::string*> joint_keys(const group_fields& joint) {
  return {&joint.evidence, &joint.mc_se, &joint.sev};
}

std::vector<std::string> joint_header_lines(const group_fields& joint) {
  return {info_line(joint.evidence, "drevel: Bayesian evidence for Hardy-Weinberg equilibrium in "
                                    "every group at once (the table's EVIDENCE of GROUP *)"),
          info_line(joint.mc_se, "drevel: Monte Carlo standard error of " + joint.evidence +
                                     " (the table's MC_SE of GROUP *)"),
          info_line(joint.sev, "drevel: standardized evidence of " + joint.evidence +
                                   " (the table's SEV of GROUP *)")};
}

std::vector<std::string> annotation_header_lines(const group_fields& fields,
                                                 const std::string* group_name) {
  const std::string in = group_name ? " in group " + *group_name : std::string();
  return {info_line(fields.evidence, "drevel: Bayesian evidence for Hardy-Weinberg equilibrium" +
                                         in + " (the table's EVIDENCE; full precision there)"),
          info_line(fields.mc_se, "drevel: Monte Carlo standard error of " + fields.evidence +
                                      " (the table's MC_SE)"),
          info_line(fields.F, "drevel: fixation index F = 1 - observed/expected heterozygosity" +
                                  in + " (the table's F)"),
          info_line(fields.p_hwe, "drevel: exact test of Hardy-Weinberg equilibrium, p-value" + in +
                                      ", two alleles (the table's P_HWE)"),
          info_line(fields.p_hwe_midp, "drevel: mid-p value of " + fields.p_hwe +
                                           " (the table's P_HWE_MIDP)"),
          info_line(fields.p_het_excess, "drevel: exact test's tail of a heterozygote excess" + in +
                                             " (the table's P_HET_EXCESS)"),
          info_line(fields.p_het_deficit, "drevel: exact test's tail of a heterozygote deficit" +
                                              in + " (the table's P_HET_DEFICIT)"),
          info_line(fields.sev, "drevel: evidence standardized for the dimensions" + in +
                                    " (the table's SEV)")};
}

float table_float(double v) { return std::strtof(table_real(v).c_str(), nullptr); }

group_values annotation_values(const group_evidence& evidence) {
  group_values out;
  if (status_fills_estimates(evidence.outcome)) {
    out.evidence = table_float(evidence.E);
    out.mc_se = table_float(evidence.mc_se);
  }
  if (evidence.F) out.F = table_float(*evidence.F);
  const std::pair<const std::optional<double>*, std::optional<float>*> optional[] = {
      {&evidence.p_hwe, &out.p_hwe},
      {&evidence.p_hwe_midp, &out.p_hwe_midp},
      {&evidence.p_het_excess, &out.p_het_excess},
      {&evidence.p_het_deficit, &out.p_het_deficit},
      {&evidence.sev, &out.sev}};
  for (const auto& v : optional)
    if (*v.first) *v.second = table_float(**v.first);
  return out;
}

}  // namespace drevel
