#include "http/charset.h"

#include <array>

#include "http/header_list.h"
#include "http/text_helpers.h"
#include "platform/code_page.h"
#include "platform/text.h"

namespace vornel {

namespace {

struct TCharSetName {
  std::u16string_view Name;
  int CodePage;  // 0: one byte to one character; 20127: ASCII
};

constexpr TCharSetName kCharSets[] = {
    {u"utf-8", CP_UTF8},     {u"utf8", CP_UTF8},      {u"us-ascii", 20127},
    {u"ascii", 20127},       {u"iso-8859-1", 0},      {u"iso8859-1", 0},
    {u"latin1", 0},          {u"windows-1250", 1250}, {u"windows-1251", 1251},
    {u"windows-1252", 1252}, {u"windows-1253", 1253}, {u"windows-1254", 1254},
    {u"windows-1255", 1255}, {u"windows-1256", 1256}, {u"windows-1257", 1257},
    {u"cp1250", 1250},       {u"cp1251", 1251},       {u"cp1252", 1252},
    {u"ibm852", 852},        {u"cp852", 852},         {u"ibm437", 437},
};

std::u16string Bytewise(const std::uint8_t* data, std::size_t size) {
  std::u16string out(size, u'\0');
  for (std::size_t i = 0; i < size; ++i)
    out[i] = data[i];
  return out;
}

}  // namespace

std::u16string MediaTypeOf(std::u16string_view contentType) {
  return ExtractHeaderItem(contentType);
}

std::u16string DefaultCharSetOf(std::u16string_view mediaType) {
  if (!http_text::StartsWithNoCase(mediaType, u"text/"))
    return {};
  const std::u16string_view subtype = mediaType.substr(5);
  if (SameTextAscii(subtype, u"xml") || SameTextAscii(subtype, u"xml-external-parsed-entity") ||
      http_text::EndsWithNoCase(subtype, u"+xml")) {
    return u"us-ascii";
  }
  return u"ISO-8859-1";
}

std::u16string DecodeWithCharSet(std::u16string_view charset, const std::uint8_t* data,
                                 std::size_t size) {
  const std::u16string name = Trim(charset);
  for (const TCharSetName& known : kCharSets) {
    if (!SameTextAscii(known.Name, name))
      continue;
    switch (known.CodePage) {
      case 0:
        return Bytewise(data, size);
      case CP_UTF8:
        return FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
      case 20127: {
        std::u16string out(size, u'\0');
        for (std::size_t i = 0; i < size; ++i)
          out[i] = data[i] < 0x80 ? data[i] : 0xFFFD;
        return out;
      }
      default:
        return DecodeCodePage(known.CodePage, data, size);
    }
  }
  return Bytewise(data, size);
}

TBytes EncodeWithCharSet(std::u16string_view charset, std::u16string_view text) {
  const std::u16string name = Trim(charset);
  int codePage = 0;
  for (const TCharSetName& known : kCharSets) {
    if (SameTextAscii(known.Name, name)) {
      codePage = known.CodePage;
      break;
    }
  }
  if (codePage == CP_UTF8) {
    const std::string utf8 = ToUtf8(text);
    return TBytes(utf8.begin(), utf8.end());
  }
  if (codePage != 0 && codePage != 20127)
    return EncodeCodePage(codePage, text);
  const char16_t highest = codePage == 20127 ? 0x7F : 0xFF;
  TBytes out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    // A surrogate pair is one character, so one "?".
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      ++i;
    }
    out.push_back(c <= highest ? static_cast<std::uint8_t>(c) : std::uint8_t{'?'});
  }
  return out;
}

}  // namespace vornel
