// How this system's file system refuses the items of the recipe arunzip-refusals,
// as arunzip reports them.
#pragma once

namespace vornel::ziptest {

// a/b.txt, where "a" is a file: the level is no folder (ERROR_DIRECTORY).
inline constexpr const char* kUnderAFileRefusal = "a/b.txt: ecInOutError 267: ";
// A name of 300 characters. The system's text differs between Windows (the name
// is too long) and Wine (not found), the failure's class and file do not.
inline constexpr const char* kLongNameRefusal =
    "ecFileCreateError 0: Cannot create file \"out\\nnnn";

}  // namespace vornel::ziptest
