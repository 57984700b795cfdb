#include "app/read_ahead.h"

#include <utility>

namespace drevel {

size_t read_ahead_source::fill(size_t jobs, const std::function<bool()>& held_too_much) {
  size_t held = 0;
  while (!ended_ && held < jobs && !(held_too_much && held_too_much())) {
    entry e;
    e.read = source_.next(&e.site, &e.at_end);
    e.warnings = source_.take_warnings();
    if (e.read && !e.at_end) held += e.site.groups.empty() ? 1 : e.site.groups.size();
    else ended_ = true;
    held_.push_back(std::move(e));
  }
  return held;
}

status read_ahead_source::next(site_record* site, bool* at_end) {
  if (held_.empty()) {
    warnings_.clear();
    return source_.next(site, at_end);
  }
  entry& e = held_.front();
  *at_end = e.at_end;
  warnings_ = std::move(e.warnings);
  // The end or the fault stays for a caller that asks again.
  if (!e.read || e.at_end) return e.read;
  *site = std::move(e.site);
  held_.pop_front();
  return status::ok();
}

std::vector<std::string> read_ahead_source::take_warnings() {
  if (!warnings_.empty() || !held_.empty()) {
    std::vector<std::string> out;
    out.swap(warnings_);
    return out;
  }
  return source_.take_warnings();
}

}  // namespace drevel
