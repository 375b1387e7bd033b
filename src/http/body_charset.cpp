#include "http/body_charset.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <string_view>

#include "http/header_list.h"
#include "http/text_helpers.h"
#include "platform/text.h"

namespace vornel {

namespace {

constexpr std::size_t kScanLimit = 65536;

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// The attributes of the tag whose name ends at `at`, up to its ">".
std::map<std::string, std::string> Attributes(std::string_view text, std::size_t& at) {
  std::map<std::string, std::string> attributes;
  while (at < text.size() && text[at] != '>') {
    while (at < text.size() && (IsSpace(text[at]) || text[at] == '/'))
      ++at;
    const std::size_t nameStart = at;
    while (at < text.size() && !IsSpace(text[at]) && text[at] != '=' && text[at] != '>' &&
           text[at] != '/') {
      ++at;
    }
    const std::string name = Lower(text.substr(nameStart, at - nameStart));
    while (at < text.size() && IsSpace(text[at]))
      ++at;
    std::string value;
    if (at < text.size() && text[at] == '=') {
      ++at;
      while (at < text.size() && IsSpace(text[at]))
        ++at;
      if (at < text.size() && (text[at] == '"' || text[at] == '\'')) {
        const char quote = text[at++];
        const std::size_t end = std::min(text.find(quote, at), text.size());
        value = text.substr(at, end - at);
        at = end + 1;
      } else {
        const std::size_t start = at;
        while (at < text.size() && !IsSpace(text[at]) && text[at] != '>')
          ++at;
        value = text.substr(start, at - start);
      }
    }
    if (!name.empty() && !attributes.contains(name))
      attributes[name] = value;
    if (name.empty() && at < text.size() && text[at] != '>')
      ++at;
  }
  return attributes;
}

}  // namespace

TMetaHTTPEquiv ScanMetaHTTPEquiv(const std::uint8_t* data, std::size_t size) {
  TMetaHTTPEquiv result;
  const std::string_view text(reinterpret_cast<const char*>(data), std::min(size, kScanLimit));
  const std::string lower = Lower(text);
  std::size_t at = 0;
  while ((at = lower.find('<', at)) != std::string::npos) {
    ++at;
    if (lower.compare(at, 3, "!--") == 0) {
      const std::size_t end = lower.find("-->", at + 3);
      if (end == std::string::npos)
        break;
      at = end + 3;
      continue;
    }
    if (lower.compare(at, 4, "body") == 0)
      break;
    if (lower.compare(at, 4, "meta") != 0 || at + 4 >= lower.size() ||
        !(IsSpace(lower[at + 4]) || lower[at + 4] == '/')) {
      continue;
    }
    at += 4;
    const auto attributes = Attributes(text, at);
    auto find = [&](const char* name) -> const std::string* {
      const auto it = attributes.find(name);
      return it == attributes.end() ? nullptr : &it->second;
    };
    if (const std::string* charset = find("charset")) {
      result.CharSet = Trim(http_text::FromAscii(*charset));
    }
    const std::string* equiv = find("http-equiv");
    const std::string* content = find("content");
    if (equiv && content && !equiv->empty()) {
      const std::u16string name = Trim(http_text::FromAscii(*equiv));
      const std::u16string value = Trim(http_text::FromAscii(*content));
      result.Fields.emplace_back(name, value);
      if (SameTextAscii(name, u"Content-Type")) {
        if (std::u16string charset = ExtractHeaderSubItem(value, u"charset"); !charset.empty()) {
          result.CharSet = charset;
        }
      }
    }
  }
  return result;
}

std::u16string DetectXmlCharSet(const std::uint8_t* data, std::size_t size) {
  if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF)
    return u"UTF-8";
  if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF)
    return u"UTF-16BE";
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE)
    return u"UTF-16LE";
  const std::string_view text(reinterpret_cast<const char*>(data),
                              std::min<std::size_t>(size, 1024));
  if (!text.starts_with("<?xml"))
    return {};
  const std::size_t end = text.find("?>");
  if (end == std::string_view::npos)
    return {};
  std::size_t at = 5;
  const auto attributes = Attributes(text.substr(0, end), at);
  const auto it = attributes.find("encoding");
  return it == attributes.end() ? std::u16string() : http_text::FromAscii(it->second);
}

}  // namespace vornel
