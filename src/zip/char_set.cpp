#include "zip/char_set.h"

#include <bitset>
#include <initializer_list>
#include <utility>

#include "platform/code_page.h"
#include "platform/text.h"

namespace vornel {

TArCharSet ArDetectCharSet(const std::uint8_t* data, std::size_t size) {
  TArCharSet result = csASCII;
  int expected = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t b = data[i];
    if (b >= 0x80)
      result = csANSI;
    if (expected > 0) {
      if (b < 0x80 || b > 0xBF)
        return result;
      --expected;
    } else if ((b >= 0x80 && b <= 0xC1) || b >= 0xF5) {
      return result;
    } else if (b >= 0xC2 && b <= 0xDF) {
      expected = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      expected = 2;
    } else if (b >= 0xF0 && b <= 0xF4) {
      expected = 3;
    }
  }
  if (result == csANSI && expected == 0)
    result = csUTF8;
  return result;
}

namespace {

using TByteSet = std::bitset<256>;
using TRanges = std::initializer_list<std::pair<int, int>>;

TByteSet Set(TRanges ranges) {
  TByteSet set;
  for (const auto& [from, to] : ranges) {
    for (int b = from; b <= to; ++b)
      set.set(static_cast<std::size_t>(b));
  }
  return set;
}

struct TOemSets {
  TByteSet Ansi;
  TByteSet Oem;
};

// The letters of each OEM code page and of its ANSI partner above 0x7F.
bool SetsFor(int oemCodePage, TOemSets& sets) {
  const TRanges oem437 = {{128, 154}, {160, 165}, {224, 235}, {237, 238}};
  switch (oemCodePage) {
    case 437:
      sets = {Set({{138, 138},
                   {140, 140},
                   {142, 142},
                   {154, 154},
                   {156, 156},
                   {158, 159},
                   {181, 181},
                   {192, 214},
                   {216, 246},
                   {248, 255}}),
              Set(oem437)};
      return true;
    case 720:
      sets = {Set({{129, 129},
                   {138, 138},
                   {140, 144},
                   {152, 152},
                   {154, 154},
                   {156, 156},
                   {159, 159},
                   {170, 170},
                   {181, 181},
                   {192, 214},
                   {216, 239},
                   {244, 244},
                   {249, 249},
                   {251, 252},
                   {255, 255}}),
              Set({{130, 131},
                   {133, 133},
                   {135, 140},
                   {147, 147},
                   {149, 155},
                   {157, 173},
                   {224, 239}})};
      return true;
    case 737:
      sets = {Set({{162, 162}, {181, 181}, {184, 186}, {188, 188}, {190, 209}, {211, 254}}),
              Set({{128, 175}, {224, 240}, {244, 245}})};
      return true;
    case 775:
      sets = {Set({{168, 168},
                   {170, 170},
                   {175, 175},
                   {184, 184},
                   {186, 186},
                   {191, 214},
                   {216, 246},
                   {248, 254}}),
              Set({{128, 149},
                   {151, 155},
                   {157, 157},
                   {160, 165},
                   {173, 173},
                   {181, 184},
                   {189, 190},
                   {198, 199},
                   {207, 216},
                   {224, 238}})};
      return true;
    case 850:
      sets = {Set({{138, 138},
                   {140, 140},
                   {142, 142},
                   {154, 154},
                   {156, 156},
                   {158, 159},
                   {192, 214},
                   {216, 246},
                   {248, 255}}),
              Set({{128, 155},
                   {157, 157},
                   {160, 165},
                   {181, 183},
                   {198, 199},
                   {208, 216},
                   {222, 222},
                   {224, 237}})};
      return true;
    case 852:
      sets = {Set({{138, 138},
                   {140, 143},
                   {154, 154},
                   {156, 159},
                   {163, 163},
                   {165, 165},
                   {170, 170},
                   {175, 175},
                   {179, 179},
                   {185, 186},
                   {188, 188},
                   {190, 214},
                   {216, 246},
                   {248, 254}}),
              Set({{128, 157},
                   {159, 169},
                   {171, 173},
                   {181, 184},
                   {189, 190},
                   {198, 199},
                   {208, 216},
                   {221, 222},
                   {224, 238},
                   {251, 253}})};
      return true;
    case 855:
      sets = {Set({{128, 129},
                   {131, 131},
                   {138, 138},
                   {140, 144},
                   {154, 154},
                   {156, 159},
                   {161, 163},
                   {165, 165},
                   {168, 168},
                   {170, 170},
                   {175, 175},
                   {178, 180},
                   {184, 184},
                   {186, 186},
                   {188, 255}}),
              Set({{128, 173},
                   {181, 184},
                   {189, 190},
                   {198, 199},
                   {208, 216},
                   {221, 222},
                   {224, 238},
                   {241, 252}})};
      return true;
    case 857:
      sets = {Set({{138, 138},
                   {140, 140},
                   {154, 154},
                   {156, 156},
                   {159, 159},
                   {192, 214},
                   {216, 246},
                   {248, 255}}),
              Set({{128, 155},
                   {157, 167},
                   {181, 183},
                   {198, 199},
                   {210, 212},
                   {214, 216},
                   {222, 222},
                   {224, 230},
                   {233, 237}})};
      return true;
    case 862:
      sets = {Set({{181, 181}, {212, 214}, {224, 250}}), Set(oem437)};
      return true;
    case 866:
      sets = {Set({{128, 129},
                   {131, 131},
                   {138, 138},
                   {140, 144},
                   {154, 154},
                   {156, 159},
                   {161, 163},
                   {165, 165},
                   {168, 168},
                   {170, 170},
                   {175, 175},
                   {178, 181},
                   {184, 184},
                   {186, 186},
                   {188, 255}}),
              Set({{128, 175}, {224, 247}})};
      return true;
    default:
      return false;
  }
}

}  // namespace

bool ArIsOEM(const std::uint8_t* data, std::size_t size, int oemCodePage) {
  TOemSets sets;
  if (!SetsFor(oemCodePage, sets))
    return false;
  bool ansi = true;
  bool oem = true;
  for (std::size_t i = 0; i < size && (ansi || oem); ++i) {
    const std::uint8_t b = data[i];
    if (b < 0x80)
      continue;
    ansi = ansi && sets.Ansi.test(b);
    oem = oem && sets.Oem.test(b);
  }
  return oem && !ansi;
}

bool ArIsOEM(const TBytes& bytes) {
  return ArIsOEM(bytes.data(), bytes.size(), OemCodePage());
}

std::u16string ArDecodeDetected(const TBytes& bytes) {
  switch (ArDetectCharSet(bytes)) {
    case csASCII:
      return std::u16string(bytes.begin(), bytes.end());
    case csUTF8:
      return FromUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    case csANSI:
    default:
      return DecodeCodePage(AnsiCodePage(), bytes);
  }
}

}  // namespace vornel
