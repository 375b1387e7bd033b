// How this system's file system refuses the items of the recipe arunzip-refusals
// and of the unzipper's refusal test, as they are reported.
#pragma once

#include <set>
#include <string>

namespace vornel::ziptest {

// a/b.txt, where "a" is a file: the level is no folder (ERROR_DIRECTORY).
inline constexpr const char* kUnderAFileRefusal = "a/b.txt: ecInOutError 267: ";
// A name of 300 characters. The system's text differs between Windows (the name
// is too long) and Wine (not found), the failure's class and file do not.
inline constexpr const char* kLongNameRefusal =
    "ecFileCreateError 0: Cannot create file \"out\\nnnn";

// The unzipper's failure texts: a level that is a file, a file where a folder
// is, a folder level and a file whose name is too long. The system's texts
// differ between Windows and Wine, so the path that failed is what is checked.
inline constexpr const char* kNotAFolderText = "\\out\\a)";
inline constexpr const char* kIsAFolderText = "\\out\\d\".";
inline constexpr const char* kLongFolderText = "nnnn)";
inline constexpr const char* kLongFileText = "nnnn\".";

// The archives of the corpus with names this file system cannot hold: control
// characters (here "PK\x06\x06") are no part of a Windows name.
inline const std::set<std::string> kRefusedNames = {"zip64_magic_in_filename_5.zip"};

}  // namespace vornel::ziptest
