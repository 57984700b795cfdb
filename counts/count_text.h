// The numbers of the count tables as text: counts are decimal digits only
// (no sign, no point, no exponent), lists are comma-separated counts.
#ifndef DREVEL_COUNTS_COUNT_TEXT_H
#define DREVEL_COUNTS_COUNT_TEXT_H

#include <cstdint>
#include <string>
#include <vector>

namespace drevel {

// The tab-separated fields of a line, empty ones included.
void split_tabs(const std::string& line, std::vector<std::string>* fields);

// The count in text[begin, end); false when it is not one or overflows.
bool read_count(const std::string& text, size_t begin, size_t end, int64_t* value);
bool read_count(const std::string& text, int64_t* value);

// A comma-separated list of counts; false when any item is not a count.
bool read_counts(const std::string& text, std::vector<int64_t>* values);

// Past this many calls a count is no longer exact as the computation's
// double, so a row's counts must stay within it.
constexpr int64_t largest_call_total = int64_t{1} << 53;

// Adds v to *total; false when the sum would pass largest_call_total.
bool add_to_total(int64_t v, int64_t* total);

}  // namespace drevel

#endif
