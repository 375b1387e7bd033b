#include "htmltext/html_text_error.h"

namespace vornel {

void RaiseInternalError(std::u16string_view what) {
  throw EVqHTMLText(u"TVqHTMLText internal error: " + std::u16string(what));
}

}  // namespace vornel
