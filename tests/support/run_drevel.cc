#include "support/run_drevel.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

static std::string quote(const std::string& s) {
  std::string q = "'";
  for (char ch : s) q += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
  return q + "'";
}

// The build's own paths, unless the environment names others.
static std::string env(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return v ? v : fallback;
}

std::string make_temp_dir() {
  std::string templ = "/tmp/drevel_test_XXXXXX";
  if (!mkdtemp(&templ[0])) throw std::runtime_error("mkdtemp failed");
  return templ;
}

void write_text(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary);
  f << text;
}

std::string read_text(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

bool file_exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> dir_entries(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = opendir(dir.c_str());
  if (!d) return names;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(d);
  return names;
}

std::string source_path(const std::string& relative) { return env("DREVEL_SOURCE", DREVEL_SOURCE_DIR) + "/" + relative; }

run_result run_drevel(const std::vector<std::string>& args, const std::string& stdin_path) {
  std::string dir = make_temp_dir();
  std::string cmd = quote(env("DREVEL_BIN", DREVEL_BIN_PATH));
  for (const auto& a : args) cmd += " " + quote(a);
  cmd += stdin_path.empty() ? " </dev/null" : " <" + quote(stdin_path);
  cmd += " >" + quote(dir + "/out") + " 2>" + quote(dir + "/err");
  int raw = std::system(cmd.c_str());
  run_result r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = read_text(dir + "/out");
  r.err = read_text(dir + "/err");
  int removed = std::system(("rm -rf " + quote(dir)).c_str());
  (void)removed;
  return r;
}
