// Files and folders that nobody but the user can have prepared: a look at a folder
// that never follows a link, a deletion that leaves anything but the user's own
// regular file alone, and a new file under a name that nothing held before.
#pragma once

#include <string>
#include <string_view>

namespace vornel {

// What an existing name is, looked at without following a link.
enum class TFolderTrust {
  Own,           // a folder of the user's that the others may not write into
  Missing,       // nothing of the name
  NotAFolder,    // a symbolic link, a file or anything else but a folder
  OtherOwner,    // a folder of another user
  OpenToOthers,  // the user's folder, but some of otherBits are set in its mode
};

// otherBits are the mode bits the folder must not carry (022: no group or other
// write; 077: nothing for group or others).
TFolderTrust CheckOwnFolder(const std::u16string& path, unsigned otherBits);

// Creates the folder (its last component only) with mode where the system has mode
// bits: 0 when it was made or something is at the name already (CheckOwnFolder
// tells what), else the system's error number for SysErrorMessage.
int MakeFolder(const std::u16string& path, unsigned mode);

// Deletes the name only when it is a regular file owned by the user; a link, a
// folder, a FIFO or another user's file stays. True when it was deleted.
bool DeleteOwnFile(const std::u16string& path);

// A file created anew for this process (O_CREAT | O_EXCL | O_NOFOLLOW), open for
// writing and closed with the object. Nothing that was at the name before (a
// link, a FIFO, another user's file) is ever opened or followed.
class TNewFile {
 public:
  // Exactly path; raises EFCreateError when anything is at the name already or
  // the file cannot be created. mode is applied to the descriptor as it is.
  static TNewFile Create(const std::u16string& path, unsigned mode);
  // stem + six random letters and digits + extension in folder (with its
  // trailing delimiter), another name tried while one is taken.
  static TNewFile CreateUnique(const std::u16string& folder, std::u16string_view stem,
                               std::u16string_view extension, unsigned mode);

  TNewFile(TNewFile&& other) noexcept;
  TNewFile& operator=(TNewFile&& other) noexcept;
  TNewFile(const TNewFile&) = delete;
  TNewFile& operator=(const TNewFile&) = delete;
  ~TNewFile();

  // Writes all of bytes through the descriptor; raises EWriteError.
  void Write(std::string_view bytes);

  const std::u16string& Path() const { return FPath; }
  int Descriptor() const { return FDescriptor; }

 private:
  TNewFile(std::u16string path, int descriptor) : FPath(std::move(path)), FDescriptor(descriptor) {}

  std::u16string FPath;
  int FDescriptor = -1;
};

}  // namespace vornel
