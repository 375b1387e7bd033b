#include "http/response_header_info.h"

#include <limits>

#include "http/text_helpers.h"
#include "platform/text.h"

namespace vornel {

void TNetResponseHeaderInfo::Clear() {
  TNetEntityHeaderInfo::Clear();
  ContentType.clear();
  CharSet.clear();
  Location.clear();
  Server.clear();
  AcceptPatch.clear();
  AcceptRanges.clear();
  ProxyAuthenticate.clear();
  WWWAuthenticate.clear();
}

void TNetResponseHeaderInfo::ProcessHeaders() {
  TNetEntityHeaderInfo::ProcessHeaders();
  Location = RawHeaders.Value(u"Location");
  Server = RawHeaders.Value(u"Server");
  ProxyConnection = RawHeaders.Value(u"Proxy-Connection");
  AcceptPatch = RawHeaders.Value(u"Accept-Patch");
  AcceptRanges = RawHeaders.Value(u"Accept-Ranges");
  WWWAuthenticate = RawHeaders.Values(u"WWW-Authenticate");
  ProxyAuthenticate = RawHeaders.Values(u"Proxy-Authenticate");
}

void TNetHTTPResponse::Clear() {
  TNetResponseHeaderInfo::Clear();
  MetaHTTPEquiv.Clear();
}

void TNetHTTPResponse::SetResponseText(const std::u16string& line) {
  FResponseText = line;
  FResponseCode = -1;
  FResponseVersion = pv1_0;
  if (line.size() >= 8) {
    const std::u16string_view version = std::u16string_view(line).substr(5, 3);
    for (std::size_t i = 0; i < ProtocolVersionString.size(); ++i) {
      if (SameTextAscii(version, ProtocolVersionString[i])) {
        FResponseVersion = static_cast<TNetHTTPProtocolVersion>(i);
      }
    }
  }
}

std::int32_t TNetHTTPResponse::ResponseCode() {
  if (FResponseCode != -1)
    return FResponseCode;
  std::u16string rest = FResponseText;
  const std::size_t blank = rest.find(u' ');
  rest = blank == std::u16string::npos ? std::u16string() : rest.substr(blank + 1);
  rest = Trim(rest);
  std::u16string code = http_text::Fetch(rest, u" ");
  code = http_text::Fetch(code, u".");
  const auto value = http_text::ParseInt64(code);
  if (value && *value >= std::numeric_limits<std::int32_t>::min() &&
      *value <= std::numeric_limits<std::int32_t>::max()) {
    FResponseCode = static_cast<std::int32_t>(*value);
  }
  return FResponseCode;
}

bool TNetHTTPResponse::KeepAliveByHeaders(TNetHTTPProtocolVersion version) const {
  const std::u16string connection = Trim(Connection);
  const std::u16string proxy = Trim(ProxyConnection);
  if (version == pv1_1) {
    return !SameTextAscii(connection, u"CLOSE") && !SameTextAscii(proxy, u"CLOSE");
  }
  return SameTextAscii(connection, u"KEEP-ALIVE") || SameTextAscii(proxy, u"KEEP-ALIVE");
}

bool TNetHTTPResponse::KeepAlive() {
  if (!ConnectionAlive || !ConnectionAlive())
    return false;
  return KeepAliveByHeaders(ComponentVersion ? ComponentVersion() : pv1_1);
}

}  // namespace vornel
