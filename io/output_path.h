// Where an output file really goes: symbolic links followed to the file they
// name, so that a result replaces the link's target and the link stays; the
// temporary name beside it; and whether an output would overwrite an input.
#ifndef DREVEL_IO_OUTPUT_PATH_H
#define DREVEL_IO_OUTPUT_PATH_H

#include <sys/types.h>

#include <string>

#include "fault/status.h"

namespace drevel {

struct output_target {
  enum kind_t {
    new_file,  // nothing there yet: created at `path`
    replace,   // a regular file at `path`, replaced by rename
    direct,    // not a regular file (device, pipe, terminal, an open
               // descriptor's /dev/stdout or /proc/self/fd/N name): written in place
  } kind = new_file;
  // new_file and replace: the real location, every link in it followed, in a
  // directory named by its canonical path; direct: the path as given.
  std::string path;
  // direct, for a name of one of this process's open descriptors
  // (/dev/stdout, /dev/fd/N, /proc/self/fd/N): N, written through a copy of
  // the descriptor so that its offset and append mode hold; else -1.
  int descriptor = -1;
  // replace: the existing file's permission bits, owner and group.
  mode_t mode = 0;
  uid_t uid = 0;
  gid_t gid = 0;
};

// Follows path through its symbolic links (at most 40).  A link that names
// nothing yet (a dangling link) gives a new file at the place it names.
// Links through /proc (the names of an open descriptor) are not followed:
// what they reach is written in place, as the caller's descriptor would be.
// A fault of kind output when a directory on the way does not exist or
// cannot be searched, or the links loop; its message is the system's reason
// as strerror words it ("No such file or directory"), for the caller to put
// after its own words naming the file.  *target is then unspecified.
status resolve_output(const std::string& path, output_target* target);

// The name of a temporary file for the regular file `base` in directory
// `dir` (which ends in "/", or is empty for the current directory):
// dir + "." + base + ".XXXXXX", the base cut short (at a UTF-8 character
// boundary) where the whole name would exceed name_max bytes.  The X's are
// for mkstemp.
std::string temporary_name(const std::string& dir, const std::string& base, long name_max);

// True when both paths exist and name the same file (the same device and
// inode, links followed), so that writing the output would replace the
// input.  "-" (standard input or output) is never the same as anything.
bool same_file(const std::string& input, const std::string& output);

// True when writing the output `output` would write over the file `other`
// names (an input, or another output of the same run), whether either
// exists yet or not: both resolve, links followed, to the same place, or
// both exist as the same file (the same device and inode: a hard link, or
// a device named twice).  "-" (standard input or output) is never the same
// as anything.
bool same_target(const std::string& output, const std::string& other);

}  // namespace drevel

#endif
