// Errors cross the platform boundary as values, never as exceptions.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace zelko::platform {

class [[nodiscard]] Status {
 public:
  enum class Code { kOk, kNotFound, kInvalid, kIoError, kBusy, kUnsupported, kFailed };

  Status() = default;
  static Status Ok() { return Status(); }
  static Status NotFound(std::string m) { return Status(Code::kNotFound, std::move(m)); }
  static Status Invalid(std::string m) { return Status(Code::kInvalid, std::move(m)); }
  static Status IoError(std::string m) { return Status(Code::kIoError, std::move(m)); }
  static Status Busy(std::string m) { return Status(Code::kBusy, std::move(m)); }
  static Status Unsupported(std::string m) { return Status(Code::kUnsupported, std::move(m)); }
  static Status Failed(std::string m) { return Status(Code::kFailed, std::move(m)); }

  bool ok() const { return code_ == Code::kOk; }
  Code code() const { return code_; }
  // A one-line description for people; empty when ok.
  const std::string& message() const { return message_; }

 private:
  Status(Code c, std::string m) : code_(c), message_(std::move(m)) {}
  Code code_ = Code::kOk;
  std::string message_;
};

// A value or the Status that explains why there is none.
template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT: implicit on purpose
  Result(Status status) : status_(std::move(status)) {}  // NOLINT
  bool ok() const { return value_.has_value(); }
  const Status& status() const { return status_; }
  T& value() { return *value_; }
  const T& value() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }

 private:
  std::optional<T> value_;
  Status status_;
};

}  // namespace zelko::platform
