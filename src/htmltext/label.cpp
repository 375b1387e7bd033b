#include "htmltext/label.h"

#include <typeinfo>

#include "htmltext/builder.h"

namespace vornel {

void TQxLabel::Rebuild() {
  for (std::unique_ptr<TQxVisualItem>& item : FItems) {
    if (FSpareWords.size() < kMaxSpareWords && typeid(*item) == typeid(TQxVisualItem_Word)) {
      FSpareWords.emplace_back(static_cast<TQxVisualItem_Word*>(item.release()));
    }
  }
  FItems.clear();
  FLinkRefs.clear();
  TBuilder builder(*this);
  builder.ReadTokens();
  builder.ProcessTokens();
}

std::unique_ptr<TQxVisualItem_Word> TQxLabel::TakeWord() {
  if (FSpareWords.empty()) {
    return std::make_unique<TQxVisualItem_Word>();
  }
  std::unique_ptr<TQxVisualItem_Word> word = std::move(FSpareWords.back());
  FSpareWords.pop_back();
  word->Rect = {};
  word->BColor = clNone;
  word->Link.reset();
  word->Text.clear();
  word->Font = TQxFont{};
  word->YPos = 0;
  return word;
}

std::shared_ptr<TQxBaseLink> TQxLabel::LinkAt(std::int64_t x, std::int64_t y) const {
  for (const auto& item : FItems) {
    if (item->Link && item->Rect.Contains(x, y)) {
      return item->Link;
    }
  }
  return nullptr;
}

std::shared_ptr<TQxPicture> TQxLabel::RetrieveImgRes(const std::u16string&) {
  return std::make_shared<TQxPicture>();
}

void TQxLabel::SetTextSize(std::int64_t width, std::int64_t height) {
  FTextWidth = width;
  FTextHeight = height;
  if (Settings.AutoWidth || Settings.AutoHeight) {
    SetSize(Settings.AutoWidth ? width : Width(), Settings.AutoHeight ? height : Height());
  }
}

std::shared_ptr<TQxSpoiler> TQxLabel::FindOrAddSpoiler(const std::u16string& name) {
  for (const auto& spoiler : FSpoilers) {
    if (spoiler->Name == name) {
      return spoiler;
    }
  }
  FSpoilers.push_back(std::make_shared<TQxSpoiler>(name));
  return FSpoilers.back();
}

const TQxSpoiler* TQxLabel::FindSpoiler(const std::u16string& name) const {
  for (const auto& spoiler : FSpoilers) {
    if (spoiler->Name == name) {
      return spoiler.get();
    }
  }
  return nullptr;
}

}  // namespace vornel
