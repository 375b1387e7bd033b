#include "http/basic_authentication.h"

#include "http/base64.h"
#include "http/charset.h"
#include "http/text_helpers.h"
#include "platform/text.h"

namespace vornel {

namespace {

std::u16string Unquoted(std::u16string_view text) {
  std::u16string value = Trim(text);
  if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"')
    value = value.substr(1, value.size() - 2);
  return value;
}

}  // namespace

TNetBasicAuthentication::TNetBasicAuthentication() {
  Charset = u"ISO-8859-1";
}

TNetAuthWhatsNext TNetBasicAuthentication::DoNext() {
  std::u16string parameters = ChallengeOf(u"Basic");
  const auto blank = parameters.find(u' ');
  parameters = blank == std::u16string::npos ? std::u16string() : parameters.substr(blank + 1);
  while (!parameters.empty()) {
    const std::u16string parameter = http_text::Fetch(parameters, u", ");
    const auto equals = parameter.find(u'=');
    const std::u16string name = Trim(parameter.substr(0, equals));
    if (!name.empty() && equals != std::u16string::npos)
      Params.SetValue(name, Unquoted(parameter.substr(equals + 1)));
  }
  Realm = Params.Value(u"realm");
  Charset = u"ISO-8859-1";
  for (const char16_t* name : {u"charset", u"accept-charset", u"encoding", u"enc"}) {
    if (std::u16string value = Params.Value(name); !value.empty()) {
      Charset = std::move(value);
      break;
    }
  }
  if (FCurrentStep != 0)
    return wnFail;
  return UserName().empty() ? wnAskTheProgram : wnDoRequest;
}

std::u16string TNetBasicAuthentication::Authentication() {
  return u"Basic " + Base64Encode(EncodeWithCharSet(Charset, UserName() + u":" + Password()));
}

}  // namespace vornel
