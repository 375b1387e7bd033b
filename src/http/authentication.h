// The authentication object a request or a proxy carries; the schemes derive from it.
#pragma once

#include <memory>
#include <string>

#include "http/uri.h"

namespace vornel {

class TNetAuthentication {
 public:
  virtual ~TNetAuthentication() = default;

  // The text of the "Authorization" (or "Proxy-Authorization") header.
  virtual std::u16string Authentication() = 0;
  // Some schemes sign the method and the target.
  virtual void SetRequest(const std::u16string& method, const std::u16string& uri) {
    (void)method;
    (void)uri;
  }
  virtual void Reset() {}
};

// A Basic authentication object for the user name and password; none while no
// scheme is registered for it.
std::unique_ptr<TNetAuthentication> MakeBasicAuthentication(const std::u16string& username,
                                                            const std::u16string& password);

}  // namespace vornel
