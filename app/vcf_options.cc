#include "app/vcf_options.h"

#include <sched.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <thread>

namespace drevel {

namespace {

const int max_threads = 1024;

bool parse_integer(const std::string& text, long long low, long long high, long long* value) {
  if (text.empty()) return false;
  char* end;
  errno = 0;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < low || v > high) return false;
  *value = v;
  return true;
}

bool parse_real(const std::string& text, double* value) {
  if (text.empty()) return false;
  char* end;
  double v = std::strtod(text.c_str(), &end);
  if (*end != '\0' || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

// Applies one option with its value; false with *error on a bad value.
bool apply_option(const std::string& name, const std::string& value, vcf_options* o,
                  std::string* error) {
  long long n;
  if (name == "--threads") {
    if (!parse_integer(value, 1, max_threads, &n)) {
      *error = "--threads needs a whole number from 1 to " + std::to_string(max_threads) +
               ", not '" + value + "'";
      return false;
    }
    o->threads = static_cast<int>(n);
  } else if (name == "--regions") {
    o->regions = split(value, ',');
    for (const auto& r : o->regions) {
      if (r.empty()) {
        *error = "--regions needs chr:begin-end items separated by commas, not '" + value + "'";
        return false;
      }
    }
  } else if (name == "--samples") {
    if (value.empty() || value == "@") {
      *error = "--samples needs comma-separated names or @file";
      return false;
    }
    o->have_samples = true;
    o->samples = value;
  } else if (name == "--precision") {
    if (!parse_real(value, &o->tuning.precision)) {
      *error = "--precision needs a finite number, not '" + value + "'";
      return false;
    }
  } else if (name == "--minmc" || name == "--maxmc") {
    if (!parse_integer(value, INT32_MIN, INT32_MAX, &n)) {
      *error = name + " needs a whole number that fits in 32 bits, not '" + value + "'";
      return false;
    }
    (name == "--minmc" ? o->tuning.minmc : o->tuning.maxmc) = static_cast<int32_t>(n);
  } else if (name == "--engine") {
    if (value != "fast" && value != "literal") {
      *error = "--engine needs fast or literal, not '" + value + "'";
      return false;
    }
    o->tuning.engine = value == "fast" ? mc_engine::fast : mc_engine::literal;
  } else if (name == "--max-alleles") {
    if (!parse_integer(value, 1, largest_max_alleles, &n)) {
      *error = "--max-alleles needs a whole number from 1 to " +
               std::to_string(largest_max_alleles) + ", not '" + value + "'";
      return false;
    }
    o->max_alleles = static_cast<int>(n);
  } else {
    *error = "unknown option '" + name + "'";
    return false;
  }
  return true;
}

}  // namespace

bool parse_vcf_options(int argc, char** argv, vcf_options* options, std::string* error) {
  vcf_options o;
  std::vector<std::string> files;
  for (int a = 1; a < argc; a++) {
    std::string arg = argv[a];
    if (arg == "--vcf") continue;
    if (arg.size() < 2 || arg[0] != '-') {  // a file name, or "-"
      files.push_back(arg);
      continue;
    }
    if (arg.compare(0, 2, "--") != 0) {
      *error = "unknown option '" + arg + "'";
      return false;
    }
    std::string name = arg, value;
    size_t equals = arg.find('=');
    if (equals != std::string::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
    } else {
      if (a + 1 >= argc) {
        *error = (name == "--threads" || name == "--regions" || name == "--samples" ||
                  name == "--precision" || name == "--minmc" || name == "--maxmc" ||
                  name == "--engine" || name == "--max-alleles")
                     ? name + " needs a value"
                     : "unknown option '" + name + "'";
        return false;
      }
      value = argv[++a];
    }
    if (!apply_option(name, value, &o, error)) return false;
  }
  if (files.size() != 2) {
    *error = "--vcf needs an input and an output file (use - for standard input or output)";
    return false;
  }
  o.input = files[0];
  o.output = files[1];
  if (o.threads == 0) o.threads = available_cores();
  *options = o;
  return true;
}

int available_cores() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    int n = CPU_COUNT(&set);
    if (n > 0) return n < max_threads ? n : max_threads;
  }
  unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : (n < max_threads ? static_cast<int>(n) : max_threads);
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
    list = split(value, ',');
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
