// The five-line result file.
#ifndef DREVEL_APP_RESULT_FILE_H
#define DREVEL_APP_RESULT_FILE_H

#include <string>

namespace drevel {

// The result text for c >= 1 cells:
//   "%9e \n%e \n%e\n" with E, L_max, L_hyp;
//   m(1..c), each "%9e\t", then "\t" between values and "\n" after the last;
//   h(1..c), each "%9e", then "\t" between values and "\n" after the last.
// m and h are genotype cell vectors read at 1..c.
std::string format_result(double E, double L_max, double L_hyp, const double* m,
                          const double* h, int c);

// Writes text to path so that an existing file there is replaced only by a
// complete one, through io/atomic_output (links followed, the replaced
// file's permissions kept, devices and pipes written directly).
// Returns 0 on success, 1 when the file could not be opened, 2 when a write
// or the close failed; nothing is printed.
int write_file_atomically(const std::string& path, const std::string& text);

}  // namespace drevel

#endif
