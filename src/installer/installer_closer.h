// Closing the window: refused while a step runs; otherwise the unpacked set and a
// partial download are removed, the product's old installer file is deleted and
// the self-delete script is written and started.
#pragma once

#include <string>
#include <vector>

#include "installer/installer_environment.h"
#include "installer/installer_state.h"
#include "installer/installer_view.h"

namespace vornel {

// The files a set brings, in the order they are deleted from the unpack folder;
// none while nothing has been unpacked (an empty folder would aim at the root).
std::vector<std::u16string> KnownSetFiles(const std::u16string& installDir);

class TInstallerCloser {
 public:
  TInstallerCloser(TInstallerState& state, TInstallerView& view,
                   const TInstallerEnvironment& environment)
      : FState(state), FView(view), FEnvironment(environment) {}

  // The close handler; action caNone keeps the window open.
  void FormClose(TCloseAction& action);
  // Writes the script into the installer's folder; raises when it cannot.
  void SelfDelete();
  std::u16string ScriptPath() const;

 private:
  void RemoveUnpackedSet();
  // After a failed unpacking: the kept download and every file it wrote.
  void RemoveFailedUnpacking();

  TInstallerState& FState;
  TInstallerView& FView;
  const TInstallerEnvironment& FEnvironment;
};

}  // namespace vornel
