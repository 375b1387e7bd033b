// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/text.h"

namespace vornel::testing {

class TScratchFolder {
 public:
  // name, when given, becomes a subfolder of the fresh folder and the Path().
  explicit TScratchFolder(const std::string& name = {}) {
    std::string pattern = (std::filesystem::temp_directory_path() / "vornel-inst-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
      throw std::runtime_error("mkdtemp failed");
    FRoot = pattern;
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
  std::u16string Dir() const { return FromUtf8(FPath.string() + "/"); }

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
