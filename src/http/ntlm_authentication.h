// The NTLM scheme: a type 1 message, then the type 3 answer to the server's
// challenge, on one kept-alive connection.
#pragma once

#include <string>

#include "http/authentication.h"

namespace vornel {

class TNetNTLMAuthentication : public TNetAuthentication {
 public:
  TNetNTLMAuthentication();

  std::int32_t GetSteps() const override { return 3; }
  // Step 1: "NTLM " and the type 1 message; step 2: "NTLM " and the type 3 answer
  // to the challenge in AuthParams. Without a challenge the object is reset and
  // the request ends with a silent EAbort. Empty at the other steps.
  std::u16string Authentication() override;
  bool KeepAlive() const override { return true; }

  // The user's domain; when empty, a user name "DOMAIN\user" supplies it.
  std::u16string Domain;
  // The workstation, this computer's name unless set otherwise.
  std::u16string Host;

 protected:
  TNetAuthWhatsNext DoNext() override;
};

}  // namespace vornel
