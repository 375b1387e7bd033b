// The exception base of the system. Every failure is an exception of a class of
// its own kind, all deriving from Exception, which carries a UTF-16 message.
#pragma once

#include <exception>
#include <string>

namespace vornel {

class Exception : public std::exception {
 public:
  explicit Exception(std::u16string message);

  const std::u16string& Message() const noexcept { return FMessage; }
  void SetMessage(std::u16string message);

  // The message as UTF-8.
  const char* what() const noexcept override { return FWhat.c_str(); }

 private:
  std::u16string FMessage;
  std::string FWhat;
};

// The abort class: a silent exception that the default handling never shows.
class EAbort : public Exception {
 public:
  EAbort() : Exception(u"Operation aborted") {}
  using Exception::Exception;
};

// A failed call of the operating system, with its errno and its text.
class EOSError : public Exception {
 public:
  EOSError(std::u16string message, int errorCode)
      : Exception(std::move(message)), FErrorCode(errorCode) {}
  int ErrorCode() const noexcept { return FErrorCode; }

 private:
  int FErrorCode;
};

// The platform's text for an errno value ("No such file or directory").
std::u16string SysErrorMessage(int errorCode);
// The error number of the calling thread's last failed system call (errno, or
// GetLastError on Windows), for SysErrorMessage.
int LastOSError();

}  // namespace vornel
