#include "htmltext/escape.h"

namespace vornel {

namespace {

std::u16string ReplaceAll(std::u16string_view text, std::u16string_view from,
                          std::u16string_view to) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(from, start);
    if (at == std::u16string_view::npos) {
      out.append(text.substr(start));
      return out;
    }
    out.append(text.substr(start, at - start));
    out.append(to);
    start = at + from.size();
  }
}

}  // namespace

std::u16string EscapeTextToHTML(std::u16string_view text) {
  std::u16string s = ReplaceAll(text, u"&", u"&amp;");
  s = ReplaceAll(s, u"<", u"&lt;");
  return ReplaceAll(s, u">", u"&gt;");
}

std::u16string UnescapeHTMLToText(std::u16string_view html) {
  if (html.find(u'&') == std::u16string_view::npos) {
    return std::u16string(html);
  }
  std::u16string s = ReplaceAll(html, u"&lt;", u"<");
  s = ReplaceAll(s, u"&gt;", u">");
  return ReplaceAll(s, u"&amp;", u"&");
}

}  // namespace vornel
