// A reader of the sites of a batch input, whatever its format: what the
// batch run pulls its records from.
#ifndef DREVEL_SITES_SITE_SOURCE_H
#define DREVEL_SITES_SITE_SOURCE_H

#include <string>
#include <vector>

#include "sites/site_record.h"

namespace drevel {

class site_source {
 public:
  virtual ~site_source() = default;
  // Reads the next site into *site, reusing its buffers.  Returns 1 for a
  // site, 0 at the end of the input, -1 with a one-line message in *error
  // (no line end) naming the file and the place in it.
  virtual int next(site_record* site, std::string* error) = 0;
  // The warnings (one line each, no line end) found since the last call,
  // oldest first; the source forgets them.
  virtual std::vector<std::string> take_warnings() { return {}; }
};

}  // namespace drevel

#endif
