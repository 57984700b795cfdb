#include "fault/status.h"

namespace drevel {

const char* fault_kind_name(fault_kind kind) {
  switch (kind) {
    case fault_kind::none: return "ok";
    case fault_kind::usage: return "usage";
    case fault_kind::input: return "input";
    case fault_kind::output: return "output";
    case fault_kind::resource: return "resource";
    case fault_kind::interrupted: return "interrupted";
  }
  return "?";
}

}  // namespace drevel
