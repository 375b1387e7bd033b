#include "http/authentication.h"

#include "http/authentication_registry.h"
#include "http/text_helpers.h"

namespace vornel {

std::u16string TNetAuthentication::ChallengeOf(std::u16string_view scheme) const {
  for (const std::u16string& line : AuthParams.Lines()) {
    if (http_text::StartsWithNoCase(line, scheme) &&
        (line.size() == scheme.size() || line[scheme.size()] == u' ')) {
      return line;
    }
  }
  return {};
}

std::unique_ptr<TNetAuthentication> MakeBasicAuthentication(const std::u16string& username,
                                                            const std::u16string& password) {
  const TNetAuthenticationClass basic = FindAuthClass(u"Basic");
  if (!basic)
    return nullptr;
  std::unique_ptr<TNetAuthentication> authentication = basic();
  authentication->SetUserName(username);
  authentication->SetPassword(password);
  return authentication;
}

}  // namespace vornel
