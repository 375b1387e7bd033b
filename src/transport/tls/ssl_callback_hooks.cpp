#include "transport/tls/ssl_callback_hooks.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/code_page.h"
#include "platform/text.h"
#include "transport/tls/openssl_binding.h"
#include "transport/tls/socket_calls.h"
#include "transport/tls/ssl_context.h"
#include "transport/tls/ssl_socket.h"
#include "transport/tls/ssl_x509.h"

namespace vornel {

namespace {

INetSSLCallbacks* HandlerOf(const SSL* session) {
  if (!session)
    return nullptr;
  auto* socket = static_cast<TNetSSLSocket*>(OpenSSLEntries().SSL_get_ex_data(session, 0));
  return socket ? socket->Parent() : nullptr;
}

std::u16string Text(const char* s) {
  return s ? FromUtf8(s) : std::u16string();
}

std::u16string TypeText(const SSL* session, int where, int ret) {
  const TNetOpenSSLEntries& e = OpenSSLEntries();
  if (where & SSL_CB_ALERT) {
    const std::u16string type = Text(e.SSL_alert_type_string_long(ret));
    if (where & SSL_CB_READ)
      return type + u" Read Alert";
    if (where & SSL_CB_WRITE)
      return type + u" Write Alert";
    return type + u" Alert";
  }
  (void)session;
  if (where & SSL_CB_HANDSHAKE_START)
    return u"Handshake Start";
  if (where & SSL_CB_HANDSHAKE_DONE)
    return u"Handshake Done";
  const bool connect = (where & SSL_ST_CONNECT) != 0;
  const std::u16string role = connect ? u"Connect" : u"Accept";
  if (where & SSL_CB_LOOP)
    return role + u" Loop";
  if (where & SSL_CB_EXIT)
    return role + (ret == 0 ? u" Failed" : ret < 0 ? u" Error" : u" Exit");
  return {};
}

}  // namespace

void SSLInfoCallback(const SSL* session, int where, int ret) {
  std::lock_guard lock(LockInfoCB());
  TKeepSocketError keep;
  INetSSLCallbacks* handler = HandlerOf(session);
  if (!handler)
    return;
  const std::u16string msg =
      u"SSL status: \"" + Text(OpenSSLEntries().SSL_state_string_long(session)) + u"\"";
  try {
    handler->DoStatusInfo(msg);
    if (handler->StatusInfoExAssigned())
      handler->DoStatusInfoEx(session, where, ret, TypeText(session, where, ret), msg);
  } catch (...) {
    // An event must not unwind through OpenSSL.
  }
}

int SSLPasswordCallback(char* buffer, int size, int rwflag, void* userdata) {
  std::lock_guard lock(LockPassCB());
  TKeepSocketError keep;
  auto* context = static_cast<TNetSSLContext*>(userdata);
  if (!context || !context->Parent() || !buffer || size <= 0)
    return 0;
  std::u16string password;
  try {
    context->Parent()->GetPasswordFor(password, rwflag != 0);
  } catch (...) {
    return 0;
  }
  const TBytes bytes = EncodeCodePage(AnsiCodePage(), password);
  const int n = static_cast<int>(std::min<std::size_t>(bytes.size(), std::size_t(size - 1)));
  if (n > 0)
    std::memcpy(buffer, bytes.data(), static_cast<std::size_t>(n));
  buffer[n] = '\0';
  return n;
}

int SSLVerifyCallback(int ok, X509_STORE_CTX* store) {
  std::lock_guard lock(LockVerifyCB());
  TKeepSocketError keep;
  const TNetOpenSSLEntries& e = OpenSSLEntries();
  auto* session = static_cast<SSL*>(
      e.X509_STORE_CTX_get_ex_data(store, e.SSL_get_ex_data_X509_STORE_CTX_idx()));
  INetSSLCallbacks* handler = HandlerOf(session);
  if (!handler)
    return ok;
  TNetX509 certificate(e.X509_STORE_CTX_get_current_cert(store));
  try {
    return handler->DoVerifyPeer(certificate, ok != 0, e.X509_STORE_CTX_get_error_depth(store),
                                 e.X509_STORE_CTX_get_error(store))
               ? 1
               : 0;
  } catch (...) {
    return 0;
  }
}

}  // namespace vornel
