// Errors as values: a Status is either ok or carries a message that names
// what failed (usually a path) and the system's reason.
#ifndef SC_PLATFORM_STATUS_H_
#define SC_PLATFORM_STATUS_H_

#include <string>
#include <utility>

namespace sc {

class Status {
 public:
  Status() = default;
  static Status Ok() { return Status(); }
  static Status IoError(std::string message) { return Status(std::move(message)); }

  bool ok() const { return !failed_; }
  const std::string& message() const { return message_; }

 private:
  explicit Status(std::string message) : failed_(true), message_(std::move(message)) {}
  bool failed_ = false;
  std::string message_;
};

}  // namespace sc

#endif  // SC_PLATFORM_STATUS_H_
