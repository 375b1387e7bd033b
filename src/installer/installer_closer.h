// Closing the window: refused while a step runs; otherwise the unpacked set and a
// partial download are removed, the product's old installer file is deleted (when
// it is the user's own regular file) and the self-delete script is written and
// started from the file written.
#pragma once

#include <string>
#include <vector>

#include "installer/installer_environment.h"
#include "installer/installer_state.h"
#include "installer/installer_view.h"
#include "platform/owned_files.h"

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
  // Writes the script as a new file into the installer's folder; raises when it
  // cannot.
  TNewFile SelfDelete();

 private:
  void RemoveUnpackedSet();
  // A temporary folder made fresh for this run goes when nothing is left in it.
  void RemoveFreshTempFolder();
  // After a failed unpacking: the kept download and every file it wrote.
  void RemoveFailedUnpacking();

  TInstallerState& FState;
  TInstallerView& FView;
  const TInstallerEnvironment& FEnvironment;
};

}  // namespace vornel
