#include "genepop/genepop_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>

namespace drevel {

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string trimmed(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && is_space(text[begin])) begin++;
  while (end > begin && is_space(text[end - 1])) end--;
  return text.substr(begin, end - begin);
}

// Names go into a tab-separated table: a tab inside one becomes a space.
std::string table_safe(std::string text) {
  for (char& c : text)
    if (c == '\t') c = ' ';
  return text;
}

std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> out;
  size_t n = 0;
  while (n < text.size()) {
    while (n < text.size() && is_space(text[n])) n++;
    size_t start = n;
    while (n < text.size() && !is_space(text[n])) n++;
    if (n > start) out.push_back(text.substr(start, n - start));
  }
  return out;
}

// "Pop", in any case, alone or followed by words; never a line with a comma,
// which is an individual's.
bool is_pop_line(const std::string& line) {
  if (line.find(',') != std::string::npos) return false;
  std::vector<std::string> w = words(line);
  if (w.empty() || w[0].size() != 3) return false;
  return (w[0][0] | 0x20) == 'p' && (w[0][1] | 0x20) == 'o' && (w[0][2] | 0x20) == 'p';
}

// The text after "Pop" on a Pop line, trimmed and safe for a table cell.
std::string pop_name_of(const std::string& line) {
  std::string rest = trimmed(line);
  return table_safe(trimmed(rest.substr(3)));
}

}  // namespace

status read_genepop(std::istream& in, const std::string& name, genepop_file* file) {
  genepop_file out;
  std::string line;
  int64_t number = 0;
  auto fail = [&](const std::string& message) {
    return status(fault_kind::input, name + ": line " + std::to_string(number) + ": " + message);
  };
  if (!std::getline(in, line)) {
    if (in.bad()) return fail("cannot read the file");
    return status(fault_kind::input, name + ": empty file (a Genepop file starts with a title line)");
  }
  number = 1;
  out.title = trimmed(line);

  // The locus names, up to the first Pop line.
  bool in_populations = false;
  std::string first_pop_name;  // the text after the first Pop
  while (std::getline(in, line)) {
    number++;
    if (is_pop_line(line)) {
      in_populations = true;
      first_pop_name = pop_name_of(line);
      break;
    }
    size_t start = 0;
    for (;;) {
      size_t end = line.find(',', start);
      std::string locus = trimmed(line.substr(start, end == std::string::npos ? end : end - start));
      if (!locus.empty()) out.loci.push_back(table_safe(locus));
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  if (in.bad()) return fail("cannot read the file");
  if (!in_populations)
    return fail("no 'Pop' line: a Genepop file has a title line, the locus names, then 'Pop' "
                "before each population");
  if (out.loci.empty()) return fail("'Pop' before any locus name");
  const size_t loci = out.loci.size();

  int64_t pop_line = number, width_line = 0;
  out.populations.emplace_back();
  out.populations.back().name = first_pop_name;
  auto close_population = [&]() {
    if (out.populations.back().individuals > 0) return status::ok();
    number = pop_line;
    return fail("population " + std::to_string(out.populations.size()) + " has no individuals");
  };
  while (std::getline(in, line)) {
    number++;
    if (trimmed(line).empty()) continue;
    if (is_pop_line(line)) {
      status closed = close_population();
      if (!closed) return closed;
      pop_line = number;
      out.populations.emplace_back();
      out.populations.back().name = pop_name_of(line);
      continue;
    }
    size_t comma = line.find(',');
    if (comma == std::string::npos)
      return fail("expected an individual, 'name , genotypes', or 'Pop', not '" + trimmed(line) +
                  "'");
    genepop_population& pop = out.populations.back();
    std::vector<std::string> genotypes = words(line.substr(comma + 1));
    if (genotypes.size() != loci)
      return fail(std::to_string(genotypes.size()) +
                  (genotypes.size() == 1 ? " genotype" : " genotypes") + " where the file has " +
                  std::to_string(loci) + (loci == 1 ? " locus" : " loci"));
    if (pop.individuals == 0) pop.first_individual = table_safe(trimmed(line.substr(0, comma)));
    pop.individuals++;
    for (size_t l = 0; l < loci; l++) {
      const std::string& g = genotypes[l];
      const std::string at = "genotype '" + g + "' of locus " + out.loci[l];
      bool digits = true, zeros = true;
      for (char c : g) {
        digits = digits && c >= '0' && c <= '9';
        zeros = zeros && c == '0';
      }
      if (!digits) return fail(at + " is not a number");
      // 0, 00, 000, 0000 or 000000: the whole genotype is missing, whatever
      // the width of the file's codes, which it neither sets nor breaks.
      if (zeros && (g.size() <= 4 || g.size() == 6)) {
        pop.codes.push_back(0);
        pop.codes.push_back(0);
        continue;
      }
      if (g.size() != 4 && g.size() != 6)
        return fail(at + " has " + std::to_string(g.size()) +
                    " digits; a diploid genotype has 4 (two-digit codes) or 6 (three-digit codes)");
      int digits_per_code = static_cast<int>(g.size() / 2);
      if (out.code_digits == 0) {
        out.code_digits = digits_per_code;
        width_line = number;
      } else if (digits_per_code != out.code_digits) {
        return fail(at + " has " + std::to_string(g.size()) + " digits where the file's genotypes have " +
                    std::to_string(2 * out.code_digits) + " (line " + std::to_string(width_line) + ")");
      }
      pop.codes.push_back(static_cast<uint16_t>(std::stoi(g.substr(0, digits_per_code))));
      pop.codes.push_back(static_cast<uint16_t>(std::stoi(g.substr(digits_per_code))));
    }
  }
  if (in.bad()) return fail("cannot read the file");
  status closed = close_population();
  if (!closed) return closed;
  *file = std::move(out);
  return status::ok();
}

status read_genepop_file(const std::string& path, genepop_file* file) {
  if (path == "-") return read_genepop(std::cin, "standard input", file);
  // A directory opens for reading and fails only at the first read.
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    return status(fault_kind::input, path + ": cannot open the file: " + std::strerror(EISDIR));
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return status(fault_kind::input, path + ": cannot open the file: " + std::strerror(errno));
  return read_genepop(in, path, file);
}

}  // namespace drevel
