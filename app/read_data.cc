// The two-file run's reading of its input file, as the command line has it:
// every failure printed and the process ended.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/classic_input.h"
#include "app/run.h"

namespace drevel {

int Read_Data(int argc, char** argv, int* k_out, int* c_out, double** alpha_out,
              double* precision_out, int32_t* minmc_out, int32_t* maxmc_out) {
  if (argc <= 2) {
    std::fputs("\nSINTAX: drevel <inputfile> <outputfile> \n", stderr);
    std::exit(2);
  }
  std::string message;
  std::FILE* in = open_classic_input(argv[1], &message);
  classic_input input;
  int status = in ? read_classic_input(in, classic_max_alleles, &input, &message) : 1;
  if (in) std::fclose(in);
  if (status != 0) {
    std::fputs(message.c_str(), stderr);
    std::exit(status);
  }
  *k_out = input.k;
  *c_out = input.c;
  *precision_out = input.precision;
  *minmc_out = input.minmc;
  *maxmc_out = input.maxmc;
  *alpha_out = input.release();
  return 1;
}

}  // namespace drevel
