#include "http/uri.h"

#include "http/text_helpers.h"
#include "platform/text.h"

namespace vornel {

namespace {

using http_text::npos;

// Backslashes become slashes in the part between the scheme and the query.
std::u16string NormaliseSeparators(std::u16string text) {
  std::size_t start = 0;
  const std::size_t colon = text.find(u':');
  if (colon != npos) {
    start = colon + 1;
    auto isSlash = [](char16_t c) { return c == u'/' || c == u'\\'; };
    if (start + 1 < text.size() && isSlash(text[start]) && isSlash(text[start + 1]))
      start += 2;
  }
  std::size_t end = text.find_first_of(u"#?", start);
  if (end == npos)
    end = text.size();
  for (std::size_t i = start; i < end; ++i) {
    if (text[i] == u'\\')
      text[i] = u'/';
  }
  return text;
}

std::u16string DefaultPortOf(const std::u16string& protocol) {
  if (SameTextAscii(protocol, u"HTTP"))
    return u"80";
  if (SameTextAscii(protocol, u"HTTPS"))
    return u"443";
  if (SameTextAscii(protocol, u"FTP"))
    return u"21";
  return {};
}

}  // namespace

void TNetURI::SetURI(const std::u16string& uri) {
  FURI = uri;
  std::u16string rest = NormaliseSeparators(uri);

  Protocol.clear();
  Host.clear();
  Port.clear();
  Path.clear();
  Document.clear();
  Params.clear();
  Bookmark.clear();
  Username.clear();
  Password.clear();
  IPVersion = Net_IPv4;

  const std::size_t schemeEnd = rest.find(u"://");
  const bool absolute = schemeEnd != npos;
  if (absolute) {
    Protocol = rest.substr(0, schemeEnd);
    rest.erase(0, schemeEnd + 3);
  }

  if (const std::size_t query = rest.find(u'?'); query != npos) {
    Params = rest.substr(query + 1);
    rest.erase(query);
    if (const std::size_t hash = Params.find(u'#'); hash != npos) {
      Bookmark = Params.substr(hash + 1);
      Params.erase(hash);
    }
  } else if (const std::size_t hash = rest.find(u'#'); hash != npos) {
    Bookmark = rest.substr(hash + 1);
    rest.erase(hash);
  }

  if (absolute) {
    std::u16string authority = http_text::Fetch(rest, u"/");
    if (const std::size_t at = authority.rfind(u'@'); at != npos) {
      std::u16string userInfo = authority.substr(0, at);
      authority.erase(0, at + 1);
      Username = http_text::Fetch(userInfo, u":");
      Password = userInfo;
      if (Username.empty())
        Password.clear();
    }
    const std::size_t open = authority.find(u'[');
    const std::size_t close = open == npos ? npos : authority.find(u']', open + 1);
    if (close != npos) {
      Host = authority.substr(open + 1, close - open - 1);
      std::u16string after = authority.substr(close + 1);
      http_text::Fetch(after, u":");
      Port = after;
      IPVersion = Net_IPv6;
    } else {
      Host = http_text::Fetch(authority, u":");
      Port = authority;
    }
    if (const std::size_t slash = rest.rfind(u'/'); slash != npos) {
      Path = u"/" + rest.substr(0, slash + 1);
      rest.erase(0, slash + 1);
    } else {
      Path = u"/";
    }
  } else if (const std::size_t slash = rest.rfind(u'/'); slash != npos) {
    Path = rest.substr(0, slash + 1);
    rest.erase(0, slash + 1);
  }
  Document = rest;
}

std::u16string TNetURI::GetPathAndParams() const {
  std::u16string result = Path + Document;
  if (!Params.empty())
    result += u"?" + Params;
  return result;
}

std::u16string TNetURI::GetFullURI(bool withAuthentication, bool withBookmark) const {
  if (Protocol.empty())
    throw ENetURIException(u"Protocol field is empty");
  if (Host.empty())
    throw ENetURIException(u"Host field is empty");
  std::u16string result = Protocol + u"://";
  if (withAuthentication && !Username.empty()) {
    result += Username;
    if (!Password.empty())
      result += u":" + Password;
    result += u"@";
  }
  result += IPVersion == Net_IPv6 ? u"[" + Host + u"]" : Host;
  if (!Port.empty() && Port != DefaultPortOf(Protocol))
    result += u":" + Port;
  result += GetPathAndParams();
  if (withBookmark && !Bookmark.empty())
    result += u"#" + Bookmark;
  return result;
}

}  // namespace vornel
