#include "zip_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>

#include "platform/text.h"
#include "zip/crc32.h"
#include "zip/unzipper.h"

namespace vornel::ziptest {

TTempDir::~TTempDir() {
  std::error_code ignored;
  // Read-only folders would stop the removal.
  for (auto it = fs::recursive_directory_iterator(FPath, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (!it->is_symlink())
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(FPath, ignored);
}

std::u16string TTempDir::U16() const {
  return ziptest::U16(FPath);
}

std::u16string U16(const fs::path& path) {
  const std::u8string text = path.u8string();
  return FromUtf8(std::string(text.begin(), text.end()));
}

void WriteFile(const fs::path& path, const TBytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

void WriteFile(const fs::path& path, const std::string& text) {
  WriteFile(path, TBytes(text.begin(), text.end()));
}

TBytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return TBytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TBytes Pattern(std::size_t size, std::uint32_t seed) {
  TBytes bytes(size);
  std::uint32_t x = seed * 2654435761u + 1;
  for (std::size_t i = 0; i < size; ++i) {
    x = x * 1103515245u + 12345u;
    // Words from a small alphabet: compressible, but not trivially.
    bytes[i] = static_cast<std::uint8_t>("abcdefgh ijklmnop\n"[(x >> 16) % 18]);
  }
  return bytes;
}

std::vector<std::string> ExtractAll(const fs::path& archive, const fs::path& folder) {
  std::vector<std::string> failed;
  TArUnZipper unzipper;
  unzipper.SetExtractOptions(eoCreateDirs | eoRestorePath);
  unzipper.OnProcessItemFailure = [&](TArUnZipper& sender, TArZipItem& item, TArProcessType,
                                      TArErrorClass, int) {
    EXPECT_FALSE(sender.FailureMessage().empty());
    failed.push_back(ToUtf8(item.FileName));
  };
  unzipper.SetFileName(U16(archive));
  unzipper.SetBaseDirectory(U16(folder));
  unzipper.ExtractFiles(u"*.*");
  return failed;
}

std::time_t ModifiedTime(const fs::path& path) {
  return std::chrono::system_clock::to_time_t(
      std::chrono::file_clock::to_sys(fs::last_write_time(path)));
}

std::string Snapshot(const fs::path& folder) {
  std::string all = "folder " + EntryIdentity(folder) + "\n";
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    all += entry.path().string() + " " + EntryIdentity(entry.path()) + " ";
    if (entry.is_regular_file()) {
      const TBytes bytes = ReadFile(entry.path());
      all.append(bytes.begin(), bytes.end());
    }
    all += "\n";
  }
  return all;
}

void PutLE16(TBytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void PutLE32(TBytes& out, std::uint32_t value) {
  PutLE16(out, value & 0xFFFF);
  PutLE16(out, value >> 16);
}
void PutLE64(TBytes& out, std::uint64_t value) {
  PutLE32(out, static_cast<std::uint32_t>(value));
  PutLE32(out, static_cast<std::uint32_t>(value >> 32));
}

TBytes SubField(std::uint16_t id, const TBytes& data) {
  TBytes out;
  PutLE16(out, id);
  PutLE16(out, static_cast<std::uint32_t>(data.size()));
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

TBytes BuildZip(const TArchiveSpec& spec) {
  TBytes out;
  TBytes central;
  for (const TEntry& e : spec.Entries) {
    const std::uint32_t crc = e.OverrideCrc ? e.Crc : ArCRC32Of(e.Data);
    const std::uint32_t size =
        e.OverrideSize ? e.UncompressedSize : static_cast<std::uint32_t>(e.Data.size());
    const auto offset = static_cast<std::uint32_t>(out.size());
    PutLE32(out, 0x04034B50);
    PutLE16(out, e.VersionNeeded);
    PutLE16(out, e.Flags);
    PutLE16(out, e.Method);
    PutLE16(out, e.Time);
    PutLE16(out, e.Date);
    PutLE32(out, crc);
    PutLE32(out, static_cast<std::uint32_t>(e.Data.size()));
    PutLE32(out, size);
    PutLE16(out, static_cast<std::uint32_t>(e.Name.size()));
    PutLE16(out, static_cast<std::uint32_t>(e.LocalExtra.size()));
    out.insert(out.end(), e.Name.begin(), e.Name.end());
    out.insert(out.end(), e.LocalExtra.begin(), e.LocalExtra.end());
    out.insert(out.end(), e.Data.begin(), e.Data.end());

    PutLE32(central, 0x02014B50);
    PutLE16(central, e.VersionMadeBy);
    PutLE16(central, e.VersionNeeded);
    PutLE16(central, e.Flags);
    PutLE16(central, e.Method);
    PutLE16(central, e.Time);
    PutLE16(central, e.Date);
    PutLE32(central, crc);
    PutLE32(central, static_cast<std::uint32_t>(e.Data.size()));
    PutLE32(central, size);
    PutLE16(central, static_cast<std::uint32_t>(e.Name.size()));
    PutLE16(central, static_cast<std::uint32_t>(e.Extra.size()));
    PutLE16(central, 0);
    PutLE16(central, 0);
    PutLE16(central, 0);
    PutLE32(central, e.ExternalAttributes);
    PutLE32(central, offset);
    central.insert(central.end(), e.Name.begin(), e.Name.end());
    central.insert(central.end(), e.Extra.begin(), e.Extra.end());
  }
  const auto directoryOffset = static_cast<std::uint32_t>(out.size());
  out.insert(out.end(), central.begin(), central.end());
  const std::uint32_t count =
      spec.DeclareZero ? 0 : static_cast<std::uint32_t>(spec.Entries.size());
  if (spec.Zip64Counts) {
    const auto recordOffset = out.size();
    PutLE32(out, 0x06064B50);
    PutLE64(out, 44);
    PutLE16(out, 45);
    PutLE16(out, 45);
    PutLE32(out, 0);
    PutLE32(out, 0);
    PutLE64(out, count);
    PutLE64(out, count);
    PutLE64(out, central.size());
    PutLE64(out, directoryOffset);
    PutLE32(out, 0x07064B50);
    PutLE32(out, 0);
    PutLE64(out, recordOffset);
    PutLE32(out, 1);
  }
  PutLE32(out, 0x06054B50);
  PutLE16(out, 0);
  PutLE16(out, 0);
  PutLE16(out, spec.Zip64Counts ? 0xFFFF : count);
  PutLE16(out, spec.Zip64Counts ? 0xFFFF : count);
  PutLE32(out, static_cast<std::uint32_t>(central.size()));
  PutLE32(out, directoryOffset);
  PutLE16(out, static_cast<std::uint32_t>(spec.Comment.size()));
  out.insert(out.end(), spec.Comment.begin(), spec.Comment.end());
  out.insert(out.end(), spec.Trailing.begin(), spec.Trailing.end());
  return out;
}

TEntry UnixItem(const std::string& name, const std::string& text, std::uint32_t unixMode) {
  TEntry e;
  e.Name = name;
  e.Data = TBytes(text.begin(), text.end());
  e.VersionMadeBy = 0x0314;
  e.ExternalAttributes = unixMode << 16;
  return e;
}

std::string TextOf(const fs::path& path) {
  const TBytes bytes = ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace vornel::ziptest
