// The exceptions of the HTTP client.
#pragma once

#include <cstdint>
#include <string>

#include "transport/socket/net_exception.h"
#include "transport/socket/net_types.h"

namespace vornel {

// A URL names a protocol without a known port.
class ENetUnknownProtocol : public ENetException {
 public:
  ENetUnknownProtocol() : ENetException(u"Unknown Protocol") {}
};

// An "https" request without a TLS-capable I/O handler.
class ENetIOHandlerPropInvalid : public ENetException {
 public:
  ENetIOHandlerPropInvalid() : ENetException(u"IOHandler value is not valid") {}
};

class ENetReplyError : public ENetException {
 public:
  using ENetException::ENetException;
};

// A reply with a numeric code.
class ENetReplyRFCError : public ENetReplyError {
 public:
  ENetReplyRFCError(std::u16string message, std::int32_t errorCode)
      : ENetReplyError(std::move(message)), FErrorCode(errorCode) {}
  std::int32_t ErrorCode() const noexcept { return FErrorCode; }

 private:
  std::int32_t FErrorCode;
};

// An error status: the message is the status line, ErrorMessage the body as text.
class ENetHTTPProtocolException : public ENetReplyRFCError {
 public:
  ENetHTTPProtocolException(std::u16string statusLine, std::int32_t errorCode,
                            std::u16string errorMessage)
      : ENetReplyRFCError(std::move(statusLine), errorCode),
        FErrorMessage(std::move(errorMessage)) {}
  const std::u16string& ErrorMessage() const noexcept { return FErrorMessage; }

 private:
  std::u16string FErrorMessage;
};

// A response that cannot be read safely: too many header lines, a chunk size that
// does not fit, a negative length. The connection is not reused after it.
class ENetHTTPMalformedResponse : public ENetHTTPProtocolException {
 public:
  ENetHTTPMalformedResponse(std::u16string message, std::int32_t responseCode)
      : ENetHTTPProtocolException(std::move(message), responseCode, {}) {}
};

}  // namespace vornel
