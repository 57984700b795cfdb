// The INFO fields of the annotated VCF: their keys, their header lines and
// the values they hold.
//
// Without groups each record gets
//   HWE_EV      the evidence for Hardy-Weinberg equilibrium (the table's
//               EVIDENCE)
//   HWE_EV_SE   its Monte Carlo standard error (MC_SE)
//   HWE_F       the fixation index F = 1 - HET_OBS/HET_EXP (F)
//   HWE_P       the exact test's p-value (P_HWE)
//   HWE_P_MIDP  its mid-p value (P_HWE_MIDP)
//   HWE_P_EXC   its tail of a heterozygote excess (P_HET_EXCESS)
//   HWE_P_DEF   its tail of a heterozygote deficit (P_HET_DEFICIT)
//   HWE_SEV     the standardized evidence (SEV)
// all Number=1, Type=Float.  The names keep clear of bcftools +fill-tags'
// HWE and ExcHet.  With groups each group has the fields of its own, the
// group's name appended: HWE_EV_<group>, HWE_EV_SE_<group>, ...,
// every character of the name that a key may not hold (all but A-Z, a-z,
// 0-9, '_' and '.') written as '_'.  With --joint the joint row of the
// groups (schema/table_schema.h) has HWE_EV_JOINT, HWE_EV_SE_JOINT and
// HWE_SEV_JOINT, the three of its values that are a joint row's.
#ifndef DREVEL_ANNOTATE_ANNOTATION_FIELDS_H
#define DREVEL_ANNOTATE_ANNOTATION_FIELDS_H

#include <optional>
#include <string>
#include <vector>

#include "fault/status.h"
#include "sites/site_evidence.h"

namespace drevel {

// The keys of one group's fields (of the one set without groups).
struct group_fields {
  std::string evidence, mc_se, F, p_hwe, p_hwe_midp, p_het_excess, p_het_deficit, sev;
  // Every key, in the order above (that of annotation_header_lines and of
  // group_values::all).
  std::vector<const std::string*> all() const {
    return {&evidence, &mc_se, &F, &p_hwe, &p_hwe_midp, &p_het_excess, &p_het_deficit, &sev};
  }
};

// The fields of every group in the groups' order, one set when group_names
// is null.  A fault of kind usage, with a one-line message, when two groups
// would give the same key (names that differ only in characters written as
// '_', or such as "x" and "SE_x"); *fields is then unspecified.
status annotation_fields(const std::vector<std::string>* group_names,
                         std::vector<group_fields>* fields);

// The fields of the joint row: those of a group named JOINT, of which
// joint_keys are written.  Returns a fault of kind usage when a group's
// fields (of annotation_fields) already take one of them.
status joint_fields(const std::vector<group_fields>& groups, group_fields* joint);
std::vector<const std::string*> joint_keys(const group_fields& joint);
std::vector<std::string> joint_header_lines(const group_fields& joint);

// The group name as a part of an INFO key: every character other than A-Z,
// a-z, 0-9, '_' and '.' written as '_'.
std::string info_key_part(const std::string& group_name);

// The header lines ("##INFO=<ID=...,Number=1,Type=Float,Description=...>",
// no line end) declaring the fields of one group, named in the descriptions
// when group_name is not null; in the order of group_fields::all.
std::vector<std::string> annotation_header_lines(const group_fields& fields,
                                                 const std::string* group_name);

// The three values of a group as the fields hold them: each is the table's
// printed value ("%e", seven significant digits) read back as the nearest
// float, so that the file's value and the table's agree to a float's
// precision.  Empty where the table prints NA: the evidence and its error
// for a group not computed, F where it is not defined.
struct group_values {
  std::optional<float> evidence, mc_se, F, p_hwe, p_hwe_midp, p_het_excess, p_het_deficit, sev;
  std::vector<const std::optional<float>*> all() const {
    return {&evidence, &mc_se, &F, &p_hwe, &p_hwe_midp, &p_het_excess, &p_het_deficit, &sev};
  }
};
group_values annotation_values(const group_evidence& evidence);

// The nearest float to v as printed with "%e".
float table_float(double v);

}  // namespace drevel

#endif
