#include "counts/table_rows.h"

#include "counts/count_text.h"
#include "schema/table_schema.h"

namespace drevel {

bool names_a_drevel_table(const std::vector<std::string>& names) {
  for (const std::string& name : names)
    if (name == column_name(table_column::n_alleles)) return true;
  return false;
}

status find_table_columns(const std::vector<std::string>& fields, table_columns* columns,
                          table_layout* layout) {
  size_t first = 0;
  while (first < fields.size() && fields[first] != column_name(table_column::n_alleles)) first++;
  // The label columns, then every computed column in order, then perhaps
  // ALLELES.
  const auto& computed = computed_columns();
  bool ok = first > 0 && first + computed.size() <= fields.size();
  for (size_t n = 0; ok && n < computed.size(); n++) ok = fields[first + n] == computed[n].name;
  size_t end = first + computed.size();
  int joined = -1;
  if (ok && end + 2 <= fields.size() && fields[end] == n_joined_column &&
      fields[end + 1] == n_left_out_column) {
    joined = static_cast<int>(end);
    end += 2;
  }
  int alleles = -1;
  if (ok && end + 1 == fields.size() && fields[end] == alleles_column)
    alleles = static_cast<int>(end);
  else if (ok && end != fields.size())
    ok = false;
  if (!ok)
    return status(fault_kind::input,
                  "not a table drevel wrote: the computed columns N_ALLELES ... AT_MAXMC are not "
                  "all there, in order, after the label columns");
  columns->computed = first;
  columns->alleles = alleles;
  columns->joined = joined;
  layout->labels.assign(fields.begin(), fields.begin() + static_cast<long>(first));
  layout->groups = false;
  layout->alleles = alleles >= 0;
  return status::ok();
}

bool is_joint_row(const table_columns& columns, const std::vector<std::string>& fields) {
  return columns.joined >= 0 && fields[static_cast<size_t>(columns.joined)] != not_available;
}

status read_table_row(const table_columns& columns, const std::vector<std::string>& fields,
                      const counts_read_options& options, genotype_tally* tally,
                      site_record* site, std::string* left_out) {
  left_out->clear();
  const size_t computed = columns.computed;
  const int alleles = columns.alleles;
  auto column = [&](table_column c) -> const std::string& {
    return fields[computed + static_cast<size_t>(c)];
  };
  auto fault = [](const std::string& cause) { return status(fault_kind::input, cause); };
  auto count = [&](table_column c, int64_t* v) {
    const std::string& text = column(c);
    if (read_count(text, 0, text.size(), v)) return status::ok();
    return fault(std::string(column_name(c)) + " '" + text + "' is not a count");
  };
  int64_t k, called, skipped, tested;
  status counted = count(table_column::n_alleles, &k);
  if (counted) counted = count(table_column::n_called, &called);
  if (counted) counted = count(table_column::n_skipped, &skipped);
  if (counted) counted = count(table_column::n_tested, &tested);
  if (!counted) return counted;
  if (k > largest_max_alleles || tested > k)
    return fault("N_TESTED " + std::to_string(tested) + " of N_ALLELES " + std::to_string(k) +
                 " alleles (at most " + std::to_string(largest_max_alleles) + ")");
  site->labels.assign(fields.begin(), fields.begin() + static_cast<long>(computed));
  site->allele_names.clear();
  if (alleles >= 0 && fields[alleles] != not_available) {
    const std::string& names = fields[alleles];
    size_t start = 0;
    for (;;) {
      size_t comma = names.find(',', start);
      site->allele_names.push_back(
          names.substr(start, comma == std::string::npos ? comma : comma - start));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    if (site->allele_names.size() != static_cast<size_t>(tested))
      return fault("ALLELES names " + std::to_string(site->allele_names.size()) +
                   " alleles where N_TESTED is " + std::to_string(tested));
  }
  site->k = static_cast<int>(k);
  site->declared_alleles = options.declared_alleles;
  const std::string& genotypes = column(table_column::genotypes);
  const int t = static_cast<int>(tested);
  if (genotypes == not_available && t > 0) {
    // Written without its counts (more alleles than its run computed):
    // nothing to compute from, and the heterozygosity columns could not be
    // written again either, so the row is left out, with a warning.
    *left_out = "no GENOTYPES (STATUS " + column(table_column::status) + "); the row is left out";
    return status::ok();
  }
  std::vector<int64_t> list;
  if (genotypes != not_available && !read_counts(genotypes, &list))
    return fault("GENOTYPES '" + genotypes + "' is not a list of counts");
  int64_t sum = 0;
  bool exact = skipped <= largest_call_total;
  for (int64_t v : list) exact = exact && add_to_total(v, &sum);
  if (!exact) return fault("GENOTYPES '" + genotypes + "' or N_SKIPPED beyond 2^53 calls");
  if (list.size() != static_cast<size_t>(t) * (t + 1) / 2 || sum != called)
    return fault("GENOTYPES '" + genotypes + "' are not N_TESTED(N_TESTED+1)/2 = " +
                 std::to_string(t * (t + 1) / 2) + " counts summing to N_CALLED " +
                 std::to_string(called));
  // The tested alleles become the site's alleles, in their order, so that
  // the counts keep their cells.
  tally->start(t, 1);
  size_t n = 0;
  for (int high = 0; high < t; high++)
    for (int low = 0; low <= high; low++) tally->add_calls(0, low, high, list[n++]);
  tally->add_skipped(0, skipped);
  tally->finish(options.declared_alleles, options.max_alleles, &site->groups);
  return status::ok();
}

}  // namespace drevel
