// The value of --samples: comma-separated names, or @file with one name a
// line; and the comma-separated lists of the command line.
#ifndef DREVEL_APP_SAMPLE_LIST_H
#define DREVEL_APP_SAMPLE_LIST_H

#include <string>
#include <vector>

namespace drevel {

// The sample names of a --samples value: the comma-separated names, or the
// lines of the file after "@" (a trailing carriage return is dropped, empty
// lines are skipped).  Returns false with a one-line message in *error when
// the file cannot be read, the list is empty or a name is given twice.
bool read_sample_list(const std::string& value, std::vector<std::string>* names,
                      std::string* error);

// The parts of text between the separators, empty ones included: "a,,b"
// gives a, "" and b; an empty text gives one empty part.
std::vector<std::string> split_list(const std::string& text, char separator);

}  // namespace drevel

#endif
