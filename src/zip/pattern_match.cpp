#include "zip/pattern_match.h"

#include "platform/text.h"

namespace vornel {

namespace {

bool Match(std::u16string_view s, std::u16string_view p) {
  std::size_t si = 0;
  std::size_t pi = 0;
  std::size_t starP = std::u16string_view::npos;
  std::size_t starS = 0;
  while (si < s.size()) {
    if (pi < p.size() && p[pi] == u'*') {
      starP = pi++;
      starS = si;
    } else if (pi < p.size() && (p[pi] == u'?' || p[pi] == s[si])) {
      ++pi;
      ++si;
    } else if (starP != std::u16string_view::npos) {
      pi = starP + 1;
      si = ++starS;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == u'*')
    ++pi;
  return pi == p.size();
}

std::u16string Backslashed(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c == u'/')
      c = u'\\';
  }
  return out;
}

// Splits at the last '\': the path part with its separator, and the name part.
void SplitLast(std::u16string_view text, std::u16string_view& path, std::u16string_view& name) {
  const std::size_t pos = text.rfind(u'\\');
  if (pos == std::u16string_view::npos) {
    path = {};
    name = text;
  } else {
    path = text.substr(0, pos + 1);
    name = text.substr(pos + 1);
  }
}

std::u16string_view Trimmed(std::u16string_view text) {
  while (!text.empty() && text.front() <= u' ')
    text.remove_prefix(1);
  while (!text.empty() && text.back() <= u' ')
    text.remove_suffix(1);
  return text;
}

}  // namespace

bool ArPatternMatch(std::u16string_view s, std::u16string_view pattern) {
  if (s.empty())
    return pattern.empty();
  if (pattern == u"*.*" || pattern == u"*")
    return true;
  return Match(s, pattern);
}

bool ArFileMatch(std::u16string_view name, std::u16string_view mask) {
  const std::u16string upperName = AsciiUpperCase(name);
  const std::u16string upperMask = AsciiUpperCase(mask);
  std::u16string_view namePath, nameName, maskPath, maskName;
  SplitLast(upperName, namePath, nameName);
  SplitLast(upperMask, maskPath, maskName);
  if (!maskPath.empty() && !ArPatternMatch(namePath, maskPath))
    return false;
  return ArPatternMatch(nameName, maskName);
}

bool MatchesStoredName(const TArArchiveItem& item, std::u16string_view mask) {
  std::u16string m = Backslashed(mask);
  // Drop a drive ("C:") or share ("\\server\share\") prefix of the mask.
  if (m.size() >= 2 && m[1] == u':') {
    m.erase(0, 2);
  } else if (m.rfind(u"\\\\", 0) == 0) {
    std::size_t pos = m.find(u'\\', 2);
    pos = pos == std::u16string::npos ? pos : m.find(u'\\', pos + 1);
    m = pos == std::u16string::npos ? std::u16string() : m.substr(pos);
  }
  if (!m.empty() && m.front() == u'\\')
    m.erase(0, 1);
  std::u16string name = Backslashed(item.FileName);
  if (item.IsDirectory() && !name.empty() && name.back() == u'\\')
    name.pop_back();
  return ArFileMatch(name, m);
}

bool MatchesStoredNameEx(const TArArchiveItem& item, std::u16string_view masks) {
  std::size_t start = 0;
  while (start <= masks.size()) {
    std::size_t end = masks.find(u';', start);
    if (end == std::u16string_view::npos)
      end = masks.size();
    const std::u16string_view part = Trimmed(masks.substr(start, end - start));
    if (!part.empty() && MatchesStoredName(item, part))
      return true;
    start = end + 1;
  }
  return false;
}

}  // namespace vornel
