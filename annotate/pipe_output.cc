#include "annotate/pipe_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace drevel {
namespace internal {

pipe_output::~pipe_output() { abandon(); }

bool pipe_output::open(const std::string& path) {
  abandon();
  failed_ = false;
  errno_ = 0;
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return false;
  if (!file_.open(path)) {
    int saved = errno;
    ::close(ends[0]);
    ::close(ends[1]);
    errno = saved;
    return false;
  }
  file_.remove_on_exit();
  read_fd_ = ends[0];
  write_fd_ = ends[1];
  copier_ = std::thread(&pipe_output::copy, this);
  return true;
}

void pipe_output::copy() {
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(read_fd_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {  // cannot happen on a pipe we hold both ends of
      errno_ = errno;
      failed_ = true;
      return;
    }
    if (n == 0) return;
    if (failed_) continue;
    errno = 0;
    if (!file_.write(buffer, static_cast<size_t>(n))) {
      errno_ = errno;
      failed_ = true;
    }
  }
}

// Closes the pipe's end and waits for the thread to read to its end.
void pipe_output::stop() {
  if (write_fd_ >= 0) ::close(write_fd_);
  write_fd_ = -1;
  if (copier_.joinable()) copier_.join();
  if (read_fd_ >= 0) ::close(read_fd_);
  read_fd_ = -1;
}

bool pipe_output::commit() { return finish() && publish(); }

bool pipe_output::finish() {
  stop();
  if (failed_) {
    file_.abandon();
    return false;
  }
  errno = 0;
  if (!file_.finish()) {
    if (errno) errno_ = errno;
    failed_ = true;
    return false;
  }
  return true;
}

bool pipe_output::publish() {
  errno = 0;
  if (!file_.publish()) {
    if (errno) errno_ = errno;
    failed_ = true;
    return false;
  }
  return true;
}

void pipe_output::abandon() {
  stop();
  file_.abandon();
}

}  // namespace internal
}  // namespace drevel
