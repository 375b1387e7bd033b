// The label as the tokenizer and the layout see it: its markup lines, the
// settings that shape the layout, and the results of the last layout run. The
// widget derives from it and supplies the window-system parts (its size, the
// image list, image resources); tests use it as it is.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "htmltext/color.h"
#include "htmltext/font.h"
#include "htmltext/geometry.h"
#include "htmltext/links.h"
#include "htmltext/text_surface.h"
#include "htmltext/visual_item.h"

namespace vornel {

enum class THorzAlign { haLeft, haCenter, haRight };
enum class TVertAlign { vaTop, vaCenter, vaBottom };

struct TQxLayoutSettings {
  TQxFont Font;
  bool AutoWidth = false;
  bool AutoHeight = false;
  int MaxWidth = 0;
  int LineSpacing = 0;
  int ListLevelPadding = 20;
  TVertAlign LineVertAlign = TVertAlign::vaTop;
  THorzAlign OverallHorzAlign = THorzAlign::haLeft;
  TVertAlign OverallVertAlign = TVertAlign::vaTop;
};

class TQxLabel {
 public:
  explicit TQxLabel(ITextSurface& surface) : FSurface(surface) {}
  virtual ~TQxLabel() = default;
  TQxLabel(const TQxLabel&) = delete;
  TQxLabel& operator=(const TQxLabel&) = delete;

  // The markup, one output line per line.
  std::vector<std::u16string> Lines;
  TQxLayoutSettings Settings;
  TSystemColors SystemColors;

  // Redoes tokenizing and layout from the whole text.
  void Rebuild();

  // Results of the last layout.
  const std::vector<std::unique_ptr<TQxVisualItem>>& VisualItems() const { return FItems; }
  const std::vector<std::shared_ptr<TQxLinkRef>>& LinkRefs() const { return FLinkRefs; }
  const std::vector<std::shared_ptr<TQxSpoiler>>& Spoilers() const { return FSpoilers; }
  std::int64_t TextWidth() const { return FTextWidth; }
  std::int64_t TextHeight() const { return FTextHeight; }
  int LineCount() const { return FLineCount; }

  // The link of the first item whose rectangle holds the point, or nullptr.
  std::shared_ptr<TQxBaseLink> LinkAt(std::int64_t x, std::int64_t y) const;

  // Forgets every spoiler (all closed); done when the text changes.
  void ClearSpoilers() { FSpoilers.clear(); }

  // The label's size; the widget reports its own geometry.
  virtual std::int64_t Width() const { return FWidth; }
  virtual std::int64_t Height() const { return FHeight; }
  virtual void SetSize(std::int64_t width, std::int64_t height) {
    FWidth = width;
    FHeight = height;
  }

  // The size of the images of the image list, nothing without an image list.
  virtual std::optional<TSize64> ImageListSize() const { return std::nullopt; }
  // The picture of an "IMGRES" tag; an empty picture when there is none.
  virtual std::shared_ptr<TQxPicture> RetrieveImgRes(const std::u16string& name);

  // Used by the layout run.
  ITextSurface& Surface() { return FSurface; }
  // Records the text size and sizes the label to it where it sizes itself.
  void SetTextSize(std::int64_t width, std::int64_t height);
  void SetLineCount(int count) { FLineCount = count; }
  void AddLinkRef(std::shared_ptr<TQxLinkRef> link) { FLinkRefs.push_back(std::move(link)); }
  // The spoiler of that name, made (closed) when there is none yet.
  std::shared_ptr<TQxSpoiler> FindOrAddSpoiler(const std::u16string& name);
  // The spoiler of that name, or nullptr.
  const TQxSpoiler* FindSpoiler(const std::u16string& name) const;
  void AddVisualItem(std::unique_ptr<TQxVisualItem> item) { FItems.push_back(std::move(item)); }
  // An empty word item: one of the last layout's, or a new one.
  std::unique_ptr<TQxVisualItem_Word> TakeWord();

 private:
  // A status line rebuilt for every block of a download would otherwise allocate
  // and free each of its words every time.
  static constexpr std::size_t kMaxSpareWords = 256;
  ITextSurface& FSurface;
  std::int64_t FWidth = 0;
  std::int64_t FHeight = 0;
  std::vector<std::unique_ptr<TQxVisualItem>> FItems;
  std::vector<std::unique_ptr<TQxVisualItem_Word>> FSpareWords;  // of the last layout
  std::vector<std::shared_ptr<TQxLinkRef>> FLinkRefs;
  std::vector<std::shared_ptr<TQxSpoiler>> FSpoilers;
  std::int64_t FTextWidth = 0;
  std::int64_t FTextHeight = 0;
  int FLineCount = 0;
};

}  // namespace vornel
