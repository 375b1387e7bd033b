#include "installer/unpack_step.h"

#include <algorithm>

#include "installer/exception_handling.h"
#include "installer/unpack_folder.h"
#include "platform/exception.h"
#include "platform/file_system.h"
#include "platform/text.h"

namespace vornel {

namespace {

constexpr char16_t kUnpackToolTip[] = u"Probíhá rozbalování ...";
constexpr char16_t kDownloadAgain[] =
    u"\n\nStažený soubor byl smazán. Stáhněte instalační sadu znovu tlačítkem [Start].";

std::u16string MessageOf(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const Exception& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return FromUtf8(e.what());
  } catch (...) {
  }
  return u"Unknown exception";
}

}  // namespace

std::u16string UnpackFolderName(std::u16string_view zipFileName) {
  std::u16string name = ExtractFileName(zipFileName);
  for (std::size_t at = 0; at + 4 <= name.size();) {
    if (SameTextAscii(std::u16string_view(name).substr(at, 4), u".zip")) {
      name.erase(at, 4);
    } else {
      ++at;
    }
  }
  return name;
}

std::u16string FailedItemsMessage(const std::vector<std::u16string>& names, TUnpackFault fault) {
  std::u16string text = fault == TUnpackFault::ufSet
                            ? u"Instalační sada je poškozená. Tyto soubory z ní nelze rozbalit:"
                            : u"Instalační sadu se nepodařilo rozbalit celou. Tyto soubory nelze "
                              u"do složky zapsat:";
  const std::size_t shown = std::min(names.size(), TUnpackStep::NamedFailures);
  for (std::size_t i = 0; i < shown; ++i)
    text += u"\n" + names[i];
  if (names.size() > shown)
    text += u"\n… a dalších " + IntToText(static_cast<std::int64_t>(names.size() - shown));
  text += fault == TUnpackFault::ufSet ? kDownloadAgain
                                       : u"\n\nRozbalte instalační sadu do jiné složky nebo "
                                         u"uvolněte místo na disku.";
  return text;
}

std::u16string DamagedSetMessage(std::u16string_view message) {
  return u"Instalační sada je poškozená a nelze ji rozbalit:\n" + ErrorBoxText(message) +
         kDownloadAgain;
}

TUnpackStep::TUnpackStep(TInstallerState& state, TInstallerView& view)
    : FState(state), FView(view) {
  FUnZipper.SetExtractOptions(eoCreateDirs | eoRestorePath);
  FUnZipper.OnArchiveProgress = [this](TArUnZipper&, std::uint8_t, bool&) {
    ArUnZipper1ArchiveProgress();
  };
  // A set that did not unpack completely is never offered for installation.
  // It is reported while the item's exception is being handled, if there is one.
  FUnZipper.OnProcessItemFailure = [this](TArUnZipper&, TArZipItem& item, TArProcessType,
                                          TArErrorClass errorClass, int errorCode) {
    FFailedItems.push_back(item.FileName);
    if (ItemFailureFault(errorClass, errorCode, std::current_exception()) == TUnpackFault::ufFolder)
      FFolderFailed = true;
  };
}

void TUnpackStep::ChB_ZalohaClick() {
  if (FView.BackupChecked()) {
    if (const auto folder = FView.PickFolder()) {
      FState.BackupDir = ExcludeTrailingPathDelimiter(*folder);
      FView.SetLabelText(TControl::HTMText_BackupFolder, FState.BackupDir);
      FView.SetVisible(TControl::HTMText_BackupFolder, true);
    } else {
      FView.SetBackupChecked(false);  // runs this handler again for the unticked box
      FView.SetLabelText(TControl::HTMText_BackupFolder, u"");
      FView.SetVisible(TControl::HTMText_BackupFolder, false);
    }
    return;
  }
  FView.SetLabelText(TControl::HTMText_BackupFolder, u"");
  FView.SetVisible(TControl::HTMText_BackupFolder, false);
}

void TUnpackStep::B_RozbalK2Click() {
  FState.UnZipperActive = true;
  FState.UnpackFailed = false;
  FState.UnpackedFiles.clear();
  FFailedItems.clear();
  FFolderFailed = false;
  FView.SetEnabled(TControl::B_RozbalK2, false);
  FView.SetEnabled(TControl::ChB_Zaloha, false);
  FView.SetBusyCursor(true);
  FUnZipper.SetItemProgressMeter(FView.UnpackMeter());
  // Whose fault a failure is: the set's while it is opened and read, the folder's
  // while that is made ready, then as the failure tells.
  bool opening = true;
  try {
    FUnZipper.SetFileName(FState.CilDataFile);
    opening = false;
    const std::u16string name = UnpackFolderName(FState.ZIP_FileName);
    const std::u16string folder = FView.BackupChecked()
                                      ? FState.BackupDir + PathDelimiter + name
                                      : ExtractFilePath(FState.CilDataFile) + name;
    // A refused folder never becomes InstallDir: nothing in it is the clean-up's.
    MakeUnpackFolder(folder);
    FState.InstallDir = folder;
    FUnZipper.SetBaseDirectory(FState.InstallDir);
    FView.SetVisible(TControl::HTMText_Krok2_1, false);
    FView.SetVisible(TControl::HTMText_Krok2_2, true);
    FView.SetVisible(TControl::ArPB_Main, true);
    TTaskbar& taskbar = FView.Taskbar();
    taskbar.SetProgressValue(0);
    taskbar.SetProgressState(tbpsNormal);
    taskbar.SetProgressMaxValue(FUnZipper.Count());
    taskbar.SetToolTip(kUnpackToolTip);
    FUnZipper.ExtractFiles(u"*.*");
  } catch (...) {
    const std::exception_ptr error = std::current_exception();
    RememberUnpackedFiles();
    Recover();
    if (!opening && ExtractionFailureFault(error) == TUnpackFault::ufFolder)
      throw;  // the default handling shows it
    DiscardDamagedSet();
    FView.ErrorBox(DamagedSetMessage(MessageOf(error)));
    return;
  }
  if (!FFailedItems.empty()) {
    RememberUnpackedFiles();
    Recover();
    const TUnpackFault fault = FFolderFailed ? TUnpackFault::ufFolder : TUnpackFault::ufSet;
    if (fault == TUnpackFault::ufSet)
      DiscardDamagedSet();
    FView.ErrorBox(FailedItemsMessage(FFailedItems, fault));
    return;
  }
  FUnZipper.CloseArchive();
  DeleteFile(FState.CilDataFile);
  EndUnpacking();
  FView.ShowPage(TS_Step3);
}

void TUnpackStep::ArUnZipper1ArchiveProgress() {
  TTaskbar& taskbar = FView.Taskbar();
  taskbar.SetProgressValue(taskbar.ProgressValue() + 1);
}

void TUnpackStep::EndUnpacking() {
  FView.SetProgressPosition(TControl::ArPB_Main, 0);
  FView.SetVisible(TControl::ArPB_Main, false);
  TTaskbar& taskbar = FView.Taskbar();
  taskbar.SetProgressState(tbpsNone);
  taskbar.SetProgressValue(0);
  taskbar.SetToolTip(u"");
  FView.SetBusyCursor(false);
  FState.UnZipperActive = false;
  FView.SetEnabled(TControl::B_RozbalK2, true);
}

void TUnpackStep::Recover() {
  FUnZipper.CloseArchive();
  FState.UnpackFailed = true;
  FView.SetVisible(TControl::HTMText_Krok2_2, false);
  FView.SetVisible(TControl::HTMText_Krok2_1, true);
  EndUnpacking();
  FView.SetEnabled(TControl::ChB_Zaloha, true);
}

void TUnpackStep::DiscardDamagedSet() {
  DeleteFile(FState.CilDataFile);
  FView.ShowPage(TS_Step1);
}

void TUnpackStep::RememberUnpackedFiles() {
  if (FState.InstallDir.empty() || FUnZipper.Status() == asInvalid)
    return;
  for (int i = 0; i < FUnZipper.Count(); ++i) {
    TArZipItem& item = FUnZipper.Items(i);
    std::u16string confined;
    if (item.IsDirectory() || !ArConfineName(item.FileName, confined))
      continue;
    const std::u16string path = FState.InstallDir + PathDelimiter + confined;
    if (FileExists(path))
      FState.UnpackedFiles.push_back(path);
  }
}

}  // namespace vornel
