// The request head composed from a URL on a new component: request line, Host
// header, the port and kind of connection, and the header order.
#include <gtest/gtest.h>

#include "http/http_exceptions.h"
#include "http/request_preparation.h"
#include "platform/memory_stream.h"
#include "platform/text.h"

namespace vornel {
namespace {

struct TFresh {
  TNetURI Uri;
  TNetHTTPRequest Request;

  void Prepare(const std::u16string& url, const std::u16string& method = u"GET",
               TNetHTTPProtocolVersion version = pv1_1) {
    Request.URL = url;
    Request.Method = method;
    PrepareRequestURI(Uri, Request, version);
  }
  std::u16string Head(TNetHTTPProtocolVersion version = pv1_1) {
    std::u16string text;
    for (const auto& line : ComposeRequestHead(Request, version))
      text += line + u"\r\n";
    return text;
  }
};

struct TEdgeCase {
  std::u16string Url;
  std::u16string RequestLine;
  std::u16string Host;
  std::uint16_t Port;
  TNetHTTPConnectionType Type;
  TNetIPVersion IPVersion = Net_IPv4;
};

class RequestEdgeCases : public ::testing::TestWithParam<TEdgeCase> {};

TEST_P(RequestEdgeCases, LineHostAndTarget) {
  const TEdgeCase& c = GetParam();
  TFresh f;
  f.Prepare(c.Url);
  EXPECT_EQ(RequestLine(f.Request, pv1_1), c.RequestLine);
  EXPECT_EQ(f.Request.Host, c.Host);
  EXPECT_EQ(TargetPortOf(f.Uri), c.Port);
  EXPECT_EQ(ConnectionTypeOf(f.Uri, false), c.Type);
  EXPECT_EQ(f.Request.IPVersion, c.IPVersion);
  EXPECT_EQ(f.Uri.IPVersion, c.IPVersion);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RequestEdgeCases,
    ::testing::Values(
        TEdgeCase{u"https://host/a/b/file.zip", u"GET /a/b/file.zip HTTP/1.1", u"host", 443, ctSSL},
        TEdgeCase{u"HTTPS://host/x", u"GET /x HTTP/1.1", u"host", 443, ctSSL},
        TEdgeCase{u"https://host:443/x", u"GET /x HTTP/1.1", u"host", 443, ctSSL},
        TEdgeCase{u"https://host:8443/x", u"GET /x HTTP/1.1", u"host:8443", 8443, ctSSL},
        TEdgeCase{u"http://host:80/x", u"GET /x HTTP/1.1", u"host", 80, ctNormal},
        TEdgeCase{u"http://host:0080/x", u"GET /x HTTP/1.1", u"host:0080", 80, ctNormal},
        TEdgeCase{u"http://host", u"GET / HTTP/1.1", u"host", 80, ctNormal},
        TEdgeCase{u"http://host?q=1", u"GET /?q=1 HTTP/1.1", u"host", 80, ctNormal},
        TEdgeCase{u"http://host/p/doc?x=1#frag", u"GET /p/doc?x=1 HTTP/1.1", u"host", 80, ctNormal},
        TEdgeCase{u"http://host/p/doc#frag?x", u"GET /p/doc#frag?x HTTP/1.1", u"host", 80,
                  ctNormal},
        TEdgeCase{u"http://[::1]:8080/x", u"GET /x HTTP/1.1", u"[::1]:8080", 8080, ctNormal,
                  Net_IPv6},
        TEdgeCase{u"http://host:x/y", u"GET /y HTTP/1.1", u"host:x", 80, ctNormal},
        // Blanks and non-ASCII characters go into the line unencoded.
        TEdgeCase{u"http://host/a b/\u017elu\u0165.zip", u"GET /a b/\u017elu\u0165.zip HTTP/1.1",
                  u"host", 80, ctNormal}));

TEST(RequestHead, InstallerRequestByteForByte) {
  TFresh f;
  f.Prepare(u"https://www.vornel.cz/QRTX/Instalace/Tarvo2021_2021K1.zip");
  EXPECT_EQ(f.Head(),
            u"GET /QRTX/Instalace/Tarvo2021_2021K1.zip HTTP/1.1\r\n"
            u"Host: www.vornel.cz\r\n"
            u"Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
            u"User-Agent: Mozilla/3.0 (compatible; Net Library)\r\n"
            u"\r\n");
  EXPECT_EQ(f.Uri.GetURI(), u"https://www.vornel.cz/QRTX/Instalace/Tarvo2021_2021K1.zip");
}

TEST(RequestHead, UserInformationSetsCredentialsButSendsNoAuthorization) {
  TFresh f;
  f.Prepare(u"http://user:pw@host/x");
  EXPECT_EQ(f.Request.Username, u"user");
  EXPECT_EQ(f.Request.Password, u"pw");
  EXPECT_EQ(f.Uri.Username, u"user");
  EXPECT_EQ(f.Head().find(u"Authorization"), std::u16string::npos);

  TFresh colon;
  colon.Prepare(u"http://:pw@host/x");
  EXPECT_EQ(colon.Request.Username, u"");
  EXPECT_EQ(colon.Request.Password, u"");
}

TEST(RequestHead, UnknownProtocolWithoutPort) {
  for (const char16_t* url : {u"ftp://host/file", u"relative/page.html", u"/abs"}) {
    TFresh f;
    try {
      f.Prepare(url);
      ADD_FAILURE() << ToUtf8(url);
    } catch (const ENetUnknownProtocol& e) {
      EXPECT_EQ(e.Message(), u"Unknown Protocol");
    }
  }
  TFresh f;
  f.Prepare(u"ftp://host:2121/file");
  EXPECT_EQ(f.Request.Host, u"host:2121");
}

TEST(RequestHead, MethodsThatNeedHTTP11) {
  for (const char16_t* method : {u"TRACE", u"put", u"OPTIONS", u"DELETE", u"PATCH"}) {
    TFresh f;
    EXPECT_THROW(f.Prepare(u"http://host/x", method, pv1_0), ENetException);
    TFresh g;
    EXPECT_NO_THROW(g.Prepare(u"http://host/x", method, pv1_1));
  }
  TFresh f;
  f.Request.MethodOverride = u"Patch";
  try {
    f.Prepare(u"http://host/x", u"POST", pv1_0);
    FAIL();
  } catch (const ENetException& e) {
    EXPECT_EQ(e.Message(), u"Request method requires HTTP version 1.1");
  }
  TFresh options;
  options.Prepare(u"http://host/*", u"OPTIONS");
  EXPECT_EQ(options.Request.URL, u"*");
}

TEST(RequestHead, CustomHeadersReplacedInPlaceOrPlacedBeforeHost) {
  TFresh f;
  f.Request.CustomHeaders.Add(u"X-Own: 1");
  f.Request.CustomHeaders.Add(u"accept: custom/type");
  f.Request.ContentLanguage = u"cs";
  f.Prepare(u"http://host/x");
  EXPECT_EQ(f.Head(),
            u"GET /x HTTP/1.1\r\n"
            u"Content-Language: cs\r\n"
            u"X-Own: 1\r\n"
            u"Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
            u"Host: host\r\n"
            u"User-Agent: Mozilla/3.0 (compatible; Net Library)\r\n"
            u"\r\n");
}

TEST(RequestHead, GetNeverCarriesContentLengthAndEmptyFieldsStayOut) {
  TFresh f;
  f.Request.ContentLength = 42;
  f.Request.UserAgent.clear();
  f.Prepare(u"http://host/x");
  EXPECT_EQ(f.Head(),
            u"GET /x HTTP/1.1\r\n"
            u"Host: host\r\n"
            u"Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
            u"\r\n");
}

TEST(RequestHead, EveryFieldInItsOrder) {
  TFresh f;
  TMemoryStream body;
  body.Write("abc", 3);
  f.Request.Source = &body;
  f.Request.Connection = u"keep-alive";
  f.Request.ContentType = u"text/plain; charset=x";
  f.Request.CharSet = u"utf-8";
  f.Request.CacheControl = u"no-cache";
  f.Request.Pragma = u"no-cache";
  f.Request.AcceptEncoding = u"gzip, identity";
  f.Request.Referer = u"http://r/";
  f.Request.MethodOverride = u"PATCH";
  f.Request.Ranges.Items.push_back({0, 99, -1});
  f.Request.Ranges.Items.push_back({-1, -1, -1});
  f.Request.Ranges.Items.push_back({-1, -1, 500});
  f.Request.Ranges.Items.push_back({100, -1, -1});
  f.Prepare(u"http://host:8080/x", u"POST");
  EXPECT_EQ(f.Head(),
            u"POST /x HTTP/1.1\r\n"
            u"Connection: keep-alive\r\n"
            u"Content-Type: text/plain; charset=utf-8\r\n"
            u"Content-Length: 3\r\n"
            u"Cache-control: no-cache\r\n"
            u"Pragma: no-cache\r\n"
            u"Host: host:8080\r\n"
            u"Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
            u"Accept-Encoding: gzip, identity\r\n"
            u"Referer: http://r/\r\n"
            u"User-Agent: Mozilla/3.0 (compatible; Net Library)\r\n"
            u"Range: bytes=0-99,-500,100-\r\n"
            u"X-HTTP-Method-Override: PATCH\r\n"
            u"\r\n");
}

TEST(RequestHead, ClearingRestoresTheDefaults) {
  TNetHTTPRequest r;
  r.Accept = u"x";
  r.UserAgent = u"y";
  r.AcceptCharSet = u"z";
  r.BasicAuthentication = true;
  r.Pragma = u"kept";
  r.Ranges.Items.push_back({1, 2, -1});
  r.Ranges.SetUnits(u"  ");
  r.Clear();
  EXPECT_EQ(r.Accept, u"text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8");
  EXPECT_EQ(r.UserAgent, u"Mozilla/3.0 (compatible; Net Library)");
  EXPECT_EQ(r.AcceptCharSet, u"");
  EXPECT_FALSE(r.BasicAuthentication);
  EXPECT_TRUE(r.Ranges.Items.empty());
  EXPECT_EQ(r.Ranges.Units(), u"bytes");
  EXPECT_EQ(r.Pragma, u"kept");
}

struct TMergeCase {
  std::u16string First, Second, Line, Host;
};

TEST(RequestHead, RelativeURLsContinueWhereTheLastOneStood) {
  const TMergeCase cases[] = {
      {u"http://h/a/b/c.html", u"d.html", u"GET /a/b/d.html HTTP/1.1", u"h"},
      {u"http://h/a/b/c.html", u"../d.html", u"GET /a/d.html HTTP/1.1", u"h"},
      {u"http://h/a/b/c.html", u"./x/../y/./z?q", u"GET /a/b/y/z?q HTTP/1.1", u"h"},
      {u"http://h/a/b/c.html", u"../../../../up", u"GET /up HTTP/1.1", u"h"},
      {u"http://h/a/b/c.html?old", u"..", u"GET /a/ HTTP/1.1", u"h"},
      {u"http://h/a/b/c.html?old", u"?new", u"GET /a/b/c.html?new HTTP/1.1", u"h"},
      {u"http://h/a/b/c.html?old", u"/root/x", u"GET /root/x HTTP/1.1", u"h"},
      {u"https://h:8443/a/", u"b", u"GET /a/b HTTP/1.1", u"h:8443"},
      {u"http://h/a/", u"http://other/z", u"GET /z HTTP/1.1", u"other"},
  };
  for (const auto& c : cases) {
    TFresh f;
    f.Prepare(c.First);
    f.Prepare(c.Second);
    EXPECT_EQ(RequestLine(f.Request, pv1_1), c.Line) << ToUtf8(c.Second);
    EXPECT_EQ(f.Request.Host, c.Host) << ToUtf8(c.Second);
  }
  TFresh keepsTls;
  keepsTls.Prepare(u"https://h/a/");
  keepsTls.Prepare(u"b");
  EXPECT_EQ(keepsTls.Uri.Protocol, u"https");
  EXPECT_EQ(ConnectionTypeOf(keepsTls.Uri, false), ctSSL);
  EXPECT_EQ(ConnectionTypeOf(keepsTls.Uri, true), ctSSLProxy);
}

TEST(RequestHead, DotSegmentRemoval) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"/a/b/c/./../../g", u"/a/g"},
      {u"mid/content=5/../6", u"mid/6"},
      {u"/../a", u"/a"},
      {u"/a/..", u"/"},
      {u"/a/.", u"/a/"},
      {u"/a//b/../c", u"/a//c"},
  };
  for (const auto& [in, out] : cases)
    EXPECT_EQ(RemoveDotSegments(in), out) << ToUtf8(in);
}

}  // namespace
}  // namespace vornel
