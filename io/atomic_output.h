// A file that replaces its target only once it is complete: the text goes to
// a temporary file beside the target, which is renamed over the target at
// commit.  Used for the result file, the batch tables and the pictures.
#ifndef DREVEL_IO_ATOMIC_OUTPUT_H
#define DREVEL_IO_ATOMIC_OUTPUT_H

#include <cstddef>
#include <string>

#include "fault/status.h"

namespace drevel {

// Every fault below is of kind output, and its message is the system's
// reason as strerror words it ("No space left on device"), for the caller
// to put after its own words naming the file; where the system gave none,
// a few words that say what failed.

class atomic_output {
 public:
  atomic_output() = default;
  atomic_output(const atomic_output&) = delete;
  atomic_output& operator=(const atomic_output&) = delete;
  // An output that was opened and not committed is abandoned.
  ~atomic_output();

  // Opens path.  Symbolic links are followed (io/output_path.h), so a link
  // keeps pointing at a file that the result replaces.  A regular file or a
  // new path is written through a temporary file ".<name>.XXXXXX" in the
  // target's directory (the name cut short where it would pass the file
  // system's limit on a name's length).  A replaced file keeps its
  // permissions, and its owner and group where the process may set them, as
  // `sed -i` does, read-only ones included; a new file gets the permissions
  // a newly created file gets.  What is not a regular file (a device, a
  // pipe, a terminal) is written directly, truncated; a name of one of the
  // process's open descriptors (/dev/stdout, /dev/fd/N) through a copy of
  // that descriptor, so that a shell's `>>` still appends.  A fault when
  // the file cannot be opened; nothing is printed.
  status open(const std::string& path);

  // The open file's descriptor (-1 when none), for a library that writes
  // the file itself (htslib, through a dup() of it or the name
  // "/dev/fd/<n>"): such a writer must not be mixed with write(), and must
  // have closed its copies, and said whether its writes failed, before
  // finish or commit.  The output keeps owning it.
  int descriptor() const { return fd_; }

  // Appends n bytes (buffered).  Once any write has failed, every later one
  // returns that first fault.
  status write(const char* data, size_t n);
  status write(const std::string& text) { return write(text.data(), text.size()); }

  // Flushes, closes and renames the temporary file over the target:
  // finish(), then publish().  A fault when a write, the close or the
  // rename failed; the temporary file is then removed and the target left
  // as it was.
  status commit();

  // The two halves of commit, for a run with several outputs that must all
  // be complete before any of them appears.  finish() flushes and closes:
  // every write that can fail (a full disk, a quota) fails here, and a
  // direct output is then done.  publish() renames the finished temporary
  // file over the target (nothing for a direct output).  Each returns a
  // fault on failure, the temporary file then removed and the target left
  // as it was; publish() fails unless finish() succeeded.
  status finish();
  status publish();

  // Closes and removes the temporary file; the target is left as it was.
  void abandon();

  // Asks that the temporary file also be removed when the process exits
  // without committing (exit from any thread) or is ended by SIGINT, SIGTERM,
  // SIGHUP, SIGQUIT, SIGPIPE, SIGXFSZ, SIGXCPU, SIGUSR1, SIGUSR2, SIGALRM or
  // SIGABRT (an abort, an uncaught exception), from now until commit or
  // abandon.  Called before open, it
  // covers the temporary file from the moment it exists.  A signal that the
  // process ignores (nohup, a background job) stays ignored.  Up to eight
  // outputs at a time are covered.
  void remove_on_exit();

 private:
  status flush();
  void unregister();
  int fd_ = -1;
  status fault_;  // the first write's fault
  bool direct_ = false;
  bool finished_ = false;  // finish() succeeded; publish() may rename
  bool cleanup_ = false;  // remove_on_exit was asked for
  int slot_ = -1;         // the clean-up slot of temp_, or -1
  std::string target_, temp_, buffer_;
};

}  // namespace drevel

#endif
