#include "annotate/pipe_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace drevel {
namespace internal {

pipe_output::~pipe_output() { abandon(); }

status pipe_output::open(const std::string& path) {
  abandon();
  failed_ = false;
  fault_ = status::ok();
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return status(fault_kind::resource, std::strerror(errno));
  status opened = file_.open(path);
  if (!opened) {
    ::close(ends[0]);
    ::close(ends[1]);
    return opened;
  }
  file_.remove_on_exit();
  read_fd_ = ends[0];
  write_fd_ = ends[1];
  copier_ = std::thread(&pipe_output::copy, this);
  return status::ok();
}

void pipe_output::fail(status fault) {
  if (failed_) return;
  fault_ = std::move(fault);
  failed_ = true;
}

void pipe_output::copy() {
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(read_fd_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {  // cannot happen on a pipe we hold both ends of
      fail(status(fault_kind::output, std::strerror(errno)));
      return;
    }
    if (n == 0) return;
    if (failed_) continue;
    status written = file_.write(buffer, static_cast<size_t>(n));
    if (!written) fail(std::move(written));
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

status pipe_output::commit() {
  status finished = finish();
  if (!finished) return finished;
  return publish();
}

// After stop() the copier is gone: fault_ is this thread's.
status pipe_output::finish() {
  stop();
  if (failed_) {
    file_.abandon();
    return fault_;
  }
  status finished = file_.finish();
  if (!finished) fail(finished);
  return finished;
}

status pipe_output::publish() {
  status published = file_.publish();
  if (!published) fail(published);
  return published;
}

void pipe_output::abandon() {
  stop();
  file_.abandon();
}

}  // namespace internal
}  // namespace drevel
