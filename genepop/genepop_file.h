// A Genepop file read whole: its title, its loci and, population by
// population, every individual's two allele codes at each locus.
//
// The format: a title line; the locus names, one a line or comma-separated
// (any mix of both) up to the first Pop line; then each population opened
// by a line "Pop" (any case), followed by one line per individual,
//   name , genotype genotype ...
// with one genotype per locus, separated by white space: two allele codes of
// two digits each (0412) or three digits each (004012), the same width in
// the whole file.  A code of zeros is missing, and a genotype written as 0,
// 00 or 000 is missing altogether.  Blank lines are ignored.
#ifndef DREVEL_GENEPOP_GENEPOP_FILE_H
#define DREVEL_GENEPOP_GENEPOP_FILE_H

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "fault/status.h"

namespace drevel {

struct genepop_population {
  // The text after "Pop" on the population's line (trimmed; empty when
  // none), as common files name their populations there.
  std::string name;
  std::string first_individual;  // the name of its first individual, as written
  int64_t individuals = 0;
  // individuals x loci x 2 allele codes, row by row (0: missing).
  std::vector<uint16_t> codes;
};

struct genepop_file {
  std::string title;
  std::vector<std::string> loci;
  int code_digits = 0;  // 2 or 3; 0 when every genotype is missing
  std::vector<genepop_population> populations;
};

// Reads a Genepop file from in into *file; name names it in messages.
// Returns a fault of kind input, with the one-line message "name: line N:
// ..." (no line end), for a file with no title, no locus, no Pop line, a
// population without individuals, an individual line without its comma, a
// genotype that is not a number or not of the file's width, or more or
// fewer genotypes than loci; *file is then untouched.
status read_genepop(std::istream& in, const std::string& name, genepop_file* file);

// The same for the file at path, "-" for standard input; a file that cannot
// be opened or read is a fault of kind input too.
status read_genepop_file(const std::string& path, genepop_file* file);

}  // namespace drevel

#endif
