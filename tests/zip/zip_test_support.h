// Helpers of the zip tests: temporary folders, files, running the archive tools,
// and a builder for hand-made archives that no tool writes.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/bytes.h"

namespace vornel::ziptest {

namespace fs = std::filesystem;

// A fresh folder, removed with everything in it at the end of the scope.
class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  const fs::path& Path() const { return FPath; }
  fs::path operator/(const std::string& name) const { return FPath / name; }
  std::u16string U16() const;

 private:
  fs::path FPath;
};

std::u16string U16(const fs::path& path);
void WriteFile(const fs::path& path, const TBytes& bytes);
void WriteFile(const fs::path& path, const std::string& text);
TBytes ReadFile(const fs::path& path);
TBytes Pattern(std::size_t size, std::uint32_t seed = 1);  // compressible pseudo-random bytes
// Runs a command of the system's shell in a folder; returns its exit status.
int RunShell(const std::string& command, const fs::path& folder = {});
// A path as one word of the system's shell.
std::string ShellWord(const fs::path& path);
// A program of the build, as the build names it (in the folder of its target).
fs::path BuiltProgram(const std::string& path);
// Fills a folder with the archives of one recipe of tests/zip/make_archives.py.
void MakeArchives(const std::string& recipe, const fs::path& folder);
// The fixture folder of the zip tests.
fs::path FixtureDir();

// Extracts every item into the folder with the unzipper (paths restored, folders
// made); returns the names of the failed items, each failure having its text.
std::vector<std::string> ExtractAll(const fs::path& archive, const fs::path& folder);

// A file's modification time in seconds since 1970.
std::time_t ModifiedTime(const fs::path& path);
// The permission a file has, and what a stored Unix mode gives on this system:
// the mode's bits on Linux; on Windows, which keeps only the owner's write bit,
// "read-only" or "writable".
std::string FileMode(const fs::path& path);
std::string StoredMode(unsigned unixMode);
bool AnyoneMayWrite(const fs::path& path);

// A link to a file that this system's extraction must replace, never write
// through: a symbolic link on Linux, a hard link on Windows (a symbolic link to a
// file needs a privilege there, and Wine makes none).
void PlantFileLink(const fs::path& target, const fs::path& link);
// The state of a folder: every name below it with its content and the system's
// identity and attributes of each entry (mode and inode, or attributes and file
// index), so that a write, a new file or a change of attributes all show.
std::string Snapshot(const fs::path& folder);
// The identity and attributes of one entry, not followed if it is a link.
std::string EntryIdentity(const fs::path& path);

// The code pages of a locale for one scope: on Linux its name is set as LANG. A
// Windows program keeps the code pages it was started with, so there the scope
// is active only where they are the locale's.
class TLocale {
 public:
  explicit TLocale(const char* name);
  ~TLocale();
  TLocale(const TLocale&) = delete;
  TLocale& operator=(const TLocale&) = delete;
  bool Active() const { return FActive; }

 private:
  struct TSaved {
    const char* Name;
    std::string Value;
    bool Set;
  };
  std::vector<TSaved> FSaved;
  bool FActive = true;
};

// One entry of a hand-made archive.
struct TEntry {
  std::string Name;  // raw name bytes
  TBytes Data;       // stored as is
  std::uint16_t Method = 0;
  std::uint16_t Flags = 0;
  std::uint16_t VersionMadeBy = 20;  // high byte: host
  std::uint16_t VersionNeeded = 20;
  std::uint32_t ExternalAttributes = 0;
  TBytes Extra;  // central extra field
  TBytes LocalExtra;
  bool OverrideCrc = false;
  std::uint32_t Crc = 0;
  bool OverrideSize = false;
  std::uint32_t UncompressedSize = 0;
  std::uint16_t Time = 0x6000;  // 12:00:00
  std::uint16_t Date = 0x5A21;  // 2025-01-01
};

struct TArchiveSpec {
  std::vector<TEntry> Entries;
  std::string Comment;
  TBytes Trailing;           // bytes after the comment
  bool Zip64Counts = false;  // 0xFFFF counts in the end record, a Zip64 record
  bool DeclareZero = false;  // the end record claims 0 entries
};

TBytes BuildZip(const TArchiveSpec& spec);
// A stored item made on Unix with its mode.
TEntry UnixItem(const std::string& name, const std::string& text, std::uint32_t unixMode = 0100644);
// A file's content as text.
std::string TextOf(const fs::path& path);
// A sub-field of an extra field.
TBytes SubField(std::uint16_t id, const TBytes& data);
void PutLE16(TBytes& out, std::uint32_t value);
void PutLE32(TBytes& out, std::uint32_t value);
void PutLE64(TBytes& out, std::uint64_t value);

}  // namespace vornel::ziptest
