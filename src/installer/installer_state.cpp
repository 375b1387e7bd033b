#include "installer/installer_state.h"

namespace vornel {

TInstallerState& InstallerState() {
  static TInstallerState state;
  return state;
}

}  // namespace vornel
