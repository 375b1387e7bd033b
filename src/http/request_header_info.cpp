#include "http/request_header_info.h"

#include "http/http_date.h"

namespace vornel {

void TNetRequestHeaderInfo::Clear() {
  Accept = kDefaultAccept;
  AcceptCharSet.clear();
  UserAgent = kDefaultUserAgent;
  BasicAuthentication = false;
  Ranges.Clear();
  MethodOverride.clear();
  TNetEntityHeaderInfo::Clear();
}

void TNetRequestHeaderInfo::SetHeaders() {
  TNetEntityHeaderInfo::SetHeaders();
  TNetHeaderList& h = RawHeaders;
  if (!ProxyConnection.empty())
    h.SetValue(u"Proxy-Connection", ProxyConnection);
  if (!Host.empty())
    h.SetValue(u"Host", Host);
  if (!Accept.empty())
    h.SetValue(u"Accept", Accept);
  if (!AcceptCharSet.empty())
    h.SetValue(u"Accept-Charset", AcceptCharSet);
  if (!AcceptEncoding.empty())
    h.SetValue(u"Accept-Encoding", AcceptEncoding);
  if (!AcceptLanguage.empty())
    h.SetValue(u"Accept-Language", AcceptLanguage);
  if (!From.empty())
    h.SetValue(u"From", From);
  if (!Referer.empty())
    h.SetValue(u"Referer", Referer);
  if (!UserAgent.empty())
    h.SetValue(u"User-Agent", UserAgent);
  if (const std::u16string ranges = Ranges.Text(); !ranges.empty())
    h.SetValue(u"Range", ranges);
  if (LastModified > 0)
    h.SetValue(u"If-Modified-Since", FormatHTTPDate(LastModified));
  if (!Authentication && BasicAuthentication) {
    Authentication = MakeBasicAuthentication(Username, Password);
  }
  if (Authentication) {
    if (const std::u16string text = Authentication->Authentication(); !text.empty()) {
      h.SetValue(u"Authorization", text);
    }
  }
  if (!MethodOverride.empty())
    h.SetValue(u"X-HTTP-Method-Override", MethodOverride);
}

}  // namespace vornel
