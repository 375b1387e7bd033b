#include "http/request_preparation.h"

#include "http/http_exceptions.h"
#include "http/text_helpers.h"
#include "platform/text.h"

namespace vornel {

namespace {

bool IsMethod(const TNetHTTPRequest& request, std::u16string_view method) {
  return SameTextAscii(request.Method, method) || SameTextAscii(request.MethodOverride, method);
}

}  // namespace

std::u16string RemoveDotSegments(std::u16string_view path) {
  std::u16string input(path);
  std::u16string output;
  auto dropLastSegment = [&output] {
    const std::size_t slash = output.rfind(u'/');
    output.erase(slash == std::u16string::npos ? 0 : slash);
  };
  while (!input.empty()) {
    if (input.starts_with(u"../")) {
      input.erase(0, 3);
    } else if (input.starts_with(u"./")) {
      input.erase(0, 2);
    } else if (input.starts_with(u"/./")) {
      input.erase(0, 2);
    } else if (input == u"/.") {
      input = u"/";
    } else if (input.starts_with(u"/../")) {
      input.erase(0, 3);
      dropLastSegment();
    } else if (input == u"/..") {
      input = u"/";
      dropLastSegment();
    } else if (input == u"." || input == u"..") {
      input.clear();
    } else {
      const std::size_t next = input.find(u'/', input[0] == u'/' ? 1 : 0);
      const std::size_t length = next == std::u16string::npos ? input.size() : next;
      output += input.substr(0, length);
      input.erase(0, length);
    }
  }
  return output;
}

std::u16string ResolveRelativePath(const std::u16string& directory, const std::u16string& path) {
  const std::u16string base = directory.empty() ? u"/" : directory;
  return RemoveDotSegments(base + path);
}

void PrepareRequestURI(TNetURI& uri, TNetHTTPRequest& request, TNetHTTPProtocolVersion version) {
  TNetURI next(request.URL);

  if (!next.Username.empty()) {
    request.Username = next.Username;
    request.Password = next.Password;
  }
  uri.Username = request.Username;
  uri.Password = request.Password;

  // A relative URL continues in the directory of the previous request. A lone "."
  // or ".." stands for a directory, not a document.
  if (next.Path.starts_with(u"/")) {
    uri.Path = next.Path;
    uri.Document = next.Document;
  } else if (next.Path.empty() && next.Document.empty()) {
    // Only a query or nothing: the document stays (RFC 3986, section 5.2.2).
  } else {
    std::u16string path = next.Path;
    std::u16string document = next.Document;
    if (document == u"." || document == u"..") {
      path += document + u"/";
      document.clear();
    }
    uri.Path = ResolveRelativePath(uri.Path, path);
    uri.Document = document;
  }
  uri.Params = next.Params;
  uri.Bookmark = next.Bookmark;

  if (!next.Host.empty())
    uri.Host = next.Host;

  if (!next.Protocol.empty()) {
    uri.Protocol = next.Protocol;
  } else {
    uri.Protocol = SameTextAscii(uri.Protocol, u"https") ? u"https" : u"http";
  }

  if (!next.Port.empty()) {
    uri.Port = next.Port;
  } else if (SameTextAscii(next.Protocol, u"http")) {
    uri.Port = u"80";
  } else if (SameTextAscii(next.Protocol, u"https")) {
    uri.Port = u"443";
  } else if (uri.Port.empty()) {
    throw ENetUnknownProtocol();
  }

  if (IsMethod(request, u"OPTIONS") && next.Document == u"*") {
    request.URL = u"*";
  } else {
    request.URL = uri.GetPathAndParams();
  }

  request.IPVersion = next.IPVersion;
  uri.IPVersion = next.IPVersion;

  if (version != pv1_1) {
    for (std::u16string_view method : Requires_HTTP_1_1) {
      if (IsMethod(request, method)) {
        throw ENetException(u"Request method requires HTTP version 1.1");
      }
    }
  }

  request.ContentLength = request.Source ? request.Source->Size() : -1;

  std::u16string host = uri.Host;
  if (uri.IPVersion == Net_IPv6 && IsIPv6Address(host))
    host = u"[" + host + u"]";
  const bool defaultPort = (SameTextAscii(uri.Protocol, u"http") && uri.Port == u"80") ||
                           (SameTextAscii(uri.Protocol, u"https") && uri.Port == u"443");
  request.Host = defaultPort ? host : host + u":" + uri.Port;
}

std::vector<std::u16string> ComposeRequestHead(TNetHTTPRequest& request,
                                               TNetHTTPProtocolVersion version) {
  request.SetHeaders();
  std::vector<std::u16string> lines{RequestLine(request, version)};
  for (const std::u16string& line : request.RawHeaders.Lines()) {
    if (!line.empty())
      lines.push_back(line);
  }
  lines.emplace_back();
  return lines;
}

std::uint16_t TargetPortOf(const TNetURI& uri) {
  const auto port = http_text::ParseInt64(uri.Port);
  if (!port || *port < 0 || *port > 65535)
    return 80;
  return static_cast<std::uint16_t>(*port);
}

TNetHTTPConnectionType ConnectionTypeOf(const TNetURI& uri, bool throughProxy) {
  const bool tls = SameTextAscii(uri.Protocol, u"HTTPS");
  if (throughProxy)
    return tls ? ctSSLProxy : ctProxy;
  return tls ? ctSSL : ctNormal;
}

std::u16string RequestLine(const TNetHTTPRequest& request, TNetHTTPProtocolVersion version) {
  return request.Method + u" " + request.URL + u" HTTP/" +
         std::u16string(ProtocolVersionString[version]);
}

}  // namespace vornel
