// The exceptions of the TLS layer. Those that carry OpenSSL's own error text are
// made through the mappings of ssl_error_mapping.h.
#pragma once

#include <string>

#include "transport/socket/net_exception.h"

namespace vornel {

class ENetOpenSSLError : public ENetException {
 public:
  using ENetException::ENetException;
};

class ENetOSSLCouldNotLoadSSLLibrary : public ENetOpenSSLError {
 public:
  ENetOSSLCouldNotLoadSSLLibrary() : ENetOpenSSLError(u"Could not load SSL library.") {}
};

class ENetOSSLModeNotSet : public ENetOpenSSLError {
 public:
  ENetOSSLModeNotSet() : ENetOpenSSLError(u"Mode has not been set.") {}
};

class ENetOSSLGetMethodError : public ENetOpenSSLError {
 public:
  ENetOSSLGetMethodError() : ENetOpenSSLError(u"Error getting SSL method.") {}
};

class ENetOSSLSettingCipherError : public ENetOpenSSLError {
 public:
  ENetOSSLSettingCipherError() : ENetOpenSSLError(u"SetCipher failed.") {}
};

class ENetOSSLCreatingSessionError : public ENetOpenSSLError {
 public:
  ENetOSSLCreatingSessionError() : ENetOpenSSLError(u"Error creating SSL session.") {}
};

// A failure with a code of OpenSSL's error queue.
class ENetOpenSSLAPICryptoError : public ENetOpenSSLError {
 public:
  ENetOpenSSLAPICryptoError(std::u16string message, unsigned long errorCode)
      : ENetOpenSSLError(std::move(message)), FErrorCode(errorCode) {}
  unsigned long ErrorCode() const noexcept { return FErrorCode; }

 private:
  unsigned long FErrorCode;
};

#define VORNEL_CRYPTO_ERROR(name)                               \
  class name : public ENetOpenSSLAPICryptoError {               \
   public:                                                      \
    using ENetOpenSSLAPICryptoError::ENetOpenSSLAPICryptoError; \
  };
VORNEL_CRYPTO_ERROR(ENetOSSLCreatingContextError)
VORNEL_CRYPTO_ERROR(ENetOSSLLoadingRootCertError)
VORNEL_CRYPTO_ERROR(ENetOSSLLoadingCertError)
VORNEL_CRYPTO_ERROR(ENetOSSLLoadingKeyError)
VORNEL_CRYPTO_ERROR(ENetOSSLLoadingDHParamsError)
VORNEL_CRYPTO_ERROR(ENetOSSLUnderlyingCryptoError)
#undef VORNEL_CRYPTO_ERROR

// A failure of a session call: the error class from SSL_get_error and the
// failing call's return value.
class ENetOpenSSLAPISSLError : public ENetOpenSSLError {
 public:
  ENetOpenSSLAPISSLError(std::u16string message, int errorCode, int retCode)
      : ENetOpenSSLError(std::move(message)), FErrorCode(errorCode), FRetCode(retCode) {}
  int ErrorCode() const noexcept { return FErrorCode; }
  int RetCode() const noexcept { return FRetCode; }

 private:
  int FErrorCode;
  int FRetCode;
};

#define VORNEL_SSL_ERROR(name)                            \
  class name : public ENetOpenSSLAPISSLError {            \
   public:                                                \
    using ENetOpenSSLAPISSLError::ENetOpenSSLAPISSLError; \
  };
VORNEL_SSL_ERROR(ENetOSSLConnectError)
VORNEL_SSL_ERROR(ENetOSSLAcceptError)
VORNEL_SSL_ERROR(ENetOSSLDataBindingError)
VORNEL_SSL_ERROR(ENetOSSLFDSetError)
#undef VORNEL_SSL_ERROR

}  // namespace vornel
