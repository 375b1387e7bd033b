// A certificate as the verify event sees it. Borrows OpenSSL's certificate, which
// lives as long as the verification that hands it out.
#pragma once

#include <string>

#include "transport/tls/openssl_entries.h"

namespace vornel {

class TNetX509 {
 public:
  explicit TNetX509(X509* certificate) : FCertificate(certificate) {}

  X509* Certificate() const { return FCertificate; }
  // OpenSSL's one-line forms of the names ("/CN=localhost").
  std::u16string Subject() const;
  std::u16string Issuer() const;

 private:
  X509* FCertificate;
};

}  // namespace vornel
