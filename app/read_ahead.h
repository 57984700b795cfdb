// The first sites of a batch input, read before the run starts its
// threads: a run of two sites needs no more than two threads, and each
// thread costs megabytes of state whatever its work.
#ifndef DREVEL_APP_READ_AHEAD_H
#define DREVEL_APP_READ_AHEAD_H

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "sites/site_source.h"

namespace drevel {

class read_ahead_source : public site_source {
 public:
  // Reads from `source`, which must outlive this object.
  explicit read_ahead_source(site_source& source) : source_(source) {}

  // Reads sites until `jobs` work items (a site's groups, at least one a
  // site) are held, the source ends or fails, or held_too_much() says the
  // source keeps too much for the sites read (the annotated file's
  // records).  Returns the work items held; ended() tells whether the
  // source ended or failed among them.
  size_t fill(size_t jobs, const std::function<bool()>& held_too_much);
  bool ended() const { return ended_; }

  // The sites read ahead, then the source's; each site's warnings with it,
  // and the source's end or failure where it came.
  status next(site_record* site, bool* at_end) override;
  std::vector<std::string> take_warnings() override;

 private:
  struct entry {
    status read;          // the source's fault, or ok
    bool at_end = false;  // the source's end (with read ok)
    site_record site;     // the site, when read is ok and not at_end
    std::vector<std::string> warnings;
  };
  site_source& source_;
  std::deque<entry> held_;
  std::vector<std::string> warnings_;  // of the last site given
  bool ended_ = false;
};

}  // namespace drevel

#endif
