// The header fields common to requests and responses.
#pragma once

#include <cstdint>
#include <string>

#include "http/header_list.h"

namespace vornel {

class TNetEntityHeaderInfo {
 public:
  TNetEntityHeaderInfo() = default;
  virtual ~TNetEntityHeaderInfo() = default;
  TNetEntityHeaderInfo(const TNetEntityHeaderInfo&) = delete;
  TNetEntityHeaderInfo& operator=(const TNetEntityHeaderInfo&) = delete;

  // Empties the fields (Pragma, TransferEncoding and CustomHeaders stay).
  virtual void Clear();
  // Derives the fields from RawHeaders.
  virtual void ProcessHeaders();
  // Rebuilds RawHeaders from the fields.
  virtual void SetHeaders();

  bool HasContentLength() const { return ContentLength >= 0; }

  std::u16string CacheControl;
  TNetHeaderList RawHeaders;
  std::u16string CharSet;
  std::u16string Connection;
  std::u16string ContentDisposition;
  std::u16string ContentEncoding;
  std::u16string ContentLanguage;
  std::int64_t ContentLength = -1;
  std::int64_t ContentRangeEnd = -1;
  std::int64_t ContentRangeStart = -1;
  std::int64_t ContentRangeInstanceLength = -1;
  std::u16string ContentRangeUnits;
  std::u16string ContentType;
  std::u16string ContentVersion;
  TNetHeaderList CustomHeaders;
  double Date = 0;
  double Expires = 0;
  std::u16string ETag;
  double LastModified = 0;
  std::u16string Pragma;
  std::u16string TransferEncoding;

 protected:
  // The "Content-Type" value split into ContentType and CharSet.
  void SetContentTypeFromHeader(const std::u16string& value);
};

}  // namespace vornel
