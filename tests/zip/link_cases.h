// The cases of what already lies in the target tree before an extraction: the
// shared ones and those that only this system can make.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "zip_test_support.h"

namespace vornel::ziptest {

struct TLinkCase {
  const char* Label;
  // Prepares the base folder, given the folder outside with its canary file. What
  // it returns is kept until the extraction has ended (a handle held open).
  std::function<std::shared_ptr<void>(const fs::path& base, const fs::path& outside)> Plant;
  std::vector<TEntry> Entries;
  std::vector<std::string> Failed;
  std::function<void(const fs::path& base)> Check;
};

// The cases of this system only.
std::vector<TLinkCase> HostLinkCases();

}  // namespace vornel::ziptest
