// How library code reports a fault: a function that can fail returns a
// status, ok or a fault with its kind and one line that names its cause (no
// prefix, no line end); the program decides what to print and how to end.
// The result is [[nodiscard]]: a fault cannot be dropped by accident.
#ifndef DREVEL_FAULT_STATUS_H
#define DREVEL_FAULT_STATUS_H

#include <string>
#include <utility>

namespace drevel {

// The kinds of fault, for callers that act on them (a Python binding maps
// them to exceptions; the program maps all but `usage` to exit status 1).
enum class fault_kind {
  none,
  usage,         // an argument the function cannot take
  input,         // input that is malformed, truncated or refused
  output,        // an output that cannot be written
  resource,      // memory, threads or file handles not to be had
  interrupted,   // the caller asked the work to stop
};

// "usage", "input", "output", "resource", "interrupted" ("ok" for none).
const char* fault_kind_name(fault_kind kind);

class [[nodiscard]] status {
 public:
  status() = default;  // ok
  status(fault_kind kind, std::string message) : kind_(kind), message_(std::move(message)) {}

  static status ok() { return status(); }

  bool is_ok() const { return kind_ == fault_kind::none; }
  explicit operator bool() const { return is_ok(); }
  fault_kind kind() const { return kind_; }
  // The cause, one line; empty when ok.
  const std::string& message() const { return message_; }

 private:
  fault_kind kind_ = fault_kind::none;
  std::string message_;
};

}  // namespace drevel

#endif
