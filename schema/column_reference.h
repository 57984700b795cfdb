// The reference of the computed columns, written from the schema's
// descriptions for each place that shows it: --help, the README's
// reference (Markdown) and the manual page (troff).  The documents hold the
// text between marker lines, and a test holds them to these functions, so
// the columns are described once.
#ifndef DREVEL_SCHEMA_COLUMN_REFERENCE_H
#define DREVEL_SCHEMA_COLUMN_REFERENCE_H

#include <string>

namespace drevel {

enum class reference_format {
  help,      // "  NAME        meaning" wrapped at 79 columns
  markdown,  // a table "| column | meaning |" with one row per column
  troff,     // ".TP\n.B NAME\nmeaning\n" per column
};

// Every computed column and its meaning, then the ALLELES column of Genepop
// tables, in `format`; the text ends with a line end.
std::string column_reference(reference_format format);

// The lines that enclose the generated text in the documents.
constexpr const char markdown_begin[] = "<!-- columns: generated from schema/table_schema.cc -->";
constexpr const char markdown_end[] = "<!-- end of columns -->";
constexpr const char troff_begin[] = ".\\\" columns: generated from schema/table_schema.cc";
constexpr const char troff_end[] = ".\\\" end of columns";

}  // namespace drevel

#endif
