// A file written by a library that writes to a file descriptor (htslib)
// that still appears only once complete: the library writes into a pipe,
// and a thread of this object copies what comes out of it into an
// atomic_output (io/atomic_output.h).  Memory stays at the pipe's and the
// output's buffers, however large the file.
#ifndef DREVEL_ANNOTATE_PIPE_OUTPUT_H
#define DREVEL_ANNOTATE_PIPE_OUTPUT_H

#include <atomic>
#include <string>
#include <thread>

#include "fault/status.h"
#include "io/atomic_output.h"

namespace drevel {
namespace internal {

class pipe_output {
 public:
  pipe_output() = default;
  pipe_output(const pipe_output&) = delete;
  pipe_output& operator=(const pipe_output&) = delete;
  // Abandons an output not committed.
  ~pipe_output();

  // Opens path as atomic_output::open does, asks it to remove its temporary
  // file when the process ends early, and starts the copying thread.  A
  // fault when the file or the pipe cannot be made, its message the
  // system's reason as atomic_output's are; nothing is then left behind.
  status open(const std::string& path);

  // The pipe's end to write the file's bytes to; the output owns it.  A
  // writer that wants a descriptor of its own (one it closes) takes a dup()
  // of it or opens "/dev/fd/<fd>"; every such copy must be closed before
  // finish, commit or abandon, which wait for the pipe's end.
  int fd() const { return write_fd_; }

  // True once a write into the file has failed (the copying goes on, into
  // nothing, so that the writer never blocks); fault() then tells why, with
  // the system's reason as atomic_output words it.  fault() is ok until
  // failed() is true; read it on the writer's thread only after that.
  bool failed() const { return failed_.load(); }
  const status& fault() const { return fault_; }

  // Closes the pipe's end, waits until everything written reached the file,
  // then renames it over the target.  A fault (also kept in fault()) when a
  // write, the close or the rename failed; the target is then left as it
  // was and nothing else remains.
  status commit();

  // The two halves of commit, as atomic_output has them: finish() closes
  // the pipe's end, waits for the copy and completes the temporary file
  // (where a full disk shows); publish() renames it over the target.  Each
  // returns a fault as commit does, the target then left as it was.
  status finish();
  status publish();

  // Closes the pipe's end, waits for the thread and removes the temporary
  // file; the target is left as it was.
  void abandon();

 private:
  void copy();
  void stop();
  // Keeps the first fault; the copier sets it before failed_, so that a
  // thread that sees failed_ sees it whole.
  void fail(status fault);
  int read_fd_ = -1, write_fd_ = -1;
  std::thread copier_;
  std::atomic<bool> failed_{false};
  status fault_;
  atomic_output file_;
};

}  // namespace internal
}  // namespace drevel

#endif
