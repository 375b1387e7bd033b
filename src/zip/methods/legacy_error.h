// The failure of a legacy zip decoder: damaged or cut data.
#pragma once

#include "platform/exception.h"

namespace vornel {

class EArLegacyDataError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace vornel
