#include "transport/tls/ssl_options.h"

namespace vornel {

// TLS 1.0 alone is refused by today's servers and is unsafe: the default offers
// TLS 1.2 and 1.3.
TNetSSLOptions::TNetSSLOptions() {
  SetSSLVersions({sslvTLSv1_2, sslvTLSv1_3});
}

void TNetSSLOptions::Assign(const TNetSSLOptions& source) {
  fsRootCertFile = source.fsRootCertFile;
  fsCertFile = source.fsCertFile;
  fsKeyFile = source.fsKeyFile;
  fsDHParamsFile = source.fsDHParamsFile;
  SetMethod(source.fMethod);
  SetSSLVersions(source.fSSLVersions);
  fMode = source.fMode;
  fVerifyMode = source.fVerifyMode;
  fVerifyDepth = source.fVerifyDepth;
  fVerifyDirs = source.fVerifyDirs;
  fCipherList = source.fCipherList;
}

void TNetSSLOptions::SetMethod(TNetSSLVersion value) {
  fMethod = value;
  fSSLVersions = value == sslvSSLv23 ? SSLAllVersions : TNetSSLVersions{value};
}

void TNetSSLOptions::SetSSLVersions(TNetSSLVersions value) {
  TNetSSLVersion single;
  if (value.Single(single) && single != sslvSSLv23) {
    fSSLVersions = value;
    fMethod = single;
    return;
  }
  fMethod = sslvSSLv23;
  value.Exclude(sslvSSLv23);
  fSSLVersions = value.Empty() ? SSLAllVersions : value;
}

}  // namespace vornel
