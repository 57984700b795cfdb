// Running the drevel binary from a test and reading and writing small files.
#ifndef DREVEL_TESTS_SUPPORT_RUN_DREVEL_H
#define DREVEL_TESTS_SUPPORT_RUN_DREVEL_H

#include <string>
#include <vector>

struct run_result {
  int status;  // exit status, or -1 when the process did not exit normally
  std::string out, err;
};

// Runs the built drevel binary ($DREVEL_BIN overrides it) with args (shell-quoted), standard
// input from stdin_path when it is not empty, and captures both streams.
run_result run_drevel(const std::vector<std::string>& args, const std::string& stdin_path = "");

// A fresh empty directory under the system's temporary directory.
std::string make_temp_dir();
void write_text(const std::string& path, const std::string& text);
std::string read_text(const std::string& path);
bool file_exists(const std::string& path);
// Names in a directory, without "." and "..".
std::vector<std::string> dir_entries(const std::string& dir);
// Path of a file in the source tree ($DREVEL_SOURCE overrides its root).
std::string source_path(const std::string& relative);

#endif
