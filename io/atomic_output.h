// A file that replaces its target only once it is complete: the text goes to
// a temporary file in the target's directory, which is renamed over the
// target at commit.  Used for the result file and for the VCF table.
#ifndef DREVEL_IO_ATOMIC_OUTPUT_H
#define DREVEL_IO_ATOMIC_OUTPUT_H

#include <cstddef>
#include <string>

namespace drevel {

class atomic_output {
 public:
  atomic_output() = default;
  atomic_output(const atomic_output&) = delete;
  atomic_output& operator=(const atomic_output&) = delete;
  // An output that was opened and not committed is abandoned.
  ~atomic_output();

  // Opens path.  A regular file or a new path is written through a temporary
  // file ".<name>.XXXXXX" in the same directory, with the permissions a
  // newly created file gets; any other kind of path (a symbolic link, a
  // device, a pipe) is written directly.  Returns false when the file could
  // not be opened (errno tells why); nothing is printed.
  bool open(const std::string& path);

  // Appends n bytes (buffered).  Returns false once any write has failed.
  bool write(const char* data, size_t n);
  bool write(const std::string& text) { return write(text.data(), text.size()); }

  // Flushes, closes and renames the temporary file over the target.  Returns
  // false when a write, the close or the rename failed; the temporary file
  // is then removed and the target left as it was.
  bool commit();

  // Closes and removes the temporary file; the target is left as it was.
  void abandon();

  // From now until commit or abandon, the temporary file is also removed when
  // the process exits without committing (exit from any thread) or is ended
  // by SIGINT, SIGTERM or SIGHUP.  Up to four outputs at a time may ask for
  // this (a table, an annotated file and its index); a fifth is not removed.
  void remove_on_exit();

 private:
  bool flush();
  int fd_ = -1;
  bool failed_ = false;
  bool direct_ = false;
  bool registered_ = false;
  int slot_ = 0;  // remove_on_exit's slot, while registered_
  std::string path_, temp_, buffer_;
};

}  // namespace drevel

#endif
