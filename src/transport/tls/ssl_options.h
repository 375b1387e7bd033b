// The TLS settings of a handler. Method and SSLVersions are coupled: each setter
// adjusts the other, so that the two always describe the same protocol choice.
#pragma once

#include <cstdint>
#include <string>

#include "transport/tls/ssl_types.h"

namespace vornel {

class TNetSSLOptions {
 public:
  TNetSSLOptions();

  // Copies the file names, then Method, then SSLVersions (through the setters),
  // then the remaining settings.
  void Assign(const TNetSSLOptions& source);

  const std::u16string& RootCertFile() const { return fsRootCertFile; }
  void SetRootCertFile(std::u16string value) { fsRootCertFile = std::move(value); }
  const std::u16string& CertFile() const { return fsCertFile; }
  void SetCertFile(std::u16string value) { fsCertFile = std::move(value); }
  const std::u16string& KeyFile() const { return fsKeyFile; }
  void SetKeyFile(std::u16string value) { fsKeyFile = std::move(value); }
  const std::u16string& DHParamsFile() const { return fsDHParamsFile; }
  void SetDHParamsFile(std::u16string value) { fsDHParamsFile = std::move(value); }

  // sslvSSLv23 selects every version; any other method selects just itself.
  TNetSSLVersion Method() const { return fMethod; }
  void SetMethod(TNetSSLVersion value);

  // A one-element set selects its version as the method; any other set selects
  // sslvSSLv23 (which is no member of its own; an empty set means every version).
  TNetSSLVersions SSLVersions() const { return fSSLVersions; }
  void SetSSLVersions(TNetSSLVersions value);

  TNetSSLMode Mode() const { return fMode; }
  void SetMode(TNetSSLMode value) { fMode = value; }
  std::int32_t VerifyDepth() const { return fVerifyDepth; }
  void SetVerifyDepth(std::int32_t value) { fVerifyDepth = value; }
  TNetSSLVerifyMode VerifyMode() const { return fVerifyMode; }
  void SetVerifyMode(TNetSSLVerifyMode value) { fVerifyMode = value; }
  const std::u16string& VerifyDirs() const { return fVerifyDirs; }
  void SetVerifyDirs(std::u16string value) { fVerifyDirs = std::move(value); }
  // Empty: the default list is used.
  const std::u16string& CipherList() const { return fCipherList; }
  void SetCipherList(std::u16string value) { fCipherList = std::move(value); }

 private:
  std::u16string fsRootCertFile;
  std::u16string fsCertFile;
  std::u16string fsKeyFile;
  std::u16string fsDHParamsFile;
  TNetSSLVersion fMethod = sslvSSLv23;
  TNetSSLVersions fSSLVersions;
  TNetSSLMode fMode = sslmUnassigned;
  std::int32_t fVerifyDepth = 0;
  TNetSSLVerifyMode fVerifyMode;
  std::u16string fVerifyDirs;
  std::u16string fCipherList;
};

}  // namespace vornel
