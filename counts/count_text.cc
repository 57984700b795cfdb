#include "counts/count_text.h"

#include <charconv>

namespace drevel {

void split_tabs(const std::string& line, std::vector<std::string>* fields) {
  fields->clear();
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    fields->push_back(line.substr(start, tab == std::string::npos ? tab : tab - start));
    if (tab == std::string::npos) return;
    start = tab + 1;
  }
}

bool read_count(const std::string& text, size_t begin, size_t end, int64_t* value) {
  if (begin >= end || text[begin] < '0' || text[begin] > '9') return false;
  auto r = std::from_chars(text.data() + begin, text.data() + end, *value);
  return r.ec == std::errc() && r.ptr == text.data() + end;
}

bool read_count(const std::string& text, int64_t* value) {
  return read_count(text, 0, text.size(), value);
}

bool read_counts(const std::string& text, std::vector<int64_t>* values) {
  values->clear();
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(',', start);
    size_t end = comma == std::string::npos ? text.size() : comma;
    int64_t v;
    if (!read_count(text, start, end, &v)) return false;
    values->push_back(v);
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

bool add_to_total(int64_t v, int64_t* total) {
  if (v > largest_call_total - *total) return false;
  *total += v;
  return true;
}

}  // namespace drevel
