#include "io/atomic_output.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace drevel {

namespace {

const size_t buffer_limit = 1 << 16;

// The temporary files to remove when the process ends early, one slot per
// output that asked.  Plain arrays: they are read from a signal handler and
// from an exit handler, both of which may run after static destructors.
const int pending_slots = 4;
char pending_temp[pending_slots][4096];
volatile sig_atomic_t pending[pending_slots] = {0, 0, 0, 0};

void remove_pending() {
  for (int s = 0; s < pending_slots; s++) {
    if (pending[s]) ::unlink(pending_temp[s]);
    pending[s] = 0;
  }
}

void on_fatal_signal(int sig) {
  remove_pending();
  ::signal(sig, SIG_DFL);
  ::raise(sig);
}

void install_handlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  std::atexit(remove_pending);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = on_fatal_signal;
    sigemptyset(&action.sa_mask);
    ::sigaction(sig, &action, nullptr);
  }
}

bool write_all(int fd, const char* p, size_t left) {
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

atomic_output::~atomic_output() { abandon(); }

bool atomic_output::open(const std::string& path) {
  abandon();
  failed_ = false;
  buffer_.clear();
  path_ = path;
  struct stat st;
  direct_ = ::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
  if (direct_) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    return fd_ >= 0;
  }
  size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  temp_ = dir + "." + base + ".XXXXXX";
  fd_ = ::mkstemp(&temp_[0]);
  if (fd_ < 0) return false;
  mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(fd_, 0666 & ~mask) != 0) failed_ = true;
  return true;
}

bool atomic_output::flush() {
  if (!failed_ && !write_all(fd_, buffer_.data(), buffer_.size())) failed_ = true;
  buffer_.clear();
  return !failed_;
}

bool atomic_output::write(const char* data, size_t n) {
  if (fd_ < 0 || failed_) return false;
  buffer_.append(data, n);
  return buffer_.size() < buffer_limit || flush();
}

bool atomic_output::commit() {
  if (fd_ < 0) return false;
  bool ok = flush();
  if (::close(fd_) != 0) ok = false;
  fd_ = -1;
  if (direct_) return ok;
  if (ok && ::rename(temp_.c_str(), path_.c_str()) == 0) {
    if (registered_) pending[slot_] = 0;
    registered_ = false;
    temp_.clear();
    return true;
  }
  abandon();
  return false;
}

void atomic_output::abandon() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) {
    if (registered_) pending[slot_] = 0;
    registered_ = false;
    ::unlink(temp_.c_str());
    temp_.clear();
  }
}

void atomic_output::remove_on_exit() {
  if (registered_ || temp_.empty() || temp_.size() >= sizeof pending_temp[0]) return;
  int slot = 0;
  while (slot < pending_slots && pending[slot]) slot++;
  if (slot == pending_slots) return;
  install_handlers();
  std::memcpy(pending_temp[slot], temp_.c_str(), temp_.size() + 1);
  pending[slot] = 1;
  slot_ = slot;
  registered_ = true;
}

}  // namespace drevel
