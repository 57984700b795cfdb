// The picture mode of a build without cairo.
#include <cstdio>

#include "app/plot_main.h"

namespace drevel {

int plot_main(const command_line&) {
  std::fputs(
      "drevel was built without cairo; install libcairo2-dev and pkg-config and rebuild to draw "
      "pictures\n",
      stderr);
  return 1;
}

}  // namespace drevel
