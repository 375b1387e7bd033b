#include "http/entity_header_info.h"

#include "http/charset.h"
#include "http/http_date.h"
#include "http/http_exceptions.h"
#include "http/text_helpers.h"
#include "platform/clock.h"
#include "platform/text.h"

namespace vornel {

namespace {

std::int64_t Int64Or(std::u16string_view text, std::int64_t fallback) {
  return http_text::ParseInt64(Trim(text)).value_or(fallback);
}

}  // namespace

void TNetEntityHeaderInfo::Clear() {
  CacheControl.clear();
  RawHeaders.Clear();
  CharSet.clear();
  Connection.clear();
  ContentDisposition.clear();
  ContentEncoding.clear();
  ContentLanguage.clear();
  ContentLength = -1;
  ContentRangeEnd = -1;
  ContentRangeStart = -1;
  ContentRangeInstanceLength = -1;
  ContentRangeUnits.clear();
  ContentType.clear();
  ContentVersion.clear();
  Date = 0;
  Expires = 0;
  ETag.clear();
  LastModified = 0;
}

void TNetEntityHeaderInfo::SetContentTypeFromHeader(const std::u16string& value) {
  CharSet = ExtractHeaderSubItem(value, u"charset");
  ContentType = value.empty() ? std::u16string() : ReplaceHeaderSubItem(value, u"charset", u"");
  if (CharSet.empty())
    CharSet = DefaultCharSetOf(MediaTypeOf(ContentType));
}

void TNetEntityHeaderInfo::ProcessHeaders() {
  const TNetHeaderList& h = RawHeaders;
  CacheControl = h.Value(u"Cache-control");
  Connection = h.Value(u"Connection");
  ContentVersion = h.Value(u"Content-Version");
  ContentDisposition = h.Value(u"Content-Disposition");
  ContentEncoding = h.Value(u"Content-Encoding");
  ContentLanguage = h.Value(u"Content-Language");
  ETag = h.Value(u"ETag");
  Pragma = h.Value(u"Pragma");
  TransferEncoding = h.Value(u"Transfer-Encoding");
  SetContentTypeFromHeader(h.Value(u"Content-Type"));

  // A negative length cannot be honoured; taking it for "no length" would read the
  // rest of the connection into the body.
  const std::u16string length = Trim(h.Value(u"Content-Length"));
  const std::optional<std::int64_t> parsed = http_text::ParseInt64(length);
  if (parsed && *parsed < 0) {
    throw ENetHTTPMalformedResponse(u"Invalid Content-Length: " + length, -1);
  }
  ContentLength = parsed.value_or(-1);

  ContentRangeUnits.clear();
  ContentRangeStart = ContentRangeEnd = ContentRangeInstanceLength = -1;
  if (std::u16string range = h.Value(u"Content-Range"); !range.empty()) {
    ContentRangeUnits = http_text::Fetch(range, u" ");
    std::u16string first = http_text::Fetch(range, u"/");
    const std::u16string start = http_text::Fetch(first, u"-");
    ContentRangeStart = Int64Or(start, -1);
    ContentRangeEnd = Int64Or(first, -1);
    ContentRangeInstanceLength = Int64Or(range, -1);
  }

  const std::u16string date = h.Value(u"Date");
  Date = date.empty() ? Now() : ParseHTTPDate(date).value_or(0);
  LastModified = ParseHTTPDate(h.Value(u"Last-Modified")).value_or(0);
  const std::u16string expires = h.Value(u"Expires");
  if (const auto seconds = http_text::ParseInt64(Trim(expires))) {
    Expires = Now() + static_cast<double>(*seconds) / 86400.0;
  } else {
    Expires = ParseHTTPDate(expires).value_or(0);
  }
}

void TNetEntityHeaderInfo::SetHeaders() {
  TNetHeaderList& h = RawHeaders;
  h.Clear();
  if (!Connection.empty())
    h.SetValue(u"Connection", Connection);
  if (!ContentVersion.empty())
    h.SetValue(u"Content-Version", ContentVersion);
  if (!ContentDisposition.empty())
    h.SetValue(u"Content-Disposition", ContentDisposition);
  if (!ContentEncoding.empty())
    h.SetValue(u"Content-Encoding", ContentEncoding);
  if (!ContentLanguage.empty())
    h.SetValue(u"Content-Language", ContentLanguage);
  if (!ContentType.empty()) {
    h.SetValue(u"Content-Type", ReplaceHeaderSubItem(ContentType, u"charset", CharSet));
  }
  if (ContentLength >= 0)
    h.SetValue(u"Content-Length", IntToText(ContentLength));
  if (!CacheControl.empty())
    h.SetValue(u"Cache-control", CacheControl);
  if (Date > 0)
    h.SetValue(u"Date", FormatHTTPDate(Date));
  if (!ETag.empty())
    h.SetValue(u"ETag", ETag);
  if (Expires > 0)
    h.SetValue(u"Expires", FormatHTTPDate(Expires));
  if (!Pragma.empty())
    h.SetValue(u"Pragma", Pragma);
  if (!TransferEncoding.empty())
    h.SetValue(u"Transfer-Encoding", TransferEncoding);
  h.AddLines(CustomHeaders);
}

}  // namespace vornel
