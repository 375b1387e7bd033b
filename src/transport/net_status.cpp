#include "transport/net_status.h"

namespace vornel {

namespace {

const char16_t* Format(TNetStatus AStatus) {
  switch (AStatus) {
    case hsResolving:
      return u"Resolving hostname %s.";
    case hsConnecting:
      return u"Connecting to %s.";
    case hsConnected:
      return u"Connected.";
    case hsDisconnecting:
      return u"Disconnecting.";
    case hsDisconnected:
      return u"Disconnected.";
    case hsStatusText:
    case ftpTransfer:
    case ftpReady:
    case ftpAborted:
      return u"%s";
  }
  return u"";
}

}  // namespace

std::u16string NetStatusText(TNetStatus AStatus, std::initializer_list<std::u16string> AArguments) {
  const std::u16string format = Format(AStatus);
  std::u16string text;
  auto argument = AArguments.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == u'%' && i + 1 < format.size() && format[i + 1] == u's') {
      if (argument != AArguments.end())
        text += *argument++;
      ++i;
    } else {
      text += format[i];
    }
  }
  return text;
}

}  // namespace vornel
