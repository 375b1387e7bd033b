// The Basic scheme: user name and password in base64, one step.
#pragma once

#include <string>

#include "http/authentication.h"

namespace vornel {

class TNetBasicAuthentication : public TNetAuthentication {
 public:
  TNetBasicAuthentication();

  std::int32_t GetSteps() const override { return 1; }
  // "Basic " and the base64 of user name, ":" and password in Charset.
  std::u16string Authentication() override;

  std::u16string Realm;

 protected:
  TNetAuthWhatsNext DoNext() override;
};

}  // namespace vornel
