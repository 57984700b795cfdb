// The classic two-file run of given counts, through the built binary: what
// every batch row is compared with.
#ifndef DREVEL_TESTS_SUPPORT_CLASSIC_RUN_H
#define DREVEL_TESTS_SUPPORT_CLASSIC_RUN_H

#include <map>
#include <string>
#include <vector>

// The evidence, L_max and L_hyp lines of the result file of
// `drevel in out` for k alleles, the lower-triangle counts and the tuning
// line ("0 0 0" for the defaults), trailing spaces removed, as the batch
// tables print them.  Writes its files in dir.
std::vector<std::string> classic_values(const std::string& dir, int k,
                                        const std::vector<int>& counts,
                                        const std::string& tuning = "0 0 0");

// Splits text at every separator (a trailing empty part is dropped).
std::vector<std::string> split(const std::string& text, char separator);

// The columns of a table's row by the header line's names.
std::map<std::string, std::string> named(const std::string& header_line, const std::string& row);

#endif
