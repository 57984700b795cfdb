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

}  // namespace

std::string info_key_part(const std::string& group_name) {
  std::string out = group_name;
  for (char& c : out)
    if (!key_character(c)) c = '_';
  return out;
}

bool annotation_fields(const std::vector<std::string>* group_names,
                       std::vector<group_fields>* fields, std::string* error) {
  fields->clear();
  if (!group_names) {
    fields->push_back({"HWE_EV", "HWE_EV_SE", "HWE_F"});
    return true;
  }
  std::map<std::string, size_t> owner;  // key -> the group it was made for
  for (size_t g = 0; g < group_names->size(); g++) {
    const std::string part = info_key_part((*group_names)[g]);
    group_fields f{"HWE_EV_" + part, "HWE_EV_SE_" + part, "HWE_F_" + part};
    for (const std::string* key : {&f.evidence, &f.mc_se, &f.F}) {
      auto taken = owner.emplace(*key, g);
      if (taken.second) continue;
      *error = "--annotate: the groups '" + (*group_names)[taken.first->second] + "' and '" +
               (*group_names)[g] + "' both give the INFO field " + *key +
               " (characters other than letters, digits, '_' and '.' are written as '_'); "
               "rename one of them in the groups file";
      return false;
    }
    fields->push_back(f);
  }
  return true;
}

std::vector<std::string> annotation_header_lines(const group_fields& fields,
                                                 const std::string* group_name) {
  const std::string in = group_name ? " in group " + *group_name : std::string();
  return {info_line(fields.evidence, "drevel: Bayesian evidence for Hardy-Weinberg equilibrium" +
                                         in + " (the table's EVIDENCE; full precision there)"),
          info_line(fields.mc_se, "drevel: Monte Carlo standard error of " + fields.evidence +
                                      " (the table's MC_SE)"),
          info_line(fields.F, "drevel: fixation index F = 1 - observed/expected heterozygosity" +
                                  in + " (the table's F)")};
}

float table_float(double v) { return std::strtof(table_real(v).c_str(), nullptr); }

group_values annotation_values(const group_evidence& evidence) {
  group_values out;
  if (status_fills_estimates(evidence.outcome)) {
    out.evidence = table_float(evidence.E);
    out.mc_se = table_float(evidence.mc_se);
  }
  if (evidence.F) out.F = table_float(*evidence.F);
  return out;
}

}  // namespace drevel
