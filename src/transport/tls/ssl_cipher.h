// The current cipher of a session.
#pragma once

#include <string>

namespace vornel {

class TNetSSLSocket;

class TNetSSLCipher {
 public:
  explicit TNetSSLCipher(TNetSSLSocket& socket) : FSocket(socket) {}

  std::u16string Name() const;
  std::u16string Description() const;
  int Bits() const;  // the algorithm's bits
  std::u16string Version() const;

 private:
  TNetSSLSocket& FSocket;
};

}  // namespace vornel
