#include "htmltext/gdi/html_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gdi_fixture.h"
#include "htmltext/html_text_error.h"
#include "platform/text.h"
#include "support/label_words.h"
#include "support/link_click_log.h"

namespace vornel {
namespace {

using namespace std::chrono_literals;

// The labels are on a shown window, so a change made within a frame of the last
// paint is laid out with the next paint: Settle() lets that frame end.
class GdiHTMLTextTest : public ::testing::Test {
 protected:
  // One window for the whole suite: showing a window under Wine takes a while.
  static void SetUpTestSuite() { FWindow = std::make_unique<TTestWindow>(); }
  static void TearDownTestSuite() { FWindow.reset(); }

  // A label on the window at the given place, in the given font.
  TVqHTMLText& Label(RECT place, const TQxFont& font = {}) {
    FLabels.push_back(std::make_unique<TVqHTMLText>(FWindow->Handle(), place));
    FLabels.back()->SetFont(font);
    Settle();
    return *FLabels.back();
  }

  static void Settle() { Pump(std::chrono::milliseconds(3 * TVqHTMLText::PaintIntervalMs)); }

  static const TQxVisualItem& ItemOf(const TVqHTMLText& label, std::u16string_view text) {
    for (const auto& item : label.VisualItems()) {
      const auto* word = dynamic_cast<const TQxVisualItem_Word*>(item.get());
      if (word != nullptr && word->Text == text) {
        return *item;
      }
    }
    ADD_FAILURE() << "no word " << ToUtf8(text);
    return *label.VisualItems().front();
  }

  static POINT CenterOf(const TVqHTMLText& label, std::u16string_view text) {
    const TRect64& r = ItemOf(label, text).Rect;
    return {static_cast<LONG>((r.Left + r.Right) / 2), static_cast<LONG>((r.Top + r.Bottom) / 2)};
  }

  static void Move(TVqHTMLText& label, POINT point) {
    SendMessageW(label.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y));
  }

  // The cursor the label shows at the point.
  static HCURSOR CursorAt(TVqHTMLText& label, POINT point) {
    Move(label, point);
    SendMessageW(label.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(label.Handle()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  }

  static void LeftClick(TVqHTMLText& label, POINT point) {
    Move(label, point);
    SendMessageW(label.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    SendMessageW(label.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
  }

  static inline std::unique_ptr<TTestWindow> FWindow;
  std::vector<std::unique_ptr<TVqHTMLText>> FLabels;
};

constexpr char16_t kStatusLine[] =
    u"Stahuje se soubor <B>Tarvo2021_2021K1.zip</B> (velikost <B>412,375 MB</B>); rychlost "
    u"stahování <B>1,25 MB/s</B>; zbývající čas <B>00:05:29</B>.";

TEST_F(GdiHTMLTextTest, StatusLineHeightFollowsItsText) {
  TVqHTMLText& label = Label(RECT{20, 116, 369, 129});
  label.SetAutoHeight(true);
  struct TCase {
    const char16_t* Text;
    int Lines;
    int Height;
  } const cases[] = {
      {u" ", 1, 13},        {u"Začíná stahování Tarvo2021_2021K1.zip", 1, 13},
      {kStatusLine, 2, 26}, {u"Line one\r\nLine two\r\nLine three", 3, 39},
      {u"", 0, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(ToUtf8(c.Text));
    label.SetText(c.Text);
    Settle();
    EXPECT_EQ(label.LineCount(), c.Lines);
    EXPECT_EQ(label.Size().cy, c.Height);
    EXPECT_EQ(label.Size().cx, 349);  // the width stays
    for (const auto& item : label.VisualItems()) {
      EXPECT_LE(item->Rect.Right, 349);
    }
  }
  // The window itself has the size, at its place in the parent.
  label.SetText(kStatusLine);
  Settle();
  RECT place{};
  GetWindowRect(label.Handle(), &place);
  MapWindowPoints(HWND_DESKTOP, FWindow->Handle(), reinterpret_cast<POINT*>(&place), 2);
  EXPECT_EQ(place.left, 20);
  EXPECT_EQ(place.top, 116);
  EXPECT_EQ(place.bottom, 116 + 26);
}

TEST_F(GdiHTMLTextTest, StepNumbersAreAsWideAsTheirText) {
  TQxFont bold;
  bold.Size = 10;  // height -13
  bold.Style = fsBold;
  TGdiTextSurface surface;
  for (const char16_t* text : {u"1.", u"2.", u"3."}) {
    TVqHTMLText& label = Label(RECT{1, 2, 13, 18}, bold);
    label.SetAutoWidth(true);
    label.SetAutoHeight(true);
    label.SetText(text);
    Settle();
    EXPECT_EQ(label.Size().cx, surface.TextExtent(bold, text).Width);
    EXPECT_EQ(label.Size().cy, 16);
  }
}

// Each word's ink fills the width the layout gave it, whatever its letters:
// under Wine the embedded Tahoma draws accented letters from bitmaps that
// advance less than GDI measures them, which left gaps after such words.
TEST_F(GdiHTMLTextTest, GlyphsFillTheWidthTheLayoutGaveThem) {
  TVqHTMLText& label = Label(RECT{0, 0, 500, 13});
  label.SetColor(clWhite);
  label.SetText(
      u"n\u00e1sleduj\u00edc\u00edch <B>\u00fa\u010detn\u00edho</B> "
      u"pom\u016f\u017ee");
  Settle();
  const TPixels pixels = Pixels(label.Handle(), false);
  for (const char16_t* text :
       {u"n\u00e1sleduj\u00edc\u00edch", u"\u00fa\u010detn\u00edho", u"pom\u016f\u017ee"}) {
    SCOPED_TRACE(ToUtf8(text));
    const TRect64& r = ItemOf(label, text).Rect;
    int last = -1;
    for (int x = static_cast<int>(r.Left); x < r.Right && x < pixels.Width; ++x) {
      for (int y = 0; y < pixels.Height; ++y) {
        if (TPixels::Dark(pixels.At(x, y))) {
          last = x;
        }
      }
    }
    // A letter's right bearing is a pixel or two.
    EXPECT_GE(last, r.Right - 3) << "the word's ink ends at " << last << " of " << r.Left << ".."
                                 << r.Right;
  }
}

TEST_F(GdiHTMLTextTest, LinksShowTheHandAndOpenTheirTarget) {
  TVqHTMLText& label = Label(RECT{0, 0, 300, 60});
  label.SetLines({u"<A:vornel-test:one>first</A> <A>empty</A> plain"});
  Settle();
  std::vector<std::u16string> opened;
  label.Opener = [&](const std::u16string& target) { opened.push_back(target); };

  // The link's rectangle: left and top inclusive, right and bottom exclusive.
  const TRect64 r = ItemOf(label, u"first").Rect;
  const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  const auto X = [](std::int64_t v) { return static_cast<LONG>(v); };
  struct TCase {
    POINT Point;
    bool OnLink;
  } const cases[] = {
      {{X(r.Left), X(r.Top)}, true},      {{X(r.Right - 1), X(r.Bottom - 1)}, true},
      {{X(r.Right), X(r.Top)}, false},    {{X(r.Left), X(r.Bottom)}, false},
      {CenterOf(label, u"plain"), false}, {CenterOf(label, u"empty"), true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.Point.x << "," << c.Point.y);
    EXPECT_EQ(CursorAt(label, c.Point), c.OnLink ? hand : arrow);
    EXPECT_EQ(label.IsLinkHover(), c.OnLink);
  }
  // The mouse leaving the label leaves the link.
  CursorAt(label, CenterOf(label, u"first"));
  SendMessageW(label.Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(label.IsLinkHover());

  testing::TLinkClickLog log(label);
  for (const char16_t* word : {u"first", u"empty", u"plain"}) {
    LeftClick(label, CenterOf(label, word));
  }
  EXPECT_EQ(log.Clicks, 3);
  EXPECT_EQ(log.Seen, (std::vector<std::u16string>{u"first", u"empty"}));
  // A link without a target opens nothing.
  EXPECT_EQ(opened, (std::vector<std::u16string>{u"vornel-test:one"}));

  log.Handle = true;  // a handled click opens nothing
  LeftClick(label, CenterOf(label, u"first"));
  log.Handle = false;
  label.SetAutoOpenLink(false);
  LeftClick(label, CenterOf(label, u"first"));
  EXPECT_EQ(opened.size(), 1u);
  // A button released outside the label is no click.
  label.SetAutoOpenLink(true);
  Move(label, CenterOf(label, u"first"));
  SendMessageW(label.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(400, 10));
  EXPECT_EQ(opened.size(), 1u);
  LeftClick(label, CenterOf(label, u"first"));
  EXPECT_EQ(opened.size(), 2u);
}

TEST_F(GdiHTMLTextTest, SpoilerTitleOpensAndClosesItsDetails) {
  TVqHTMLText& label = Label(RECT{0, 0, 300, 60});
  label.SetLines({u"<SPOILER:s>More</SPOILER> plain", u"<SDETAIL:s>Detail</SDETAIL>"});
  Settle();
  for (bool open : {true, false}) {
    LeftClick(label, CenterOf(label, u"More"));
    ASSERT_EQ(label.Spoilers().size(), 1u);
    EXPECT_EQ(label.Spoilers()[0]->Expanded, open);
    Settle();  // the layout held back to the end of the frame
    EXPECT_EQ(testing::ShowsWord(label, u"Detail"), open);
  }

  int rightClicks = 0;
  label.OnLinkRightClick = [&](TVqHTMLText&, TQxBaseLink&, bool& handled) {
    EXPECT_FALSE(handled);
    ++rightClicks;
  };
  for (const char16_t* word : {u"More", u"plain"}) {
    const POINT point = CenterOf(label, word);
    Move(label, point);
    SendMessageW(label.Handle(), WM_RBUTTONUP, 0, MAKELPARAM(point.x, point.y));
  }
  EXPECT_EQ(rightClicks, 1);

  // A changed text forgets the spoilers.
  label.Spoilers()[0]->Expanded = true;
  label.SetText(u"<SPOILER:s>More</SPOILER>");
  Settle();
  ASSERT_EQ(label.Spoilers().size(), 1u);
  EXPECT_FALSE(label.Spoilers()[0]->Expanded);
}

TEST_F(GdiHTMLTextTest, FastChangesPaintOncePerFrameAndShowTheLastText) {
  TVqHTMLText& label = Label(RECT{20, 116, 369, 129});
  const int paintsBefore = label.PaintCount();
  const int rebuildsBefore = label.RebuildCount();
  const auto start = std::chrono::steady_clock::now();
  const auto elapsedMs = [&start] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
  };
  int changes = 0;
  std::u16string last;
  while (elapsedMs() < 200 || changes < 1000) {
    last = u"Stahuje se soubor <B>" + FromUtf8(std::to_string(changes++)) + u"</B>";
    label.SetText(last);
    EXPECT_EQ(label.Text(), last);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&message);
    }
  }
  const long long elapsed = elapsedMs();
  const int paints = label.PaintCount() - paintsBefore;
  EXPECT_GE(paints, 1);
  EXPECT_LE(paints, elapsed / TVqHTMLText::PaintIntervalMs + 2);
  EXPECT_LE(label.RebuildCount() - rebuildsBefore, elapsed / TVqHTMLText::PaintIntervalMs + 2);

  // After the frame's end the screen shows the last text, exactly as a label that
  // was given only that text.
  Pump(100ms);
  EXPECT_EQ(dynamic_cast<const TQxVisualItem_Word&>(*label.VisualItems().back()).Text,
            FromUtf8(std::to_string(changes - 1)));
  TVqHTMLText& reference = Label(RECT{20, 150, 369, 163});
  reference.SetText(last);
  Pump(100ms);
  const TPixels shown = Pixels(label.Handle(), true);
  EXPECT_GT(shown.DarkCount(), 50);
  EXPECT_TRUE(shown == Pixels(reference.Handle(), true));
  EXPECT_TRUE(shown == Pixels(label.Handle(), false));
}

TEST_F(GdiHTMLTextTest, UpdatesCollectIntoOneRebuild) {
  TVqHTMLText& label = Label(RECT{0, 0, 200, 20});
  const int before = label.RebuildCount();
  label.BeginUpdate();
  label.SetText(u"one");
  label.SetText(u"two");
  label.SetAutoHeight(true);
  EXPECT_EQ(label.RebuildCount(), before);
  label.EndUpdate(true);
  EXPECT_EQ(label.RebuildCount(), before + 1);
  EXPECT_EQ(label.Size().cy, 13);
  EXPECT_THROW(label.EndUpdate(true), EVqHTMLText);
}

TEST_F(GdiHTMLTextTest, PaintsOpaquelyInItsOwnColour) {
  TVqHTMLText& label = Label(RECT{0, 0, 100, 30});
  label.SetText(u"<BC:clRed>red</BC> text");
  label.SetColor(RGBToColor(0x10, 0x20, 0x30));
  Settle();
  const TPixels pixels = Pixels(label.Handle(), false);
  EXPECT_EQ(pixels.At(99, 29), 0x102030u);  // 0x00RRGGBB
  const TRect64 red = ItemOf(label, u"red").Rect;
  EXPECT_EQ(pixels.At(static_cast<int>(red.Left), static_cast<int>(red.Top)), 0xFF0000u);
}

}  // namespace
}  // namespace vornel
