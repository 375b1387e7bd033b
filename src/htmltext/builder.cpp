#include "htmltext/builder.h"

#include "htmltext/char_utils.h"
#include "htmltext/def_tokens.h"
#include "htmltext/escape.h"
#include "htmltext/label.h"
#include "htmltext/tokens_process.h"
#include "platform/text.h"

namespace vornel {

namespace {

bool StartsWithNbr(std::u16string_view s) {
  return s.size() >= 5 && SameTextAscii(s.substr(0, 5), u"<NBR>");
}

}  // namespace

void TBuilder::ReadTokens() {
  LToken.clear();
  // About a word and a space per token: one allocation for a status line.
  std::size_t length = 0;
  for (const std::u16string& line : Lb.Lines) {
    length += line.size();
  }
  LToken.reserve(length / 4 + 8);
  // Every line ends with a line break, the last one too; a line that begins
  // with "<NBR>" continues the line before it. Each joined line is tokenized on
  // its own, so a "<" without a ">" on its line never swallows the line break.
  std::u16string joined;
  for (std::size_t i = 0; i < Lb.Lines.size(); ++i) {
    std::u16string_view line = Lb.Lines[i];
    if (i > 0) {
      if (StartsWithNbr(line)) {
        line.remove_prefix(5);
      } else {
        ReadLine(joined);
        joined.clear();
      }
    }
    joined.append(line);
  }
  if (!Lb.Lines.empty()) {
    ReadLine(joined);
  }
}

void TBuilder::ReadLine(std::u16string_view text) {
  // Lines set one by one may still hold CR LF pairs; they break like line ends.
  for (;;) {
    const std::size_t crlf = text.find(u"\r\n");
    std::u16string_view rest = text.substr(0, crlf);
    while (!rest.empty()) {
      const char16_t c = rest[0];
      if (c == u'<') {
        const std::size_t close = rest.find(u'>', 1);
        if (close == std::u16string_view::npos) {
          AddToken(TTokenKind::ttInvalid, false, 0, {});
          rest.remove_prefix(1);
        } else {
          if (!ProcessTag(rest.substr(1, close - 1))) {
            AddToken(TTokenKind::ttInvalid, false, 0, {});
          }
          rest.remove_prefix(close + 1);
        }
      } else if (c == u'>') {
        AddToken(TTokenKind::ttInvalid, false, 0, {});
        rest.remove_prefix(1);
      } else {
        const std::size_t pos = TCharUtils::FindNextWordBreakChar(rest);
        if (pos == 1) {
          AddToken(TTokenKind::ttText, false, -1, std::u16string(1, c));
          rest.remove_prefix(1);
        } else {
          const std::size_t n = pos == 0 ? rest.size() : pos - 1;
          AddToken(TTokenKind::ttText, false, 0, UnescapeHTMLToText(rest.substr(0, n)));
          rest.remove_prefix(n);
        }
      }
    }
    AddToken(TTokenKind::ttBreak, false, 0, {});
    if (crlf == std::u16string_view::npos) {
      return;
    }
    text.remove_prefix(crlf + 2);
    if (StartsWithNbr(text)) {
      // A joined continuation: drop the break just added.
      LToken.pop_back();
      text.remove_prefix(5);
    }
  }
}

bool TBuilder::ProcessTag(std::u16string_view tag) {
  const bool close = !tag.empty() && tag[0] == u'/';
  if (close) {
    tag.remove_prefix(1);
  }
  std::u16string_view name = tag;
  std::u16string_view par;
  bool hasPar = false;
  if (const std::size_t colon = tag.find(u':'); colon != std::u16string_view::npos) {
    name = tag.substr(0, colon);
    par = tag.substr(colon + 1);
    hasPar = true;
    if (par.empty() || close) {
      return false;
    }
  }
  const TDefToken* def = FindDefToken(AsciiUpperCase(name));
  if (def == nullptr) {
    return false;
  }
  if (!close) {
    if (hasPar && !def->AllowPar) {
      return false;
    }
    if (!hasPar && def->AllowPar && !def->OptionalPar) {
      return false;
    }
  } else if (def->Single) {
    return false;
  }
  std::int64_t value = 0;
  if (!close && hasPar && def->ProcValue != nullptr &&
      !def->ProcValue(par, Lb.SystemColors, value)) {
    return false;
  }
  AddToken(def->Kind, close, value, std::u16string(par));
  return true;
}

void TBuilder::AddToken(TTokenKind kind, bool tagClose, std::int64_t value, std::u16string text) {
  LToken.push_back(TToken{kind, tagClose, std::move(text), value});
}

void TBuilder::ProcessTokens() {
  TTokensProcess process(Lb, LToken);
  process.Execute();
  process.DefineVisualRect();
  process.Publish();
}

}  // namespace vornel
