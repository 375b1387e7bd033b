// Page 1: unpacks the downloaded set into a folder of its own (or below a picked
// backup folder), deletes the download and moves on to page 2. A damaged set is
// deleted and page 0 shown again, to download it anew; a folder that cannot take
// the set leaves page 1 usable, to pick another.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "installer/installer_state.h"
#include "installer/installer_view.h"
#include "installer/unpack_fault.h"
#include "zip/unzipper.h"

namespace vornel {

// The unpack folder's name: the set's file name with every ".zip" removed, in any
// letter case ("Tarvo2021_2021K1.ZIP" gives "Tarvo2021_2021K1").
std::u16string UnpackFolderName(std::u16string_view zipFileName);

// The message for items that did not unpack, by whose fault: at most ten names,
// then how many more, and what the user can do.
std::u16string FailedItemsMessage(const std::vector<std::u16string>& names, TUnpackFault fault);
// The message for a set whose unpacking failed as a whole with that message.
std::u16string DamagedSetMessage(std::u16string_view message);

class TUnpackStep {
 public:
  // How many failed items the message names before it only counts them.
  static constexpr std::size_t NamedFailures = 10;

  TUnpackStep(TInstallerState& state, TInstallerView& view);

  // The backup box was clicked (or unticked from code).
  void ChB_ZalohaClick();
  // "Rozbalit".
  void B_RozbalK2Click();

  // ArUnZipper1, with the item meter of the view.
  TArUnZipper& UnZipper() { return FUnZipper; }

 private:
  void ArUnZipper1ArchiveProgress();
  // The bar, the taskbar, the cursor and the busy flag as after any unpacking.
  void EndUnpacking();
  // After a failure: the page usable again, the download kept for another try.
  void Recover();
  // After a failure of the set itself: the download deleted, page 0 shown, where
  // "Start" fetches it again.
  void DiscardDamagedSet();
  // What a failed run left in the unpack folder, for the clean-up at close.
  void RememberUnpackedFiles();

  TInstallerState& FState;
  TInstallerView& FView;
  TArUnZipper FUnZipper;
  std::vector<std::u16string> FFailedItems;
  bool FFolderFailed = false;  // an item failed for the folder's sake
};

}  // namespace vornel
