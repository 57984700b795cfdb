// The Genepop reader on any text, and each record it gives through the
// batch computation with few draws: records consistent with their file,
// computed groups with E in [0, 1].
#include <sstream>
#include <string>

#include "fuzz/fuzz_target.h"
#include "genepop/genepop_file.h"
#include "genepop/genepop_sites.h"
#include "sites/site_evidence.h"

using namespace drevel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  genepop_file file;
  const status read = read_genepop(in, "input", &file);
  if (!read) {
    if (read.message().compare(0, 7, "input: ") != 0)
      fuzz_failure("a refusal that does not name the file");
    return 0;
  }
  genepop_sites sites(std::move(file), 8);
  tuning_request tuning;
  tuning.minmc = 50;
  tuning.maxmc = 200;
  site_record site;
  bool at_end = false;
  for (int records = 0; records < 64 && sites.next(&site, &at_end) && !at_end; records++) {
    if (site.groups.size() != 1) fuzz_failure("a Genepop record without its one group");
    const group_counts& g = site.groups[0];
    if (g.tested.size() > static_cast<size_t>(site.k)) fuzz_failure("more tested alleles than codes");
    if (site.allele_names.size() != static_cast<size_t>(site.k))
      fuzz_failure("allele codes and k disagree");
    site_evidence evidence = compute_site_evidence(site, tuning, 8);
    for (const group_evidence& e : evidence.groups)
      if (e.outcome == site_outcome::computed && !(e.E >= 0 && e.E <= 1))
        fuzz_failure("E outside [0, 1]");
  }
  return 0;
}
