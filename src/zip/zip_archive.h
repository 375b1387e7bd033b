// A zip archive opened for reading: its directory footer and its items, with the
// settings and events that extraction uses.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/stream.h"
#include "zip/ar_types.h"
#include "zip/archive_list.h"
#include "zip/zip_headers.h"
#include "zip/zip_item.h"

namespace vornel {

class TArZipArchive {
 public:
  using TProgressEvent = std::function<void(std::uint8_t progress, bool& abort)>;
  using TItemProgressEvent =
      std::function<void(TArZipItem& item, std::uint8_t progress, bool& abort)>;
  using TItemFailureEvent = std::function<void(TArZipItem& item, TArProcessType processType,
                                               TArErrorClass errorClass, int errorCode)>;
  using TNeedPasswordEvent = std::function<void(std::u16string& newPassword)>;
  using TLastDiskEvent = std::function<void(bool& abort)>;

  // Opens the file (read-only; the archive never writes to it).
  TArZipArchive(const std::u16string& fileName, std::uint16_t mode);
  // Reads from a stream the archive takes over.
  explicit TArZipArchive(std::unique_ptr<TStream> stream);
  ~TArZipArchive();
  TArZipArchive(const TArZipArchive&) = delete;
  TArZipArchive& operator=(const TArZipArchive&) = delete;

  // Reads the directory, then raises OnLoad (also when reading fails).
  void Load();

  int Count() const { return FItems.Count(); }
  TArZipItem& Items(int index) { return FItems[index]; }
  int FindFile(std::u16string_view name) const { return FItems.Find(name); }
  TArArchiveStatus Status() const { return FStatus; }
  void SetStatus(TArArchiveStatus status) { FStatus = status; }
  const TArZipDirectoryFileFooter& Footer() const { return FFooter; }
  const std::u16string& ArchiveFileName() const { return FFileName; }
  TStream& Stream() { return *FStream; }

  // Raises EArNoArchive when the archive was invalidated by an abort.
  void CheckValid() const;

  // The base folder: a trailing separator is dropped (except for the root); the
  // folder must exist unless the value is empty (EArNoSuchDirectory).
  const std::u16string& BaseDirectory() const { return FBaseDirectory; }
  void SetBaseDirectory(const std::u16string& folder);

  TArExtractOptions ExtractOptions = 0;
  TArStoreOptions StoreOptions = soStripDrive;
  std::u16string Password;
  std::uint8_t PasswordRetries = ArDefPasswordRetries;
  std::u16string TempDirectory;
  std::int64_t SpanningThreshold = 0;
  std::u16string LogFile;
  bool Logging = false;

  TProgressEvent OnArchiveProgress;
  TItemProgressEvent OnArchiveItemProgress;
  TItemFailureEvent OnProcessItemFailure;
  TNeedPasswordEvent OnNeedPassword;
  TLastDiskEvent OnRequestLastDisk;
  std::function<void()> OnLoad;

  // The item that item progress refers to.
  TArZipItem* CurrentItem = nullptr;
  // Raises item progress for the current item; abort comes back set when asked.
  void DoItemProgress(std::uint8_t progress, bool& abort);
  // Raises archive progress; abort comes back set when asked.
  void DoArchiveProgress(std::uint8_t progress, bool& abort);

 private:
  void LoadArchive();
  // Takes the values of the Zip64 records when a locator lies right before the end
  // record at tail; recordPosition is where the Zip64 record was found.
  bool ReadZip64Footer(std::int64_t tail, std::int64_t& recordPosition);
  // The distance by which the directory and every local header lie beyond their
  // stated offsets (bytes in front of the archive), or 0.
  std::int64_t DirectoryShift(std::int64_t directoryEnd);
  // Refuses items that share bytes with each other or with the directory
  // (EArZipBadCentralDirectory).
  void CheckItemRanges(std::int64_t directoryStart);

  std::u16string FFileName;
  std::uint16_t FMode = 0;
  std::unique_ptr<TStream> FStream;
  TArArchiveList FItems;
  TArZipDirectoryFileFooter FFooter;
  TArArchiveStatus FStatus = asIdle;
  std::u16string FBaseDirectory;
  bool FModified = false;
};

}  // namespace vornel
