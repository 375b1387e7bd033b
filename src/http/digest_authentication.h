// The Digest scheme of RFC 2617: MD5 and MD5-sess, with the qop "auth-int" or
// "auth" when the server offers one, and the nonce count.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "http/authentication.h"

namespace vornel {

class TNetDigestAuthentication : public TNetAuthentication {
 public:
  std::int32_t GetSteps() const override { return 1; }
  void SetRequest(const std::u16string& method, const std::u16string& uri) override;
  // "Digest" before a challenge is read; then the response to it, once.
  std::u16string Authentication() override;

  // What the last challenge said.
  std::u16string Realm;
  std::u16string Nonce;
  std::vector<std::u16string> Domain;
  std::u16string Opaque;
  bool Stale = false;
  std::u16string Algorithm;
  std::vector<std::u16string> Qop;
  std::uint32_t NonceCount = 0;

 protected:
  TNetAuthWhatsNext DoNext() override;
  // The client nonce of a response: the MD5 of the date and time, in hexadecimal.
  virtual std::u16string ClientNonce();

 private:
  void ReadChallenge();

  std::u16string FMethod;
  std::u16string FURI;
};

}  // namespace vornel
