#include "http/authentication.h"

namespace vornel {

std::unique_ptr<TNetAuthentication> MakeBasicAuthentication(const std::u16string& username,
                                                            const std::u16string& password) {
  (void)username;
  (void)password;
  return nullptr;
}

}  // namespace vornel
