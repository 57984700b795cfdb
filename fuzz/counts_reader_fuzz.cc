// The count-table reader on any text (written to a file, as it reads
// files), and each record it gives through the batch computation with few
// draws: refusals name the file and line, records hold one group whose
// counts fit their alleles, computed groups have E in [0, 1].
#include <unistd.h>

#include <cstdio>
#include <string>

#include "counts/counts_reader.h"
#include "fuzz/fuzz_target.h"
#include "sites/site_evidence.h"

using namespace drevel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/drevel_counts_fuzz." + std::to_string(::getpid());
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) fuzz_failure("cannot write the input file");
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  counts_reader reader;
  counts_read_options options;
  options.max_alleles = 8;
  status opened = reader.open(path, options);
  if (!opened) {
    if (opened.message().compare(0, path.size() + 2, path + ": ") != 0)
      fuzz_failure("a refusal that does not name the file");
    return 0;
  }
  tuning_request tuning;
  tuning.minmc = 50;
  tuning.maxmc = 200;
  site_record site;
  status got;
  bool at_end = false;
  for (int records = 0; records < 64 && (got = reader.next(&site, &at_end)) && !at_end;
       records++) {
    if (site.groups.size() != 1) fuzz_failure("a record without its one group");
    const group_counts& g = site.groups[0];
    const size_t t = g.tested.size();
    if (!g.counts.empty() && g.counts.size() != t * (t + 1) / 2)
      fuzz_failure("counts that do not fit the tested alleles");
    if (site.labels.size() != reader.layout().labels.size())
      fuzz_failure("labels that do not fit the layout");
    site_evidence evidence = compute_site_evidence(site, tuning, 8);
    for (const group_evidence& e : evidence.groups)
      if (e.outcome == site_outcome::computed && !(e.E >= 0 && e.E <= 1))
        fuzz_failure("E outside [0, 1]");
  }
  if (!got && got.message().compare(0, path.size() + 7, path + ": line ") != 0)
    fuzz_failure("a fault that does not name the file and line");
  return 0;
}
