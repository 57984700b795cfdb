#include "support/vcf_files.h"

#include <htslib/hts.h>
#include <htslib/tbx.h>
#include <htslib/vcf.h>

#include <cstring>
#include <stdexcept>

std::string vcf_text(const std::vector<std::string>& samples,
                     const std::vector<vcf_test_site>& sites) {
  std::string text =
      "##fileformat=VCFv4.2\n##contig=<ID=1,length=100000>\n##contig=<ID=2,length=100000>\n"
      "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
      "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT";
  for (const auto& s : samples) text += "\t" + s;
  text += "\n";
  for (const auto& site : sites) {
    text += site.chrom + "\t" + std::to_string(site.pos) + "\t.\t" + site.ref + "\t" + site.alt +
            "\t.\t.\t.\tGT";
    for (const auto& call : site.calls) text += "\t" + call;
    text += "\n";
  }
  return text;
}

void convert_vcf(const std::string& from, const std::string& to, const char* mode, bool index) {
  htsFile* in = hts_open(from.c_str(), "r");
  if (!in) throw std::runtime_error("cannot open " + from);
  bcf_hdr_t* hdr = bcf_hdr_read(in);
  htsFile* out = hts_open(to.c_str(), mode);
  if (!hdr || !out || bcf_hdr_write(out, hdr) != 0) throw std::runtime_error("cannot write " + to);
  bcf1_t* rec = bcf_init();
  while (bcf_read(in, hdr, rec) == 0)
    if (bcf_write(out, hdr, rec) != 0) throw std::runtime_error("cannot write " + to);
  bcf_destroy(rec);
  bcf_hdr_destroy(hdr);
  hts_close(in);
  if (hts_close(out) != 0) throw std::runtime_error("cannot close " + to);
  if (!index) return;
  int status = std::strcmp(mode, "wb") == 0 ? bcf_index_build(to.c_str(), 14)
                                             : tbx_index_build(to.c_str(), 0, &tbx_conf_vcf);
  if (status != 0) throw std::runtime_error("cannot index " + to);
}
