// Samples assigned to named groups (populations), as a --groups file gives
// them: each group is tested on its own, a sample in no group not at all.
#ifndef DREVEL_SITES_SAMPLE_GROUPS_H
#define DREVEL_SITES_SAMPLE_GROUPS_H

#include <string>
#include <utility>
#include <vector>

namespace drevel {

struct sample_groups {
  std::string source;               // where the list came from, for messages
  std::vector<std::string> names;   // the groups, in their order of first appearance
  // Each sample once: its name and the groups it belongs to (indices into
  // names, at least one), in the order of the list.
  std::vector<std::pair<std::string, std::vector<int>>> members;
};

}  // namespace drevel

#endif
