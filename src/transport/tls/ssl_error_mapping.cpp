#include "transport/tls/ssl_error_mapping.h"

#include "platform/text.h"
#include "transport/socket/socket_error.h"
#include "transport/tls/openssl_binding.h"
#include "transport/tls/socket_calls.h"

namespace vornel {

std::u16string OpenSSLErrorText(unsigned long code) {
  char buffer[160] = {};
  OpenSSLEntries().ERR_error_string_n(code, buffer, sizeof buffer);
  return FromUtf8(buffer);
}

unsigned long TakeOpenSSLError() {
  const TNetOpenSSLEntries& e = OpenSSLEntries();
  const unsigned long code = e.ERR_get_error();
  e.ERR_clear_error();
  return code;
}

bool OpenSSLErrorIsUnexpectedEof() {
  const unsigned long code = OpenSSLEntries().ERR_peek_error();
  return ERR_GET_LIB(code) == ERR_LIB_SSL &&
         ERR_GET_REASON(code) == SSL_R_UNEXPECTED_EOF_WHILE_READING;
}

std::u16string JoinSSLMessage(const std::u16string& message, const std::u16string& text) {
  return message.empty() ? text : message + u"\r\n" + text;
}

int SSLLastSocketError() {
  const int error = LastSocketError();
  if (SocketWouldBlock(error))
    return Net_WSAETIMEDOUT;
  return WinSockNumberOf(error);
}

void RaiseLastSSLSocketError() {
  RaiseSocketError(SSLLastSocketError());
}

}  // namespace vornel
