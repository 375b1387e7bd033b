// The header fields of a response, and the response itself.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "http/entity_header_info.h"
#include "http/http_types.h"
#include "platform/stream.h"

namespace vornel {

class TNetResponseHeaderInfo : public TNetEntityHeaderInfo {
 public:
  void Clear() override;
  void ProcessHeaders() override;

  std::u16string AcceptPatch;
  std::u16string AcceptRanges;
  std::u16string Location;
  std::u16string Server;
  std::u16string ProxyConnection;
  std::vector<std::u16string> ProxyAuthenticate;
  std::vector<std::u16string> WWWAuthenticate;
};

class TNetHTTPResponse : public TNetResponseHeaderInfo {
 public:
  void Clear() override;

  // The status line as received; setting it resets the code and reads the version.
  const std::u16string& ResponseText() const { return FResponseText; }
  void SetResponseText(const std::u16string& line);
  // The status code of the line, -1 when it holds none.
  std::int32_t ResponseCode();
  void SetResponseCode(std::int32_t code) { FResponseCode = code; }
  TNetHTTPProtocolVersion ResponseVersion() const { return FResponseVersion; }

  // Whether the connection may serve the next request: it must still be open
  // (ConnectionAlive checks for a close by the peer) and the headers allow it by
  // the component's protocol version.
  bool KeepAlive();
  bool KeepAliveByHeaders(TNetHTTPProtocolVersion version) const;

  std::function<bool()> ConnectionAlive;
  std::function<TNetHTTPProtocolVersion()> ComponentVersion;

  TStream* ContentStream = nullptr;
  // Fields declared by meta http-equiv elements of an HTML body.
  TNetEntityHeaderInfo MetaHTTPEquiv;

 private:
  std::u16string FResponseText;
  std::int32_t FResponseCode = -1;
  TNetHTTPProtocolVersion FResponseVersion = pv1_0;
};

}  // namespace vornel
