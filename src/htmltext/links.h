// The links of a label: link references and spoilers.
#pragma once

#include <string>

namespace vornel {

class TQxBaseLink {
 public:
  virtual ~TQxBaseLink() = default;
};

// A link made by "A": its target and the text of its words.
class TQxLinkRef : public TQxBaseLink {
 public:
  explicit TQxLinkRef(std::u16string target) : Target(std::move(target)) {}
  std::u16string Target;
  std::u16string Text;
};

// A clickable spoiler title whose open state decides whether its details show.
class TQxSpoiler : public TQxBaseLink {
 public:
  explicit TQxSpoiler(std::u16string name) : Name(std::move(name)) {}
  std::u16string Name;
  bool Expanded = false;
};

}  // namespace vornel
