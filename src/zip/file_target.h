// The file-system side of extraction: the folders and files an item is written
// to, and the time and attributes an extracted item carries. Everything below
// the base folder is created and opened relative to an open folder, one level at
// a time and never through a symbolic link, so that nothing already lying in the
// target tree (a link, a hard link) can send a write elsewhere.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/stream.h"
#include "zip/zip_item.h"

namespace vornel {

// An open file or folder, closed with its owner: a descriptor on Linux, a
// HANDLE on Windows (-1 is none on both). Windows opens by path only, so there
// the handle also keeps the path it was opened by.
class TArHandle {
 public:
  TArHandle() = default;
  explicit TArHandle(std::intptr_t fd, std::u16string path = {})
      : FFd(fd), FPath(std::move(path)) {}
  ~TArHandle();
  TArHandle(TArHandle&& other) noexcept : FFd(other.FFd), FPath(std::move(other.FPath)) {
    other.FFd = -1;
  }
  // The earlier handle is closed (by the destructor of the moved-from copy).
  TArHandle& operator=(TArHandle&& other) noexcept {
    if (this != &other) {
      TArHandle earlier(std::move(*this));
      FFd = std::exchange(other.FFd, -1);
      FPath = std::move(other.FPath);
    }
    return *this;
  }
  TArHandle(const TArHandle&) = delete;
  TArHandle& operator=(const TArHandle&) = delete;

  std::intptr_t Fd() const { return FFd; }
  const std::u16string& Path() const { return FPath; }
  explicit operator bool() const { return FFd != -1; }

 private:
  std::intptr_t FFd = -1;
  std::u16string FPath;
};

// A write stream on an open file descriptor; write failures raise EWriteError
// with the platform's text.
class TArHandleStream : public TStream {
 public:
  explicit TArHandleStream(TArHandle handle) : FHandle(std::move(handle)) {}

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t newSize) override;

  std::intptr_t Fd() const { return FHandle.Fd(); }

 private:
  TArHandle FHandle;
};

// Where an item goes: a folder that is trusted as it is (the base folder the
// caller chose, followed even when it is a link; empty for the current folder)
// and the levels below it, the last being the item's own name.
struct TArTargetPath {
  std::u16string Base;
  std::vector<std::u16string> Levels;
  std::u16string Display;  // the whole path, for messages

  // The path of the first count levels, for messages.
  std::u16string DisplayOf(std::size_t count) const;
};

// Splits an output path: below the base folder when it lies there (a path that
// climbs with ".." does not count as lying there), otherwise its own folder is
// the trusted part and only its name is the level below.
TArTargetPath ArSplitTargetPath(const std::u16string& baseFolder, const std::u16string& path);

// Opens the trusted folder of a target (EOSError with the platform's text).
TArHandle ArOpenBaseFolder(const TArTargetPath& target);

// Opens the first count levels of the target below the folder, creating the
// missing ones. A level that is a symbolic link, or no folder at all, or that
// cannot be made raises EOSError with the platform's text and the level's path.
TArHandle ArOpenFolderLevels(TArHandle folder, const TArTargetPath& target, std::size_t count);

// Creates the file name in the folder as a new file. Whatever lies there (a
// file, a hard link, a symbolic link) is unlinked first and not written through;
// a read-only file is not replaced (EFCreateError), whatever the process's
// rights, nor is a folder.
std::unique_ptr<TArHandleStream> ArCreateTargetFile(const TArHandle& folder,
                                                    const std::u16string& name,
                                                    const std::u16string& display);

// Removes a file of the folder again (a failed item); failures are ignored.
void ArRemoveTargetFile(const TArHandle& folder, const std::u16string& name);

// Sets the last-write time from the item's MS-DOS date and time, then the
// attributes: the permission bits of a Unix item, otherwise its read-only
// attribute, all on the open file or folder. An invalid date or time leaves the
// time as extraction made it; file-system failures are ignored.
void ArApplyItemTimeAndAttributes(const TArZipItem& item, std::intptr_t fd);

}  // namespace vornel
