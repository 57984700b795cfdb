// Outside libFuzzer, a fuzz target replays the files it is given (each file
// of a directory, in name order) once each: the corpus as a regression test.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_target.h"

void fuzz_failure(const char* what) {
  std::fprintf(stderr, "fuzz target: %s\n", what);
  std::abort();
}

const std::string& fuzz_input_file(const uint8_t* data, size_t size) {
  static const std::string path = [] {
    char name[] = "/tmp/drevel_fuzz_XXXXXX";
    int fd = ::mkstemp(name);
    if (fd < 0) fuzz_failure("no temporary file");
    ::close(fd);
    static std::string removed;
    removed = name;
    std::atexit([] { ::unlink(removed.c_str()); });
    return removed;
  }();
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) fuzz_failure("cannot write the input file");
  if (size > 0 && std::fwrite(data, 1, size, out) != size) fuzz_failure("cannot write the input");
  std::fclose(out);
  return path;
}

#ifndef DREVEL_LIBFUZZER

namespace {

std::vector<std::string> inputs_of(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return {};
  if (!S_ISDIR(st.st_mode)) return {path};
  std::vector<std::string> files;
  if (DIR* dir = ::opendir(path.c_str())) {
    while (dirent* e = ::readdir(dir))
      if (e->d_name[0] != '.') files.push_back(path + "/" + e->d_name);
    ::closedir(dir);
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  size_t replayed = 0;
  for (int a = 1; a < argc; a++) {
    std::vector<std::string> files = inputs_of(argv[a]);
    if (files.empty()) {
      std::fprintf(stderr, "%s: no inputs\n", argv[a]);
      return 1;
    }
    for (const std::string& file : files) {
      std::ifstream in(file, std::ios::binary);
      std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      replayed++;
    }
  }
  std::printf("%zu inputs replayed\n", replayed);
  return 0;
}

#endif
