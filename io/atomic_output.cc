#include "io/atomic_output.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "io/output_path.h"

namespace drevel {

namespace {

const size_t buffer_limit = 1 << 16;
// The signals whose default action ends the process without a core of
// the program's own making: interrupts, a closed pipe, a file size limit,
// a user's signal, an abort (an uncaught exception).  SIGSEGV and the like
// are left to their default (and to the sanitizers' handlers).
const int fatal_signals[] = {SIGINT,  SIGTERM, SIGHUP,  SIGQUIT, SIGPIPE, SIGXFSZ,
                             SIGXCPU, SIGUSR1, SIGUSR2, SIGALRM, SIGABRT};

// Temporary files to remove when the process ends early.  Plain arrays: they
// are read from a signal handler, on any thread, and from an exit handler,
// both of which may run after static destructors.  A slot's state goes
// 0 (free) -> 2 (being filled) -> 1 (name valid) -> 0.
struct cleanup_slot {
  std::atomic<int> state;
  char name[PATH_MAX];
};
const int slot_count = 8;
cleanup_slot slots[slot_count];

void remove_registered() {
  for (cleanup_slot& s : slots)
    if (s.state.load() == 1) ::unlink(s.name);
}

void on_fatal_signal(int sig) {
  remove_registered();
  ::signal(sig, SIG_DFL);
  ::raise(sig);
}

void install_handlers() {
  static std::atomic<bool> installed{false};
  if (installed.exchange(true)) return;
  std::atexit(remove_registered);
  for (int sig : fatal_signals) {
    struct sigaction old;
    if (::sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = on_fatal_signal;
    sigemptyset(&action.sa_mask);
    ::sigaction(sig, &action, nullptr);
  }
}

int claim_slot(const std::string& name) {
  if (name.size() >= PATH_MAX) return -1;
  for (int n = 0; n < slot_count; n++) {
    int free_state = 0;
    if (!slots[n].state.compare_exchange_strong(free_state, 2)) continue;
    std::memcpy(slots[n].name, name.c_str(), name.size() + 1);
    slots[n].state.store(1);
    return n;
  }
  return -1;
}

// Blocks the fatal signals on this thread for its lifetime, so that a
// temporary file is registered before a signal can end the process.
class signals_held {
 public:
  signals_held() {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : fatal_signals) sigaddset(&set, sig);
    ::pthread_sigmask(SIG_BLOCK, &set, &old_);
  }
  ~signals_held() { ::pthread_sigmask(SIG_SETMASK, &old_, nullptr); }

 private:
  sigset_t old_;
};

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

// The permissions of a file created now: 0666 less the umask.
mode_t new_file_mode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

atomic_output::~atomic_output() { abandon(); }

bool atomic_output::open(const std::string& path) {
  abandon();
  failed_ = false;
  buffer_.clear();
  output_target target;
  if (!resolve_output(path, &target)) return false;
  target_ = target.path;
  direct_ = target.kind == output_target::direct;
  if (direct_) {
    fd_ = target.descriptor >= 0
              ? ::fcntl(target.descriptor, F_DUPFD_CLOEXEC, 0)
              : ::open(target_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return fd_ >= 0;
  }
  size_t slash = target_.rfind('/');  // resolved paths are absolute
  std::string dir = target_.substr(0, slash + 1);
  long name_max = ::pathconf(dir.c_str(), _PC_NAME_MAX);
  std::string temp =
      temporary_name(dir, target_.substr(slash + 1), name_max > 0 ? name_max : NAME_MAX);
  {
    signals_held held;
    if (cleanup_) install_handlers();
    fd_ = ::mkostemp(&temp[0], O_CLOEXEC);
    if (fd_ < 0) return false;
    temp_ = temp;
    if (cleanup_) slot_ = claim_slot(temp_);
  }
  if (target.kind == output_target::replace) {
    // As sed -i: the owner and group where allowed (a failure is no error),
    // then the permission bits, which a change of owner may have cleared.
    if (::fchown(fd_, target.uid, target.gid) != 0) {
      int group_only = ::fchown(fd_, static_cast<uid_t>(-1), target.gid);
      (void)group_only;
    }
    if (::fchmod(fd_, target.mode) != 0) failed_ = true;
  } else if (::fchmod(fd_, new_file_mode()) != 0) {
    failed_ = true;
  }
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

bool atomic_output::commit() { return finish() && publish(); }

bool atomic_output::finish() {
  if (fd_ < 0) return false;
  bool ok = flush();
  if (::close(fd_) != 0) ok = false;
  fd_ = -1;
  if (ok) {
    finished_ = true;
    return true;
  }
  int saved = errno;
  abandon();
  errno = saved;
  return false;
}

bool atomic_output::publish() {
  if (!finished_) return false;
  finished_ = false;
  if (direct_) return true;
  if (::rename(temp_.c_str(), target_.c_str()) == 0) {
    unregister();
    temp_.clear();
    return true;
  }
  int saved = errno;
  abandon();
  errno = saved;
  return false;
}

void atomic_output::abandon() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  finished_ = false;
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    unregister();
    temp_.clear();
  }
}

void atomic_output::unregister() {
  if (slot_ >= 0) slots[slot_].state.store(0);
  slot_ = -1;
}

void atomic_output::remove_on_exit() {
  cleanup_ = true;
  if (temp_.empty() || slot_ >= 0) return;
  signals_held held;
  install_handlers();
  slot_ = claim_slot(temp_);
}

}  // namespace drevel
