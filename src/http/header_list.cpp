#include "http/header_list.h"

#include "http/text_helpers.h"
#include "platform/text.h"

namespace vornel {

namespace {

bool IsContinuation(std::u16string_view line) {
  return !line.empty() && (line[0] == u' ' || line[0] == u'\t');
}

// A parameter of a header value: its name and its value as written.
struct TSubItem {
  std::u16string Name;
  std::u16string Value;
};

// Splits at ";" outside quoted strings.
std::vector<std::u16string> SplitParams(std::u16string_view value) {
  std::vector<std::u16string> parts;
  std::u16string current;
  bool quoted = false;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char16_t c = value[i];
    if (quoted && c == u'\\' && i + 1 < value.size()) {
      current.push_back(c);
      current.push_back(value[++i]);
      continue;
    }
    if (c == u'"')
      quoted = !quoted;
    if (c == u';' && !quoted) {
      parts.push_back(std::move(current));
      current.clear();
      continue;
    }
    current.push_back(c);
  }
  parts.push_back(std::move(current));
  return parts;
}

TSubItem ParseSubItem(std::u16string_view part) {
  const std::size_t eq = part.find(u'=');
  if (eq == std::u16string_view::npos)
    return {Trim(part), {}};
  return {Trim(part.substr(0, eq)), Trim(part.substr(eq + 1))};
}

std::u16string Unquote(std::u16string_view text) {
  if (text.size() < 1 || text[0] != u'"')
    return std::u16string(text);
  std::u16string out;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] == u'\\' && i + 1 < text.size()) {
      out.push_back(text[++i]);
    } else if (text[i] == u'"') {
      break;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

// A token may not hold blanks, controls or the separators of RFC 7230.
bool NeedsQuotes(std::u16string_view text) {
  if (text.empty())
    return true;
  for (char16_t c : text) {
    if (c <= u' ' || c >= 0x7F ||
        std::u16string_view(u"()<>@,;:\\\"/[]?={}").find(c) != std::u16string_view::npos) {
      return true;
    }
  }
  return false;
}

std::u16string Quote(std::u16string_view text) {
  if (!NeedsQuotes(text))
    return std::u16string(text);
  std::u16string out = u"\"";
  for (char16_t c : text) {
    if (c == u'"' || c == u'\\')
      out.push_back(u'\\');
    out.push_back(c);
  }
  out.push_back(u'"');
  return out;
}

}  // namespace

void TNetHeaderList::AddLines(const TNetHeaderList& other) {
  FLines.insert(FLines.end(), other.FLines.begin(), other.FLines.end());
}

void TNetHeaderList::AddValue(std::u16string_view name, std::u16string_view value) {
  std::u16string line(name);
  line += u": ";
  line += value;
  FLines.push_back(std::move(line));
}

void TNetHeaderList::Delete(std::size_t index) {
  FLines.erase(FLines.begin() + static_cast<std::ptrdiff_t>(index));
}

std::u16string TNetHeaderList::NameOf(std::u16string_view line) {
  if (IsContinuation(line))
    return {};
  const std::size_t colon = line.find(u':');
  if (colon == std::u16string_view::npos)
    return {};
  return std::u16string(line.substr(0, colon));
}

std::size_t TNetHeaderList::IndexOfName(std::u16string_view name) const {
  if (name.empty())
    return npos;
  for (std::size_t i = 0; i < FLines.size(); ++i) {
    if (SameTextAscii(NameOf(FLines[i]), name))
      return i;
  }
  return npos;
}

std::size_t TNetHeaderList::EndOfEntry(std::size_t index) const {
  std::size_t end = index + 1;
  while (end < FLines.size() && IsContinuation(FLines[end]))
    ++end;
  return end;
}

std::u16string TNetHeaderList::ValueAt(std::size_t index) const {
  const std::u16string& line = FLines[index];
  const std::size_t colon = line.find(u':');
  std::u16string value = colon == std::u16string::npos ? std::u16string() : line.substr(colon + 1);
  value = Trim(value);
  const std::size_t end = EndOfEntry(index);
  for (std::size_t i = index + 1; i < end; ++i) {
    const std::u16string more = Trim(FLines[i]);
    if (more.empty())
      continue;
    if (!value.empty())
      value += u' ';
    value += more;
  }
  return value;
}

std::u16string TNetHeaderList::Value(std::u16string_view name) const {
  const std::size_t index = IndexOfName(name);
  return index == npos ? std::u16string() : ValueAt(index);
}

std::vector<std::u16string> TNetHeaderList::Values(std::u16string_view name) const {
  std::vector<std::u16string> values;
  for (std::size_t i = 0; i < FLines.size(); ++i) {
    if (SameTextAscii(NameOf(FLines[i]), name))
      values.push_back(ValueAt(i));
  }
  return values;
}

void TNetHeaderList::SetValue(std::u16string_view name, std::u16string_view value) {
  const std::size_t index = IndexOfName(name);
  if (index == npos) {
    if (!value.empty())
      AddValue(name, value);
    return;
  }
  const auto first = FLines.begin() + static_cast<std::ptrdiff_t>(index);
  FLines.erase(first + 1, FLines.begin() + static_cast<std::ptrdiff_t>(EndOfEntry(index)));
  if (value.empty()) {
    FLines.erase(first);
    return;
  }
  std::u16string line(name);
  line += u": ";
  line += value;
  FLines[index] = std::move(line);
}

std::u16string ExtractHeaderItem(std::u16string_view value) {
  return Trim(SplitParams(value).front());
}

std::u16string ExtractHeaderSubItem(std::u16string_view value, std::u16string_view name) {
  const std::vector<std::u16string> parts = SplitParams(value);
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const TSubItem item = ParseSubItem(parts[i]);
    if (SameTextAscii(item.Name, name))
      return Unquote(item.Value);
  }
  return {};
}

std::u16string ReplaceHeaderSubItem(std::u16string_view value, std::u16string_view name,
                                    std::u16string_view subValue) {
  const std::vector<std::u16string> parts = SplitParams(value);
  std::u16string result = Trim(parts.front());
  bool replaced = false;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const TSubItem item = ParseSubItem(parts[i]);
    if (item.Name.empty())
      continue;
    std::u16string text;
    if (SameTextAscii(item.Name, name)) {
      if (replaced || subValue.empty())
        continue;
      replaced = true;
      text = item.Name + u"=" + Quote(subValue);
    } else {
      text = Trim(parts[i]);
    }
    result += u"; " + text;
  }
  if (!replaced && !subValue.empty()) {
    result += u"; ";
    result += name;
    result += u"=" + Quote(subValue);
  }
  return result;
}

}  // namespace vornel
