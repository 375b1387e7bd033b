// Enumerations and small fixed tables of the HTTP client.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace vornel {

enum TNetHTTPProtocolVersion { pv1_0, pv1_1 };

inline constexpr std::array<std::u16string_view, 2> ProtocolVersionString{u"1.0", u"1.1"};

// Methods that may only be sent with HTTP/1.1.
inline constexpr std::array<std::u16string_view, 5> Requires_HTTP_1_1{u"TRACE", u"PUT", u"OPTIONS",
                                                                      u"DELETE", u"PATCH"};

enum TNetHTTPConnectionType { ctNormal, ctSSL, ctProxy, ctSSLProxy };

enum TNetHTTPOption {
  hoInProcessAuth,
  hoKeepOrigProtocol,
  hoForceEncodeParams,
  hoNonSSLProxyUseConnectVerb,
  hoNoParseMetaHTTPEquiv,
  hoWaitForUnexpectedData,
  hoTreat302Like303,
  hoNoProtocolErrorException,
  hoNoReadMultipartMIME,
  hoNoParseXmlCharset,
  hoWantProtocolErrorContent,
  hoNoReadChunked
};

// A set of options.
class TNetHTTPOptions {
 public:
  constexpr TNetHTTPOptions() = default;
  constexpr TNetHTTPOptions(std::initializer_list<TNetHTTPOption> options) {
    for (TNetHTTPOption option : options)
      Include(option);
  }
  constexpr bool Has(TNetHTTPOption option) const { return (FBits & Bit(option)) != 0; }
  constexpr void Include(TNetHTTPOption option) { FBits |= Bit(option); }
  constexpr void Exclude(TNetHTTPOption option) { FBits &= ~Bit(option); }
  constexpr bool operator==(const TNetHTTPOptions&) const = default;

 private:
  static constexpr std::uint32_t Bit(TNetHTTPOption option) { return 1u << option; }
  std::uint32_t FBits = 0;
};

enum TNetHTTPWhatsNext { wnGoToURL, wnJustExit, wnAuthRequest };

}  // namespace vornel
