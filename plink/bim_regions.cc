#include "plink/bim_regions.h"

#include <charconv>

namespace drevel {

namespace {

bool read_position(const std::string& text, int64_t* value) {
  const char* end = text.data() + text.size();
  auto r = std::from_chars(text.data(), end, *value);
  return r.ec == std::errc() && r.ptr == end && *value >= 1;
}

}  // namespace

status parse_bim_regions(const std::vector<std::string>& items, std::vector<bim_region>* out) {
  out->clear();
  for (const std::string& item : items) {
    bim_region r;
    size_t colon = item.rfind(':');
    r.chrom = item.substr(0, colon);
    bool ok = !r.chrom.empty();
    if (ok && colon != std::string::npos) {
      std::string range = item.substr(colon + 1);
      size_t dash = range.find('-');
      ok = read_position(range.substr(0, dash), &r.begin);
      if (ok && dash == std::string::npos) r.end = r.begin;
      if (ok && dash != std::string::npos && dash + 1 < range.size())
        ok = read_position(range.substr(dash + 1), &r.end) && r.end >= r.begin;
    }
    if (!ok)
      return status(fault_kind::usage, "--regions: cannot read '" + item +
                                           "' (chr, chr:pos or chr:begin-end)");
    out->push_back(r);
  }
  return status::ok();
}

bool in_bim_regions(const std::vector<bim_region>& regions, const std::string& chrom,
                    int64_t first, int64_t last) {
  for (const bim_region& r : regions)
    if (r.chrom == chrom && first <= r.end && last >= r.begin) return true;
  return false;
}

}  // namespace drevel
