// How this system's file system refuses the items of the recipe arunzip-refusals,
// as arunzip reports them.
#pragma once

namespace vornel::ziptest {

// a/b.txt, where "a" is a file.
inline constexpr const char* kUnderAFileRefusal = "a/b.txt: ecInOutError 20: Not a directory";
// A name of 300 characters.
inline constexpr const char* kLongNameRefusal = "File name too long";

}  // namespace vornel::ziptest
