// Running the drevel binary from a test and reading and writing small files.
#ifndef DREVEL_TESTS_SUPPORT_RUN_DREVEL_H
#define DREVEL_TESTS_SUPPORT_RUN_DREVEL_H

#include <sys/types.h>

#include <string>
#include <vector>

struct run_result {
  int status;  // exit status, or -1 when the process did not exit normally
  std::string out, err;
};

// Runs the built drevel binary ($DREVEL_BIN overrides it) with args (shell-quoted), standard
// input from stdin_path when it is not empty, and captures both streams.
run_result run_drevel(const std::vector<std::string>& args, const std::string& stdin_path = "");

// The path of the drevel binary the tests run ($DREVEL_BIN overrides it).
std::string drevel_binary();

// Starts the drevel binary with args and returns at once with its process
// id.  Its standard input and output are /dev/null, its standard error goes
// to err_path (/dev/null when empty), and it starts with the signals in
// ignored set to be ignored, as nohup or a shell's background job would.
pid_t start_drevel(const std::vector<std::string>& args, const std::vector<int>& ignored = {},
                   const std::string& err_path = "");

// Waits for a started process to end and returns its wait status; a guard
// against a hang: after `limit_seconds` the process is killed and the status
// is -1.  (The limit only bounds a test that would otherwise never end.)
int wait_drevel(pid_t pid, int limit_seconds = 600);

// Waits until dir holds an entry whose name starts with prefix; false when
// the process ended first, or after limit_seconds (the same hang guard).
bool wait_for_entry(const std::string& dir, const std::string& prefix, pid_t pid,
                    int limit_seconds = 600);

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
