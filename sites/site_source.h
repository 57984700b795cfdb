// A reader of the sites of a batch input, whatever its format: what the
// batch run pulls its records from.
#ifndef DREVEL_SITES_SITE_SOURCE_H
#define DREVEL_SITES_SITE_SOURCE_H

#include <string>
#include <vector>

#include "fault/status.h"
#include "sites/site_record.h"

namespace drevel {

class site_source {
 public:
  virtual ~site_source() = default;
  // Reads the next site into *site, reusing its buffers, and sets *at_end:
  // false for a site, true at the end of the input (*site then holds
  // nothing to use).  A fault, most often of kind input, has a one-line
  // message (no line end) naming the file and the place in it; after one,
  // ask for no more sites.
  virtual status next(site_record* site, bool* at_end) = 0;
  // The warnings (one line each, no line end) found since the last call,
  // oldest first; the source forgets them.
  virtual std::vector<std::string> take_warnings() { return {}; }
};

}  // namespace drevel

#endif
