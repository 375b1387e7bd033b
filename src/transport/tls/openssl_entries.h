// The table of OpenSSL functions that the TLS layer may call. The libraries are
// bound at run time, so the headers serve only for types, constants and the
// prototypes the pointers are declared with; nothing here links OpenSSL.
#pragma once

#ifndef OPENSSL_SUPPRESS_DEPRECATED
#define OPENSSL_SUPPRESS_DEPRECATED
#endif
#include <openssl/bio.h>
#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

namespace vornel {

// Which of the two libraries exports an entry.
enum class TNetOpenSSLLib { Crypto, Ssl };

// X(library, required, name): entries whose export name is the member's name.
#define VORNEL_OPENSSL_ENTRIES(X)                                                                  \
  X(Crypto, true, OPENSSL_init_crypto)                                                             \
  X(Crypto, false, OPENSSL_cleanup)                                                                \
  X(Crypto, true, ERR_get_error)                                                                   \
  X(Crypto, true, ERR_peek_error)                                                                  \
  X(Crypto, true, ERR_clear_error)                                                                 \
  X(Crypto, true, ERR_error_string_n)                                                              \
  X(Crypto, true, BIO_new_file)                                                                    \
  X(Crypto, true, BIO_free)                                                                        \
  X(Crypto, true, PEM_read_bio_DHparams)                                                           \
  X(Crypto, true, DH_free)                                                                         \
  X(Crypto, true, X509_free)                                                                       \
  X(Crypto, true, X509_get_subject_name)                                                           \
  X(Crypto, true, X509_get_issuer_name)                                                            \
  X(Crypto, true, X509_NAME_oneline)                                                               \
  X(Crypto, true, X509_STORE_CTX_get_current_cert)                                                 \
  X(Crypto, true, X509_STORE_CTX_get_error)                                                        \
  X(Crypto, true, X509_STORE_CTX_get_error_depth)                                                  \
  X(Crypto, true, X509_STORE_CTX_get_ex_data)                                                      \
  X(Crypto, true, X509_verify_cert_error_string)                                                   \
  X(Crypto, false, d2i_X509)                                                                       \
  X(Crypto, false, X509_STORE_add_cert)                                                            \
  X(Ssl, false, SSL_CTX_get_cert_store)                                                            \
  X(Ssl, true, OPENSSL_init_ssl)                                                                   \
  X(Ssl, true, SSL_CTX_new)                                                                        \
  X(Ssl, true, SSL_CTX_free)                                                                       \
  X(Ssl, true, SSL_CTX_ctrl)                                                                       \
  X(Ssl, true, SSL_CTX_set_options)                                                                \
  X(Ssl, true, SSL_CTX_clear_options)                                                              \
  X(Ssl, true, SSL_CTX_get_options)                                                                \
  X(Ssl, true, SSL_CTX_get_ssl_method)                                                             \
  X(Ssl, true, SSL_CTX_set_default_passwd_cb)                                                      \
  X(Ssl, true, SSL_CTX_set_default_passwd_cb_userdata) X(                                          \
      Ssl, true, SSL_CTX_set_default_verify_paths) X(Ssl, true, SSL_CTX_set_cipher_list)           \
      X(Ssl, true, SSL_CTX_set_verify) X(Ssl, true, SSL_CTX_set_verify_depth) X(                   \
          Ssl, true, SSL_CTX_set_session_id_context) X(Ssl, true, SSL_CTX_set_info_callback)       \
          X(Ssl, true, SSL_CTX_load_verify_locations) X(                                           \
              Ssl, true, SSL_CTX_use_certificate_file) X(Ssl, false,                               \
                                                         SSL_CTX_use_certificate_chain_file)       \
              X(Ssl, true, SSL_CTX_use_PrivateKey_file) X(Ssl, true, SSL_CTX_check_private_key) X( \
                  Ssl, true, SSL_CTX_set_client_CA_list) X(Ssl, true, SSL_load_client_CA_file)     \
                  X(Ssl, true, SSL_new) X(Ssl, true, SSL_free) X(Ssl, true, SSL_set_ex_data) X(    \
                      Ssl, true, SSL_get_ex_data) X(Ssl, true, SSL_get_ex_data_X509_STORE_CTX_idx) \
                      X(Ssl, true, SSL_set_fd) X(Ssl, true, SSL_get_fd) X(                         \
                          Ssl, true, SSL_copy_session_id) X(Ssl, true, SSL_ctrl) X(Ssl, true,      \
                                                                                   SSL_set1_host)  \
                          X(Ssl, true, SSL_connect) X(Ssl, true, SSL_accept) X(                    \
                              Ssl, true, SSL_get_current_cipher) X(Ssl, true, SSL_CIPHER_get_name) \
                              X(Ssl, true, SSL_CIPHER_description) X(                              \
                                  Ssl, true,                                                       \
                                  SSL_CIPHER_get_bits) X(Ssl, true, SSL_CIPHER_get_version)        \
                                  X(Ssl, true, SSL_get_version) X(                                 \
                                      Ssl, true, SSL_get_verify_result) X(Ssl, false, SSL_pending) \
                                      X(Ssl, false, SSL_peek)                                      \
                                          X(Ssl, true, SSL_read) X(Ssl, true, SSL_write) X(        \
                                              Ssl, true, SSL_get_error) X(Ssl, true, SSL_shutdown) \
                                              X(Ssl, true, SSL_state_string_long)                  \
                                                  X(Ssl, true, SSL_alert_type_string_long)         \
                                                      X(Ssl, true, SSL_alert_desc_string_long)

// X(library, required, name, older export name): entries renamed between library
// releases; the older name is looked up first, the member's name second.
#define VORNEL_OPENSSL_RENAMED_ENTRIES(X)        \
  X(Crypto, true, OpenSSL_version_num, "SSLeay") \
  X(Ssl, true, SSL_get1_peer_certificate, "SSL_get_peer_certificate")

// X(version prefix): the generic, server and client method functions of a protocol
// version, all optional. The SSL 2/3 generic family is listed separately because
// OpenSSL 1.1 renamed it.
#define VORNEL_OPENSSL_METHOD_FAMILIES(X) \
  X(SSLv2)                                \
  X(SSLv3)                                \
  X(TLSv1)                                \
  X(TLSv1_1)                              \
  X(TLSv1_2)                              \
  X(DTLSv1)

using TNetSSLMethodFunc = const SSL_METHOD* (*)();

struct TNetOpenSSLEntries {
#define VORNEL_OPENSSL_FIELD(lib, required, name) decltype(&::name) name = nullptr;
#define VORNEL_OPENSSL_RENAMED_FIELD(lib, required, name, older) decltype(&::name) name = nullptr;
#define VORNEL_OPENSSL_METHOD_FIELDS(prefix)          \
  TNetSSLMethodFunc prefix##_method = nullptr;        \
  TNetSSLMethodFunc prefix##_server_method = nullptr; \
  TNetSSLMethodFunc prefix##_client_method = nullptr;
  VORNEL_OPENSSL_ENTRIES(VORNEL_OPENSSL_FIELD)
  VORNEL_OPENSSL_RENAMED_ENTRIES(VORNEL_OPENSSL_RENAMED_FIELD)
  VORNEL_OPENSSL_METHOD_FAMILIES(VORNEL_OPENSSL_METHOD_FIELDS)
  // The SSL 2/3 ("any version") family: SSLv23_method and so on before 1.1,
  // TLS_method and so on since.
  TNetSSLMethodFunc TLS_method = nullptr;
  TNetSSLMethodFunc TLS_server_method = nullptr;
  TNetSSLMethodFunc TLS_client_method = nullptr;
#undef VORNEL_OPENSSL_FIELD
#undef VORNEL_OPENSSL_RENAMED_FIELD
#undef VORNEL_OPENSSL_METHOD_FIELDS
};

}  // namespace vornel
