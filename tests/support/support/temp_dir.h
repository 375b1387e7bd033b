// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/text.h"

namespace vornel::testing {

class TTempDir {
 public:
  // A new folder of a random name in the system's temporary folder, another name
  // tried while one is taken (mkdtemp's rule, with the standard library only).
  TTempDir() {
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    do {
      FPath = base / ("vornel-test-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(FPath));
    std::filesystem::permissions(FPath, std::filesystem::perms::owner_all);
  }
  ~TTempDir() {
    std::error_code ignored;
    std::filesystem::permissions(FPath, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(FPath, ignored);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  const std::filesystem::path& Path() const { return FPath; }
  // The path of a name inside the folder, as the system's text.
  std::u16string Join(const std::string& name) const {
    const std::u8string text = (FPath / name).u8string();
    return FromUtf8(std::string(text.begin(), text.end()));
  }

 private:
  std::filesystem::path FPath;
};

// The whole content of a file.
inline std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::filesystem::path& path,
                           const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

}  // namespace vornel::testing
