// How this system's file system refuses the items of the recipe arunzip-refusals
// and of the unzipper's refusal test, as they are reported.
#pragma once

#include <set>
#include <string>

namespace vornel::ziptest {

// a/b.txt, where "a" is a file.
inline constexpr const char* kUnderAFileRefusal = "a/b.txt: ecInOutError 20: Not a directory";
// A name of 300 characters.
inline constexpr const char* kLongNameRefusal = "File name too long";

// The unzipper's failure texts: a level that is a file, a file where a folder
// is, a folder level and a file whose name is too long.
inline constexpr const char* kNotAFolderText = "Not a directory";
inline constexpr const char* kIsAFolderText = "Is a directory";
inline constexpr const char* kLongFolderText = "File name too long";
inline constexpr const char* kLongFileText = "File name too long";

// The archives of the corpus with names this file system cannot hold: none.
inline const std::set<std::string> kRefusedNames = {};

}  // namespace vornel::ziptest
