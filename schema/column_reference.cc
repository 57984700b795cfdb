#include "schema/column_reference.h"

#include <sstream>
#include <vector>

#include "schema/table_schema.h"

namespace drevel {

namespace {

const char alleles_meaning[] = "(Genepop) the tested codes, increasing, comma-separated";

// Words of `text` in lines of at most `width` characters after `indent`.
std::vector<std::string> wrap(const std::string& text, size_t width) {
  std::vector<std::string> lines;
  std::istringstream words(text);
  std::string word, line;
  while (words >> word) {
    if (!line.empty() && line.size() + 1 + word.size() > width) {
      lines.push_back(line);
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

void add(reference_format format, const std::string& name, const std::string& meaning,
         std::string* out) {
  switch (format) {
    case reference_format::help: {
      const size_t indent = 14;
      std::vector<std::string> lines = wrap(meaning, 79 - indent);
      std::string head = "  " + name;
      head.resize(indent, ' ');
      for (size_t n = 0; n < lines.size(); n++)
        *out += (n == 0 ? head : std::string(indent, ' ')) + lines[n] + "\n";
      break;
    }
    case reference_format::markdown:
      *out += "| " + name + " | " + meaning + " |\n";
      break;
    case reference_format::troff: {
      // A line that starts with a dot or a quote would be a request.
      std::string text = meaning;
      if (!text.empty() && (text[0] == '.' || text[0] == '\'')) text = "\\&" + text;
      std::string escaped;
      for (char ch : text) {
        if (ch == '\\') escaped += "\\e";
        else if (ch == '-') escaped += "\\-";
        else escaped += ch;
      }
      *out += ".TP\n.B " + name + "\n" + escaped + "\n";
      break;
    }
  }
}

}  // namespace

std::string column_reference(reference_format format) {
  std::string out;
  if (format == reference_format::markdown) out += "| column | meaning |\n|---|---|\n";
  for (const column_description& d : computed_columns()) add(format, d.name, d.meaning, &out);
  add(format, alleles_column, alleles_meaning, &out);
  return out;
}

}  // namespace drevel
