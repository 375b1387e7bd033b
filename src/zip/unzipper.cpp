#include "zip/unzipper.h"

#include <vector>

#include "platform/file_stream.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "zip/ar_exceptions.h"
#include "zip/arc_type.h"
#include "zip/file_target.h"
#include "zip/item_decoding.h"
#include "zip/pattern_match.h"

namespace vornel {

void ArConvertException(const std::exception_ptr& error, TArErrorClass& errorClass,
                        int& errorCode) {
  std::u16string message;
  ArConvertException(error, errorClass, errorCode, message);
}

void ArConvertException(const std::exception_ptr& error, TArErrorClass& errorClass, int& errorCode,
                        std::u16string& message) {
  errorClass = ecOther;
  errorCode = 0;
  message.clear();
  try {
    std::rethrow_exception(error);
  } catch (const EArException& e) {
    errorClass = ecArchive;
    errorCode = e.ErrorCode();
    message = e.Message();
  } catch (const EOSError& e) {
    errorClass = ecInOutError;
    errorCode = e.ErrorCode();
    message = e.Message();
  } catch (const EFCreateError& e) {
    errorClass = ecFileCreateError;
    message = e.Message();
  } catch (const EFOpenError& e) {
    errorClass = ecFileOpenError;
    message = e.Message();
  } catch (const EStreamError& e) {
    errorClass = ecFilerError;
    message = e.Message();
  } catch (const Exception& e) {
    message = e.Message();
  } catch (const std::exception& e) {
    message = FromUtf8(e.what());
  } catch (...) {
  }
  if (message.empty())
    message = u"Unknown error";
}

bool ArConfineName(std::u16string_view name, std::u16string& confined) {
  if (name.empty())
    return false;
  if (name.front() == u'/' || name.front() == u'\\')
    return false;
  if (name.size() >= 2 && name[1] == u':')
    return false;
  std::vector<std::u16string_view> segments;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of(u"/\\", start);
    if (end == std::u16string_view::npos)
      end = name.size();
    const std::u16string_view segment = name.substr(start, end - start);
    if (segment == u"..") {
      if (segments.empty())
        return false;
      segments.pop_back();
    } else if (!segment.empty() && segment != u".") {
      segments.push_back(segment);
    }
    start = end + 1;
  }
  if (segments.empty())
    return false;
  confined.clear();
  for (const auto& segment : segments) {
    if (!confined.empty())
      confined.push_back(PathDelimiter);
    confined.append(segment);
  }
  return true;
}

TArUnZipper::TArUnZipper() = default;

TArUnZipper::~TArUnZipper() {
  SetItemProgressMeter(nullptr);
  SetArchiveProgressMeter(nullptr);
}

TArZipArchive& TArUnZipper::CheckedArchive() const {
  if (!FArchive)
    throw EArNoArchive();
  FArchive->CheckValid();
  return *FArchive;
}

int TArUnZipper::Count() const {
  return FArchive ? FArchive->Count() : 0;
}
TArZipItem& TArUnZipper::Items(int index) {
  return CheckedArchive().Items(index);
}
TArArchiveStatus TArUnZipper::Status() const {
  return FArchive ? FArchive->Status() : asInvalid;
}
int TArUnZipper::FindFile(std::u16string_view name) {
  return CheckedArchive().FindFile(name);
}

void TArUnZipper::SetFileName(const std::u16string& fileName) {
  if (!fileName.empty()) {
    if (!FileExists(fileName))
      throw EArFileNotFound();
    if (FileSize(fileName) <= 0)
      throw EArBadStream();
  }
  FFileName = fileName;
  FArchive.reset();
  if (!fileName.empty()) {
    const TArArchiveType type = FForceType ? FArchiveType : ArDetermineArcType(fileName, atUnknown);
    if (type != atZip && type != atSpannedZip && type != atSelfExtZip)
      throw EArUnhandledType();
    FArchive = std::make_unique<TArZipArchive>(fileName, fmOpenRead | fmShareDenyNone);
    InitArchive();
    FArchive->Load();
    FArchiveType = type;
  }
  if (OnChange)
    OnChange(*this);
}

void TArUnZipper::CloseArchive() {
  if (!FFileName.empty())
    SetFileName(u"");
}

void TArUnZipper::InitArchive() {
  if (FArchiveMeter)
    FArchiveMeter->Reset();
  if (FItemMeter)
    FItemMeter->Reset();
  TArZipArchive& archive = *FArchive;
  archive.LogFile = FLogFile;
  archive.Logging = FLogging;
  archive.TempDirectory = FTempDirectory;
  archive.SetBaseDirectory(FBaseDirectory);
  FBaseDirectory = archive.BaseDirectory();
  archive.OnArchiveProgress = [this](std::uint8_t progress, bool& abort) {
    DoArchiveProgress(progress, abort);
  };
  archive.OnArchiveItemProgress = [this](TArZipItem& item, std::uint8_t progress, bool& abort) {
    DoItemProgress(item, progress, abort);
  };
  archive.OnProcessItemFailure = [this](TArZipItem& item, TArProcessType processType,
                                        TArErrorClass errorClass, int errorCode) {
    // Reported without an exception: the CRC-32 check of the written data.
    FFailureMessage = errorClass == ecArchive && errorCode == EArZipBadCRC::Code_
                          ? EArZipBadCRC().Message()
                          : u"Item failed (error " + IntToText(errorCode) + u")";
    if (OnProcessItemFailure)
      OnProcessItemFailure(*this, item, processType, errorClass, errorCode);
    FFailureMessage.clear();
  };
  archive.OnLoad = [this] {
    if (OnLoad)
      OnLoad(*this);
  };
  archive.ExtractOptions = FExtractOptions;
  archive.Password = FPassword;
  archive.PasswordRetries = FPasswordRetries;
  archive.OnNeedPassword = [this](std::u16string& password) {
    if (OnNeedPassword)
      OnNeedPassword(*this, password);
  };
}

void TArUnZipper::SetBaseDirectory(const std::u16string& folder) {
  if (FArchive) {
    FArchive->SetBaseDirectory(folder);
    FBaseDirectory = FArchive->BaseDirectory();
  } else {
    FBaseDirectory = folder;
  }
}

void TArUnZipper::SetExtractOptions(TArExtractOptions options) {
  FExtractOptions = options;
  if (FArchive)
    FArchive->ExtractOptions = options;
}

void TArUnZipper::SetPassword(const std::u16string& password) {
  FPassword = password;
  if (FArchive)
    FArchive->Password = password;
}

void TArUnZipper::SetPasswordRetries(std::uint8_t retries) {
  FPasswordRetries = retries;
  if (FArchive)
    FArchive->PasswordRetries = retries;
}

void TArUnZipper::SetTempDirectory(const std::u16string& folder) {
  FTempDirectory = folder;
  if (FArchive)
    FArchive->TempDirectory = folder;
}

void TArUnZipper::SetMeter(IArProgressMeter*& slot, int& key, IArProgressMeter* meter) {
  if (slot == meter)
    return;
  if (slot)
    slot->RemoveFreeNotification(key);
  slot = meter;
  key = -1;
  if (meter) {
    key = meter->AddFreeNotification([&slot, &key] {
      slot = nullptr;
      key = -1;
    });
  }
}

void TArUnZipper::SetItemProgressMeter(IArProgressMeter* meter) {
  SetMeter(FItemMeter, FItemMeterKey, meter);
}

void TArUnZipper::SetArchiveProgressMeter(IArProgressMeter* meter) {
  SetMeter(FArchiveMeter, FArchiveMeterKey, meter);
}

void TArUnZipper::DoArchiveProgress(std::uint8_t progress, bool& abort) {
  abort = false;
  if (FArchiveMeter)
    FArchiveMeter->DoProgress(progress);
  if (OnArchiveProgress)
    OnArchiveProgress(*this, progress, abort);
}

void TArUnZipper::DoItemProgress(TArZipItem& item, std::uint8_t progress, bool& abort) {
  abort = false;
  if (FItemMeter)
    FItemMeter->DoProgress(progress);
  if (OnArchiveItemProgress)
    OnArchiveItemProgress(*this, item, progress, abort);
}

void TArUnZipper::ReportFailure(TArZipItem& item, TArProcessType processType) {
  TArErrorClass errorClass = ecOther;
  int errorCode = 0;
  ArConvertException(std::current_exception(), errorClass, errorCode, FFailureMessage);
  if (OnProcessItemFailure)
    OnProcessItemFailure(*this, item, processType, errorClass, errorCode);
  FFailureMessage.clear();
}

bool TArUnZipper::ConfirmItem(TArZipItem& item) {
  bool confirm = true;
  if (FItemMeter)
    FItemMeter->Reset();
  if (OnConfirmProcessItem)
    OnConfirmProcessItem(*this, item, ptExtract, confirm);
  return confirm;
}

std::optional<std::u16string> TArUnZipper::ConfirmPath(TArZipItem& item,
                                                       const std::u16string& newName) {
  const bool folder = item.IsDirectory();
  const bool restorePath = (FExtractOptions & eoRestorePath) != 0;
  const bool createDirs = (FExtractOptions & eoCreateDirs) != 0;
  if (folder && !(createDirs && restorePath))
    return std::nullopt;

  std::u16string path;
  if (!newName.empty()) {
    path = newName;
  } else {
    std::u16string name = item.DiskFileName;
    if (folder && !name.empty() && name.back() == PathDelimiter)
      name.pop_back();
    if (!restorePath) {
      const std::size_t pos = name.find_last_of(u"/\\");
      if (pos != std::u16string::npos)
        name.erase(0, pos + 1);
    }
    std::u16string confined;
    // A NUL cannot be part of a file name here; it would cut the name short.
    if (name.find(u'\0') != std::u16string::npos || !ArConfineName(name, confined))
      throw EArUnsafePath();
    const std::u16string& base = FArchive->BaseDirectory();
    if (base.empty()) {
      path = confined;
    } else if (base.back() == PathDelimiter) {
      path = base + confined;
    } else {
      path = base + PathDelimiter + confined;
    }
  }
  if (path.find(u'\0') != std::u16string::npos)
    throw EArgumentError(u"Invalid characters in path");

  // The missing levels are created with the item (ArUnzip), so that a level that
  // cannot be made fails that item alone.
  const std::size_t slash = path.rfind(PathDelimiter);
  const std::u16string folderPart = slash == std::u16string::npos ? u"" : path.substr(0, slash);
  if (!createDirs && !folderPart.empty() && !DirectoryExists(folderPart))
    throw EArNoSuchDirectory();
  if (!folder && FileExists(path)) {
    bool confirm = true;
    if (OnConfirmOverwrite)
      OnConfirmOverwrite(path, confirm);
    if (!confirm)
      return std::nullopt;
  }
  return path;
}

void TArUnZipper::ExtractAt(int index, const std::u16string& newName) {
  TArZipArchive& archive = CheckedArchive();
  TArZipItem& item = archive.Items(index);
  if (!ConfirmItem(item))
    return;
  std::optional<std::u16string> path;
  try {
    path = ConfirmPath(item, newName);
  } catch (const EArUnsafePath&) {
    ReportFailure(item, ptExtract);
    return;
  }
  if (!path)
    return;
  archive.CurrentItem = &item;
  try {
    ArUnzip(archive, item, *path);
  } catch (...) {
    ReportFailure(item, ptExtract);
  }
  archive.CurrentItem = nullptr;
}

void TArUnZipper::ExtractToStream(std::u16string_view fileName, TStream* stream) {
  TArZipArchive& archive = CheckedArchive();
  const int index = archive.FindFile(fileName);
  if (index < 0)
    return;
  TArZipItem& item = archive.Items(index);
  if (!ConfirmItem(item))
    return;
  archive.CurrentItem = &item;
  try {
    ArUnzipToStream(archive, item, stream);
  } catch (...) {
    ReportFailure(item, ptExtract);
  }
  archive.CurrentItem = nullptr;
}

void TArUnZipper::TestItem(TArZipItem& item) {
  if (!ConfirmItem(item))
    return;
  FArchive->CurrentItem = &item;
  try {
    ArTestZipItem(*FArchive, item);
  } catch (...) {
    ReportFailure(item, ptExtract);
  }
  FArchive->CurrentItem = nullptr;
}

void TArUnZipper::LoopItems(bool onlyTagged, std::u16string_view fileMask,
                            std::u16string_view exclusionMask, bool testing) {
  TArZipArchive& archive = CheckedArchive();
  const int count = archive.Count();
  if (count <= 0)
    return;
  const bool createDirs = (FExtractOptions & eoCreateDirs) != 0;
  for (int i = 0; i < count; ++i) {
    CheckedArchive();  // an abort inside an item invalidates the archive
    TArZipItem& item = archive.Items(i);
    if (onlyTagged) {
      if (item.Tagged) {
        if (testing) {
          TestItem(item);
        } else {
          ExtractAt(i);
        }
      }
    } else if (MatchesStoredNameEx(item, fileMask) && !MatchesStoredNameEx(item, exclusionMask)) {
      if (createDirs || !item.IsDirectory())
        ExtractAt(i);
    }
    bool abort = false;
    archive.DoArchiveProgress(ArPercentage(i + 1, count), abort);
    if (abort)
      throw EArUserAbort();
  }
  bool ignored = false;
  archive.DoArchiveProgress(100, ignored);
}

void TArUnZipper::ExtractFilesEx(std::u16string_view fileMask, std::u16string_view exclusionMask) {
  LoopItems(false, fileMask, exclusionMask, false);
}

void TArUnZipper::ExtractTaggedItems() {
  LoopItems(true, u"", u"", false);
}
void TArUnZipper::TestTaggedItems() {
  LoopItems(true, u"", u"", true);
}

void TArUnZipper::TagItems(std::u16string_view mask) {
  TArZipArchive& archive = CheckedArchive();
  for (int i = 0; i < archive.Count(); ++i) {
    if (MatchesStoredNameEx(archive.Items(i), mask))
      archive.Items(i).Tagged = true;
  }
}

void TArUnZipper::UnTagItems(std::u16string_view mask) {
  TArZipArchive& archive = CheckedArchive();
  for (int i = 0; i < archive.Count(); ++i) {
    if (MatchesStoredNameEx(archive.Items(i), mask))
      archive.Items(i).Tagged = false;
  }
}

void TArUnZipper::ClearTags() {
  TArZipArchive& archive = CheckedArchive();
  for (int i = 0; i < archive.Count(); ++i)
    archive.Items(i).Tagged = false;
}

}  // namespace vornel
