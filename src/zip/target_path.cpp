// Where an item goes, the same on every system: the trusted folder and the
// levels below it.
#include "platform/file_system.h"
#include "zip/file_target.h"

namespace vornel {

namespace {

// The levels of a relative path, without empty and "." segments; false when a
// ".." segment climbs.
bool SplitLevels(std::u16string_view relative, std::vector<std::u16string>& levels) {
  levels.clear();
  std::size_t start = 0;
  while (start <= relative.size()) {
    std::size_t end = relative.find(PathDelimiter, start);
    if (end == std::u16string_view::npos)
      end = relative.size();
    const std::u16string_view level = relative.substr(start, end - start);
    if (level == u"..")
      return false;
    if (!level.empty() && level != u".")
      levels.emplace_back(level);
    start = end + 1;
  }
  return !levels.empty();
}

}  // namespace

std::u16string TArTargetPath::DisplayOf(std::size_t count) const {
  std::u16string path = Base;
  for (std::size_t i = 0; i < count && i < Levels.size(); ++i) {
    if (!path.empty() && path.back() != PathDelimiter)
      path.push_back(PathDelimiter);
    path += Levels[i];
  }
  return path;
}

TArTargetPath ArSplitTargetPath(const std::u16string& baseFolder, const std::u16string& path) {
  TArTargetPath target;
  target.Display = path;
  std::u16string_view relative;
  bool below = false;
  if (baseFolder.empty()) {
    below = !path.empty() && path.front() != PathDelimiter;
    relative = path;
  } else if (path.size() > baseFolder.size() && path.starts_with(baseFolder) &&
             (baseFolder.back() == PathDelimiter || path[baseFolder.size()] == PathDelimiter)) {
    below = true;
    relative = std::u16string_view(path).substr(baseFolder.size());
  }
  if (below && SplitLevels(relative, target.Levels)) {
    target.Base = baseFolder;
    return target;
  }
  const std::size_t slash = path.rfind(PathDelimiter);
  if (slash == std::u16string::npos) {
    target.Base.clear();
    target.Levels = {path};
  } else {
    target.Base = slash == 0 ? std::u16string(1, PathDelimiter) : path.substr(0, slash);
    target.Levels = {path.substr(slash + 1)};
  }
  return target;
}

}  // namespace vornel
