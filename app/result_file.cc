// Result formatting and the replace-only-when-complete file write.
#include "app/result_file.h"

#include <cstdio>

#include "io/atomic_output.h"

namespace drevel {

static void append(std::string& out, const char* format, double v) {
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, format, v);
  out.append(buf, static_cast<size_t>(n));
}

std::string format_result(double E, double L_max, double L_hyp, const double* m,
                          const double* h, int c) {
  std::string out;
  append(out, "%9e \n", E);
  append(out, "%e \n", L_max);
  append(out, "%e\n", L_hyp);
  for (int n = 1; n <= c; n++) {
    append(out, "%9e\t", m[n]);
    out += n < c ? "\t" : "\n";
  }
  for (int n = 1; n <= c; n++) {
    append(out, "%9e", h[n]);
    out += n < c ? "\t" : "\n";
  }
  return out;
}

int write_file_atomically(const std::string& path, const std::string& text) {
  atomic_output out;
  if (!out.open(path)) return 1;
  if (!out.write(text) || !out.commit()) return 2;
  return 0;
}

}  // namespace drevel
