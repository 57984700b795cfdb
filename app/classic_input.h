// The two-file run's input file, read into its parameter vector and tuning
// values with every failure returned: Read_Data (app/run.h) prints what
// these return and exits, and the fuzz target calls them directly.
//
// The file holds k, the c = k(k+1)/2 counts in lower-triangle order, then
// precision, minmc and maxmc, read with the C library's formatted input so
// that every item ends exactly where "%ld" or "%lf" stops (3.0 as k reads
// 3, then .0).
#ifndef DREVEL_APP_CLASSIC_INPUT_H
#define DREVEL_APP_CLASSIC_INPUT_H

#include <cstdint>
#include <cstdio>
#include <string>

namespace drevel {

// A read input.  Owns alpha, made by vector(0, c): element 0 = c, element n
// = count n + 1.0001.  Tuning values with 0 already replaced by 0.005, 500*c
// and 10000*c.
class classic_input {
 public:
  classic_input() = default;
  classic_input(const classic_input&) = delete;
  classic_input& operator=(const classic_input&) = delete;
  ~classic_input();

  int k = 0, c = 0;
  double precision = 0;
  int32_t minmc = 0, maxmc = 0;
  const double* alpha() const { return alpha_; }
  // Hands alpha to the caller, who frees it with free_vector(p, 0, c).
  double* release();

 private:
  friend int read_classic_input(std::FILE*, long, classic_input*, std::string*);
  double* alpha_ = nullptr;
};

// The most alleles the two-file run takes: k(k+1) is formed in 32 bits.
const long classic_max_alleles = 46340;

// Opens the input file at path for reading.  Returns the stream, or null
// with the message to print in *message: "ERROR: Unable to open input file\n"
// and a line with the path and the reason (the system's text for errno, or
// "Is a directory").
std::FILE* open_classic_input(const std::string& path, std::string* message);

// Reads and checks the input from `in` (which stays open; the caller closes
// it).  Refuses k above max_alleles (at most classic_max_alleles; a caller
// may ask for fewer, as the fuzz target does to keep allocations small) or
// too large for this machine's memory, a missing or malformed item, a
// negative or non-finite count, a non-finite precision, minmc or maxmc
// outside 32 bits and a default draw count that overflows 32 bits.
// Returns 0 and fills *input, or 1 with the message to print (whole lines)
// in *message.  An allocation the machine refuses still ends the process
// through nrerror.
int read_classic_input(std::FILE* in, long max_alleles, classic_input* input,
                       std::string* message);

}  // namespace drevel

#endif
