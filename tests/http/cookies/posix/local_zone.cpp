#include "local_zone.h"

#include <cstdlib>
#include <ctime>

namespace vornel::test {

bool UseLocalZone(const char* zone) {
  ::setenv("TZ", zone, 1);
  ::tzset();
  return true;
}

void ForgetLocalZone() {
  ::unsetenv("TZ");
  ::tzset();
}

}  // namespace vornel::test
