// Command-line options of the engine.
#include "app/run_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace drevel {

// One thread per core is plenty: the engine's work does not scale further.
static const int max_threads = 256;

int run_threads(const run_options& options) {
  if (options.threads > 0) return options.threads;
  unsigned n = std::thread::hardware_concurrency();
  if (n == 0) return 1;
  return n > static_cast<unsigned>(max_threads) ? max_threads : static_cast<int>(n);
}

static std::string set_option(const std::string& name, const char* value, run_options* options) {
  if (name == "--engine") {
    if (std::strcmp(value, "fast") == 0) {
      options->engine = mc_engine::fast;
    } else if (std::strcmp(value, "literal") == 0) {
      options->engine = mc_engine::literal;
    } else {
      return "drevel: --engine takes fast or literal, not '" + std::string(value) + "'\n";
    }
    return "";
  }
  char* end = nullptr;
  errno = 0;
  long n = std::strtol(value, &end, 10);
  if (*value == '\0' || *end != '\0' || errno != 0 || n < 1 || n > max_threads)
    return "drevel: --threads takes a whole number from 1 to 256, not '" + std::string(value) +
           "'\n";
  options->threads = static_cast<int>(n);
  return "";
}

std::string take_run_options(int* argc, char** argv, run_options* options) {
  int out = 1;
  for (int i = 1; i < *argc; i++) {
    std::string arg = argv[i];
    std::string name = arg.substr(0, arg.find('='));
    if (name != "--engine" && name != "--threads") {
      argv[out++] = argv[i];
      continue;
    }
    const char* value;
    if (name.size() < arg.size()) {
      value = argv[i] + name.size() + 1;
    } else if (i + 1 < *argc) {
      value = argv[++i];
    } else {
      return "drevel: " + name + " needs a value\n";
    }
    std::string message = set_option(name, value, options);
    if (!message.empty()) return message;
  }
  argv[out] = nullptr;
  *argc = out;
  return "";
}

}  // namespace drevel
