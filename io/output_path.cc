#include "io/output_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace drevel {

namespace {

const int max_links = 40;  // as the kernel's own limit on a path's links

bool under_proc(const std::string& dir) { return dir == "/proc" || dir.compare(0, 6, "/proc/") == 0; }

// The text of the link at path; false with errno on failure.
bool read_link(const std::string& path, std::string* text) {
  std::vector<char> buf(256);
  for (;;) {
    ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
    if (n < 0) return false;
    if (static_cast<size_t>(n) < buf.size()) {
      text->assign(buf.data(), static_cast<size_t>(n));
      return true;
    }
    if (buf.size() > 1 << 20) {
      errno = ENAMETOOLONG;
      return false;
    }
    buf.resize(buf.size() * 2);
  }
}

// N when dir/base is /proc/<this process>/fd/N, else -1.
int own_descriptor(const std::string& dir, const std::string& base) {
  if (dir != "/proc/" + std::to_string(::getpid()) + "/fd") return -1;
  if (base.empty() || base.size() > 9 || base.find_first_not_of("0123456789") != std::string::npos)
    return -1;
  return std::atoi(base.c_str());
}

// The fault for errno as the system tells it.
status system_fault() {
  return status(fault_kind::output, errno ? std::strerror(errno) : "cannot follow the path");
}

}  // namespace

status resolve_output(const std::string& given, output_target* target) {
  target->descriptor = -1;
  std::string p = given;
  bool direct = false;
  for (int hop = 0; hop <= max_links; hop++) {
    size_t slash = p.rfind('/');
    std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : p.substr(0, slash);
    std::string base = slash == std::string::npos ? p : p.substr(slash + 1);
    char* real = ::realpath(dir.c_str(), nullptr);
    if (!real) return system_fault();
    std::string canonical = real;
    std::free(real);
    if (under_proc(canonical)) {  // an open descriptor's name: write what it reaches
      direct = true;
      target->descriptor = own_descriptor(canonical, base);
      break;
    }
    std::string full = (canonical == "/" ? "/" : canonical + "/") + base;
    struct stat st;
    if (::lstat(full.c_str(), &st) != 0) {
      if (errno != ENOENT) return system_fault();
      target->kind = output_target::new_file;
      target->path = full;
      return status::ok();
    }
    if (S_ISLNK(st.st_mode)) {
      std::string link;
      if (!read_link(full, &link)) return system_fault();
      if (link.empty()) return status(fault_kind::output, std::strerror(ENOENT));
      p = link[0] == '/' ? link : (canonical == "/" ? "/" : canonical + "/") + link;
      continue;
    }
    if (!S_ISREG(st.st_mode)) {
      direct = true;
      break;
    }
    target->kind = output_target::replace;
    target->path = full;
    target->mode = st.st_mode & 07777;
    target->uid = st.st_uid;
    target->gid = st.st_gid;
    return status::ok();
  }
  // Not a regular file, or reached through /proc; or the links never end.
  if (!direct) return status(fault_kind::output, std::strerror(ELOOP));
  target->kind = output_target::direct;
  target->path = given;
  return status::ok();
}

std::string temporary_name(const std::string& dir, const std::string& base, long name_max) {
  const std::string suffix = ".XXXXXX";
  long room = name_max - 1 - static_cast<long>(suffix.size());
  std::string kept = base;
  if (room > 0 && static_cast<long>(kept.size()) > room) {
    size_t cut = static_cast<size_t>(room);
    // Never end the kept part inside a multi-byte character.
    while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80) cut--;
    kept = base.substr(0, cut);
  } else if (room <= 0) {
    kept.clear();
  }
  return dir + "." + kept + suffix;
}

bool same_file(const std::string& input, const std::string& output) {
  if (input == "-" || output == "-") return false;
  struct stat in, out;
  if (::stat(input.c_str(), &in) != 0 || ::stat(output.c_str(), &out) != 0) return false;
  // Only a regular file is replaced; a terminal or a pipe named twice is not
  // overwritten.
  return S_ISREG(in.st_mode) && S_ISREG(out.st_mode) && in.st_dev == out.st_dev &&
         in.st_ino == out.st_ino;
}

bool same_target(const std::string& output, const std::string& other) {
  if (output == "-" || other == "-") return false;
  struct stat a, b;
  if (::stat(output.c_str(), &a) == 0 && ::stat(other.c_str(), &b) == 0)
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
  // One of them not there yet: the same place once links are followed.
  output_target ta, tb;
  return resolve_output(output, &ta).is_ok() && resolve_output(other, &tb).is_ok() &&
         ta.kind != output_target::direct && tb.kind != output_target::direct &&
         ta.path == tb.path;
}

}  // namespace drevel
