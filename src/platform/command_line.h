// The program's arguments as UTF-16 texts, without the program's own name.
#pragma once

#include <string>
#include <vector>

namespace vornel {

std::vector<std::u16string> CommandLineArguments(int argc, char** argv);

}  // namespace vornel
