// An ordered list of "Name: value" lines, as HTTP heads carry them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vornel {

class TNetHeaderList {
 public:
  // Lines as they stand.
  std::size_t Count() const { return FLines.size(); }
  const std::u16string& operator[](std::size_t index) const { return FLines[index]; }
  const std::vector<std::u16string>& Lines() const { return FLines; }
  bool Empty() const { return FLines.empty(); }

  void Add(std::u16string line) { FLines.push_back(std::move(line)); }
  void AddLines(const TNetHeaderList& other);
  void AddValue(std::u16string_view name, std::u16string_view value);
  void Clear() { FLines.clear(); }
  void Delete(std::size_t index);

  // The name of a line: everything before its first ":", untrimmed; empty for a
  // continuation line or a line without ":".
  static std::u16string NameOf(std::u16string_view line);

  // Index of the first line of that name (ASCII case ignored), or npos.
  std::size_t IndexOfName(std::u16string_view name) const;
  // The unfolded value of the first line of that name; empty when there is none.
  std::u16string Value(std::u16string_view name) const;
  // The unfolded value of the line at index.
  std::u16string ValueAt(std::size_t index) const;
  // Replaces the first line of that name in place (with its continuation lines),
  // appends a line when there is none; an empty value deletes the line.
  void SetValue(std::u16string_view name, std::u16string_view value);
  // The unfolded values of every line of that name, in order.
  std::vector<std::u16string> Values(std::u16string_view name) const;

  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

 private:
  // Index behind the line at index and its continuation lines.
  std::size_t EndOfEntry(std::size_t index) const;

  std::vector<std::u16string> FLines;
};

// The part of a header value before its first ";" (the item), trimmed.
std::u16string ExtractHeaderItem(std::u16string_view value);
// A parameter ("charset" in "text/html; charset=utf-8") of a header value, names
// compared without case, a quoted string unquoted; empty when absent.
std::u16string ExtractHeaderSubItem(std::u16string_view value, std::u16string_view name);
// The value with that parameter set (replaced where it stands, else appended after
// "; "), quoted when it holds characters that a token cannot; an empty parameter
// value removes the parameter.
std::u16string ReplaceHeaderSubItem(std::u16string_view value, std::u16string_view name,
                                    std::u16string_view subValue);

}  // namespace vornel
