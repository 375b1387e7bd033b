// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/text.h"

namespace vornel::testing {

class TScratchFolder {
 public:
  // name, when given, becomes a subfolder of the fresh folder and the Path().
  explicit TScratchFolder(const std::string& name = {}) {
    // A new name in the temporary folder, another one tried while one is taken.
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    do {
      FRoot = base / ("vornel-inst-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(FRoot));
    std::filesystem::permissions(FRoot, std::filesystem::perms::owner_all);
    FPath = name.empty() ? FRoot : FRoot / name;
    std::filesystem::create_directories(FPath);
  }
  ~TScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(FRoot, ignored);
  }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return FPath; }
  // The folder as the installer writes folders: UTF-16, with a trailing delimiter.
  std::u16string Dir() const {
    const std::u8string text = FPath.u8string();
    return IncludeTrailingPathDelimiter(FromUtf8(std::string(text.begin(), text.end())));
  }

  // Creates a file (and its folders) below the folder; returns its full path.
  std::filesystem::path Write(const std::string& relative, const std::string& content = "x",
                              bool executable = false) const {
    const std::filesystem::path file = FPath / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
    if (executable) {
      std::filesystem::permissions(file, std::filesystem::perms::owner_all |
                                             std::filesystem::perms::group_read |
                                             std::filesystem::perms::group_exec);
    }
    return file;
  }

 private:
  std::filesystem::path FRoot;
  std::filesystem::path FPath;
};

inline bool Exists(const std::filesystem::path& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

}  // namespace vornel::testing
