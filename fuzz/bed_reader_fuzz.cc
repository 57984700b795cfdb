// The PLINK reader on any .fam, .bim and .bed (one input holds the three,
// separated by NUL bytes, the .bed last), and each record it gives through
// the batch computation with few draws: refusals and faults name one of
// the three files, records have the .bed's alleles and calls no more than
// the .fam's samples, computed groups have E in [0, 1].
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz/fuzz_target.h"
#include "plink/bed_reader.h"
#include "sites/site_evidence.h"

using namespace drevel;

namespace {

void write_file(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) fuzz_failure("cannot write an input file");
  std::fwrite(data, 1, size, f);
  std::fclose(f);
}

bool names_a_file(const std::string& message, const std::string& prefix) {
  for (const char* suffix : {".bed: ", ".bim: ", ".fam: "})
    if (message.compare(0, prefix.size() + 6, prefix + suffix) == 0) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string prefix = "/tmp/drevel_bed_fuzz." + std::to_string(::getpid());
  const uint8_t* end = data + size;
  const uint8_t* fam_end = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  if (!fam_end) return 0;
  const uint8_t* bim_end =
      static_cast<const uint8_t*>(std::memchr(fam_end + 1, 0, static_cast<size_t>(end - fam_end - 1)));
  if (!bim_end) return 0;
  write_file(prefix + ".fam", data, static_cast<size_t>(fam_end - data));
  write_file(prefix + ".bim", fam_end + 1, static_cast<size_t>(bim_end - fam_end - 1));
  write_file(prefix + ".bed", bim_end + 1, static_cast<size_t>(end - bim_end - 1));

  bed_reader reader;
  bed_read_options options;
  options.max_alleles = 8;
  status opened = reader.open(prefix, options);
  if (!opened) {
    if (!names_a_file(opened.message(), prefix)) fuzz_failure("a refusal that names no file");
    return 0;
  }
  int64_t samples = 0;
  for (const uint8_t* p = data; p < fam_end; p++) samples += *p == '\n';
  tuning_request tuning;
  tuning.minmc = 50;
  tuning.maxmc = 200;
  site_record site;
  status got;
  bool at_end = false;
  for (int records = 0; records < 64 && (got = reader.next(&site, &at_end)) && !at_end;
       records++) {
    if (site.groups.size() != 1 || site.labels.size() != 5) fuzz_failure("a malformed record");
    const group_counts& g = site.groups[0];
    if (site.k < 1 || site.k > 2 || g.tested.size() > 2) fuzz_failure("more than two alleles");
    if (g.called + g.skipped > samples + 1) fuzz_failure("more calls than samples");
    site_evidence evidence = compute_site_evidence(site, tuning, 8);
    for (const group_evidence& e : evidence.groups)
      if (e.outcome == site_outcome::computed && !(e.E >= 0 && e.E <= 1))
        fuzz_failure("E outside [0, 1]");
  }
  if (!got && !names_a_file(got.message(), prefix)) fuzz_failure("a fault that names no file");
  return 0;
}
