// The command line of the VCF mode:
//   drevel --vcf [--threads N] [--regions LIST] [--samples LIST|@FILE]
//                [--precision P] [--minmc N] [--maxmc N] [--engine fast|literal]
//                [--max-alleles K]
//                <input> <output>
// Options may come before, between or after the two file names, as
// "--name value" or "--name=value".
#ifndef DREVEL_APP_VCF_OPTIONS_H
#define DREVEL_APP_VCF_OPTIONS_H

#include <string>
#include <vector>

#include "app/site_evidence.h"

namespace drevel {

struct vcf_options {
  std::string input, output;  // "-" for standard input / output
  int threads = 0;            // 0: the number of cores available
  std::vector<std::string> regions;  // empty: the whole file
  bool have_samples = false;
  std::string samples;  // as given: comma-separated names, or "@" and a file name
  tuning_request tuning;
  int max_alleles = default_max_alleles;
};

// Parses the arguments after the program name ("--vcf" itself is skipped
// wherever it stands).  Returns true and fills *options, or returns false
// with a one-line description of the usage error in *error (no line end).
bool parse_vcf_options(int argc, char** argv, vcf_options* options, std::string* error);

// The number of cores this process may run on, at least 1.
int available_cores();

// The sample names of a --samples value: the comma-separated names, or the
// lines of the file after "@" (a trailing carriage return is dropped, empty
// lines are skipped).  Returns false with a one-line message in *error when
// the file cannot be read, the list is empty or a name is given twice.
bool read_sample_list(const std::string& value, std::vector<std::string>* names,
                      std::string* error);

}  // namespace drevel

#endif
