// The request cycle against a scripted loopback server: exact bytes in, exact
// events and stream content out.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "http/custom_http.h"
#include "platform/file_stream.h"
#include "platform/memory_stream.h"
#include "platform/text.h"
#include "scripted_server.h"
#include "support/temp_dir.h"
#include "transport/io_handler_stack.h"
#include "transport/net_exceptions.h"

namespace vornel {
namespace {

using test::Reply;
using test::TScriptedServer;
using test::TScriptStep;

std::string Text(const TMemoryStream& s) {
  return std::string(s.Bytes().begin(), s.Bytes().end());
}

// Everything a stream holds, read from its start.
std::string StreamText(TStream& s) {
  std::string text(static_cast<std::size_t>(s.Size()), '\0');
  s.SetPosition(0);
  s.ReadBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  return text;
}

// A file stream on a new temporary file, removed with the object: the kind of
// stream the installer downloads into.
class TTempFileStream {
 public:
  TTempFileStream() : FStream(std::make_unique<TFileStream>(FDir.Join("download"), fmCreate)) {}
  ~TTempFileStream() { FStream.reset(); }
  TStream& Stream() { return *FStream; }

 private:
  testing::TTempDir FDir;
  std::unique_ptr<TFileStream> FStream;
};

// The component with its work events written down as "begin N", "work N", "end".
struct TClient {
  TNetHTTP Http;
  std::vector<std::string> Events;
  std::function<void(std::int64_t)> OnWorkCount;

  TClient() {
    Http.OnWorkBegin = [this](TNetComponent&, TWorkMode mode, std::int64_t max) {
      Events.push_back((mode == wmRead ? "begin " : "wbegin ") + std::to_string(max));
    };
    Http.OnWork = [this](TNetComponent&, TWorkMode mode, std::int64_t count) {
      Events.push_back((mode == wmRead ? "work " : "wwork ") + std::to_string(count));
      if (OnWorkCount)
        OnWorkCount(count);
    };
    Http.OnWorkEnd = [this](TNetComponent&, TWorkMode mode) {
      Events.push_back(mode == wmRead ? "end" : "wend");
    };
  }
  std::string FirstEvent() const { return Events.empty() ? "" : Events.front(); }
  std::string LastWork() const {
    for (auto it = Events.rbegin(); it != Events.rend(); ++it) {
      if (it->starts_with("work "))
        return *it;
    }
    return "";
  }
};

TEST(RequestCycle, PlainRequestHeadByteForByte) {
  TScriptedServer server({{{Reply("HTTP/1.1 200 OK", {}, "ok")}}});
  TClient c;
  TMemoryStream body;
  c.Http.Get(server.Url("/QRTX/Instalace/a b.zip"), body);
  c.Http.Disconnect();
  server.Finish();
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0],
            "GET /QRTX/Instalace/a b.zip HTTP/1.1\r\n"
            "Host: 127.0.0.1:" +
                std::to_string(server.Port()) +
                "\r\n"
                "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
                "User-Agent: Mozilla/3.0 (compatible; Net Library)\r\n"
                "\r\n");
  // The head is written without a work scope.
  EXPECT_EQ(c.Events, (std::vector<std::string>{"begin 2", "work 2", "end"}));
}

TEST(RequestCycle, CountedBody) {
  const std::string payload(100000, 'x');
  TScriptedServer server({{{Reply("HTTP/1.1 200 OK", {}, payload)}}});
  TClient c;
  TMemoryStream body;
  c.Http.Get(server.Url("/f"), body);
  EXPECT_EQ(Text(body), payload);
  EXPECT_EQ(c.FirstEvent(), "begin 100000");
  EXPECT_EQ(c.LastWork(), "work 100000");
  EXPECT_EQ(c.Events.back(), "end");
  EXPECT_EQ(c.Http.ResponseCode(), 200);
  EXPECT_EQ(c.Http.ResponseText(), u"HTTP/1.1 200 OK");
}

TEST(RequestCycle, ChunkedCountsSizeLinesAndLineEnds) {
  const std::string chunked = "5\r\nhello\r\n0\r\n\r\n";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"Transfer-Encoding: chunked"}, chunked},
      {{"Transfer-Encoding: Chunked"}, chunked},
      {{"Transfer-Encoding: chunked", "Content-Length: 3"}, chunked},
      {{"Transfer-Encoding: chunked"}, "5;ext=1\r\nhello\r\n0\r\n\r\n"},
  };
  for (const auto& [headers, bytes] : cases) {
    TScriptedServer server({{{Reply("HTTP/1.1 200 OK", headers, bytes, false)}}});
    TClient c;
    TMemoryStream body;
    c.Http.Get(server.Url("/c"), body);
    EXPECT_EQ(Text(body), "hello");
    EXPECT_EQ(c.FirstEvent(), "begin 0");
    EXPECT_EQ(c.LastWork(), "work " + std::to_string(bytes.size()));
    EXPECT_EQ(std::count(c.Events.begin(), c.Events.end(), "end"), 1);
  }
}

TEST(RequestCycle, ChunkedTrailerAndChunkEvent) {
  TScriptedServer server({{{Reply("HTTP/1.1 200 OK", {"Transfer-Encoding: chunked"},
                                  "3\r\nabc\r\n2\r\nde\r\n0\r\nX-Trailer: t\r\n\r\n", false)}}});
  TClient c;
  c.Http.OnChunkReceived = [](TNetCustomHTTP&, TBytes& chunk) {
    for (auto& b : chunk)
      b = static_cast<std::uint8_t>(std::toupper(b));
  };
  TMemoryStream body;
  c.Http.Get(server.Url("/c"), body);
  EXPECT_EQ(Text(body), "ABCDE");
  EXPECT_EQ(c.Http.Response().RawHeaders.Value(u"X-Trailer"), u"t");
}

TEST(RequestCycle, UntilClose) {
  TScriptedServer server(
      {{{Reply("HTTP/1.1 200 OK", {}, "every byte", false), TScriptStep::Close}}});
  TClient c;
  TMemoryStream body;
  c.Http.Get(server.Url("/u"), body);
  EXPECT_EQ(Text(body), "every byte");
  EXPECT_EQ(c.FirstEvent(), "begin 0");
  EXPECT_FALSE(c.Http.Connected());
}

TEST(RequestCycle, LengthZeroAndNoBodyRaiseNoEvents) {
  TScriptedServer server(
      {{{Reply("HTTP/1.1 200 OK", {}, "")}, {Reply("HTTP/1.1 200 OK", {}, "xyz")}}});
  TClient c;
  TMemoryStream body;
  c.Http.Get(server.Url("/z"), body);
  c.Http.Head(server.Url("/z"));
  EXPECT_TRUE(c.Events.empty());
  EXPECT_EQ(body.Size(), 0);
}

struct TErrorCase {
  std::string Reply;
  std::int32_t Code;
  std::u16string Message;
  std::u16string ErrorMessage;
};

TEST(RequestCycle, ErrorStatusesRaiseAfterTheirBody) {
  const TErrorCase cases[] = {
      {Reply("HTTP/1.1 404 Not Found", {"Content-Type: text/html"}, "<p>gone</p>"), 404,
       u"HTTP/1.1 404 Not Found", u"<p>gone</p>"},
      {Reply("HTTP/1.1 401 Unauthorized", {"WWW-Authenticate: Basic realm=\"x\""}, "no"), 401,
       u"HTTP/1.1 401 Unauthorized", u"no"},
      {Reply("HTTP/1.1 407 Proxy Authentication Required", {}, ""), 407,
       u"HTTP/1.1 407 Proxy Authentication Required", u""},
      {Reply("HTTP/1.1 302 Found", {"Location: /elsewhere"}, std::string(100, 'r')), 302,
       u"HTTP/1.1 302 Found", std::u16string(100, u'r')},
      {Reply("HTTP/1.1 301 Moved", {}, "no location"), 301, u"HTTP/1.1 301 Moved", u"no location"},
      {Reply("HTTP/1.1 304 Not Modified", {}, ""), 304, u"HTTP/1.1 304 Not Modified", u""},
      {Reply("HTTP/1.1 102 Processing", {}, ""), 102, u"HTTP/1.1 102 Processing", u""},
      {Reply("HTTP/1.1 500 Oops", {"Content-Type: text/plain; charset=utf-8"}, "\xC4\x8D"), 500,
       u"HTTP/1.1 500 Oops", u"\u010d"},
      {Reply("HTTP/1.1 500 Oops", {"Content-Type: text/html"}, "\xC4\x8D"), 500,
       u"HTTP/1.1 500 Oops", u"\u00c4\u008d"},
      {Reply("HTTP/1.1 ok fine", {}, "x"), -1, u"HTTP/1.1 ok fine", u"x"},
  };
  for (const TErrorCase& e : cases) {
    // The server keeps the connection; the next request must find it usable.
    TScriptedServer server({{{e.Reply}, {Reply("HTTP/1.1 200 OK", {}, "next")}}});
    TClient c;
    TMemoryStream body;
    try {
      c.Http.Get(server.Url("/e"), body);
      ADD_FAILURE() << e.Code;
    } catch (const ENetHTTPProtocolException& x) {
      EXPECT_EQ(x.ErrorCode(), e.Code);
      EXPECT_EQ(x.Message(), e.Message);
      EXPECT_EQ(x.ErrorMessage(), e.ErrorMessage);
    }
    EXPECT_EQ(body.Size(), 0);
    c.Http.Get(server.Url("/next"), body);
    EXPECT_EQ(Text(body), "next");
    EXPECT_EQ(server.Accepted(), 1);
  }
}

TEST(RequestCycle, HundredContinueIsSkipped) {
  TScriptedServer server(
      {{{"HTTP/1.1 100 Continue\r\n\r\n" + Reply("HTTP/1.1 200 OK", {}, "after")}}});
  TClient c;
  TMemoryStream body;
  c.Http.Get(server.Url("/h"), body);
  EXPECT_EQ(Text(body), "after");
  EXPECT_EQ(c.Http.ResponseCode(), 200);
}

TEST(RequestCycle, NoContentLeavesStrayBytesUntilTheNextRequest) {
  TScriptedServer server({{{Reply("HTTP/1.1 204 No Content", {}, "", false) + "0123456789"},
                           {Reply("HTTP/1.1 200 OK", {}, "second")}}});
  TClient c;
  TMemoryStream body;
  c.Http.Get(server.Url("/n"), body);
  EXPECT_EQ(body.Size(), 0);
  EXPECT_TRUE(c.Events.empty());
  ASSERT_NE(c.Http.IOHandler(), nullptr);
  // Wait until the stray bytes are in.
  for (int i = 0; i < 100 && c.Http.IOHandler()->InputBufferIsEmpty(); ++i) {
    c.Http.IOHandler()->CheckForDataOnSource(10);
  }
  EXPECT_EQ(c.Http.IOHandler()->InputBuffer().Size(), 10);
  c.Http.Get(server.Url("/n2"), body);
  EXPECT_EQ(Text(body), "second");
}

TEST(RequestCycle, KeepAliveByVersionAndConnectionHeader) {
  struct TCase {
    TNetHTTPProtocolVersion Version;
    std::string StatusLine;
    std::vector<std::string> Headers;
    int Connections;
  };
  const TCase cases[] = {
      {pv1_1, "HTTP/1.1 200 OK", {}, 1},
      {pv1_1, "HTTP/1.0 200 OK", {}, 1},
      {pv1_1, "HTTP/1.1 200 OK", {"Connection:  Close "}, 2},
      {pv1_0, "HTTP/1.0 200 OK", {}, 2},
      {pv1_0, "HTTP/1.1 200 OK", {"Connection: Keep-Alive"}, 1},
  };
  for (const TCase& k : cases) {
    const std::string reply = Reply(k.StatusLine, k.Headers, "b");
    const bool kept = k.Connections == 1;
    std::vector<test::TConnectionScript> script;
    if (kept) {
      script = {{{reply}, {reply}}};
    } else {
      script = {{{reply, TScriptStep::Close}}, {{reply, TScriptStep::Close}}};
    }
    TScriptedServer server(script);
    TClient c;
    c.Http.ProtocolVersion = k.Version;
    TMemoryStream body;
    c.Http.Get(server.Url("/1"), body);
    EXPECT_EQ(c.Http.Connected(), kept) << k.StatusLine;
    c.Http.Get(server.Url("/2"), body);
    EXPECT_EQ(Text(body), "bb");
    c.Http.Disconnect();
    server.Finish();
    EXPECT_EQ(server.Accepted(), k.Connections) << k.StatusLine;
  }
}

TEST(RequestCycle, RedirectsFollowedOnlyWhenAsked) {
  const std::string redirect =
      Reply("HTTP/1.1 302 Found", {"Location: /final"}, std::string(100, 'r'));
  TScriptedServer server({{{redirect}, {Reply("HTTP/1.1 200 OK", {}, "final body")}}});
  TClient c;
  c.Http.HandleRedirects = true;
  TMemoryStream body;
  body.Write("keep", 4);
  c.Http.Get(server.Url("/start"), body);
  EXPECT_EQ(Text(body), "keepfinal body");
  EXPECT_EQ(c.Http.RedirectCount, 1);
  ASSERT_EQ(server.Requests().size(), 2u);
  EXPECT_TRUE(server.Requests()[1].starts_with("GET /final HTTP/1.1\r\n"));
}

TEST(RequestCycle, RedirectMaximumStopsTheFifteenthRedirectWithAnError) {
  test::TConnectionScript script;
  for (int i = 0; i < 15; ++i) {
    script.push_back({Reply("HTTP/1.1 30" + std::string(i == 14 ? "7 Temporary" : "1 Moved"),
                            {"Location: /r" + std::to_string(i + 1)}, "m")});
  }
  TScriptedServer server({script});
  TClient c;
  c.Http.HandleRedirects = true;
  TMemoryStream body;
  try {
    c.Http.Get(server.Url("/r0"), body);
    ADD_FAILURE() << "a redirect loop returned normally";
  } catch (const ENetHTTPProtocolException& e) {
    EXPECT_EQ(e.Message(), u"Too many redirects (15); the last response: HTTP/1.1 307 Temporary");
    EXPECT_EQ(e.ErrorCode(), 307);
  }
  EXPECT_EQ(c.Http.RedirectCount, 15);
  EXPECT_EQ(c.Http.Response().Location, u"/r15");
  EXPECT_EQ(body.Size(), 0);
  EXPECT_EQ(server.Requests().size(), 15u);

  // A caller that takes redirects into its own hands (OnRedirect without
  // HandleRedirects) gets the 3xx back as before.
  TScriptedServer own({{{Reply("HTTP/1.1 302 Found", {"Location: /next"}, "m")}}});
  TClient d;
  d.Http.OnRedirect = [](TNetCustomHTTP&, std::u16string&, std::u16string&, bool& handled) {
    handled = true;
  };
  d.Http.Get(own.Url("/"), body);
  EXPECT_EQ(d.Http.ResponseCode(), 302);
  EXPECT_EQ(d.Http.Response().Location, u"/next");
}

TEST(RequestCycle, OnRedirectMayChangeTheTargetAndAccept) {
  TScriptedServer server({{{Reply("HTTP/1.1 303 See Other", {"Location: /a"}, "")},
                           {Reply("HTTP/1.1 200 OK", {}, "b")}}});
  TClient c;
  c.Http.HandleRedirects = true;
  c.Http.OnRedirect = [](TNetCustomHTTP&, std::u16string& location, std::u16string&,
                         bool& handled) {
    location = u"/b";
    handled = true;
  };
  TMemoryStream source;
  source.Write("payload", 7);
  TMemoryStream body;
  c.Http.HTTPOptions.Include(hoKeepOrigProtocol);
  c.Http.Post(server.Url("/form"), source, body);
  EXPECT_EQ(Text(body), "b");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_TRUE(requests[0].starts_with("POST /form HTTP/1.1\r\n"));
  EXPECT_NE(requests[0].find("Content-Length: 7\r\n"), std::string::npos);
  EXPECT_TRUE(requests[0].ends_with("\r\n\r\npayload"));
  // A 303 continues with a GET without a body.
  EXPECT_TRUE(requests[1].starts_with("GET /b HTTP/1.1\r\n"));
  EXPECT_EQ(requests[1].find("Content-Length"), std::string::npos);
}

TEST(RequestCycle, IgnoredRepliesAndWantedErrorContent) {
  const std::string notFound = Reply("HTTP/1.1 404 Not Found", {}, "error page");
  const std::int16_t ignore[] = {404};
  {
    TScriptedServer server({{{notFound}}});
    TClient c;
    TMemoryStream body;
    c.Http.Get(server.Url("/x"), body, ignore);
    EXPECT_EQ(c.Http.ResponseCode(), 404);
    EXPECT_EQ(body.Size(), 0);
  }
  {
    TScriptedServer server({{{notFound}}});
    TClient c;
    c.Http.HTTPOptions.Include(hoWantProtocolErrorContent);
    TMemoryStream body;
    c.Http.Get(server.Url("/x"), body, ignore);
    EXPECT_EQ(Text(body), "error page");
  }
  {
    TScriptedServer server({{{notFound}}});
    TClient c;
    c.Http.HTTPOptions.Include(hoNoProtocolErrorException);
    TMemoryStream body;
    c.Http.Get(server.Url("/x"), body);
    EXPECT_EQ(body.Size(), 0);
  }
}

// A body that ends before its announced end raises, whatever stream it goes to;
// the stream keeps what arrived.
TEST(RequestCycle, BodiesCutShortByThePeerRaise) {
  const struct {
    const char* name;
    std::string reply;
    std::u16string message;
    std::string kept;
  } cases[] = {
      {"counted", "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(100, 'h'),
       u"The connection closed after 100 of 1000 bytes of the body.", std::string(100, 'h')},
      {"counted, nothing of it", "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n",
       u"The connection closed after 0 of 1000 bytes of the body.", ""},
      {"chunked, inside a chunk",
       Reply("HTTP/1.1 200 OK", {"Transfer-Encoding: chunked"}, "5\r\nhello\r\n10\r\nabc", false),
       u"The connection closed before the last chunk of the body, after 5 bytes in complete "
       u"chunks.",
       "helloabc"},
      {"chunked, between chunks",
       Reply("HTTP/1.1 200 OK", {"Transfer-Encoding: chunked"}, "5\r\nhello\r\n", false),
       u"The connection closed before the last chunk of the body, after 5 bytes in complete "
       u"chunks.",
       "hello"},
  };
  for (const auto& k : cases) {
    for (const bool memory : {true, false}) {
      SCOPED_TRACE(std::string(k.name) + (memory ? ", memory stream" : ", file stream"));
      TScriptedServer server({{{k.reply, TScriptStep::Close}}});
      TClient c;
      TMemoryStream inMemory;
      TTempFileStream onDisk;
      TStream& body = memory ? static_cast<TStream&>(inMemory) : onDisk.Stream();
      try {
        c.Http.Get(server.Url("/cut"), body);
        ADD_FAILURE() << "returned normally";
      } catch (const ENetConnClosedGracefully& e) {
        EXPECT_EQ(e.Message(), k.message);
      }
      EXPECT_EQ(StreamText(body), k.kept);
      EXPECT_EQ(c.Events.back(), "end");
      EXPECT_FALSE(c.Http.Connected());
    }
  }
}

// The whole body, then the close: nothing is missing.
TEST(RequestCycle, ACloseRightAfterACompleteBodyIsNoCut) {
  TScriptedServer server(
      {{{"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", TScriptStep::Close}},
       {{Reply("HTTP/1.1 200 OK", {"Transfer-Encoding: chunked"}, "5\r\nhello\r\n0\r\n\r\n", false),
         TScriptStep::Close}}});
  TClient c;
  TMemoryStream body;
  c.Http.Get(server.Url("/a"), body);
  c.Http.Get(server.Url("/b"), body);
  EXPECT_EQ(Text(body), "hellohello");
}

TEST(RequestCycle, CancelDuringTheBody) {
  const std::string big(4 << 20, 'c');
  struct TCase {
    std::string Name;
    std::string Reply;
    bool Raises;
  };
  std::string chunked;
  for (int i = 0; i < 64; ++i)
    chunked += "10000\r\n" + std::string(65536, 'c') + "\r\n";
  chunked += "0\r\n\r\n";
  const TCase cases[] = {
      {"counted", Reply("HTTP/1.1 200 OK", {}, big), false},
      {"chunked", Reply("HTTP/1.1 200 OK", {"Transfer-Encoding: chunked"}, chunked, false), true},
      {"until close", Reply("HTTP/1.1 200 OK", {}, big, false), false},
  };
  for (const TCase& k : cases) {
    TScriptedServer server({{{k.Reply, TScriptStep::Close}}});
    TClient c;
    c.OnWorkCount = [&c](std::int64_t count) {
      if (count > 100000)
        c.Http.Disconnect();
    };
    TMemoryStream body;
    bool raised = false;
    try {
      c.Http.Get(server.Url("/big"), body);
    } catch (const ENetConnClosedGracefully& e) {
      raised = true;
      EXPECT_EQ(e.Message(), u"Connection Closed Gracefully.");
    }
    EXPECT_EQ(raised, k.Raises) << k.Name;
    EXPECT_GT(body.Size(), 100000) << k.Name;
    EXPECT_LT(body.Size(), static_cast<std::int64_t>(big.size())) << k.Name;
    EXPECT_EQ(c.Events.back(), "end") << k.Name;
    EXPECT_FALSE(c.Http.Connected());
  }
}

TEST(RequestCycle, CorruptResponsesFailClearlyAndCloseTheConnection) {
  std::vector<std::string> headers;
  for (int i = 0; i < 256; ++i)
    headers.push_back("X-" + std::to_string(i) + ": v");
  const std::pair<std::string, std::u16string> cases[] = {
      {Reply("HTTP/1.1 200 OK", headers, "b"), u"The response has more than 255 header lines."},
      {Reply("HTTP/1.1 200 OK", {"Transfer-Encoding: chunked"}, "80000000\r\nx", false),
       u"Invalid chunk size line: \"80000000\"."},
      // Not a number is no last chunk: the rest would otherwise be read as trailers.
      {Reply("HTTP/1.1 200 OK", {"Transfer-Encoding: chunked"},
             "5\r\nhello\r\nzz\r\nX-Not: a trailer\r\n\r\n", false),
       u"Invalid chunk size line: \"zz\"."},
      {Reply("HTTP/1.1 200 OK", {"Transfer-Encoding: chunked"}, "\r\nhello\r\n0\r\n\r\n", false),
       u"Invalid chunk size line: \"\"."},
      {Reply("HTTP/1.1 200 OK", {"Transfer-Encoding: chunked"}, "-5\r\nhello\r\n0\r\n\r\n", false),
       u"Invalid chunk size line: \"-5\"."},
      {Reply("HTTP/1.1 200 OK", {"Content-Length: -5"}, "abc", false),
       u"Invalid Content-Length: -5"},
  };
  for (const auto& [reply, message] : cases) {
    TScriptedServer server({{{reply}}});
    TClient c;
    TMemoryStream body;
    try {
      c.Http.Get(server.Url("/bad"), body);
      ADD_FAILURE() << ToUtf8(message);
    } catch (const ENetHTTPMalformedResponse& e) {
      EXPECT_EQ(e.Message(), message);
    }
    // Closed, even though unread bytes of the response are still buffered.
    EXPECT_FALSE(c.Http.IOHandler()->Opened());
  }
  // The limit can be lifted.
  TScriptedServer server({{{Reply("HTTP/1.1 200 OK", headers, "b")}}});
  TClient c;
  c.Http.MaxHeaderLines = 1000;
  TMemoryStream body;
  c.Http.Get(server.Url("/many"), body);
  EXPECT_EQ(Text(body), "b");
}

TEST(RequestCycle, PeerClosingDuringHeadersKeepsWhatArrived) {
  TScriptedServer server({{{"HTTP/1.1 200 OK\r\nX-A: 1\r\n", TScriptStep::Close}}});
  TClient c;
  TMemoryStream body;
  c.Http.Get(server.Url("/h"), body);
  EXPECT_EQ(c.Http.Response().RawHeaders.Value(u"X-A"), u"1");
  EXPECT_FALSE(c.Http.Connected());
}

TEST(RequestCycle, SecondRequestReusesTheConnection) {
  TScriptedServer server(
      {{{Reply("HTTP/1.1 200 OK", {}, "1")}, {Reply("HTTP/1.1 200 OK", {}, "2")}}});
  TClient c;
  int connects = 0;
  c.Http.OnConnected = [&connects](TNetComponent&) { ++connects; };
  TMemoryStream body;
  c.Http.Get(server.Url("/a"), body);
  c.Http.Get(u"/b", body);
  EXPECT_EQ(Text(body), "12");
  EXPECT_EQ(connects, 1);
  c.Http.Disconnect();
  server.Finish();
  EXPECT_EQ(server.Accepted(), 1);
  EXPECT_TRUE(server.Requests()[1].starts_with("GET /b HTTP/1.1\r\n"));
}

TEST(RequestCycle, HtmlBodyDeclaresItsCharset) {
  const std::string page =
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
      "</head><body>\xC4\x8D</body></html>";
  TScriptedServer server({{{Reply("HTTP/1.1 200 OK", {"Content-Type: text/html"}, page)}}});
  TClient c;
  const std::u16string text = c.Http.Get(server.Url("/page"));
  EXPECT_EQ(c.Http.Response().CharSet, u"utf-8");
  EXPECT_NE(text.find(u"\u010d"), std::u16string::npos);
}

TEST(RequestCycle, HttpsThroughAPlainHandlerIsRefused) {
  TClient c;
  c.Http.SetIOHandler(std::make_unique<TNetIOHandlerStack>());
  TMemoryStream body;
  try {
    c.Http.Get(u"https://127.0.0.1:1/x", body);
    FAIL();
  } catch (const ENetIOHandlerPropInvalid& e) {
    EXPECT_EQ(e.Message(), u"IOHandler value is not valid");
  }
}

}  // namespace
}  // namespace vornel

namespace vornel {
namespace {

TEST(RequestCycle, ThroughAProxyTheTargetIsTheFullURI) {
  TScriptedServer proxy({{{test::Reply("HTTP/1.1 200 OK", {}, "via proxy")}}});
  TClient c;
  c.Http.ProxyParams.ProxyServer = u"127.0.0.1";
  c.Http.ProxyParams.ProxyPort = proxy.Port();
  TMemoryStream body;
  c.Http.Get(u"http://origin.example:8080/a/b?c", body);
  EXPECT_EQ(Text(body), "via proxy");
  EXPECT_EQ(c.Http.Request().UseProxy, ctProxy);
  c.Http.Disconnect();
  proxy.Finish();
  ASSERT_EQ(proxy.Requests().size(), 1u);
  EXPECT_TRUE(proxy.Requests()[0].starts_with(
      "GET http://origin.example:8080/a/b?c HTTP/1.1\r\nHost: origin.example:8080\r\n"));
}

TEST(RequestCycle, ConnectTunnelThroughAProxy) {
  TScriptedServer proxy({{{"HTTP/1.1 200 Connection established\r\n\r\n"},
                          {test::Reply("HTTP/1.1 200 OK", {}, "tunnelled")}}});
  TClient c;
  c.Http.ProxyParams.ProxyServer = u"127.0.0.1";
  c.Http.ProxyParams.ProxyPort = proxy.Port();
  c.Http.HTTPOptions.Include(hoNonSSLProxyUseConnectVerb);
  TMemoryStream body;
  c.Http.Get(u"http://origin.example/x", body);
  EXPECT_EQ(Text(body), "tunnelled");
  c.Http.Disconnect();
  proxy.Finish();
  const auto requests = proxy.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0],
            "CONNECT origin.example:80 HTTP/1.1\r\n"
            "Pragma: no-cache\r\n"
            "Proxy-Connection: keep-alive\r\n"
            "Host: origin.example\r\n"
            "User-Agent: Mozilla/3.0 (compatible; Net Library)\r\n"
            "\r\n");
  EXPECT_TRUE(requests[1].starts_with("GET http://origin.example/x HTTP/1.1\r\n"));
}

TEST(RequestCycle, RefusedTunnelRaisesAndSendsNothingMore) {
  TScriptedServer proxy({{{test::Reply("HTTP/1.1 403 Forbidden", {}, "no"), TScriptStep::Close}}});
  TClient c;
  c.Http.ProxyParams.ProxyServer = u"127.0.0.1";
  c.Http.ProxyParams.ProxyPort = proxy.Port();
  c.Http.HTTPOptions.Include(hoNonSSLProxyUseConnectVerb);
  c.Http.HTTPOptions.Include(hoNoProtocolErrorException);
  TMemoryStream body;
  try {
    c.Http.Get(u"http://origin.example/x", body);
    FAIL();
  } catch (const ENetHTTPProtocolException& e) {
    EXPECT_EQ(e.ErrorCode(), 403);
  }
  c.Http.Disconnect();
  proxy.Finish();
  EXPECT_EQ(proxy.Requests().size(), 1u);
}

TEST(RequestCycle, HeadersAvailableMayStopTheBody) {
  TScriptedServer server(
      {{{test::Reply("HTTP/1.1 200 OK", {"X-Size: big"}, std::string(1000, 'b'))}}});
  TClient c;
  c.Http.OnHeadersAvailable = [](TNetCustomHTTP&, TNetHeaderList& headers, bool& proceed) {
    proceed = headers.Value(u"X-Size") != u"big";
  };
  TMemoryStream body;
  c.Http.Get(server.Url("/h"), body);
  EXPECT_EQ(body.Size(), 0);
  EXPECT_TRUE(c.Events.empty());
  EXPECT_FALSE(c.Http.IOHandler()->Opened());
}

}  // namespace
}  // namespace vornel
