#include "app/group_list.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

namespace drevel {

bool read_group_list(const std::string& path, sample_groups* groups, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = path + ": cannot open the groups file: " + std::strerror(errno);
    return false;
  }
  sample_groups out;
  out.source = path;
  std::map<std::string, int> group_index;
  std::map<std::string, int> sample_line;
  std::string line;
  int number = 0;
  auto fail = [&](const std::string& message) {
    *error = path + ": line " + std::to_string(number) + ": " + message;
    return false;
  };
  while (std::getline(in, line)) {
    number++;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream fields(line);
    std::string sample, list, extra;
    if (!(fields >> sample)) continue;  // blank
    if (!(fields >> list) || (fields >> extra))
      return fail("expected a sample name and a group (\"sample group\"), not '" + line + "'");
    auto first = sample_line.emplace(sample, number);
    if (!first.second)
      return fail("sample '" + sample + "' is listed twice (first on line " +
                  std::to_string(first.first->second) + ")");
    std::vector<int> member_of;
    size_t start = 0;
    for (;;) {
      size_t end = list.find(',', start);
      std::string name = list.substr(start, end == std::string::npos ? end : end - start);
      if (name.empty()) return fail("an empty group name in '" + list + "'");
      auto found = group_index.emplace(name, static_cast<int>(out.names.size()));
      if (found.second) out.names.push_back(name);
      bool repeated = false;
      for (int g : member_of) repeated = repeated || g == found.first->second;
      if (!repeated) member_of.push_back(found.first->second);
      if (end == std::string::npos) break;
      start = end + 1;
    }
    out.members.emplace_back(sample, member_of);
  }
  if (in.bad()) {
    *error = path + ": cannot read the groups file";
    return false;
  }
  if (out.members.empty()) {
    *error = path + ": the groups file lists no sample";
    return false;
  }
  *groups = std::move(out);
  return true;
}

}  // namespace drevel
