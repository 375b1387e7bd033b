// The label's exceptions.
#pragma once

#include <string_view>

#include "platform/exception.h"

namespace vornel {

class EVqHTMLText : public Exception {
 public:
  using Exception::Exception;
};

// "TVqHTMLText internal error: <what>".
[[noreturn]] void RaiseInternalError(std::u16string_view what);

}  // namespace vornel
