// Result<T>: a value or the message of a file or environment failure.
//
// Damage inside pages never becomes a Result error; it is salvaged where it is
// met. Result carries only failures a user must act on (a file that cannot be
// opened, a file that is not a data file).
#pragma once

#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace tessaril {

// message is what the user is told; detail, when there is one, is the
// system's own reason (for example "No such file or directory").
struct Error {
  Error() = default;
  explicit Error(std::string messageText, std::string detailText = {})
      : message(std::move(messageText)), detail(std::move(detailText)) {}
  std::string message;
  std::string detail;
};

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::move(value)) {}      // NOLINT: implicit by design
  Result(Error error) : state_(std::move(error)) {}  // NOLINT: implicit by design

  bool ok() const { return std::holds_alternative<T>(state_); }
  explicit operator bool() const { return ok(); }

  // Only for a result that holds a value: asking an error for one is a bug.
  T& value() & {
    assert(ok());
    return std::get<T>(state_);
  }
  const T& value() const& {
    assert(ok());
    return std::get<T>(state_);
  }
  T&& value() && {
    assert(ok());
    return std::get<T>(std::move(state_));
  }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }

  const std::string& error() const { return failure().message; }
  const Error& failure() const {
    assert(!ok());
    return std::get<Error>(state_);
  }

 private:
  std::variant<T, Error> state_;
};

// Result<void>: success, or a failure message.
class [[nodiscard]] Status {
 public:
  Status() = default;
  Status(Error error) : error_(std::move(error)), failed_(true) {}  // NOLINT
  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  const std::string& error() const { return error_.message; }
  const Error& failure() const { return error_; }

 private:
  Error error_;
  bool failed_ = false;
};

}  // namespace tessaril
