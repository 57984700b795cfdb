#include "support/classic_run.h"

#include <sstream>
#include <stdexcept>

#include "support/run_drevel.h"

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream ss(text);
  std::string part;
  while (std::getline(ss, part, separator)) parts.push_back(part);
  return parts;
}

std::map<std::string, std::string> named(const std::string& header_line, const std::string& row) {
  std::vector<std::string> names = split(header_line, '\t'), values = split(row, '\t');
  std::map<std::string, std::string> out;
  for (size_t n = 0; n < names.size() && n < values.size(); n++) out[names[n]] = values[n];
  return out;
}

std::vector<std::string> classic_values(const std::string& dir, int k,
                                        const std::vector<int>& counts,
                                        const std::string& tuning) {
  std::string in = dir + "/classic.txt", out = dir + "/classic.out";
  std::string text = std::to_string(k) + "\n";
  for (int x : counts) text += std::to_string(x) + " ";
  write_text(in, text + "\n" + tuning + "\n");
  run_result r = run_drevel({in, out});
  if (r.status != 0) throw std::runtime_error("classic run failed: " + r.err);
  std::vector<std::string> lines = split(read_text(out), '\n');
  std::vector<std::string> values;
  for (int n = 0; n < 3; n++) {
    std::string v = lines.at(n);
    while (!v.empty() && v.back() == ' ') v.pop_back();
    values.push_back(v);
  }
  return values;
}
