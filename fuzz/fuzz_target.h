// The entry point every fuzz target defines, as libFuzzer calls it: one input
// of `size` bytes at `data`.  A target returns 0 for any input it can read
// or refuse, and calls fuzz_failure for any broken invariant.
#ifndef DREVEL_FUZZ_FUZZ_TARGET_H
#define DREVEL_FUZZ_FUZZ_TARGET_H

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// Prints what broke on stderr and aborts, which libFuzzer reports as a
// finding and saves the input that caused it.
[[noreturn]] void fuzz_failure(const char* what);

// For readers that take a path: writes the input to this process's one
// temporary file (removed at exit) and returns its path.
const std::string& fuzz_input_file(const uint8_t* data, size_t size);

#endif
