// The general exception class of the system: an English message, nothing more. The
// camera stack's own classes derive from it, so a caller that catches Exception catches
// every failure the system raises on purpose, and nothing else.
#pragma once

#include <exception>
#include <string>

#include "base/text.h"

namespace eos {

class Exception : public std::exception {
 public:
  explicit Exception(Text message) : message_(std::move(message)), utf8_(ToUtf8(message_)) {}
  const Text& message() const noexcept { return message_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  Text message_;
  std::string utf8_;
};

// The message of the exception in flight; call it only inside a catch block. Texts of
// exceptions that are not the system's own come as they are, unknown ones as "unknown failure".
Text CurrentExceptionText() noexcept;

// The runtime's input/output error: a file or library could not be opened, read or written.
class EInOutError : public Exception {
 public:
  using Exception::Exception;
};

// The runtime's assertion error: something the code relies on is missing (an entry point
// of a library, say).
class EAssertionFailed : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace eos
