#include "http/ntlm_authentication.h"

#include "http/base64.h"
#include "http/ntlm_messages.h"
#include "platform/computer_name.h"
#include "platform/exception.h"

namespace vornel {

namespace {

// Domain and user of a user name "DOMAIN\user", the domain given taking precedence.
void SplitUser(const std::u16string& userName, const std::u16string& domainGiven,
               std::u16string& domain, std::u16string& user) {
  const auto slash = userName.find(u'\\');
  if (slash == std::u16string::npos) {
    domain = domainGiven;
    user = userName;
  } else {
    domain = domainGiven.empty() ? userName.substr(0, slash) : domainGiven;
    user = userName.substr(slash + 1);
  }
}

}  // namespace

TNetNTLMAuthentication::TNetNTLMAuthentication() : Host(ComputerName()) {}

TNetAuthWhatsNext TNetNTLMAuthentication::DoNext() {
  switch (FCurrentStep) {
    case 0:
      if (UserName().empty())
        return wnAskTheProgram;
      FCurrentStep = 1;
      return wnDoRequest;
    case 1:
    case 2:
      ++FCurrentStep;
      return wnDoRequest;
    default:
      Reset();
      return wnFail;
  }
}

std::u16string TNetNTLMAuthentication::Authentication() {
  std::u16string domain, user;
  SplitUser(UserName(), Domain, domain, user);
  if (FCurrentStep == 1)
    return u"NTLM " + Base64Encode(NTLMType1Message(domain, Host));
  if (FCurrentStep != 2)
    return {};
  std::optional<TNTLMType2> challenge;
  const std::u16string line = ChallengeOf(u"NTLM");
  if (line.size() > 5) {
    if (const auto bytes = Base64Decode(std::u16string_view(line).substr(5)))
      challenge = ReadNTLMType2Message(*bytes);
  }
  if (!challenge) {
    Reset();
    throw EAbort();
  }
  return u"NTLM " + Base64Encode(NTLMType3Message(*challenge, domain, user, Host, Password()));
}

}  // namespace vornel
