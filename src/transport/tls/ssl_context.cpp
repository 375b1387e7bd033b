#include "transport/tls/ssl_context.h"

#include <cstring>
#include <string>

#include "platform/code_page.h"
#include "platform/text.h"
#include "transport/tls/openssl_binding.h"
#include "transport/tls/ssl_callback_hooks.h"
#include "transport/tls/ssl_error_mapping.h"
#include "transport/tls/system_trust.h"

namespace vornel {

namespace {

// A single-byte string in the system's default code page.
std::string AnsiString(const std::u16string& text) {
  const TBytes bytes = EncodeCodePage(AnsiCodePage(), text);
  return std::string(bytes.begin(), bytes.end());
}

// File names go to the file system as UTF-8.
std::string FileName(const std::u16string& path) {
  return ToUtf8(path);
}

const SSL_METHOD* Call(TNetSSLMethodFunc f) {
  return f ? f() : nullptr;
}

}  // namespace

TNetSSLContext::TNetSSLContext(INetSSLCallbacks* parent) : FParent(parent) {
  if (!LoadOpenSSLLibrary())
    throw ENetOSSLCouldNotLoadSSLLibrary();
}

TNetSSLContext::~TNetSSLContext() {
  if (fContext)
    OpenSSLEntries().SSL_CTX_free(fContext);
}

void TNetSSLContext::CopyOptions(const TNetSSLOptions& o) {
  fsRootCertFile = o.RootCertFile();
  fsCertFile = o.CertFile();
  fsKeyFile = o.KeyFile();
  fsDHParamsFile = o.DHParamsFile();
  fVerifyDepth = o.VerifyDepth();
  fVerifyMode = o.VerifyMode();
  fVerifyDirs = o.VerifyDirs();
  fCipherList = o.CipherList();
  fMethod = o.Method();
  fSSLVersions = o.SSLVersions();
  fMode = o.Mode();
}

const SSL_METHOD* TNetSSLContext::SelectMethod() const {
  const TNetOpenSSLEntries& e = OpenSSLEntries();
  auto pick = [this](TNetSSLMethodFunc client, TNetSSLMethodFunc server, TNetSSLMethodFunc both) {
    switch (fMode) {
      case sslmClient:
        return client;
      case sslmServer:
        return server;
      default:
        return both;
    }
  };
  const TNetSSLMethodFunc tls1 = pick(e.TLSv1_client_method, e.TLSv1_server_method, e.TLSv1_method);
  switch (fMethod) {
    case sslvSSLv2:
      return Call(pick(e.SSLv2_client_method, e.SSLv2_server_method, e.SSLv2_method));
    case sslvSSLv23:
    // TLS 1.3 has no method family of its own: the generic one, narrowed by the
    // protocol options.
    case sslvTLSv1_3:
      return Call(pick(e.TLS_client_method, e.TLS_server_method, e.TLS_method));
    case sslvSSLv3:
      return Call(pick(e.SSLv3_client_method, e.SSLv3_server_method, e.SSLv3_method));
    case sslvTLSv1:
      return Call(tls1);
    case sslvTLSv1_1: {
      const TNetSSLMethodFunc f =
          pick(e.TLSv1_1_client_method, e.TLSv1_1_server_method, e.TLSv1_1_method);
      return Call(f ? f : tls1);
    }
    case sslvTLSv1_2: {
      const TNetSSLMethodFunc f =
          pick(e.TLSv1_2_client_method, e.TLSv1_2_server_method, e.TLSv1_2_method);
      return Call(f ? f : tls1);
    }
  }
  return nullptr;
}

void TNetSSLContext::SetProtocolOptions() {
  const TNetOpenSSLEntries& e = OpenSSLEntries();
  const struct {
    TNetSSLVersion version;
    std::uint64_t option;
  } table[] = {
      {sslvSSLv2, SSL_OP_NO_SSLv2},     {sslvSSLv3, SSL_OP_NO_SSLv3},
      {sslvTLSv1, SSL_OP_NO_TLSv1},     {sslvTLSv1_1, SSL_OP_NO_TLSv1_1},
      {sslvTLSv1_2, SSL_OP_NO_TLSv1_2}, {sslvTLSv1_3, SSL_OP_NO_TLSv1_3},
  };
  for (const auto& row : table) {
    if (row.version != sslvTLSv1 && !OpenSSLVersionAvailable(row.version))
      continue;
    if (!fSSLVersions.Contains(row.version)) {
      e.SSL_CTX_set_options(fContext, row.option);
    } else if (fMethod == sslvSSLv23) {
      e.SSL_CTX_clear_options(fContext, row.option);
    }
  }
}

void TNetSSLContext::LoadFiles() {
  const TNetOpenSSLEntries& e = OpenSSLEntries();
  if (!fsRootCertFile.empty() || !fVerifyDirs.empty()) {
    const std::string file = FileName(fsRootCertFile);
    const std::string dirs = FileName(fVerifyDirs);
    if (e.SSL_CTX_load_verify_locations(fContext, file.empty() ? nullptr : file.c_str(),
                                        dirs.empty() ? nullptr : dirs.c_str()) <= 0)
      RaiseCryptoError<ENetOSSLLoadingRootCertError>(u"Could not load root certificate.");
  }
  if (!fsCertFile.empty()) {
    const std::string file = FileName(fsCertFile);
    const int ok = e.SSL_CTX_use_certificate_chain_file
                       ? e.SSL_CTX_use_certificate_chain_file(fContext, file.c_str())
                       : e.SSL_CTX_use_certificate_file(fContext, file.c_str(), SSL_FILETYPE_PEM);
    if (ok <= 0)
      RaiseCryptoError<ENetOSSLLoadingCertError>(u"Could not load certificate.");
  }
  if (!fsKeyFile.empty()) {
    const std::string file = FileName(fsKeyFile);
    if (e.SSL_CTX_use_PrivateKey_file(fContext, file.c_str(), SSL_FILETYPE_PEM) <= 0 ||
        e.SSL_CTX_check_private_key(fContext) <= 0)
      RaiseCryptoError<ENetOSSLLoadingKeyError>(u"Could not load key, check password.");
  }
  if (!fsDHParamsFile.empty()) {
    const std::string file = FileName(fsDHParamsFile);
    bool ok = false;
    if (BIO* bio = e.BIO_new_file(file.c_str(), "r")) {
      if (DH* dh = e.PEM_read_bio_DHparams(bio, nullptr, nullptr, nullptr)) {
        ok = e.SSL_CTX_ctrl(fContext, SSL_CTRL_SET_TMP_DH, 0, dh) > 0;
        e.DH_free(dh);
      }
      e.BIO_free(bio);
    }
    if (!ok)
      RaiseCryptoError<ENetOSSLLoadingDHParamsError>(u"Could not load DH Parameters.");
  }
}

void TNetSSLContext::InitContext(TNetSSLCtxMode ctxMode) {
  const TNetOpenSSLEntries& e = OpenSSLEntries();
  fCtxMode = ctxMode;
  if (fContext) {
    e.SSL_CTX_free(fContext);
    fContext = nullptr;
  }
  if (fMode == sslmUnassigned)
    fMode = ctxMode == sslCtxServer ? sslmServer : sslmClient;
  if (fMode == sslmUnassigned)
    throw ENetOSSLModeNotSet();
  const SSL_METHOD* method = SelectMethod();
  if (!method)
    throw ENetOSSLGetMethodError();

  e.ERR_clear_error();
  fContext = e.SSL_CTX_new(method);
  if (!fContext)
    RaiseCryptoError<ENetOSSLCreatingContextError>(u"Error creating SSL context.");

  SetProtocolOptions();
  e.SSL_CTX_ctrl(fContext, SSL_CTRL_MODE, SSL_MODE_AUTO_RETRY, nullptr);
  e.SSL_CTX_set_default_passwd_cb(fContext, SSLPasswordCallback);
  e.SSL_CTX_set_default_passwd_cb_userdata(fContext, this);
  e.SSL_CTX_set_default_verify_paths(fContext);
  AddSystemTrust(fContext);
  LoadFiles();
  if (fStatusInfoOn)
    e.SSL_CTX_set_info_callback(fContext, SSLInfoCallback);

  const std::string ciphers = fCipherList.empty() ? SSLDefaultCipherList : AnsiString(fCipherList);
  if (e.SSL_CTX_set_cipher_list(fContext, ciphers.c_str()) <= 0) {
    e.ERR_clear_error();
    throw ENetOSSLSettingCipherError();
  }
  if (!fVerifyMode.Empty()) {
    e.SSL_CTX_set_verify(fContext, fVerifyMode.Bits(), fVerifyOn ? SSLVerifyCallback : nullptr);
    // Depth 0 would admit no intermediate CA, and every public CA signs through
    // one: 0 keeps OpenSSL's own limit.
    if (fVerifyDepth > 0)
      e.SSL_CTX_set_verify_depth(fContext, fVerifyDepth);
  }
  if (fCtxMode == sslCtxServer) {
    unsigned char id[sizeof fSessionId];
    std::memcpy(id, &fSessionId, sizeof id);
    e.SSL_CTX_set_session_id_context(fContext, id, sizeof id);
  }
  if (!fsRootCertFile.empty()) {
    const std::string file = FileName(fsRootCertFile);
    if (STACK_OF(X509_NAME)* names = e.SSL_load_client_CA_file(file.c_str()))
      e.SSL_CTX_set_client_CA_list(fContext, names);
  }
}

}  // namespace vornel
