// The authentication schemes by name. Filled at start-up with "Basic", "NTLM" and
// "Digest", in that order; the platform's NTLM and Negotiate package is not
// available here, so those two names get no class of their own.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "http/authentication.h"

namespace vornel {

// A scheme's class: it makes a new authentication object of the scheme.
using TNetAuthenticationClass = std::unique_ptr<TNetAuthentication> (*)();

template <typename TScheme>
std::unique_ptr<TNetAuthentication> CreateAuthentication() {
  return std::make_unique<TScheme>();
}

// Registers a scheme name (compared without case); a registered name gets the new
// class in its place.
void RegisterAuthenticationMethod(std::u16string_view name, TNetAuthenticationClass authClass);
void UnregisterAuthenticationMethod(std::u16string_view name);
// The class of a scheme name, or none.
TNetAuthenticationClass FindAuthClass(std::u16string_view name);
// The registered names in the order of registering.
std::vector<std::u16string> RegisteredAuthenticationMethods();

}  // namespace vornel
