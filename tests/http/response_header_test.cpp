#include <gtest/gtest.h>

#include "http/charset.h"
#include "http/http_exceptions.h"
#include "http/response_header_info.h"
#include "platform/clock.h"

namespace vornel {
namespace {

TEST(Response, StatusCodeAndVersionFromTheLine) {
  const std::tuple<std::u16string, std::int32_t, TNetHTTPProtocolVersion> cases[] = {
      {u"HTTP/1.1 404 Not Found", 404, pv1_1},
      {u"HTTP/1.0 200 OK", 200, pv1_0},
      {u"http/1.1 200.5 odd", 200, pv1_1},
      {u"HTTP/1.1   301   Moved", 301, pv1_1},
      {u"HTTP/2.0 200", 200, pv1_0},
      {u"HTTP/1.1 abc", -1, pv1_1},
      {u"HTTP/1.1", -1, pv1_1},
      {u"", -1, pv1_0},
      {u"HTTP/1.1 99999999999 big", -1, pv1_1},
  };
  for (const auto& [line, code, version] : cases) {
    TNetHTTPResponse r;
    r.SetResponseText(line);
    EXPECT_EQ(r.ResponseCode(), code);
    EXPECT_EQ(r.ResponseVersion(), version);
  }
}

void Process(TNetHTTPResponse& r, std::initializer_list<std::u16string> lines) {
  r.Clear();
  for (const auto& line : lines)
    r.RawHeaders.Add(line);
  r.ProcessHeaders();
}

TEST(Response, ContentTypeAndCharSet) {
  const std::tuple<std::u16string, std::u16string, std::u16string> cases[] = {
      {u"Content-Type: text/html; charset=utf-8", u"text/html", u"utf-8"},
      {u"Content-Type: text/html", u"text/html", u"ISO-8859-1"},
      {u"Content-Type: text/xml", u"text/xml", u"us-ascii"},
      {u"Content-Type: text/svg+xml", u"text/svg+xml", u"us-ascii"},
      {u"Content-Type: application/zip", u"application/zip", u""},
      {u"Content-Type: text/plain; format=flowed; charset=\"windows-1250\"",
       u"text/plain; format=flowed", u"windows-1250"},
      {u"X: none", u"", u""},
  };
  for (const auto& [line, type, charset] : cases) {
    TNetHTTPResponse r;
    Process(r, {line});
    EXPECT_EQ(r.ContentType, type);
    EXPECT_EQ(r.CharSet, charset);
  }
}

TEST(Response, LengthsAndRanges) {
  TNetHTTPResponse r;
  Process(r, {u"Content-Length:  1234 ", u"Content-Range: bytes 10-19/100"});
  EXPECT_EQ(r.ContentLength, 1234);
  EXPECT_TRUE(r.HasContentLength());
  EXPECT_EQ(r.ContentRangeUnits, u"bytes");
  EXPECT_EQ(r.ContentRangeStart, 10);
  EXPECT_EQ(r.ContentRangeEnd, 19);
  EXPECT_EQ(r.ContentRangeInstanceLength, 100);

  Process(r, {u"Content-Length: 12x", u"Content-Range: bytes */100"});
  EXPECT_EQ(r.ContentLength, -1);
  EXPECT_FALSE(r.HasContentLength());
  EXPECT_EQ(r.ContentRangeStart, -1);
  EXPECT_EQ(r.ContentRangeInstanceLength, 100);
}

TEST(Response, NegativeContentLengthIsCorrupt) {
  for (const char16_t* line : {u"Content-Length: -5", u"Content-Length: -1"}) {
    TNetHTTPResponse r;
    r.RawHeaders.Add(line);
    EXPECT_THROW(r.ProcessHeaders(), ENetHTTPMalformedResponse);
  }
}

TEST(Response, DatesAndExpiry) {
  const double before = Now();
  TNetHTTPResponse r;
  Process(r, {u"Expires: 3600", u"Last-Modified: Sun, 06 Nov 1994 08:49:37 GMT"});
  EXPECT_GE(r.Date, before);
  EXPECT_NEAR(r.Expires - r.Date, 3600.0 / 86400.0, 1.0 / 86400.0);
  EXPECT_DOUBLE_EQ(r.LastModified, UnixToLocalDateTime(784111777));
  Process(r, {u"Date: nonsense", u"Expires: 0"});
  EXPECT_EQ(r.Date, 0);
}

TEST(Response, AuthenticateListsAndClearing) {
  TNetHTTPResponse r;
  Process(r, {u"WWW-Authenticate: Basic realm=x", u"Location: /n", u"www-authenticate: Digest a=b",
              u"Pragma: p", u"Transfer-Encoding: chunked"});
  EXPECT_EQ(r.WWWAuthenticate, (std::vector<std::u16string>{u"Basic realm=x", u"Digest a=b"}));
  EXPECT_EQ(r.Location, u"/n");
  r.Clear();
  EXPECT_TRUE(r.WWWAuthenticate.empty());
  EXPECT_EQ(r.Location, u"");
  EXPECT_EQ(r.RawHeaders.Count(), 0u);
  // Clearing leaves these two as they are.
  EXPECT_EQ(r.Pragma, u"p");
  EXPECT_EQ(r.TransferEncoding, u"chunked");
}

TEST(Response, KeepAliveByVersionAndConnection) {
  const std::tuple<TNetHTTPProtocolVersion, std::u16string, std::u16string, bool> cases[] = {
      {pv1_1, u"", u"", true},
      {pv1_1, u" Close ", u"", false},
      {pv1_1, u"", u"close", false},
      {pv1_1, u"keep-alive", u"", true},
      {pv1_0, u"", u"", false},
      {pv1_0, u"Keep-Alive", u"", true},
      {pv1_0, u"", u" keep-alive", true},
      {pv1_0, u"close", u"", false},
  };
  for (const auto& [version, connection, proxy, expected] : cases) {
    TNetHTTPResponse r;
    r.Connection = connection;
    r.ProxyConnection = proxy;
    EXPECT_EQ(r.KeepAliveByHeaders(version), expected);
    r.ConnectionAlive = [] { return false; };
    EXPECT_FALSE(r.KeepAlive());
  }
}

TEST(CharSet, DecodesByName) {
  const std::uint8_t utf8[] = {0xC4, 0x8D, 'a'};
  EXPECT_EQ(DecodeWithCharSet(u"UTF-8", utf8, 3), u"\u010da");
  EXPECT_EQ(DecodeWithCharSet(u"ISO-8859-1", utf8, 3), u"\u00c4\u008da");
  EXPECT_EQ(DecodeWithCharSet(u"x-unknown", utf8, 3), u"\u00c4\u008da");
  EXPECT_EQ(DecodeWithCharSet(u"us-ascii", utf8, 3), u"\ufffd\ufffda");
  const std::uint8_t cp1250[] = {0xE8};
  EXPECT_EQ(DecodeWithCharSet(u"windows-1250", cp1250, 1), u"\u010d");
}

}  // namespace
}  // namespace vornel
