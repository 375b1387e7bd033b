// The byte ranges a request asks for ("Range: bytes=0-99,-500").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vornel {

struct TNetEntityRange {
  std::int64_t StartPos = -1;
  std::int64_t EndPos = -1;
  std::int64_t SuffixLength = -1;

  // "start-end", "start-", "-suffix", or empty when nothing is set.
  std::u16string Text() const;
};

class TNetEntityRanges {
 public:
  const std::u16string& Units() const { return FUnits; }
  // An empty or blank text restores "bytes".
  void SetUnits(const std::u16string& units);

  std::vector<TNetEntityRange> Items;

  // "units=range,range"; empty when no range has text.
  std::u16string Text() const;
  void Clear() { Items.clear(); }

 private:
  std::u16string FUnits = u"bytes";
};

}  // namespace vornel
