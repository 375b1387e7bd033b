// One OpenSSL context, built per connection from a copy of the handler's TLS
// settings.
#pragma once

#include <cstdint>
#include <string>

#include "transport/tls/openssl_entries.h"
#include "transport/tls/ssl_callbacks.h"
#include "transport/tls/ssl_options.h"

namespace vornel {

inline constexpr char SSLDefaultCipherList[] = "AES:ALL:!aNULL:!eNULL:+RC4:@STRENGTH";

class TNetSSLContext {
 public:
  // Loads the binding first: ENetOSSLCouldNotLoadSSLLibrary when that fails.
  explicit TNetSSLContext(INetSSLCallbacks* parent);
  ~TNetSSLContext();
  TNetSSLContext(const TNetSSLContext&) = delete;
  TNetSSLContext& operator=(const TNetSSLContext&) = delete;

  // Copies every setting of the options (Method and SSLVersions as they stand).
  void CopyOptions(const TNetSSLOptions& options);

  // Builds the OpenSSL context for the given role.
  void InitContext(TNetSSLCtxMode ctxMode);

  SSL_CTX* Context() const { return fContext; }
  INetSSLCallbacks* Parent() const { return FParent; }
  TNetSSLMode Mode() const { return fMode; }
  TNetSSLVersion Method() const { return fMethod; }
  TNetSSLVersions SSLVersions() const { return fSSLVersions; }
  TNetSSLVerifyMode VerifyMode() const { return fVerifyMode; }
  bool StatusInfoOn() const { return fStatusInfoOn; }
  void SetStatusInfoOn(bool value) { fStatusInfoOn = value; }
  bool VerifyOn() const { return fVerifyOn; }
  void SetVerifyOn(bool value) { fVerifyOn = value; }

 private:
  const SSL_METHOD* SelectMethod() const;
  void SetProtocolOptions();
  void LoadFiles();

  TNetSSLVersion fMethod = sslvSSLv23;
  TNetSSLVersions fSSLVersions;
  TNetSSLMode fMode = sslmUnassigned;
  std::u16string fsRootCertFile;
  std::u16string fsCertFile;
  std::u16string fsKeyFile;
  std::u16string fsDHParamsFile;
  std::int32_t fVerifyDepth = 0;
  TNetSSLVerifyMode fVerifyMode;
  std::u16string fVerifyDirs;
  std::u16string fCipherList;
  SSL_CTX* fContext = nullptr;
  bool fStatusInfoOn = false;
  bool fVerifyOn = false;
  std::uint32_t fSessionId = 1;
  TNetSSLCtxMode fCtxMode = sslCtxClient;
  INetSSLCallbacks* FParent;
};

}  // namespace vornel
