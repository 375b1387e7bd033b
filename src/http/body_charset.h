// What an HTML or XML body says about itself: header fields declared by meta
// http-equiv elements, a declared charset, an XML encoding declaration.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vornel {

struct TMetaHTTPEquiv {
  std::vector<std::pair<std::u16string, std::u16string>> Fields;  // name, value
  std::u16string CharSet;  // of <meta charset> or a declared Content-Type
};

// Scans the meta elements of an HTML document (the bytes as ASCII; scanning stops
// at the body element or after the first 64 KiB).
TMetaHTTPEquiv ScanMetaHTTPEquiv(const std::uint8_t* data, std::size_t size);
// The charset of an XML document from its byte-order mark or its encoding
// declaration; empty when it names none.
std::u16string DetectXmlCharSet(const std::uint8_t* data, std::size_t size);

}  // namespace vornel
