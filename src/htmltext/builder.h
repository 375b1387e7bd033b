// One tokenizer run over a label's lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "htmltext/token.h"

namespace vornel {

class TQxLabel;

class TBuilder {
 public:
  explicit TBuilder(TQxLabel& label) : Lb(label) {}

  // Fills the token list from the label's lines.
  void ReadTokens();
  // Turns one tag text without its angle brackets into a token; false when the
  // tag is not valid.
  bool ProcessTag(std::u16string_view tag);
  void AddToken(TTokenKind kind, bool tagClose, std::int64_t value, std::u16string text);
  // Lays the tokens out on the label.
  void ProcessTokens();

  const std::vector<TToken>& Tokens() const { return LToken; }

 private:
  void ReadLine(std::u16string_view line);

  TQxLabel& Lb;
  std::vector<TToken> LToken;
};

}  // namespace vornel
