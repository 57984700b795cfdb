// The options of a run that choose how the Monte Carlo estimate is computed.
// They never change the result file: both engines give the same bytes for
// every number of threads.
#ifndef DREVEL_APP_RUN_OPTIONS_H
#define DREVEL_APP_RUN_OPTIONS_H

#include <string>

namespace drevel {

enum class mc_engine { fast, literal };

struct run_options {
  mc_engine engine = mc_engine::fast;
  int threads = 0;  // 0: one per core
};

// The number of threads a run uses: options.threads, or the number of cores
// when it is 0.
int run_threads(const run_options& options);

// Takes "--engine fast|literal", "--engine=...", "--threads N" and
// "--threads=N" out of argv (argc shrinks; the other arguments keep their
// order) into *options.  Returns an empty string, or the message for a bad
// value or a missing one.
std::string take_run_options(int* argc, char** argv, run_options* options);

}  // namespace drevel

#endif
