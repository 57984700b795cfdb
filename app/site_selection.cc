#include "app/site_selection.h"

#include "app/group_list.h"
#include "app/sample_list.h"

namespace drevel {

bool read_site_selection(const command_line& options, site_selection* selection,
                         std::string* error) {
  selection->with_samples = options.have_samples;
  selection->with_groups = !options.groups.empty();
  if (selection->with_samples && !read_sample_list(options.samples, &selection->samples, error))
    return false;
  return !selection->with_groups || read_group_list(options.groups, &selection->groups, error);
}

std::vector<run_file> list_files(const command_line& options) {
  std::vector<run_file> files;
  if (!options.groups.empty()) files.push_back({options.groups, "the --groups file"});
  if (options.have_samples && options.samples[0] == '@')
    files.push_back({options.samples.substr(1), "the --samples file"});
  return files;
}

batch_table site_table_of(const table_layout& layout, const site_selection& selection) {
  batch_table table;
  table.header = table_header(layout);
  const std::vector<std::string>* names = selection.with_groups ? &selection.groups.names : nullptr;
  table.append_rows = [layout, names](const site_record& site, const site_evidence& evidence,
                                      std::string* out) {
    append_rows(layout, site, evidence, names, out);
  };
  table.row_noun = selection.with_groups ? "site-group rows" : "sites";
  table.describe = [](const site_record& site) {
    return "site " + site.labels[0] + ":" + site.labels[1];
  };
  return table;
}

}  // namespace drevel
