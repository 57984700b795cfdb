// The table reader of --plot on any bytes, every row it gives into what the
// picture shows: reads, refusals with the file's name, rows in line order
// with evidence in [0, 1] and counts that are counts, and names that the
// picture's text makes valid UTF-8 once and for all.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_target.h"
#include "plot/display_text.h"
#include "plot/plot_content.h"
#include "plot/result_table.h"

using namespace drevel;

namespace {

void check_text(const std::string& text) {
  const std::string shown = displayable_utf8(text);
  if (displayable_utf8(shown) != shown) fuzz_failure("displayable text that is not valid UTF-8");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = fuzz_input_file(data, size);

  result_table_reader reader;
  status read = reader.open(path);
  if (!read) {
    if (read.message().compare(0, path.size(), path) != 0)
      fuzz_failure("a refusal that does not name the file");
    return 0;
  }
  plot_content content(reader.kind(), 64, 8);
  table_row row;
  uint64_t last_line = 1;  // the header's
  bool at_end = false;
  while ((read = reader.next(&row, &at_end)) && !at_end) {
    if (row.line <= last_line) fuzz_failure("rows out of line order");
    last_line = row.line;
    if (row.has_evidence && !(row.evidence >= 0 && row.evidence <= 1))
      fuzz_failure("evidence outside [0, 1]");
    if (row.has_two_allele_counts)
      for (double c : row.counts)
        if (!(c >= 0) || !std::isfinite(c)) fuzz_failure("a count that is no count");
    check_text(row.group);
    check_text(row.group_first);
    content.add(row);
  }
  if (!read && read.message().compare(0, path.size(), path) != 0)
    fuzz_failure("a failure that does not name the file");
  content.finish();
  if (content.drawn_rows() > content.rows()) fuzz_failure("more rows drawn than read");
  return 0;
}
