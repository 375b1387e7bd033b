// The fonts that a label surface has made, one entry per face: the size, the
// styles and the name (the colour plays no part). A surface that needs more
// than kCapacity faces starts again empty rather than growing without end.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "htmltext/font.h"

namespace vornel {

template <class TEntry>
class TFontCache {
 public:
  static constexpr std::size_t kCapacity = 64;

  static bool SameFace(const TQxFont& a, const TQxFont& b) {
    return a.Size == b.Size && a.Style == b.Style && a.Name == b.Name;
  }

  // The entry of the font's face (TEntry::Key), or nullptr. The last one found
  // is tried first: a label asks for the same face many times in a row.
  TEntry* Find(const TQxFont& font) {
    if (FLast != nullptr && SameFace(FLast->Key, font)) {
      return FLast;
    }
    for (const auto& entry : FEntries) {
      if (SameFace(entry->Key, font)) {
        FLast = entry.get();
        return FLast;
      }
    }
    return nullptr;
  }

  // Whether the next Add must come after a Clear.
  bool Full() const { return FEntries.size() >= kCapacity; }

  // Keeps the entry of a face not yet held.
  TEntry& Add(std::unique_ptr<TEntry> entry) {
    FEntries.push_back(std::move(entry));
    FLast = FEntries.back().get();
    return *FLast;
  }

  void Clear() {
    FEntries.clear();
    FLast = nullptr;
  }

 private:
  std::vector<std::unique_ptr<TEntry>> FEntries;
  TEntry* FLast = nullptr;
};

}  // namespace vornel
