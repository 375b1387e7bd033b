#include "installer/exception_handling.h"

#include <exception>

#include "platform/exception.h"
#include "platform/text.h"

namespace vornel {

std::u16string ErrorBoxText(std::u16string_view message) {
  std::u16string text(message);
  if (!text.empty() && text.back() > u'.')
    text += u'.';
  return text;
}

void HandleException(TInstallerView& view) {
  try {
    throw;
  } catch (const EAbort&) {
    // An abort ends the work on purpose (a cancel, or a request given up, such
    // as an NTLM exchange without the server's challenge): there is no fault to
    // tell the user, so no box.
  } catch (const Exception& e) {
    view.ErrorBox(ErrorBoxText(e.Message()));
  } catch (const std::exception& e) {
    view.ErrorBox(ErrorBoxText(FromUtf8(e.what())));
  } catch (...) {
    view.ErrorBox(ErrorBoxText(u"Unknown exception"));
  }
}

}  // namespace vornel
