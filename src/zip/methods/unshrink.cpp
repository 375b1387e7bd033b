#include "zip/methods/unshrink.h"

#include <algorithm>
#include <array>
#include <vector>

#include "zip/methods/legacy_bit_reader.h"
#include "zip/methods/legacy_error.h"
#include "zip/methods/legacy_output.h"

// The code table holds 8192 entries. Codes 0..255 stand for their byte, 256 is
// the control code (followed by 1: widen the codes by one bit; by 2: free every
// entry that is no other entry's prefix), 257..8191 are assigned in order of
// the lowest free entry. An entry is its prefix code and its last byte; its text
// is found by walking the prefixes back to a byte code.

namespace vornel {

namespace {

constexpr int kCodes = 8192;
constexpr int kControl = 256;
constexpr int kFirstFree = 257;
constexpr unsigned kMinBits = 9;
constexpr unsigned kMaxBits = 13;
constexpr std::int16_t kFree = -1;

class TUnshrinker {
 public:
  TUnshrinker(TStream& source, TStream& dest, std::int64_t size) : FIn(source), FOut(dest, size) {
    for (int c = 0; c < 256; ++c) {
      FPrefix[c] = kFree;  // byte codes have no prefix; never freed (c < 257)
      FLast[c] = static_cast<std::uint8_t>(c);
    }
    for (int c = kControl; c < kCodes; ++c)
      FPrefix[c] = kFree;
    FText.reserve(kCodes);
    FPrevious.reserve(kCodes);
  }

  void Run() {
    int previous = -1;
    while (!FOut.Done()) {
      const int code = static_cast<int>(FIn.Bits(FBits));
      if (code == kControl) {
        Control();
        continue;
      }
      if (previous < 0) {
        if (code > 255)
          throw EArLegacyDataError(u"Shrunk data: first code is not a byte");
        FOut.Put(static_cast<std::uint8_t>(code));
        FPrevious.assign(1, static_cast<std::uint8_t>(code));
        previous = code;
        continue;
      }
      if (IsDefined(code)) {
        Spell(code);
        AddEntry(previous, FText.front());
      } else {
        // The code being defined right now: the previous text and its first byte.
        if (code != FNextFree)
          throw EArLegacyDataError(u"Shrunk data: undefined code");
        FText = FPrevious;
        FText.push_back(FPrevious.front());
        AddEntry(previous, FPrevious.front());
      }
      for (const std::uint8_t byte : FText)
        FOut.Put(byte);
      FPrevious.swap(FText);
      previous = code;
    }
    FOut.Finish();
  }

 private:
  bool IsDefined(int code) const {
    return code < 256 || (code >= kFirstFree && FPrefix[code] != kFree);
  }

  // The text of a defined code into FText.
  void Spell(int code) {
    FText.clear();
    while (code >= kFirstFree) {
      FText.push_back(FLast[code]);
      code = FPrefix[code];
      // An entry whose prefix was freed and given again can form a loop.
      if (code < 0 || FText.size() >= kCodes)
        throw EArLegacyDataError(u"Shrunk data: bad code chain");
    }
    FText.push_back(static_cast<std::uint8_t>(code));
    std::reverse(FText.begin(), FText.end());
  }

  void AddEntry(int prefix, std::uint8_t last) {
    if (FNextFree >= kCodes)
      return;  // the table is full until a partial clear
    FPrefix[FNextFree] = static_cast<std::int16_t>(prefix);
    FLast[FNextFree] = last;
    FindNextFree(FNextFree + 1);
  }

  void FindNextFree(int from) {
    FNextFree = from;
    while (FNextFree < kCodes && FPrefix[FNextFree] != kFree)
      ++FNextFree;
  }

  void Control() {
    const std::uint32_t what = FIn.Bits(FBits);
    if (what == 1) {
      if (FBits == kMaxBits)
        throw EArLegacyDataError(u"Shrunk data: code size above 13 bits");
      ++FBits;
    } else if (what == 2) {
      PartialClear();
    } else {
      throw EArLegacyDataError(u"Shrunk data: unknown control code");
    }
  }

  void PartialClear() {
    std::array<bool, kCodes> isPrefix{};
    for (int c = kFirstFree; c < kCodes; ++c) {
      if (FPrefix[c] != kFree)
        isPrefix[FPrefix[c]] = true;
    }
    for (int c = kFirstFree; c < kCodes; ++c) {
      if (!isPrefix[c])
        FPrefix[c] = kFree;
    }
    FindNextFree(kFirstFree);
  }

  TArLegacyBitReader FIn;
  TArLegacyOutput FOut;
  std::array<std::int16_t, kCodes> FPrefix{};
  std::array<std::uint8_t, kCodes> FLast{};
  std::vector<std::uint8_t> FText;      // the text of the current code
  std::vector<std::uint8_t> FPrevious;  // the text of the previous code
  unsigned FBits = kMinBits;
  int FNextFree = kFirstFree;
};

}  // namespace

void ArUnshrink(TStream& source, TStream& dest, std::int64_t size) {
  TUnshrinker(source, dest, size).Run();
}

}  // namespace vornel
