// The command line of every mode, parsed by one parser:
//   drevel [--engine fast|literal] [--threads N] <inputfile> <outputfile>
//   drevel --vcf [options] <input> <output>
//   drevel --genepop [options] <input> <output>
//   drevel --bed (or --bfile) [options] <prefix> <output>
//   drevel --counts [options] <table> <output>
//   drevel --plot <table> <picture>
// Options may stand before, between or after the file names, as
// "--name value" or "--name=value"; --help and --version anywhere win over
// everything else.
#ifndef DREVEL_APP_OPTIONS_H
#define DREVEL_APP_OPTIONS_H

#include <string>
#include <vector>

#include "sites/site_evidence.h"

namespace drevel {

enum class run_mode { classic, vcf, genepop, bed, counts, plot, help, version };

// How the batch modes run their sites' Monte Carlo: many sites at once
// through the batch engine (the default), or site after site on a pool of
// threads.  Both give the same table, byte for byte; --engine literal
// always runs site after site.
enum class site_engine_choice { batch, per_site };

struct command_line {
  run_mode mode = run_mode::classic;
  // The arguments that are not options, in order.  Every mode needs exactly
  // two: the classic run refuses others with its usage line, the batch
  // modes ("-" for standard input or output) and --plot here.
  std::vector<std::string> files;
  bool verbose = false;  // --verbose: what the run chose, on stderr
  int threads = 0;  // 0: one per core this process may run on
  // The batch modes.
  std::vector<std::string> regions;  // empty: the whole file
  bool regions_by_pos = false;  // --regions-overlap pos: a site is in a region by its POS
  bool have_samples = false;
  std::string samples;  // as given: comma-separated names, or "@" and a file name
  std::string groups;   // --groups: the file of samples and their groups; empty: none
  bool declared_alleles = false;  // --declared-alleles: test every declared allele
  bool joint = false;  // --joint: joint rows across groups (or populations and loci)
  tuning_request tuning;  // tuning.engine is the engine of every mode
  int max_alleles = default_max_alleles;
  // --vcf --annotate FILE: the input's records with the evidence in INFO
  // fields (empty: none); --write-index: with its index.
  std::string annotate;
  bool write_index = false;
  site_engine_choice site_engine = site_engine_choice::batch;  // --site-engine
};

// Parses argv[1..argc).  Returns true and fills *cl, or false with a
// one-line description of the usage error in *error (no line end): an
// unknown option, a missing or bad value, an option the mode does not take,
// or (batch modes) not exactly two file names.
bool parse_command_line(int argc, char** argv, command_line* cl, std::string* error);

// The largest --threads value.
constexpr int max_threads = 1024;

// The number of cores this process may run on (its affinity mask), at least
// 1 and at most max_threads.
int available_cores();

// cl.threads, or available_cores() when it is 0.
int thread_count(const command_line& cl);

}  // namespace drevel

#endif
