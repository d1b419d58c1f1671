// Errors as values: a Status is either ok or carries a kind and a message
// that names what failed (usually a path) and the system's reason. The class
// is [[nodiscard]], so a result that nobody looks at is a compile warning.
#ifndef SC_PLATFORM_STATUS_H_
#define SC_PLATFORM_STATUS_H_

#include <string>
#include <utility>

namespace sc {

class [[nodiscard]] Status {
 public:
  enum class Kind {
    kOk,
    kNotFound,    // the file or folder does not exist
    kCorruption,  // the bytes were read but do not hold what they must
    kIoError,     // the system refused a read or write
    kInvalid,     // a name or value given to the run that it cannot use
  };

  Status() = default;
  static Status Ok() { return Status(); }
  static Status NotFound(std::string message) {
    return Status(Kind::kNotFound, std::move(message));
  }
  static Status Corruption(std::string message) {
    return Status(Kind::kCorruption, std::move(message));
  }
  static Status IoError(std::string message) { return Status(Kind::kIoError, std::move(message)); }
  static Status Invalid(std::string message) { return Status(Kind::kInvalid, std::move(message)); }

  bool ok() const { return kind_ == Kind::kOk; }
  bool IsNotFound() const { return kind_ == Kind::kNotFound; }
  bool IsCorruption() const { return kind_ == Kind::kCorruption; }
  bool IsIoError() const { return kind_ == Kind::kIoError; }
  bool IsInvalid() const { return kind_ == Kind::kInvalid; }
  Kind kind() const { return kind_; }
  const std::string& message() const { return message_; }

 private:
  Status(Kind kind, std::string message) : kind_(kind), message_(std::move(message)) {}
  Kind kind_ = Kind::kOk;
  std::string message_;
};

}  // namespace sc

#endif  // SC_PLATFORM_STATUS_H_
