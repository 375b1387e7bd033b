// netget as its users run it: a separate process against nginx and a scripted
// server on loopback, its exit code, its output and the files it writes.
#include "netget_test.h"

#include "scripted_server.h"

namespace vornel {
namespace {

namespace fs = std::filesystem;
using test::Narrow;
using test::Netget;
using test::ReadAll;
using test::Reply;
using test::TNginxServer;
using test::TRun;
using test::TScriptedServer;
using test::TScriptStep;

TEST_F(Netget, FetchesFromAServerWithAnIntermediateCA) {
  for (const char* certificate : {"server", "two-intermediates"}) {
    SCOPED_TRACE(certificate);
    TNginxServer server(true, std::nullopt, certificate);
    if (!server.Running())
      GTEST_SKIP() << "nginx is not available";
    server.WriteFile("files/set.zip", std::string(70000, 'z'));
    const fs::path target = Dir.Path() / "set.zip";
    const TRun run =
        Run({Narrow(server.TLSUrl("/files/set.zip")), target.string()}, {Trust(server)});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(ReadAll(target), std::string(70000, 'z'));
  }
}

// A target name that the ANSI code page cannot hold ("ů" in Windows-1252)
// reaches the program whole: its arguments are taken as UTF-16.
TEST_F(Netget, WritesToANameBeyondTheCodePage) {
  TNginxServer server(true);
  if (!server.Running())
    GTEST_SKIP() << "nginx is not available";
  server.WriteFile("files/set.zip", "the set");
  const fs::path target = Dir.Path() / fs::path(u8"sta\u017een\u00ed-\u016f.zip");
  const std::u8string name = target.u8string();
  const TRun run = Run({Narrow(server.TLSUrl("/files/set.zip")),
                        std::string(reinterpret_cast<const char*>(name.c_str()))},
                       {Trust(server)});
  EXPECT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(ReadAll(target), "the set");
}

TEST_F(Netget, AServerThatSendsOnlyItsLeafIsRefusedWithOpenSSLsText) {
  TNginxServer server(true, std::nullopt, "leaf-only");
  if (!server.Running())
    GTEST_SKIP() << "nginx is not available";
  server.WriteFile("files/set.zip", "set");
  const TRun run = Run({Narrow(server.TLSUrl("/files/set.zip"))}, {Trust(server)});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_NE(run.Err.find("certificate verify failed"), std::string::npos) << run.Err;
  EXPECT_NE(run.Err.find("unable to get local issuer certificate"), std::string::npos) << run.Err;
  EXPECT_EQ(run.Out, "");
}

TEST_F(Netget, VerboseShowsEveryHopOfARedirectAndItsLocation) {
  TNginxServer server(true);
  if (!server.Running())
    GTEST_SKIP() << "nginx is not available";
  server.WriteFile("files/small.txt", "small file\n");
  const TRun run = Run({"-v", "--redirects", Narrow(server.TLSUrl("/to-plain"))}, {Trust(server)});
  EXPECT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(run.Out, "small file\n");
  // From https to plain http, in plain sight.
  const std::string hop =
      "HTTP/1.1 302 Moved Temporarily\nLocation: " + Narrow(server.Url("/files/small.txt")) +
      "\nHTTP/1.1 200 OK\n";
  EXPECT_TRUE(run.Err.starts_with(hop)) << run.Err;
}

TEST_F(Netget, ARedirectLoopFailsNamingTheLastStatusLine) {
  test::TConnectionScript script;
  for (int i = 0; i < 15; ++i)
    script.push_back({Reply("HTTP/1.1 302 Found", {"Location: /loop"}, "")});
  TScriptedServer server({script});
  const TRun run = Run({"-v", "--redirects", Narrow(server.Url("/loop"))});
  EXPECT_EQ(run.ExitCode, 1);
  std::string hops;
  for (int i = 0; i < 15; ++i)
    hops += "HTTP/1.1 302 Found\nLocation: /loop\n";
  EXPECT_EQ(run.Err, hops +
                         "ENetHTTPProtocolException: Too many redirects (15); the last "
                         "response: HTTP/1.1 302 Found\n");
  EXPECT_EQ(run.Out, "");
}

TEST_F(Netget, ABodyCutShortFails) {
  TScriptedServer server(
      {{{"HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(100, 'h'),
         TScriptStep::Close}}});
  const fs::path target = Dir.Path() / "part.zip";
  const TRun run = Run({Narrow(server.Url("/set.zip")), target.string()});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Err,
            "ENetConnClosedGracefully: The connection closed after 100 of 1000 bytes of the "
            "body.\n");
}

}  // namespace
}  // namespace vornel
