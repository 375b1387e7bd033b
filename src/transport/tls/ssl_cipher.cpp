#include "transport/tls/ssl_cipher.h"

#include "platform/text.h"
#include "transport/tls/openssl_binding.h"
#include "transport/tls/ssl_socket.h"

namespace vornel {

namespace {
const SSL_CIPHER* Current(const TNetSSLSocket& socket) {
  return socket.Session() ? OpenSSLEntries().SSL_get_current_cipher(socket.Session()) : nullptr;
}
std::u16string Text(const char* s) {
  return s ? FromUtf8(s) : std::u16string();
}
}  // namespace

std::u16string TNetSSLCipher::Name() const {
  const SSL_CIPHER* c = Current(FSocket);
  return c ? Text(OpenSSLEntries().SSL_CIPHER_get_name(c)) : std::u16string();
}

std::u16string TNetSSLCipher::Description() const {
  const SSL_CIPHER* c = Current(FSocket);
  if (!c)
    return {};
  char buffer[256] = {};
  return Text(OpenSSLEntries().SSL_CIPHER_description(c, buffer, sizeof buffer));
}

int TNetSSLCipher::Bits() const {
  const SSL_CIPHER* c = Current(FSocket);
  int algorithmBits = 0;
  if (c)
    OpenSSLEntries().SSL_CIPHER_get_bits(c, &algorithmBits);
  return algorithmBits;
}

std::u16string TNetSSLCipher::Version() const {
  const SSL_CIPHER* c = Current(FSocket);
  return c ? Text(OpenSSLEntries().SSL_CIPHER_get_version(c)) : std::u16string();
}

}  // namespace vornel
