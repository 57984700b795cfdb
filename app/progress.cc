#include "app/progress.h"

#include <unistd.h>

#include <cinttypes>
#include <cstdio>

namespace drevel {

progress_line::progress_line()
    : enabled_(::isatty(STDERR_FILENO) == 1), start_(clock::now()), last_(start_) {}

void progress_line::update(uint64_t done) {
  if (!enabled_) return;
  clock::time_point now = clock::now();
  if (now - last_ < std::chrono::seconds(1)) return;
  last_ = now;
  double seconds = std::chrono::duration<double>(now - start_).count();
  // "\033[K" clears what a longer earlier line left behind.
  std::fprintf(stderr, "\r%" PRIu64 " sites done, %.1f sites/s\033[K", done,
               seconds > 0 ? static_cast<double>(done) / seconds : 0.0);
  std::fflush(stderr);
  shown_ = true;
}

void progress_line::finish() {
  if (!shown_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  shown_ = false;
}

}  // namespace drevel
