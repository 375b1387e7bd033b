// The extra field of a zip header: sub-fields of ID (2 bytes), size (2 bytes)
// and data, walked from the start.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/bytes.h"
#include "platform/memory_stream.h"

namespace vornel {

class TArExtraField {
 public:
  TArExtraField() = default;
  explicit TArExtraField(TBytes bytes) : FBytes(std::move(bytes)) {}

  const TBytes& Bytes() const { return FBytes; }
  void Assign(TBytes bytes) { FBytes = std::move(bytes); }

  // The data of the first sub-field with the ID; a size running past the end is
  // cut to the bytes that remain. False when there is none.
  bool Get(std::uint16_t id, const std::uint8_t*& data, std::uint16_t& size) const;
  bool Has(std::uint16_t id) const;
  // That data as a readable memory stream; null when there is none.
  std::unique_ptr<TMemoryStream> GetStream(std::uint16_t id) const;

 private:
  TBytes FBytes;
};

}  // namespace vornel
