#include "htmltext/gdi/gdi_text_surface.h"

#include <gtest/gtest.h>

#include "gdi_fixture.h"
#include "htmltext/gdi/html_text.h"
#include "htmltext/gdi/tahoma_fallback.h"

namespace vornel {
namespace {

TQxFont Tahoma8(bool bold) {
  TQxFont font;
  font.Style = bold ? fsBold : 0;
  return font;
}

TEST(GdiTextSurfaceTest, TahomaMeasuresAsOnWindows) {
  ASSERT_TRUE(FontFamilyInstalled(L"Tahoma"));
  TGdiTextSurface surface;
  EXPECT_EQ(surface.FontHeight(8), -11);  // at 96 dots per inch
  struct TCase {
    bool Bold;
    int Width;
  } const cases[] = {{false, 65}, {true, 78}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Bold ? "bold" : "regular");
    const TTextExtent extent = surface.TextExtent(Tahoma8(c.Bold), u"[Start] Tarvo");
    EXPECT_EQ(extent.Width, c.Width);
    EXPECT_EQ(extent.Height, 13);  // Tahoma's; a substitute face is 12 high
    EXPECT_EQ(surface.SpaceHeight(Tahoma8(c.Bold)), 13);
  }
  EXPECT_EQ(surface.TextExtent(Tahoma8(false), u"").Width, 0);
  // Measuring again after the fonts were forgotten gives the same.
  surface.Clear();
  EXPECT_EQ(surface.TextExtent(Tahoma8(true), u"[Start] Tarvo").Width, 78);
}

TEST(GdiTextSurfaceTest, BoldIsVisiblyBold) {
  TTestWindow window;
  TPixels drawn[2];
  for (bool bold : {false, true}) {
    TVqHTMLText label(window.Handle(), RECT{10, 10 + 20 * bold, 200, 23 + 20 * bold});
    label.SetColor(clWhite);
    label.SetAutoWidth(true);
    label.SetAutoHeight(true);
    label.SetText(bold ? u"<B>[Start] Tarvo</B>" : u"[Start] Tarvo");
    Pump(std::chrono::milliseconds(3 * TVqHTMLText::PaintIntervalMs));  // the frame's end
    EXPECT_EQ(label.Size().cx, bold ? 78 : 65);
    EXPECT_EQ(label.Size().cy, 13);
    drawn[bold] = Pixels(label.Handle(), false);
  }
  const TPixels& regular = drawn[0];
  const TPixels& bold = drawn[1];
  ASSERT_GT(regular.DarkCount(), 50);
  // Emboldened strokes are a pixel wider: clearly more ink, spread wider.
  EXPECT_GE(bold.DarkCount() * 10, regular.DarkCount() * 13)
      << bold.DarkCount() << " dark pixels bold, " << regular.DarkCount() << " regular";
  EXPECT_GE(bold.InkWidth(), regular.InkWidth() + 8);
  EXPECT_LE(regular.InkWidth(), 65);
  EXPECT_LE(bold.InkWidth(), 78);
}

}  // namespace
}  // namespace vornel
