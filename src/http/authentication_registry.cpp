#include "http/authentication_registry.h"

#include <algorithm>
#include <utility>

#include "http/basic_authentication.h"
#include "http/digest_authentication.h"
#include "http/ntlm_authentication.h"
#include "platform/text.h"

namespace vornel {

namespace {

using TRegistry = std::vector<std::pair<std::u16string, TNetAuthenticationClass>>;

// Filled when first used, which is before any request can ask for it; registering
// and lookups are not locked, as the program changes the registry only at start-up.
TRegistry& Registry() {
  static TRegistry registry = [] {
    TRegistry initial;
    initial.emplace_back(u"Basic", &CreateAuthentication<TNetBasicAuthentication>);
    initial.emplace_back(u"NTLM", &CreateAuthentication<TNetNTLMAuthentication>);
    initial.emplace_back(u"Digest", &CreateAuthentication<TNetDigestAuthentication>);
    return initial;
  }();
  return registry;
}

TRegistry::iterator Find(TRegistry& registry, std::u16string_view name) {
  return std::find_if(registry.begin(), registry.end(),
                      [&](const auto& entry) { return SameTextAscii(entry.first, name); });
}

}  // namespace

void RegisterAuthenticationMethod(std::u16string_view name, TNetAuthenticationClass authClass) {
  TRegistry& registry = Registry();
  if (const auto found = Find(registry, name); found != registry.end()) {
    found->second = authClass;
  } else {
    registry.emplace_back(std::u16string(name), authClass);
  }
}

void UnregisterAuthenticationMethod(std::u16string_view name) {
  TRegistry& registry = Registry();
  if (const auto found = Find(registry, name); found != registry.end())
    registry.erase(found);
}

TNetAuthenticationClass FindAuthClass(std::u16string_view name) {
  TRegistry& registry = Registry();
  const auto found = Find(registry, name);
  return found == registry.end() ? nullptr : found->second;
}

std::vector<std::u16string> RegisteredAuthenticationMethods() {
  std::vector<std::u16string> names;
  for (const auto& entry : Registry())
    names.push_back(entry.first);
  return names;
}

}  // namespace vornel
