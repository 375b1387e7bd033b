// Arbitrary text through the tokenizer and the layout on the fixed measuring
// surface. The first byte picks the label's settings; the rest is the markup,
// one line per "\n". Every spoiler is opened once for a second run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "htmltext/fixed_text_surface.h"
#include "htmltext/html_text_error.h"
#include "htmltext/label.h"
#include "platform/text.h"

namespace {

class TFuzzLabel : public vornel::TQxLabel {
 public:
  TFuzzLabel() : TQxLabel(FSurface) {}
  std::optional<vornel::TSize64> ImageListSize() const override { return vornel::TSize64{16, 16}; }

 private:
  vornel::TFixedTextSurface FSurface;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  const std::uint8_t flags = data[0];
  const std::u16string text =
      vornel::FromUtf8(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  TFuzzLabel label;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(u'\n', start);
    label.Lines.push_back(text.substr(start, end - start));
    if (end == std::u16string::npos) {
      break;
    }
    start = end + 1;
  }
  label.Settings.AutoWidth = flags & 1;
  label.Settings.AutoHeight = flags & 2;
  label.Settings.MaxWidth = (flags & 4) ? 120 : 0;
  label.Settings.LineVertAlign = static_cast<vornel::TVertAlign>((flags >> 3) % 3);
  label.Settings.OverallHorzAlign = static_cast<vornel::THorzAlign>((flags >> 5) % 3);
  label.Settings.OverallVertAlign = static_cast<vornel::TVertAlign>((flags >> 6) % 3);
  label.SetSize(200, 100);
  try {
    label.Rebuild();
    for (const auto& spoiler : label.Spoilers()) {
      spoiler->Expanded = true;
    }
    label.Rebuild();
  } catch (const vornel::EVqHTMLText&) {
    std::abort();  // an internal error is a fault of the layout
  }
  for (const auto& item : label.VisualItems()) {
    if (item->Rect.Right < item->Rect.Left || item->Rect.Bottom < item->Rect.Top) {
      std::abort();
    }
  }
  return 0;
}
