#include "vcf/vcf_regions.h"

#include <algorithm>
#include <cctype>

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

bool is_digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Whether item is what a comma inside a number leaves after it: three digits,
// alone or before "-" and the next number's first digits ("000", "000-2").
bool thousands_group(const std::string& item) {
  if (item.size() < 3 || !is_digit(item[0]) || !is_digit(item[1]) || !is_digit(item[2]))
    return false;
  if (item.size() == 3) return true;
  if (item[3] != '-' || item.size() == 4) return false;
  for (size_t n = 4; n < item.size(); n++)
    if (!is_digit(item[n])) return false;
  return true;
}

// Whether item n, which could not be read, is part of a position written
// with thousands separators ("1:1,000-2,000" split into "1:1", "000-2" and
// "000"): a run of thousands groups behind an item that ends in a position.
// The whole run is items [*from, *to).
bool split_number(const std::vector<std::string>& items, size_t n, size_t* from, size_t* to) {
  // Item n is a group, or the head of groups after it (a head such as
  // "1:100-1" may itself not read, its range reversed).
  if (!thousands_group(items[n]) && !(n + 1 < items.size() && thousands_group(items[n + 1])))
    return false;
  size_t first = n;
  while (first > 0 && thousands_group(items[first])) first--;
  const std::string& head = items[first];
  if (thousands_group(head) || head.find(':') == std::string::npos || !is_digit(head.back()))
    return false;
  size_t last = n + 1;
  while (last < items.size() && thousands_group(items[last])) last++;
  *from = first;
  *to = last;
  return true;
}

std::string joined(const std::vector<std::string>& items, size_t from, size_t to,
                   const char* separator) {
  std::string out;
  for (size_t n = from; n < to; n++) out += (n > from ? separator : "") + items[n];
  return out;
}

}  // namespace

status parse_regions(const std::vector<std::string>& items, const std::string& path,
                     bcf_hdr_t* hdr, tbx_t* tbx, std::vector<region_interval>* intervals) {
  name_lookup lookup{hdr, tbx, ""};
  std::vector<region_interval> list;
  for (size_t n = 0; n < items.size(); n++) {
    const std::string& item = items[n];
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
    size_t from, to;
    if (split_number(items, n, &from, &to))
      return status(fault_kind::usage,
                    "--regions: '" + joined(items, from, to, ",") +
                        "' reads as several regions, since commas separate regions: write "
                        "positions without thousands separators ('" +
                        joined(items, from, to, "") + "')");
    if (!end && r.tid == -1)
      return status(fault_kind::input,
                    path + ": region '" + item + "' names a sequence that the file does not have");
    return status(fault_kind::usage, "--regions: cannot read the region '" + item +
                                         "' (use chr, chr:pos or chr:begin-end)");
  }
  *intervals = merged(list);
  return status::ok();
}

}  // namespace drevel
