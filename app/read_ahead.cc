#include "app/read_ahead.h"

#include <utility>

namespace drevel {

size_t read_ahead_source::fill(size_t jobs, const std::function<bool()>& held_too_much) {
  size_t held = 0;
  while (!ended_ && held < jobs && !(held_too_much && held_too_much())) {
    entry e;
    e.status = source_.next(&e.site, &e.error);
    e.warnings = source_.take_warnings();
    if (e.status == 1) held += e.site.groups.empty() ? 1 : e.site.groups.size();
    else ended_ = true;
    held_.push_back(std::move(e));
  }
  return held;
}

int read_ahead_source::next(site_record* site, std::string* error) {
  if (held_.empty()) {
    warnings_.clear();
    return source_.next(site, error);
  }
  entry& e = held_.front();
  int status = e.status;
  if (status == 1) *site = std::move(e.site);
  if (status < 0) *error = e.error;
  warnings_ = std::move(e.warnings);
  // The end stays for a caller that asks again.
  if (status == 1) held_.pop_front();
  return status;
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
