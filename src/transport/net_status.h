// Connection states reported through OnStatus, with their texts.
#pragma once

#include <initializer_list>
#include <string>

namespace vornel {

enum TNetStatus {
  hsResolving,
  hsConnecting,
  hsConnected,
  hsDisconnecting,
  hsDisconnected,
  hsStatusText,
  ftpTransfer,
  ftpReady,
  ftpAborted
};

// The text of a status with its "%s" filled from arguments in order (an absent
// argument leaves an empty text).
std::u16string NetStatusText(TNetStatus AStatus, std::initializer_list<std::u16string> AArguments);

}  // namespace vornel
