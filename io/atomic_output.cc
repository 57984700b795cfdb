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

// errno as the system words it, or `otherwise` when it is not set.
status system_fault(const char* otherwise) {
  return status(fault_kind::output, errno ? std::strerror(errno) : otherwise);
}

status write_all(int fd, const char* p, size_t left) {
  while (left > 0) {
    errno = 0;
    ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return system_fault("a write wrote nothing");
    p += n;
    left -= static_cast<size_t>(n);
  }
  return status::ok();
}

// The permissions of a file created now: 0666 less the umask.
mode_t new_file_mode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

atomic_output::~atomic_output() { abandon(); }

status atomic_output::open(const std::string& path) {
  abandon();
  fault_ = status::ok();
  buffer_.clear();
  output_target target;
  status resolved = resolve_output(path, &target);
  if (!resolved) return resolved;
  target_ = target.path;
  direct_ = target.kind == output_target::direct;
  if (direct_) {
    fd_ = target.descriptor >= 0
              ? ::fcntl(target.descriptor, F_DUPFD_CLOEXEC, 0)
              : ::open(target_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return fd_ >= 0 ? status::ok() : system_fault("cannot open the file");
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
    if (fd_ < 0) return system_fault("cannot create the temporary file");
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
    // Without the target's permissions the rename would change them: the
    // output then fails at its first write, before anything is replaced.
    if (::fchmod(fd_, target.mode) != 0) fault_ = system_fault("cannot set the permissions");
  } else if (::fchmod(fd_, new_file_mode()) != 0) {
    fault_ = system_fault("cannot set the permissions");
  }
  return status::ok();
}

status atomic_output::flush() {
  if (fault_.is_ok()) fault_ = write_all(fd_, buffer_.data(), buffer_.size());
  buffer_.clear();
  return fault_;
}

status atomic_output::write(const char* data, size_t n) {
  if (!fault_.is_ok()) return fault_;
  if (fd_ < 0) return status(fault_kind::output, "the output is not open");
  buffer_.append(data, n);
  if (buffer_.size() < buffer_limit) return status::ok();
  return flush();
}

status atomic_output::commit() {
  status finished = finish();
  if (!finished) return finished;
  return publish();
}

status atomic_output::finish() {
  if (fd_ < 0) return status(fault_kind::output, "the output is not open");
  status done = flush();
  errno = 0;
  if (::close(fd_) != 0 && done.is_ok()) done = system_fault("cannot close the file");
  fd_ = -1;
  if (done.is_ok()) {
    finished_ = true;
    return done;
  }
  abandon();
  return done;
}

status atomic_output::publish() {
  if (!finished_) return status(fault_kind::output, "the output is not finished");
  finished_ = false;
  if (direct_) return status::ok();
  errno = 0;
  if (::rename(temp_.c_str(), target_.c_str()) == 0) {
    unregister();
    temp_.clear();
    return status::ok();
  }
  status renamed = system_fault("cannot rename the temporary file");
  abandon();
  return renamed;
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
