#include "support/run_drevel.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <thread>
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

std::string drevel_binary() { return env("DREVEL_BIN", DREVEL_BIN_PATH); }

pid_t start_drevel(const std::vector<std::string>& args, const std::vector<int>& ignored,
                   const std::string& err_path) {
  std::string bin = env("DREVEL_BIN", DREVEL_BIN_PATH);
  std::vector<std::string> words = {bin};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(&w[0]);
  argv.push_back(nullptr);
  std::string err = err_path.empty() ? "/dev/null" : err_path;
  pid_t pid = fork();
  if (pid != 0) return pid;
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) signal(sig, SIG_DFL);
  for (int sig : ignored) signal(sig, SIG_IGN);
  int null_in = open("/dev/null", O_RDONLY), null_out = open("/dev/null", O_WRONLY);
  int err_fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(null_in, 0);
  dup2(null_out, 1);
  dup2(err_fd, 2);
  execv(bin.c_str(), argv.data());
  _exit(127);
}

namespace {

using test_clock = std::chrono::steady_clock;

bool past(test_clock::time_point start, int limit_seconds) {
  return test_clock::now() - start > std::chrono::seconds(limit_seconds);
}

}  // namespace

int wait_drevel(pid_t pid, int limit_seconds) {
  test_clock::time_point start = test_clock::now();
  for (;;) {
    int status;
    if (waitpid(pid, &status, WNOHANG) == pid) return status;
    if (past(start, limit_seconds)) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

bool wait_for_entry(const std::string& dir, const std::string& prefix, pid_t pid,
                    int limit_seconds) {
  test_clock::time_point start = test_clock::now();
  for (;;) {
    for (const std::string& name : dir_entries(dir))
      if (name.compare(0, prefix.size(), prefix) == 0) return true;
    siginfo_t info;
    info.si_pid = 0;  // the process is left to wait_drevel to collect
    if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
        info.si_pid == pid)
      return false;
    if (past(start, limit_seconds)) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}
