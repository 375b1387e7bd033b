#include "installer/window/emboldened_face.h"

#include <QtEndian>
#include <cstdint>
#include <cstring>
#include <optional>

namespace vornel {

namespace {

constexpr int kTableDirectoryStart = 12;
constexpr int kTableRecordSize = 16;
// Offsets inside the tables.
constexpr int kOs2WeightClass = 4;
constexpr int kOs2Selection = 62;
constexpr int kHeadMacStyle = 44;
// Semi-bold: below the weight class from which FreeType faces count as bold.
constexpr std::uint16_t kSemiBold = 600;
constexpr std::uint16_t kSelectionBold = 1u << 5;
constexpr std::uint16_t kMacStyleBold = 1u << 0;

// Where a table of at least minSize bytes begins, if the font has one.
std::optional<int> FindTable(const QByteArray& font, const char (&tag)[5], int minSize) {
  if (font.size() < kTableDirectoryStart)
    return std::nullopt;
  const auto* data = reinterpret_cast<const uchar*>(font.constData());
  const int count = qFromBigEndian<quint16>(data + 4);
  for (int i = 0; i < count; ++i) {
    const int record = kTableDirectoryStart + i * kTableRecordSize;
    if (record + kTableRecordSize > font.size())
      return std::nullopt;
    if (std::memcmp(data + record, tag, 4) != 0)
      continue;
    const quint32 offset = qFromBigEndian<quint32>(data + record + 8);
    const quint32 length = qFromBigEndian<quint32>(data + record + 12);
    if (length < static_cast<quint32>(minSize) ||
        offset + static_cast<quint64>(minSize) > static_cast<quint64>(font.size()))
      return std::nullopt;
    return static_cast<int>(offset);
  }
  return std::nullopt;
}

void Clear16(uchar* at, std::uint16_t bits) {
  qToBigEndian<quint16>(static_cast<quint16>(qFromBigEndian<quint16>(at) & ~bits), at);
}

}  // namespace

QByteArray AsFaceToEmbolden(QByteArray font) {
  const std::optional<int> os2 = FindTable(font, "OS/2", kOs2Selection + 2);
  const std::optional<int> head = FindTable(font, "head", kHeadMacStyle + 2);
  if (!os2 || !head)
    return font;
  auto* data = reinterpret_cast<uchar*>(font.data());
  qToBigEndian<quint16>(kSemiBold, data + *os2 + kOs2WeightClass);
  Clear16(data + *os2 + kOs2Selection, kSelectionBold);
  Clear16(data + *head + kHeadMacStyle, kMacStyleBold);
  return font;
}

}  // namespace vornel
