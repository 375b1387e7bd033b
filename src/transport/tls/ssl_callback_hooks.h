// The functions OpenSSL calls back: the status (info), password and verify
// callbacks. Each runs under its own process-wide lock, keeps errno as it was and
// finds its handler through the session's (or the context's) application data.
#pragma once

#include "transport/tls/openssl_entries.h"

namespace vornel {

void SSLInfoCallback(const SSL* session, int where, int ret);
int SSLPasswordCallback(char* buffer, int size, int rwflag, void* userdata);
int SSLVerifyCallback(int ok, X509_STORE_CTX* store);

}  // namespace vornel
