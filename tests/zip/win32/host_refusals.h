// How this system's file system refuses the items of the recipe arunzip-refusals
// and of the unzipper's refusal test, as they are reported.
#pragma once

namespace vornel::ziptest {

// a/b.txt, where "a" is a file: the level is no folder (ERROR_DIRECTORY).
inline constexpr const char* kUnderAFileRefusal = "a/b.txt: ecInOutError 267: ";
// A name of 300 characters. The system's text differs between Windows (the name
// is too long) and Wine (not found), the failure's class and file do not.
inline constexpr const char* kLongNameRefusal =
    "ecFileCreateError 0: Cannot create file \"out\\nnnn";

// The unzipper's failure texts: a level that is a file, a file where a folder
// is, a folder level and a file whose name is too long.
inline constexpr const char* kNotAFolderText = "(a/b.txt)";
inline constexpr const char* kIsAFolderText = "Cannot create file \"d\"";
inline constexpr const char* kLongFolderText = "(nnnn";
inline constexpr const char* kLongFileText = "Cannot create file \"nnnn";

}  // namespace vornel::ziptest
