#include "transport/tls/ssl_x509.h"

#include "platform/text.h"
#include "transport/tls/openssl_binding.h"

namespace vornel {

namespace {
std::u16string OneLine(X509_NAME* name) {
  if (!name)
    return {};
  char buffer[512] = {};
  OpenSSLEntries().X509_NAME_oneline(name, buffer, sizeof buffer);
  return FromUtf8(buffer);
}
}  // namespace

std::u16string TNetX509::Subject() const {
  return FCertificate ? OneLine(OpenSSLEntries().X509_get_subject_name(FCertificate))
                      : std::u16string();
}

std::u16string TNetX509::Issuer() const {
  return FCertificate ? OneLine(OpenSSLEntries().X509_get_issuer_name(FCertificate))
                      : std::u16string();
}

}  // namespace vornel
