#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "../scripted_server.h"
#include "http/custom_http.h"
#include "platform/memory_stream.h"

namespace vornel {
namespace {

using test::HeaderOf;
using test::Reply;
using test::TScriptedServer;

TEST(ClientCookieTest, ACookieOfOneResponseGoesWithTheNextRequest) {
  TScriptedServer server(
      {{{Reply("HTTP/1.1 200 OK",
               {"Set-Cookie: session=abc; Path=/QRTX", "Set-Cookie: other=1; Path=/elsewhere"},
               "one")},
        {Reply("HTTP/1.1 200 OK", {}, "two")},
        {Reply("HTTP/1.1 200 OK", {}, "three")}}});
  TNetHTTP http;
  EXPECT_EQ(http.CookieManager(), nullptr);
  TMemoryStream body;
  http.Get(server.Url("/QRTX/Instalace/set.zip"), body);
  ASSERT_NE(http.CookieManager(), nullptr) << "made on the first response";
  EXPECT_EQ(http.CookieManager()->CookieCollection().Count(), 2u);
  http.Get(server.Url("/QRTX/Instalace/next.zip"), body);
  http.Get(server.Url("/"), body);
  http.Disconnect();
  server.Finish();
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(HeaderOf(requests[0], "Cookie"), "-");
  EXPECT_EQ(HeaderOf(requests[1], "Cookie"), "session=abc");
  EXPECT_EQ(HeaderOf(requests[2], "Cookie"), "-");
}

TEST(ClientCookieTest, WithoutAllowCookiesNothingIsKeptOrSent) {
  TScriptedServer server(
      {{{Reply("HTTP/1.1 200 OK", {"Set-Cookie: a=1"}, "")}, {Reply("HTTP/1.1 200 OK", {}, "")}}});
  TNetHTTP http;
  http.AllowCookies = false;
  TMemoryStream body;
  http.Get(server.Url("/a"), body);
  http.Get(server.Url("/a"), body);
  EXPECT_EQ(http.CookieManager(), nullptr);
  http.Disconnect();
  server.Finish();
  EXPECT_EQ(HeaderOf(server.Requests().at(1), "Cookie"), "-");
}

TEST(ClientCookieTest, AnAssignedManagerIsSharedAndForgottenWhenItGoes) {
  // One connection for each component.
  TScriptedServer server({{{Reply("HTTP/1.1 200 OK", {"Set-Cookie: a=1"}, "")}},
                          {{Reply("HTTP/1.1 200 OK", {}, "")}}});
  auto shared = std::make_unique<TNetCookieManager>();
  TNetHTTP first, second;
  first.SetCookieManager(shared.get());
  second.SetCookieManager(shared.get());
  TMemoryStream body;
  first.Get(server.Url("/a"), body);
  first.Disconnect();
  second.Get(server.Url("/a"), body);
  second.Disconnect();
  server.Finish();
  EXPECT_EQ(HeaderOf(server.Requests().at(1), "Cookie"), "a=1");
  shared.reset();
  EXPECT_EQ(first.CookieManager(), nullptr);
  EXPECT_EQ(second.CookieManager(), nullptr);

  // Assigning over a manager the component made frees that one.
  TNetCookieManager own;
  TNetHTTP third;
  bool destroyed = false;
  TScriptedServer once({{{Reply("HTTP/1.1 200 OK", {}, "")}}});
  third.Get(once.Url("/"), body);
  third.Disconnect();
  ASSERT_NE(third.CookieManager(), nullptr);
  third.CookieManager()->OnDestroy = [&](TNetCookieManager&) { destroyed = true; };
  third.SetCookieManager(&own);
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(third.CookieManager(), &own);
}

}  // namespace
}  // namespace vornel
