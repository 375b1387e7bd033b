#include "zip/extra_field.h"

#include <algorithm>

namespace vornel {

bool TArExtraField::Get(std::uint16_t id, const std::uint8_t*& data, std::uint16_t& size) const {
  std::size_t pos = 0;
  while (FBytes.size() - pos >= 4) {
    const std::uint16_t subId = static_cast<std::uint16_t>(FBytes[pos] | (FBytes[pos + 1] << 8));
    std::size_t subSize = static_cast<std::size_t>(FBytes[pos + 2] | (FBytes[pos + 3] << 8));
    pos += 4;
    subSize = std::min(subSize, FBytes.size() - pos);
    if (subId == id) {
      data = FBytes.data() + pos;
      size = static_cast<std::uint16_t>(subSize);
      return true;
    }
    pos += subSize;
  }
  return false;
}

bool TArExtraField::Has(std::uint16_t id) const {
  const std::uint8_t* data = nullptr;
  std::uint16_t size = 0;
  return Get(id, data, size);
}

std::unique_ptr<TMemoryStream> TArExtraField::GetStream(std::uint16_t id) const {
  const std::uint8_t* data = nullptr;
  std::uint16_t size = 0;
  if (!Get(id, data, size))
    return nullptr;
  auto stream = std::make_unique<TMemoryStream>();
  stream->Write(data, size);
  stream->SetPosition(0);
  return stream;
}

}  // namespace vornel
