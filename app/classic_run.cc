#include "app/classic_run.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/classic_input.h"
#include "app/result_file.h"
#include "app/run.h"
#include "fast/fast_engine.h"
#include "io/atomic_output.h"
#include "io/output_path.h"
#include "numeric/nrutil.h"

namespace drevel {

namespace {

int fail(const std::string& message) {
  std::fputs(message.c_str(), stderr);
  return 1;
}

}  // namespace

int classic_main(const command_line& cl) {
  // A third name is most often a shell glob that matched one file too many:
  // writing the second would destroy an input, so it is a usage error.
  if (cl.files.size() != 2) {
    std::fputs("\nSINTAX: drevel <inputfile> <outputfile> \n", stderr);
    return 2;
  }
  const std::string& input_path = cl.files[0];
  const std::string& output_path = cl.files[1];

  std::string message;
  std::FILE* in = open_classic_input(input_path, &message);
  if (!in) return fail(message);
  classic_input input;
  int read = read_classic_input(in, classic_max_alleles, &input, &message);
  std::fclose(in);
  if (read != 0) return fail(message);
  if (same_file(input_path, output_path))
    return fail("ERROR: the output file is the input file: " + output_path + "\n");

  // The temporary file exists before the computation, so an output that
  // cannot be written fails at once, and is removed however the run ends.
  atomic_output out;
  out.remove_on_exit();
  const status opened = out.open(output_path);
  if (!opened)
    return fail("Error: unable to open output file\n" + output_path + ": " + opened.message() +
                "\n");

  const int c = input.c;
  double* m = vector(0, c);
  double* h = vector(0, c);
  m[0] = c;
  h[0] = c;
  double L_max, L_hyp, E;
  engine_choice engine;
  engine.engine = cl.tuning.engine;
  engine.threads = thread_count(cl);
  fast_stats stats;
  engine.stats = &stats;
  locus_fault fault;
  CalcEvidence(input.k, c, input.alpha(), m, h, &L_max, &L_hyp, &E, input.maxmc, input.minmc,
               input.precision, engine, &fault);
  if (cl.verbose) {
    const bool fast = engine.engine == mc_engine::fast;
    std::fprintf(stderr, "drevel: %s engine, %d thread%s%s%s\n", fast ? "fast" : "literal",
                 engine.threads, engine.threads == 1 ? "" : "s", fast ? ": " : "",
                 fast ? stats.driver.c_str() : "");
  }
  std::string text;
  if (fault == locus_fault::none) text = format_result(E, L_max, L_hyp, m, h, c);
  else message = "ERROR: " + describe_locus_fault(fault, input.alpha(), input.k, c, L_max, L_hyp, E) + "\n";
  free_vector(m, 0, c);
  free_vector(h, 0, c);
  if (fault != locus_fault::none) {
    out.abandon();
    return fail(message);
  }

  status written = out.write(text);
  if (written) written = out.commit();
  if (!written) {
    out.abandon();
    return fail("Error: unable to write output file\n" + output_path + ": " + written.message() +
                "\n");
  }
  return 0;
}

}  // namespace drevel
