// Merging a request's URL into the component's URI and the text of the request line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "http/http_types.h"
#include "http/ipv6_address.h"
#include "http/request_header_info.h"
#include "http/uri.h"

namespace vornel {

// Splits request.URL and merges it into `uri`, which keeps what the URL does not
// name; then sets the request's target, credentials, IP version, length and Host
// header. Raises ENetUnknownProtocol for a protocol without a port and ENetException
// for a method that needs HTTP/1.1 on an HTTP/1.0 component.
void PrepareRequestURI(TNetURI& uri, TNetHTTPRequest& request, TNetHTTPProtocolVersion version);

// A relative path resolved against the directory of the previous request (RFC 3986,
// section 5.2): `directory` ends with "/"; dot segments are removed.
std::u16string ResolveRelativePath(const std::u16string& directory, const std::u16string& path);
// RFC 3986, section 5.2.4.
std::u16string RemoveDotSegments(std::u16string_view path);

// Method, target and version, without the line end.
std::u16string RequestLine(const TNetHTTPRequest& request, TNetHTTPProtocolVersion version);

// The lines of the request head: the request line, every non-empty header line of
// the request's RawHeaders (rebuilt here from its fields), then an empty line.
std::vector<std::u16string> ComposeRequestHead(TNetHTTPRequest& request,
                                               TNetHTTPProtocolVersion version);

// The port a URI connects to: its port text as a decimal number, 80 when that is
// no valid port.
std::uint16_t TargetPortOf(const TNetURI& uri);
// ctSSL or ctNormal directly, ctSSLProxy or ctProxy through a proxy.
TNetHTTPConnectionType ConnectionTypeOf(const TNetURI& uri, bool throughProxy);

}  // namespace vornel
