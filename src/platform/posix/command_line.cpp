// Linux passes the arguments as the bytes the caller gave, UTF-8 by convention.
#include "platform/command_line.h"

#include "platform/text.h"

namespace vornel {

std::vector<std::u16string> CommandLineArguments(int argc, char** argv) {
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i)
    args.push_back(FromUtf8(argv[i]));
  return args;
}

}  // namespace vornel
