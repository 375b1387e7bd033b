// The process-wide OpenSSL binding: the entries of TNetOpenSSLEntries are taken
// from the libraries (see openssl_libraries.h) and the library is initialised
// once per process. A missing library or a missing required entry makes only TLS
// fail; plain connections never need the binding.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "transport/tls/openssl_entries.h"
#include "transport/tls/ssl_types.h"

namespace vornel {

// Folder the two libraries are loaded from where they are loaded at run time.
// Empty: the system's library search only (never the executable's folder). Not
// empty: only from that folder. Read at each load attempt; set it before the
// first TLS start. A program with the library linked in never reads it.
extern std::u16string GNetOpenSSLPath;

// Loads and initialises once per process; safe from several threads. True at once
// when already loaded. On false nothing stays loaded and the next call starts over.
bool LoadOpenSSLLibrary();

// Releases the binding; runs by itself at process end.
void UnLoadOpenSSLLibrary();

bool IsOpenSSLLoaded();

// What failed to load in the last attempt: "Failed to load %s." texts and the
// export names of missing required entries.
std::vector<std::u16string> OpenSSLFailedLoadList();

// The entry table; its pointers are set only while the binding is loaded.
const TNetOpenSSLEntries& OpenSSLEntries();

// Whether the loaded library offers a protocol version (its generic, server and
// client method functions were all found).
bool OpenSSLVersionAvailable(TNetSSLVersion version);

// Held while the status, password and verify callbacks run.
std::mutex& LockInfoCB();
std::mutex& LockPassCB();
std::mutex& LockVerifyCB();

}  // namespace vornel
