#include "platform/file_system.h"

// The path pieces are the same on every system: only the delimiter differs.

namespace vornel {

std::u16string ExtractFilePath(std::u16string_view path) {
  const auto pos = path.rfind(PathDelimiter);
  return pos == std::u16string_view::npos ? std::u16string()
                                          : std::u16string(path.substr(0, pos + 1));
}

std::u16string ExtractFileName(std::u16string_view path) {
  const auto pos = path.rfind(PathDelimiter);
  return std::u16string(pos == std::u16string_view::npos ? path : path.substr(pos + 1));
}

std::u16string ExtractFileExt(std::u16string_view path) {
  const std::u16string name = ExtractFileName(path);
  const auto pos = name.rfind(u'.');
  return pos == std::u16string::npos ? std::u16string() : name.substr(pos);
}

std::u16string IncludeTrailingPathDelimiter(std::u16string_view path) {
  std::u16string out(path);
  if (out.empty() || out.back() != PathDelimiter)
    out.push_back(PathDelimiter);
  return out;
}

std::u16string ExcludeTrailingPathDelimiter(std::u16string_view path) {
  std::u16string out(path);
  while (out.size() > 1 && out.back() == PathDelimiter)
    out.pop_back();
  return out;
}

}  // namespace vornel
