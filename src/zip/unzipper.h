// The unzipper component: opens a zip file, extracts the items that match a mask
// under a base folder, and reports progress per item and per archive.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/stream.h"
#include "zip/ar_types.h"
#include "zip/progress_meter.h"
#include "zip/zip_archive.h"

namespace vornel {

class TArUnZipper {
 public:
  using TArArchiveProgressEvent =
      std::function<void(TArUnZipper& sender, std::uint8_t progress, bool& abort)>;
  using TArArchiveItemProgressEvent = std::function<void(TArUnZipper& sender, TArZipItem& item,
                                                         std::uint8_t progress, bool& abort)>;
  using TArArchiveItemConfirmEvent = std::function<void(TArUnZipper& sender, TArZipItem& item,
                                                        TArProcessType processType, bool& confirm)>;
  using TArConfirmOverwriteEvent = std::function<void(std::u16string& name, bool& confirm)>;
  using TArNeedPasswordEvent =
      std::function<void(TArUnZipper& sender, std::u16string& newPassword)>;
  using TArArchiveItemFailureEvent =
      std::function<void(TArUnZipper& sender, TArZipItem& item, TArProcessType processType,
                         TArErrorClass errorClass, int errorCode)>;
  using TArArchiveEvent = std::function<void(TArUnZipper& sender)>;

  TArUnZipper();
  ~TArUnZipper();
  TArUnZipper(const TArUnZipper&) = delete;
  TArUnZipper& operator=(const TArUnZipper&) = delete;

  // Setting a name opens that archive; an empty name closes.
  const std::u16string& FileName() const { return FFileName; }
  void SetFileName(const std::u16string& fileName);
  void OpenArchive(const std::u16string& fileName) { SetFileName(fileName); }
  void CloseArchive();

  const std::u16string& BaseDirectory() const { return FBaseDirectory; }
  void SetBaseDirectory(const std::u16string& folder);

  TArExtractOptions ExtractOptions() const { return FExtractOptions; }
  void SetExtractOptions(TArExtractOptions options);
  const std::u16string& Password() const { return FPassword; }
  void SetPassword(const std::u16string& password);
  std::uint8_t PasswordRetries() const { return FPasswordRetries; }
  void SetPasswordRetries(std::uint8_t retries);
  const std::u16string& TempDirectory() const { return FTempDirectory; }
  void SetTempDirectory(const std::u16string& folder);
  const std::u16string& LogFile() const { return FLogFile; }
  void SetLogFile(const std::u16string& logFile) { FLogFile = logFile; }
  bool Logging() const { return FLogging; }
  void SetLogging(bool logging) { FLogging = logging; }

  // With ForceType the kind is taken from ArchiveType instead of being detected.
  TArArchiveType ArchiveType() const { return FArchiveType; }
  void SetArchiveType(TArArchiveType type) { FArchiveType = type; }
  bool ForceType() const { return FForceType; }
  void SetForceType(bool force) { FForceType = force; }

  // Meters are held, not owned; a meter that is destroyed is dropped.
  IArProgressMeter* ItemProgressMeter() const { return FItemMeter; }
  void SetItemProgressMeter(IArProgressMeter* meter);
  IArProgressMeter* ArchiveProgressMeter() const { return FArchiveMeter; }
  void SetArchiveProgressMeter(IArProgressMeter* meter);

  int Count() const;
  TArZipItem& Items(int index);
  TArArchiveStatus Status() const;
  int FindFile(std::u16string_view name);

  void ExtractFiles(std::u16string_view fileMask) { ExtractFilesEx(fileMask, u""); }
  void ExtractFilesEx(std::u16string_view fileMask, std::u16string_view exclusionMask);
  void ExtractAt(int index, const std::u16string& newName = {});
  void ExtractToStream(std::u16string_view fileName, TStream* stream);

  void TagItems(std::u16string_view mask);
  void UnTagItems(std::u16string_view mask);
  void ClearTags();
  void ExtractTaggedItems();
  void TestTaggedItems();

  TArArchiveProgressEvent OnArchiveProgress;
  TArArchiveItemProgressEvent OnArchiveItemProgress;
  TArArchiveItemConfirmEvent OnConfirmProcessItem;
  TArConfirmOverwriteEvent OnConfirmOverwrite;
  TArNeedPasswordEvent OnNeedPassword;
  TArArchiveItemFailureEvent OnProcessItemFailure;
  // The text of the failure that OnProcessItemFailure reports, while it runs;
  // never empty there.
  const std::u16string& FailureMessage() const { return FFailureMessage; }
  TArArchiveEvent OnLoad;
  TArArchiveEvent OnChange;

  // The output path of an item: nothing when it is to be skipped. Raises for a
  // missing folder, invalid characters, or a folder that cannot be created.
  // Unsafe stored names raise EArUnsafePath.
  std::optional<std::u16string> ConfirmPath(TArZipItem& item, const std::u16string& newName);

 private:
  TArZipArchive& CheckedArchive() const;
  void InitArchive();
  void DoArchiveProgress(std::uint8_t progress, bool& abort);
  void DoItemProgress(TArZipItem& item, std::uint8_t progress, bool& abort);
  void ReportFailure(TArZipItem& item, TArProcessType processType);
  bool ConfirmItem(TArZipItem& item);
  void LoopItems(bool onlyTagged, std::u16string_view fileMask, std::u16string_view exclusionMask,
                 bool testing);
  void TestItem(TArZipItem& item);
  void SetMeter(IArProgressMeter*& slot, int& key, IArProgressMeter* meter);

  std::unique_ptr<TArZipArchive> FArchive;
  std::u16string FFileName;
  std::u16string FBaseDirectory;
  TArExtractOptions FExtractOptions = eoCreateDirs;
  std::u16string FPassword;
  std::uint8_t FPasswordRetries = ArDefPasswordRetries;
  std::u16string FTempDirectory;
  std::u16string FLogFile;
  bool FLogging = false;
  TArArchiveType FArchiveType = atUnknown;
  bool FForceType = false;
  IArProgressMeter* FItemMeter = nullptr;
  IArProgressMeter* FArchiveMeter = nullptr;
  int FItemMeterKey = -1;
  int FArchiveMeterKey = -1;
  std::u16string FFailureMessage;
};

// The error class and code of a failure: EArException → ecArchive with its code,
// an operating-system error → ecInOutError with its number, stream errors →
// ecFilerError, file creation → ecFileCreateError, opening → ecFileOpenError,
// anything else → ecOther with 0.
void ArConvertException(const std::exception_ptr& error, TArErrorClass& errorClass, int& errorCode);
// The same, with the failure's text: the exception's message, never empty.
void ArConvertException(const std::exception_ptr& error, TArErrorClass& errorClass, int& errorCode,
                        std::u16string& message);

// The stored name below the base folder, lexically normalised ("." and empty
// segments dropped, ".." resolved); false when it is rooted, has a drive, or
// climbs out.
bool ArConfineName(std::u16string_view name, std::u16string& confined);

}  // namespace vornel
