// Credentials remembered after an authentication has gone through all its steps:
// the URI it was for and a copy of the object's Params.
#pragma once

#include <memory>
#include <vector>

#include "http/authentication.h"
#include "http/header_list.h"
#include "http/uri.h"
#include "transport/net_component.h"

namespace vornel {

struct TNetAuthenticationItem {
  TNetURI URI;
  TNetHeaderList Params;
};

class TNetAuthenticationManager : public TNetComponent {
 public:
  TNetAuthenticationManager() = default;
  ~TNetAuthenticationManager() override;

  virtual void AddAuthentication(const TNetAuthentication& authentication, const TNetURI& uri);
  const std::vector<TNetAuthenticationItem>& Authentications() const { return FItems; }

 private:
  std::vector<TNetAuthenticationItem> FItems;
};

}  // namespace vornel
