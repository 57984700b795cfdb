// Result formatting and the replace-only-when-complete file write.
#include "app/result_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

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

static bool write_all(int fd, const std::string& text) {
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

static int write_directly(const std::string& path, const std::string& text) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (fd < 0) return 1;
  bool ok = write_all(fd, text);
  if (::close(fd) != 0) ok = false;
  return ok ? 0 : 2;
}

int write_file_atomically(const std::string& path, const std::string& text) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return write_directly(path, text);

  size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string temp = dir + "." + base + ".XXXXXX";
  int fd = ::mkstemp(&temp[0]);
  if (fd < 0) return 1;

  mode_t mask = ::umask(0);
  ::umask(mask);
  bool ok = ::fchmod(fd, 0666 & ~mask) == 0 && write_all(fd, text);
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(temp.c_str(), path.c_str()) == 0) return 0;
  ::unlink(temp.c_str());
  return 2;
}

}  // namespace drevel
