// The tables of the batch modes: one header line, then tab-separated rows in
// the order of the input.  Every value printed is in the record or the
// result; nothing is computed here.  The columns, their names, the STATUS
// words and the number format are the schema's (schema/table_schema.h); the
// columns that name a site are its format's (vcf/vcf_table.h,
// genepop/genepop_sites.h).
#ifndef DREVEL_SITES_SITE_TABLE_H
#define DREVEL_SITES_SITE_TABLE_H

#include <string>
#include <vector>

#include "sites/site_evidence.h"

namespace drevel {

// A format's columns around the computed ones.
struct table_layout {
  // The header names of the label columns (site_record::labels), in order;
  // the header line puts "#" before the first.
  std::vector<std::string> labels;
  bool groups = false;   // a GROUP column after the labels, one row per group
  bool alleles = false;  // an ALLELES column last: the tested alleles' names
  bool joint = false;    // N_JOINED and N_LEFT_OUT after the computed columns
};

// The header line, ending in "\n": "#" label\t... [GROUP\t] the computed
// columns [\tN_JOINED\tN_LEFT_OUT] [\tALLELES].
std::string table_header(const table_layout& layout);

// Appends one row per group of the site to *out, each ending in "\n": the
// site's labels, the group's name from group_names when the layout has
// groups (one name per group of the record), the computed columns, and with
// the layout's ALLELES the names of the group's tested alleles,
// comma-separated in the order tested (NA when none).  A joint row follows
// the group rows when the evidence has one (GROUP "*"); a record of
// joint_rows::only gives the joint row alone, under the record's labels.
void append_rows(const table_layout& layout, const site_record& site,
                 const site_evidence& evidence, const std::vector<std::string>* group_names,
                 std::string* out);

// The STATUS column's word for an outcome (status_word).
const char* status_name(site_outcome outcome);

}  // namespace drevel

#endif
