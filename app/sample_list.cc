#include "app/sample_list.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <set>

namespace drevel {

std::vector<std::string> split_list(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

bool read_sample_list(const std::string& value, std::vector<std::string>* names,
                      std::string* error) {
  std::vector<std::string> list;
  if (value.size() > 1 && value[0] == '@') {
    std::string path = value.substr(1);
    std::ifstream in(path);
    if (!in) {
      *error = path + ": cannot open the sample list: " + std::strerror(errno);
      return false;
    }
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) list.push_back(line);
    }
    if (in.bad()) {
      *error = path + ": cannot read the sample list";
      return false;
    }
    if (list.empty()) {
      *error = path + ": the sample list is empty";
      return false;
    }
  } else {
    list = split_list(value, ',');
    for (const auto& name : list) {
      if (name.empty()) {
        *error = "--samples has an empty name in '" + value + "'";
        return false;
      }
    }
  }
  std::set<std::string> seen;
  for (const auto& name : list) {
    if (!seen.insert(name).second) {
      *error = "sample '" + name + "' is listed twice";
      return false;
    }
  }
  *names = list;
  return true;
}

}  // namespace drevel
