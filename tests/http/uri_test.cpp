#include "http/uri.h"

#include <gtest/gtest.h>

#include "platform/text.h"

namespace vornel {
namespace {

struct TSplitCase {
  std::u16string Url;
  std::u16string Protocol{}, Host{}, Port{}, Path{}, Document{}, Params{}, Bookmark{}, Username{},
      Password{};
  TNetIPVersion IPVersion = Net_IPv4;
};

class URISplit : public ::testing::TestWithParam<TSplitCase> {};

TEST_P(URISplit, FillsEveryField) {
  const TSplitCase& c = GetParam();
  const TNetURI uri(c.Url);
  EXPECT_EQ(uri.Protocol, c.Protocol);
  EXPECT_EQ(uri.Host, c.Host);
  EXPECT_EQ(uri.Port, c.Port);
  EXPECT_EQ(uri.Path, c.Path);
  EXPECT_EQ(uri.Document, c.Document);
  EXPECT_EQ(uri.Params, c.Params);
  EXPECT_EQ(uri.Bookmark, c.Bookmark);
  EXPECT_EQ(uri.Username, c.Username);
  EXPECT_EQ(uri.Password, c.Password);
  EXPECT_EQ(uri.IPVersion, c.IPVersion);
  EXPECT_EQ(uri.URI(), c.Url);
}

INSTANTIATE_TEST_SUITE_P(
    Table, URISplit,
    ::testing::Values(
        TSplitCase{u"https://host/a/b/file.zip", u"https", u"host", u"", u"/a/b/", u"file.zip"},
        TSplitCase{u"http://host", u"http", u"host", u"", u"/", u""},
        TSplitCase{u"http://host:0080/x", u"http", u"host", u"0080", u"/", u"x"},
        TSplitCase{u"http://host?q=1", u"http", u"host", u"", u"/", u"", u"q=1"},
        TSplitCase{u"http://host/p/doc?x=1#frag", u"http", u"host", u"", u"/p/", u"doc", u"x=1",
                   u"frag"},
        // The "?" is found first, so the fragment mark before it stays in the document.
        TSplitCase{u"http://host/p/doc#frag?x", u"http", u"host", u"", u"/p/", u"doc#frag", u"x"},
        TSplitCase{u"http://host/p/doc#frag", u"http", u"host", u"", u"/p/", u"doc", u"", u"frag"},
        TSplitCase{u"http://[::1]:8080/x", u"http", u"::1", u"8080", u"/", u"x", u"", u"", u"", u"",
                   Net_IPv6},
        TSplitCase{u"http://[fe80::1]/", u"http", u"fe80::1", u"", u"/", u"", u"", u"", u"", u"",
                   Net_IPv6},
        TSplitCase{u"http://user:pw@host/x", u"http", u"host", u"", u"/", u"x", u"", u"", u"user",
                   u"pw"},
        TSplitCase{u"http://a@b:pw@host/x", u"http", u"host", u"", u"/", u"x", u"", u"", u"a@b",
                   u"pw"},
        // Only a colon and a password: neither is taken.
        TSplitCase{u"http://:pw@host/x", u"http", u"host", u"", u"/", u"x"},
        TSplitCase{u"http://host\\a\\b?c\\d", u"http", u"host", u"", u"/a/", u"b", u"c\\d"},
        TSplitCase{u"HTTPS://Host/x y/\u010d.zip", u"HTTPS", u"Host", u"", u"/x y/", u"\u010d.zip"},
        TSplitCase{u"dir/sub/page.html?q", u"", u"", u"", u"dir/sub/", u"page.html", u"q"},
        TSplitCase{u"page.html", u"", u"", u"", u"", u"page.html"},
        TSplitCase{u"/abs/page", u"", u"", u"", u"/abs/", u"page"}));

TEST(URI, FullFormsLeaveOutDefaultPortsAndCredentialsWhenAsked) {
  TNetURI uri(u"https://u:p@host:443/a/b?q#f");
  EXPECT_EQ(uri.GetFullURI(), u"https://u:p@host/a/b?q#f");
  EXPECT_EQ(uri.GetURI(), u"https://host/a/b?q");
  EXPECT_EQ(uri.GetPathAndParams(), u"/a/b?q");
  uri.SetURI(u"http://u@[::1]:0080/x");
  EXPECT_EQ(uri.GetFullURI(), u"http://u@[::1]:0080/x");
  uri.SetURI(u"FTP://h:21/x");
  EXPECT_EQ(uri.GetURI(), u"FTP://h/x");
}

TEST(URI, EmptyProtocolOrHostRaise) {
  try {
    TNetURI(u"/x").GetURI();
    FAIL();
  } catch (const ENetURIException& e) {
    EXPECT_EQ(e.Message(), u"Protocol field is empty");
  }
  TNetURI uri;
  uri.Protocol = u"http";
  try {
    uri.GetURI();
    FAIL();
  } catch (const ENetURIException& e) {
    EXPECT_EQ(e.Message(), u"Host field is empty");
  }
}

}  // namespace
}  // namespace vornel
