// The VCF reader on any bytes (text VCF, or BCF and bgzip when the input
// starts as they do), every site it gives through the batch computation
// with few draws: reads, refusals with the file's name, and counts that
// agree with the calls counted.
#include <string>

#include "fuzz/fuzz_target.h"
#include "sites/site_evidence.h"
#include "vcf/vcf_reader.h"

using namespace drevel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = fuzz_input_file(data, size);

  vcf_read_options options;
  options.max_alleles = 6;
  options.declared_alleles = size > 0 && data[0] % 2 == 0;
  vcf_reader reader;
  const status opened = reader.open(path, options);
  if (!opened) {
    if (opened.message().compare(0, path.size(), path) != 0)
      fuzz_failure("a refusal that does not name the file");
    return 0;
  }
  tuning_request tuning;
  tuning.minmc = 50;
  tuning.maxmc = 200;
  site_record site;
  bool at_end = false;
  for (int sites = 0; sites < 64 && reader.next(&site, &at_end) && !at_end; sites++) {
    for (const group_counts& g : site.groups) {
      double counted = 0;
      for (double x : g.counts) counted += x;
      if (!g.counts.empty() && counted != static_cast<double>(g.called)) fuzz_failure("counts and calls disagree");
    }
    site_evidence evidence = compute_site_evidence(site, tuning, 6);
    for (const group_evidence& e : evidence.groups)
      if (e.outcome == site_outcome::computed && !(e.E >= 0 && e.E <= 1))
        fuzz_failure("E outside [0, 1]");
  }
  return 0;
}
