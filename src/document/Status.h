#pragma once
// One way to say that something failed. A Status is either ok or carries the
// reason in one sentence without a stop, as the system or the format gives
// it ("No space left on device"); Result<T> is a value or such a reason.
// Readers, writers and encoders answer with them; the window shows the
// reason in its error box, the headless modes print it after the name of
// the file it concerns.

#include <string>
#include <utility>

namespace korvelin::document {

class [[nodiscard]] Status {
 public:
  Status() = default;  // ok
  static Status Failure(std::string reason) {
    Status status;
    status.failed_ = true;
    status.reason_ = std::move(reason);
    return status;
  }
  bool ok() const { return !failed_; }
  // Empty when ok.
  const std::string& reason() const { return reason_; }

 private:
  bool failed_ = false;
  std::string reason_;
};

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}            // NOLINT: a value is a success
  Result(Status failure) : status_(std::move(failure)) {}  // NOLINT: so is a failure
  bool ok() const { return status_.ok(); }
  const Status& status() const { return status_; }
  const std::string& reason() const { return status_.reason(); }
  // The value; default-made when the result is a failure.
  T& value() { return value_; }
  const T& value() const { return value_; }

 private:
  T value_{};
  Status status_;
};

// The system's text for an error number, "No space left on device" for
// ENOSPC; safe to call from several threads.
std::string SystemReason(int error);

// A failure with the system's text for the error number.
inline Status SystemFailure(int error) { return Status::Failure(SystemReason(error)); }

}  // namespace korvelin::document
