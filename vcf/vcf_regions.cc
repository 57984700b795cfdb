#include "vcf/vcf_regions.h"

#include <algorithm>

namespace drevel {

namespace {

// The name lookup behind hts_parse_region, remembering the name asked for.
struct name_lookup {
  bcf_hdr_t* hdr;
  tbx_t* tbx;
  std::string last_name;
};

int lookup_name(void* data, const char* name) {
  auto* l = static_cast<name_lookup*>(data);
  l->last_name = name;
  return l->tbx ? tbx_name2id(l->tbx, name) : bcf_hdr_name2id(l->hdr, name);
}

std::vector<region_interval> merged(std::vector<region_interval> list) {
  std::sort(list.begin(), list.end(), [](const region_interval& a, const region_interval& b) {
    return a.tid != b.tid ? a.tid < b.tid : a.beg < b.beg;
  });
  std::vector<region_interval> out;
  for (const auto& r : list) {
    if (!out.empty() && out.back().tid == r.tid && r.beg <= out.back().end)
      out.back().end = std::max(out.back().end, r.end);
    else
      out.push_back(r);
  }
  return out;
}

}  // namespace

bool parse_regions(const std::vector<std::string>& items, const std::string& path,
                   bcf_hdr_t* hdr, tbx_t* tbx, std::vector<region_interval>* intervals,
                   std::string* error) {
  name_lookup lookup{hdr, tbx, ""};
  std::vector<region_interval> list;
  for (const auto& item : items) {
    region_interval r;
    lookup.last_name.clear();
    const char* end = hts_parse_region(item.c_str(), &r.tid, &r.beg, &r.end, lookup_name,
                                       &lookup, HTS_PARSE_ONE_COORD);
    if (end && *end == '\0') {
      list.push_back(r);
      continue;
    }
    if (!end && r.tid == -1 && tbx && !lookup.last_name.empty() &&
        bcf_hdr_name2id(hdr, lookup.last_name.c_str()) >= 0)
      continue;
    if (!end && r.tid == -1)
      *error = path + ": region '" + item + "' names a sequence that the file does not have";
    else
      *error = "--regions: cannot read the region '" + item +
               "' (use chr, chr:pos or chr:begin-end)";
    return false;
  }
  *intervals = merged(list);
  return true;
}

}  // namespace drevel
