// The columns are described once: the README's reference and the manual
// page hold, between their marker lines, exactly what the schema writes.
// On a mismatch the test prints the text to put there.
#include "schema/column_reference.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

using namespace drevel;

namespace {

std::string read_file(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The text between the line `begin` and the line `end`; "(no markers)" when
// either is missing.
std::string between(const std::string& text, const std::string& begin, const std::string& end) {
  size_t a = text.find(begin + "\n");
  if (a == std::string::npos) return "(no markers)";
  a += begin.size() + 1;
  size_t b = text.find(end + "\n", a);
  if (b == std::string::npos) return "(no markers)";
  return text.substr(a, b - a);
}

}  // namespace

TEST(column_reference, the_documents_describe_the_columns_as_the_schema_does) {
  const std::string root = DREVEL_SOURCE_DIR;
  // The reference is in the README or in docs/reference.md.
  int found = 0;
  for (const char* doc : {"/README.md", "/docs/reference.md"}) {
    const std::string text = read_file(root + doc);
    if (text.find(markdown_begin) == std::string::npos) continue;
    found++;
    EXPECT_EQ(between(text, markdown_begin, markdown_end),
              column_reference(reference_format::markdown))
        << doc;
  }
  EXPECT_EQ(found, 1) << "the Markdown column reference, once, in README.md or docs/reference.md";
  EXPECT_EQ(between(read_file(root + "/docs/drevel.1"), troff_begin, troff_end),
            column_reference(reference_format::troff));
}
