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
  if (!selection->with_groups) return true;
  if (!read_group_list(options.groups, &selection->groups, error)) return false;
  if (options.joint)
    for (const std::string& name : selection->groups.names)
      if (name == joint_label) {
        *error = options.groups + ": a group named " + joint_label +
                 " would read as the joint row of --joint; rename it";
        return false;
      }
  return true;
}

std::vector<run_file> list_files(const command_line& options) {
  std::vector<run_file> files;
  if (!options.groups.empty()) files.push_back({options.groups, "the --groups file"});
  if (options.have_samples && options.samples[0] == '@')
    files.push_back({options.samples.substr(1), "the --samples file"});
  return files;
}

batch_table site_table_of(table_layout layout, const site_selection& selection, bool joint) {
  batch_table table;
  layout.joint = joint;
  table.joint_after_groups = joint;
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
