// Protocol versions, modes and verify modes of the TLS layer, with the small sets
// built from them.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace vornel {

enum TNetSSLVersion : std::uint8_t {
  sslvSSLv2 = 0,
  sslvSSLv23 = 1,  // any version the library and the set allow
  sslvSSLv3 = 2,
  sslvTLSv1 = 3,
  sslvTLSv1_1 = 4,
  sslvTLSv1_2 = 5,
  sslvTLSv1_3 = 6,
};

enum TNetSSLMode : std::uint8_t {
  sslmUnassigned = 0,
  sslmClient = 1,
  sslmServer = 2,
  sslmBoth = 3,
};

enum TNetSSLCtxMode : std::uint8_t {
  sslCtxClient = 0,
  sslCtxServer = 1,
};

// Members of a verify mode; their bit values are OpenSSL's verify-mode flags.
enum TNetSSLVerifyModeItem : std::uint8_t {
  sslvrfPeer = 1,
  sslvrfFailIfNoPeerCert = 2,
  sslvrfClientOnce = 4,
};

// A set of protocol versions stored as one byte, bit n for version n.
class TNetSSLVersions {
 public:
  constexpr TNetSSLVersions() = default;
  constexpr TNetSSLVersions(std::initializer_list<TNetSSLVersion> versions) {
    for (TNetSSLVersion v : versions)
      FBits |= Bit(v);
  }
  static constexpr TNetSSLVersions FromByte(std::uint8_t bits) {
    TNetSSLVersions s;
    s.FBits = bits;
    return s;
  }

  constexpr std::uint8_t Byte() const { return FBits; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr bool Contains(TNetSSLVersion v) const { return (FBits & Bit(v)) != 0; }
  constexpr void Include(TNetSSLVersion v) { FBits |= Bit(v); }
  constexpr void Exclude(TNetSSLVersion v) { FBits &= static_cast<std::uint8_t>(~Bit(v)); }
  // The only member of a one-element set; false for any other set.
  constexpr bool Single(TNetSSLVersion& v) const {
    if (FBits == 0 || (FBits & (FBits - 1)) != 0)
      return false;
    std::uint8_t n = 0;
    while ((FBits >> n) != 1)
      ++n;
    v = static_cast<TNetSSLVersion>(n);
    return true;
  }

  friend constexpr bool operator==(TNetSSLVersions a, TNetSSLVersions b) = default;

 private:
  static constexpr std::uint8_t Bit(TNetSSLVersion v) {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(v));
  }
  std::uint8_t FBits = 0;
};

// Every concrete version: what "any version" stands for.
inline constexpr TNetSSLVersions SSLAllVersions{sslvSSLv2,   sslvSSLv3,   sslvTLSv1,
                                                sslvTLSv1_1, sslvTLSv1_2, sslvTLSv1_3};

// A set of verify-mode members; Bits() is the mode handed to OpenSSL.
class TNetSSLVerifyMode {
 public:
  constexpr TNetSSLVerifyMode() = default;
  constexpr TNetSSLVerifyMode(std::initializer_list<TNetSSLVerifyModeItem> items) {
    for (TNetSSLVerifyModeItem i : items)
      FBits |= i;
  }
  constexpr int Bits() const { return FBits; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr bool Contains(TNetSSLVerifyModeItem i) const { return (FBits & i) != 0; }

  friend constexpr bool operator==(TNetSSLVerifyMode a, TNetSSLVerifyMode b) = default;

 private:
  std::uint8_t FBits = 0;
};

}  // namespace vornel
