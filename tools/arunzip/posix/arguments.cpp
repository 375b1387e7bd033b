// Linux passes the arguments as the bytes the caller gave, UTF-8 by convention.
#include "arguments.h"

#include "platform/text.h"

std::vector<std::u16string> CommandLineArguments(int argc, char** argv) {
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i)
    args.push_back(vornel::FromUtf8(argv[i]));
  return args;
}
