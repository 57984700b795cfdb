#include "app/options.h"

#include "app/sample_list.h"

#include <sched.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <utility>

namespace drevel {

namespace {

// Which modes take an option.
enum : unsigned {
  classic = 1,
  vcf = 2,
  genepop = 4,
  plot = 8,
  bed = 16,
  counts = 32,
  batch = vcf | genepop | bed | counts,
  computing = classic | batch,
  every_mode = computing | plot
};

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

using apply_fn = bool (*)(const std::string& value, command_line* cl, std::string* error);

struct option_rule {
  const char* name;
  unsigned modes;
  apply_fn apply;  // null: a flag without a value, handled by the parser
};

bool bad(std::string* error, const std::string& message) {
  *error = message;
  return false;
}

const option_rule options[] = {
    {"--vcf", vcf, nullptr},
    {"--genepop", genepop, nullptr},
    {"--plot", plot, nullptr},
    {"--bed", bed, nullptr},
    {"--bfile", bed, nullptr},
    {"--counts", counts, nullptr},
    {"--help", every_mode, nullptr},
    {"--version", every_mode, nullptr},
    {"--verbose", every_mode, nullptr},
    {"--engine", computing,
     [](const std::string& v, command_line* cl, std::string* error) {
       if (v != "fast" && v != "literal")
         return bad(error, "--engine needs fast or literal, not '" + v + "'");
       cl->tuning.engine = v == "fast" ? mc_engine::fast : mc_engine::literal;
       return true;
     }},
    {"--site-engine", batch,
     [](const std::string& v, command_line* cl, std::string* error) {
       if (v != "batch" && v != "per-site")
         return bad(error, "--site-engine needs batch or per-site, not '" + v + "'");
       cl->site_engine = v == "batch" ? site_engine_choice::batch : site_engine_choice::per_site;
       return true;
     }},
    {"--threads", computing,
     [](const std::string& v, command_line* cl, std::string* error) {
       long long n;
       if (!parse_integer(v, 1, max_threads, &n))
         return bad(error, "--threads needs a whole number from 1 to " +
                               std::to_string(max_threads) + ", not '" + v + "'");
       cl->threads = static_cast<int>(n);
       return true;
     }},
    {"--regions", vcf | bed,
     [](const std::string& v, command_line* cl, std::string* error) {
       cl->regions = split_list(v, ',');
       for (const auto& r : cl->regions)
         if (r.empty())
           return bad(error, "--regions needs chr:begin-end items separated by commas, not '" +
                                 v + "'");
       return true;
     }},
    {"--regions-overlap", vcf | bed,
     [](const std::string& v, command_line* cl, std::string* error) {
       if (v != "pos" && v != "record")
         return bad(error, "--regions-overlap needs pos or record, not '" + v + "'");
       cl->regions_by_pos = v == "pos";
       return true;
     }},
    {"--samples", vcf | bed,
     [](const std::string& v, command_line* cl, std::string* error) {
       if (v.empty() || v == "@") return bad(error, "--samples needs comma-separated names or @file");
       cl->have_samples = true;
       cl->samples = v;
       return true;
     }},
    {"--groups", vcf | bed,
     [](const std::string& v, command_line* cl, std::string* error) {
       if (v.empty()) return bad(error, "--groups needs a file of sample and group names");
       cl->groups = v;
       return true;
     }},
    {"--declared-alleles", vcf | bed | counts, nullptr},
    {"--joint", vcf | bed | genepop, nullptr},
    {"--annotate", vcf,
     [](const std::string& v, command_line* cl, std::string* error) {
       if (v.empty() || v == "-")
         return bad(error, "--annotate needs a file name (.vcf, .vcf.gz or .bcf)");
       cl->annotate = v;
       return true;
     }},
    {"--write-index", vcf, nullptr},
    {"--precision", batch,
     [](const std::string& v, command_line* cl, std::string* error) {
       if (!parse_real(v, &cl->tuning.precision))
         return bad(error, "--precision needs a finite number, not '" + v + "'");
       return true;
     }},
    {"--minmc", batch,
     [](const std::string& v, command_line* cl, std::string* error) {
       long long n;
       if (!parse_integer(v, INT32_MIN, INT32_MAX, &n))
         return bad(error, "--minmc needs a whole number that fits in 32 bits, not '" + v + "'");
       cl->tuning.minmc = static_cast<int32_t>(n);
       return true;
     }},
    {"--maxmc", batch,
     [](const std::string& v, command_line* cl, std::string* error) {
       long long n;
       if (!parse_integer(v, INT32_MIN, INT32_MAX, &n))
         return bad(error, "--maxmc needs a whole number that fits in 32 bits, not '" + v + "'");
       cl->tuning.maxmc = static_cast<int32_t>(n);
       return true;
     }},
    {"--hwe-tables", batch,
     [](const std::string& v, command_line* cl, std::string* error) {
       long long n;
       if (!parse_integer(v, 100, 1000000000, &n) || n % 100 != 0)
         return bad(error, "--hwe-tables needs a multiple of 100 from 100 to 1000000000, not '" +
                               v + "'");
       cl->tuning.hwe_tables = n;
       return true;
     }},
    {"--max-alleles", batch,
     [](const std::string& v, command_line* cl, std::string* error) {
       long long n;
       if (!parse_integer(v, 1, largest_max_alleles, &n))
         return bad(error, "--max-alleles needs a whole number from 1 to " +
                               std::to_string(largest_max_alleles) + ", not '" + v + "'");
       cl->max_alleles = static_cast<int>(n);
       return true;
     }},
};

unsigned mode_bit(run_mode m) {
  switch (m) {
    case run_mode::vcf: return vcf;
    case run_mode::genepop: return genepop;
    case run_mode::plot: return plot;
    case run_mode::bed: return bed;
    case run_mode::counts: return counts;
    default: return classic;
  }
}

// The mode an option is for, for the message when another mode is given it.
std::string modes_of(unsigned modes) {
  const std::pair<unsigned, const char*> names[] = {
      {classic, "the two-file run"}, {vcf, "--vcf"}, {genepop, "--genepop"}, {bed, "--bed"},
      {counts, "--counts"}, {plot, "--plot"}};
  std::vector<std::string> taken;
  for (const auto& n : names)
    if (modes & n.first) taken.push_back(n.second);
  std::string out;
  for (size_t i = 0; i < taken.size(); i++)
    out += (i == 0 ? "" : i + 1 == taken.size() ? " and " : ", ") + taken[i];
  return out;
}

const option_rule* find_option(const std::string& name) {
  for (const option_rule& o : options)
    if (name == o.name) return &o;
  return nullptr;
}

}  // namespace

bool parse_command_line(int argc, char** argv, command_line* out, std::string* error) {
  // --help and --version anywhere, and the mode, first: what an option means
  // and whether it applies depends on them.
  command_line cl;
  for (int a = 1; a < argc; a++) {
    std::string arg = argv[a];
    if (arg == "--help" || arg == "-h") {
      out->mode = run_mode::help;
      return true;
    }
    if (arg == "--version") {
      out->mode = run_mode::version;
      return true;
    }
    run_mode chosen = arg == "--vcf"                       ? run_mode::vcf
                      : arg == "--genepop"                 ? run_mode::genepop
                      : arg == "--plot"                    ? run_mode::plot
                      : arg == "--bed" || arg == "--bfile" ? run_mode::bed
                      : arg == "--counts"                  ? run_mode::counts
                                                           : run_mode::classic;
    if (chosen == run_mode::classic) continue;
    if (cl.mode != run_mode::classic && cl.mode != chosen)
      return bad(error, "--vcf, --genepop, --bed, --counts and --plot exclude each other");
    cl.mode = chosen;
  }
  const unsigned mode = mode_bit(cl.mode);
  for (int a = 1; a < argc; a++) {
    std::string arg = argv[a];
    if (arg.size() < 2 || arg[0] != '-') {  // a file name, or "-"
      cl.files.push_back(arg);
      continue;
    }
    size_t equals = arg.find('=');
    std::string name = arg.substr(0, equals);
    const option_rule* rule = arg.compare(0, 2, "--") == 0 ? find_option(name) : nullptr;
    if (!rule) return bad(error, "unknown option '" + name + "'");
    if (!rule->apply && equals != std::string::npos) return bad(error, name + " takes no value");
    if (name == "--annotate" && mode == bed)
      return bad(error, "--annotate writes the input's VCF records back with the evidence; a "
                        ".bed has none (run --vcf on plink2 --export vcf output to annotate)");
    if (!(rule->modes & mode))
      return bad(error, name + " applies only to " + modes_of(rule->modes));
    if (!rule->apply) {
      if (name == "--verbose") cl.verbose = true;
      if (name == "--declared-alleles") cl.declared_alleles = true;
      if (name == "--write-index") cl.write_index = true;
      if (name == "--joint") cl.joint = true;
      continue;
    }
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else {
      if (a + 1 >= argc) return bad(error, name + " needs a value");
      value = argv[++a];
    }
    if (!rule->apply(value, &cl, error)) return false;
  }
  if (cl.mode == run_mode::plot && cl.files.size() != 2)
    return bad(error, "--plot needs a table and a picture file");
  if (cl.joint && (cl.mode == run_mode::vcf || cl.mode == run_mode::bed) && cl.groups.empty())
    return bad(error, "--joint combines the groups of --groups, which is missing");
  if (cl.write_index && cl.annotate.empty())
    return bad(error, "--write-index indexes the file of --annotate, which is missing");
  if (cl.mode != run_mode::classic && cl.files.size() != 2)
    return bad(error, modes_of(mode) +
                          " needs an input and an output file (use - for standard input or output)");
  *out = cl;
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

int thread_count(const command_line& cl) { return cl.threads > 0 ? cl.threads : available_cores(); }

}  // namespace drevel
