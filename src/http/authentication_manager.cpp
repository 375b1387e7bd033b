#include "http/authentication_manager.h"

namespace vornel {

TNetAuthenticationManager::~TNetAuthenticationManager() = default;

void TNetAuthenticationManager::AddAuthentication(const TNetAuthentication& authentication,
                                                  const TNetURI& uri) {
  FItems.push_back({uri, authentication.Params});
}

}  // namespace vornel
