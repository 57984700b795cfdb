// An output that a batch run writes its computed sites to besides its table,
// whatever its format (the annotated VCF of --annotate).
#ifndef DREVEL_SITES_SITE_SINK_H
#define DREVEL_SITES_SITE_SINK_H

#include <string>

#include "fault/status.h"
#include "sites/site_evidence.h"

namespace drevel {

class site_sink {
 public:
  virtual ~site_sink() = default;
  // Takes the next computed site, in the order of the input.  A fault, with
  // a one-line message (no line end), when it cannot be written; the run
  // then stops.
  virtual status write(const site_record& site, const site_evidence& evidence) = 0;
  // True when what the sink keeps for the sites in flight has grown so large
  // that the run should take sites back before it reads more.
  virtual bool holding_too_much() const { return false; }
  // Completes the output once every site is written: the target appears
  // only now.  A fault, with a one-line message; the target is then left as
  // it was.
  virtual status commit() = 0;
};

}  // namespace drevel

#endif
