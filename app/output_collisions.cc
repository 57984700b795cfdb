#include "app/output_collisions.h"

#include "io/output_path.h"

namespace drevel {

bool check_output_collisions(const run_file& out, const std::vector<run_file>& others,
                             std::string* error) {
  for (const run_file& other : others)
    if (same_target(out.path, other.path)) {
      *error = out.path + ": " + out.role + " would overwrite " + other.role + " (" +
               other.path + "); name another file";
      return false;
    }
  return true;
}

}  // namespace drevel
