// The window as the system sees it: every control read back through the window
// interfaces (class, place, text, style, visibility, font) against the expected
// tables of support/window_design.h, and the window's behaviour: pages, focus
// and keys, the busy cursor, the error box of an exception, closing.
#include "installer/win32/window/main_install_form.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "htmltext/gdi/gdi_fixture.h"
#include "htmltext/gdi/html_text.h"
#include "installer/support/fresh_form.h"
#include "installer/support/recording_environment.h"
#include "installer/support/window_design.h"
#include "installer/win32/window/installer_application.h"
#include "installer/win32/window/message_loop.h"
#include "platform/exception.h"
#include "platform/text.h"
#include "support/temp_dir.h"

namespace vornel {
namespace {

using namespace std::chrono_literals;

class TApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { FApplication = std::make_unique<TInstallerApplication>(); }
  void TearDown() override { FApplication.reset(); }

 private:
  std::unique_ptr<TInstallerApplication> FApplication;
};

[[maybe_unused]] ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new TApplicationEnvironment);

std::string Utf8(const std::wstring& text) {
  return ToUtf8(std::u16string(text.begin(), text.end()));
}

std::wstring Wide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The window's rectangle in its parent's client pixels.
RECT PlaceOf(HWND window) {
  RECT place{};
  GetWindowRect(window, &place);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&place), 2);
  return place;
}

LONG StyleOf(HWND window) {
  return GetWindowLongW(window, GWL_STYLE);
}

// A window for an executable of that name; nothing is started on close.
class TFormFixture {
 public:
  explicit TFormFixture(const std::u16string& executable = u"C:\\Vornel\\InstallTarvo.exe") {
    Form = std::make_unique<TMainInstallForm>(
        State, test::RecordingEnvironment(executable, StartedScript));
    Form->OnClosed = [this] { ++Closed; };
  }
  HWND Find(std::string_view name) const { return Form->Control(name); }
  void ShowAndSettle() {
    Form->Show();
    Pump(100ms);
  }

  TInstallerState State;
  std::u16string StartedScript;
  int Closed = 0;
  std::unique_ptr<TMainInstallForm> Form;
};

using test::DesignControls;
using test::DesignLabels;
using test::TDesignControl;
using test::TDesignLabel;

// The native window of a control, by its name's prefix: its class, its type
// style (BS_ of a button, SS_ of a static) and whether Tab stops at it.
struct TNativeKind {
  const wchar_t* Class;
  LONG Type;
  bool TabStop;
};

TNativeKind NativeKindOf(std::string_view name) {
  if (name.starts_with("B_"))
    return {L"Button", BS_PUSHBUTTON, true};
  if (name.starts_with("ChB_"))
    return {L"Button", BS_AUTOCHECKBOX, true};
  if (name.starts_with("ArPB_"))
    return {L"msctls_progress32", 0, false};
  if (name == "Label1")
    return {L"Static", SS_CENTER, false};
  return {L"Static", SS_LEFT, false};
}

// Whether every window from this one up to the top-level one has WS_VISIBLE,
// which IsWindowVisible reads.
bool OnShownPage(HWND window) {
  return IsWindowVisible(window) != FALSE;
}

class Win32WindowTest : public ::testing::Test {
 protected:
  // Geometry at 96 dots per inch, scaled as the window scales it.
  static RECT Scaled(const TMainInstallForm& form, RECT r) {
    return {form.Scale(r.left), form.Scale(r.top), form.Scale(r.right), form.Scale(r.bottom)};
  }
};

TEST_F(Win32WindowTest, WindowAsBuilt) {
  TFormFixture f;
  f.ShowAndSettle();
  HWND w = f.Form->Handle();
  EXPECT_EQ(ClassOf(w), L"TMainInstallForm");
  RECT client{};
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, f.Form->Scale(594));
  EXPECT_EQ(client.bottom, f.Form->Scale(269));
  const LONG style = StyleOf(w);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);      // the close box
  EXPECT_TRUE(style & WS_MINIMIZEBOX);  // minimised while the set's program runs
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);  // fixed size
  EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  EXPECT_TRUE(IsWindowVisible(w));
  // Centred on the screen's work area.
  RECT work{}, frame{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(w, &frame);
  EXPECT_LE(std::abs((frame.left + frame.right) - (work.left + work.right)), 2);
  EXPECT_LE(std::abs((frame.top + frame.bottom) - (work.top + work.bottom)), 2);
  // Tahoma 8 points, as the system has it or as the program brings it.
  auto* font = reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0));
  LOGFONTW log{};
  ASSERT_NE(font, nullptr);
  GetObjectW(font, sizeof(log), &log);
  EXPECT_EQ(log.lfHeight, -f.Form->Scale(11));
  EXPECT_STREQ(log.lfFaceName, L"Tahoma");
  EXPECT_TRUE(FontFamilyInstalled(L"Tahoma"));
}

// The system's dots per inch, which the run's environment may name (a desktop
// set to another scale), and the window's geometry scaled to them.
TEST_F(Win32WindowTest, ScaledToTheSystemDpi) {
  const char* expected = std::getenv("VORNEL_EXPECT_DPI");
  TFormFixture f;
  f.ShowAndSettle();
  EXPECT_EQ(f.Form->Dpi(), expected ? std::atoi(expected) : 96);
  RECT client{};
  GetClientRect(f.Form->Handle(), &client);
  EXPECT_EQ(client.right, MulDiv(594, f.Form->Dpi(), 96));
  EXPECT_EQ(client.bottom, MulDiv(269, f.Form->Dpi(), 96));
  const RECT start = PlaceOf(f.Find("B_StartK1"));
  EXPECT_EQ(start.right - start.left, MulDiv(75, f.Form->Dpi(), 96));
}

TEST_F(Win32WindowTest, ControlsAsBuilt) {
  TFormFixture f;
  f.ShowAndSettle();
  for (const TDesignControl& row : DesignControls) {
    SCOPED_TRACE(row.Name);
    HWND c = f.Find(row.Name);
    ASSERT_NE(c, nullptr);
    const TNativeKind kind = NativeKindOf(row.Name);
    EXPECT_EQ(GetParent(c), f.Find(row.Parent));
    EXPECT_EQ(_wcsicmp(ClassOf(c).c_str(), kind.Class), 0) << Utf8(ClassOf(c));
    const RECT place = PlaceOf(c);
    const RECT expected =
        Scaled(*f.Form, {row.Left, row.Top, row.Left + row.Width, row.Top + row.Height});
    EXPECT_EQ(place.left, expected.left);
    EXPECT_EQ(place.top, expected.top);
    EXPECT_EQ(place.right, expected.right);
    EXPECT_EQ(place.bottom, expected.bottom);
    const LONG style = StyleOf(c);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_EQ((style & WS_VISIBLE) != 0, row.Visible);
    EXPECT_TRUE(IsWindowEnabled(c));
    EXPECT_EQ((style & WS_TABSTOP) != 0, kind.TabStop);
    if (row.Text) {
      EXPECT_EQ(TextOf(c), Wide(row.Text));
    }
    if (_wcsicmp(kind.Class, L"Button") == 0) {
      EXPECT_EQ(style & BS_TYPEMASK, kind.Type);
    }
    if (_wcsicmp(kind.Class, L"Static") == 0 && row.Text) {
      EXPECT_EQ(style & SS_TYPEMASK, kind.Type);
    }
  }
  // What page 0 shows after start-up: the title, the picture, "Start".
  for (const char* shown : {"Label1", "Image1", "B_StartK1", "P_Step1"})
    EXPECT_TRUE(OnShownPage(f.Find(shown))) << shown;
  for (const char* hidden : {"B_StornoDown", "ArPB_Down", "B_RozbalK2", "ChB_Zaloha", "B_InstalK3"})
    EXPECT_FALSE(OnShownPage(f.Find(hidden))) << hidden;
  EXPECT_EQ(SendMessageW(f.Find("ChB_Zaloha"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  for (const char* name : {"ArPB_Down", "ArPB_Main"}) {
    HWND bar = f.Find(name);
    PBRANGE range{};
    SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0) << name;
    EXPECT_EQ(range.iHigh, 100) << name;
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 0) << name;
    EXPECT_FALSE(StyleOf(bar) & PBS_VERTICAL) << name;
  }
  // The fonts: Tahoma 8 points, the title 10 points.
  const struct {
    const char* Name;
    int Height;
  } fonts[] = {{"Label1", 13}, {"B_StartK1", 11}, {"ChB_Zaloha", 11}, {"B_Storno", 11}};
  for (const auto& font : fonts) {
    LOGFONTW log{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(f.Find(font.Name), WM_GETFONT, 0, 0)),
               sizeof(log), &log);
    EXPECT_EQ(log.lfHeight, -f.Form->Scale(font.Height)) << font.Name;
    EXPECT_STREQ(log.lfFaceName, L"Tahoma") << font.Name;
    EXPECT_LT(log.lfWeight, FW_BOLD) << font.Name;
  }
}

TEST_F(Win32WindowTest, LabelsAsBuilt) {
  TFormFixture f;
  f.ShowAndSettle();
  for (const TDesignLabel& row : DesignLabels) {
    SCOPED_TRACE(row.Name);
    HWND c = f.Find(row.Name);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(ClassOf(c), L"VornelHTMLText");
    EXPECT_EQ(GetParent(c), f.Find(row.Parent));
    const RECT place = PlaceOf(c);
    EXPECT_EQ(place.left, f.Form->Scale(row.Left));
    EXPECT_EQ(place.top, f.Form->Scale(row.Top));
    if (row.Width) {
      EXPECT_EQ(place.right - place.left, f.Form->Scale(row.Width));
    }
    EXPECT_GT(place.bottom - place.top, 0);
    EXPECT_EQ((StyleOf(c) & WS_VISIBLE) != 0, row.Visible);
    const TVqHTMLText* label = f.Form->Label(row.Name);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Handle(), c);
    EXPECT_EQ(label->Font().Name, u"Tahoma");
    // Points at 96 dots per inch: 11 pixels are 8 points, 13 pixels 10.
    EXPECT_EQ(label->Font().Size, row.PixelHeight == 13 ? 10 : 8);
    EXPECT_EQ(label->Font().Has(fsBold), row.Bold);
    // Sized to its text's height (and the step numbers to its width).
    EXPECT_EQ(label->Size().cy, label->TextHeight());
    if (!row.Width) {
      EXPECT_EQ(label->Size().cx, label->TextWidth());
    }
  }
}

TEST_F(Win32WindowTest, StepNumbersAreBoldAndAsLargeAsTheirText) {
  TFormFixture f;
  f.ShowAndSettle();
  for (const char* name : {"HTMText_KrokN1", "HTMText_KrokN2", "HTMText_KrokN3"}) {
    SCOPED_TRACE(name);
    HWND c = f.Find(name);
    RECT client{};
    GetClientRect(c, &client);
    // "1." in bold 10-point Tahoma: about 12 x 16 pixels, as designed.
    EXPECT_GE(client.right, f.Form->Scale(8));
    EXPECT_LE(client.right, f.Form->Scale(16));
    EXPECT_GE(client.bottom, f.Form->Scale(13));
    EXPECT_LE(client.bottom, f.Form->Scale(18));
  }
}

TEST_F(Win32WindowTest, IntroductionGrowsToItsTextAndKeepsItsWidth) {
  for (const char16_t* executable : {u"C:\\v\\InstallTarvo.exe", u"C:\\v\\InstallKveloWin.exe"}) {
    TFormFixture f(executable);
    TVqHTMLText* intro = f.Form->Label(TControl::HTMText_Uvod);
    EXPECT_EQ(intro->Size().cx, f.Form->Scale(378));
    EXPECT_EQ(intro->Size().cy, intro->TextHeight());
    EXPECT_EQ(intro->LineCount(), 2);
  }
}

TEST_F(Win32WindowTest, ThePictureIsDrawn) {
  TFormFixture f;
  f.ShowAndSettle();
  const TPixels pixels = Pixels(f.Find("Image1"), false);
  ASSERT_EQ(pixels.Width, f.Form->Scale(184));
  ASSERT_EQ(pixels.Height, f.Form->Scale(250));
  // The green arrow, and the button face where the picture is transparent.
  int green = 0;
  for (std::uint32_t p : pixels.Data) {
    const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    green += (g > 120 && r < 120 && b < 120) ? 1 : 0;
  }
  EXPECT_GT(green, 500);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const std::uint32_t faceRgb = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
  EXPECT_EQ(pixels.At(0, 0), faceRgb);
}

// The title panel draws its bottom edge as a flat line below the title's text,
// which shows on the panel's own background.
TEST_F(Win32WindowTest, TheTitleLiesOnItsPanelAboveTheBevel) {
  TFormFixture f;
  f.ShowAndSettle();
  const TPixels title = Pixels(f.Find("P_Title"), true);
  ASSERT_EQ(title.Height, f.Form->Scale(22));
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  const std::uint32_t shadowRgb =
      (GetRValue(shadow) << 16) | (GetGValue(shadow) << 8) | GetBValue(shadow);
  for (int x : {0, title.Width / 2, title.Width - 1})
    EXPECT_EQ(title.At(x, title.Height - 1), shadowRgb) << x;
  EXPECT_GT(title.DarkCount(), 200);  // the text
}

// The three products and a name of none of them, as executables of any case.
TEST_F(Win32WindowTest, FormCreateForEachIdentity) {
  for (const test::TDesignIdentity& row : test::DesignIdentities) {
    for (const char16_t* extension : {u".exe", u".EXE"}) {
      const std::u16string executable = std::u16string(u"C:\\v\\") + row.Name + extension;
      SCOPED_TRACE(ToUtf8(executable));
      TFormFixture f(executable);
      EXPECT_EQ(TextOf(f.Form->Handle()), Wide(row.Caption));
      test::ExpectFreshForm(*f.Form, f.State, row.Product, u"C:\\v\\");
    }
  }
  // The identity ignores the letters' case.
  TFormFixture upper(u"C:\\v\\INSTALLTARVONET.EXE");
  EXPECT_EQ(upper.State.IDApp, u"INSTALLTARVONET");
}

TEST_F(Win32WindowTest, OnePageIsShownAtATime) {
  TFormFixture f;
  f.ShowAndSettle();
  const char* pages[] = {"TS_Step1", "TS_Step2", "TS_Step3"};
  const char* buttons[] = {"B_StartK1", "B_RozbalK2", "B_InstalK3"};
  for (int shown : {TS_Step2, TS_Step3, TS_Step1, TS_Step3}) {
    SCOPED_TRACE(shown);
    f.Form->ShowPage(shown);
    EXPECT_EQ(f.Form->PageIndex(), shown);
    for (int page = 0; page < 3; ++page) {
      EXPECT_EQ(IsWindowVisible(f.Find(pages[page])) != FALSE, page == shown) << pages[page];
      EXPECT_EQ(IsWindowVisible(f.Find(buttons[page])) != FALSE, page == shown) << buttons[page];
    }
    // The keyboard focus follows onto the page's first control.
    EXPECT_EQ(GetFocus(), f.Find(buttons[shown]));
  }
}

TEST_F(Win32WindowTest, TabOrderOfEveryPage) {
  TFormFixture f;
  f.ShowAndSettle();
  HWND w = f.Form->Handle();
  auto next = [&](const char* name) { return GetNextDlgTabItem(w, f.Find(name), FALSE); };
  f.Form->SetVisible(TControl::B_StornoDown, true);
  EXPECT_EQ(next("B_StartK1"), f.Find("B_StornoDown"));
  EXPECT_EQ(next("B_StornoDown"), f.Find("B_StartK1"));
  f.Form->ShowPage(TS_Step2);
  EXPECT_EQ(next("B_RozbalK2"), f.Find("ChB_Zaloha"));
  EXPECT_EQ(next("ChB_Zaloha"), f.Find("B_RozbalK2"));
  f.Form->ShowPage(TS_Step3);
  f.Form->SetVisible(TControl::B_Storno, true);
  EXPECT_EQ(next("B_InstalK3"), f.Find("B_Storno"));
  // Later siblings lie below in the z-order: the success text above the failure.
  HWND above = f.Find("HTMText_InfoSetup_OK");
  bool failureBelow = false;
  for (HWND w2 = GetWindow(above, GW_HWNDNEXT); w2 != nullptr; w2 = GetWindow(w2, GW_HWNDNEXT))
    failureBelow = failureBelow || w2 == f.Find("HTMText_InfoSetup_NoOK");
  EXPECT_FALSE(failureBelow);
}

// The layout's name of a window, for messages.
std::string NameOf(const TFormFixture& f, HWND window) {
  for (const TLayoutControl& row : WindowLayout()) {
    if (f.Find(row.Name) == window)
      return std::string(row.Name);
  }
  return window == f.Form->Handle() ? "the window" : Utf8(ClassOf(window));
}

// Posts a key press and its release to the focused control and lets the
// window's own pump (with its dialog navigation) handle them.
void PressKey(TFormFixture& f, UINT key) {
  HWND focus = GetFocus();
  PostMessageW(focus, WM_KEYDOWN, key, 0x00390001);
  PostMessageW(focus, WM_KEYUP, key, static_cast<LPARAM>(0xC0390001u));
  HandlePendingMessages(f.Form->Handle());
}

TEST_F(Win32WindowTest, StartHasTheFocusAndSpaceClicksIt) {
  TFormFixture f;
  int starts = 0, cancels = 0;
  f.Form->OnClick(TControl::B_StartK1, [&] { ++starts; });
  f.Form->OnClick(TControl::B_StornoDown, [&] { ++cancels; });
  f.ShowAndSettle();
  ASSERT_EQ(GetFocus(), f.Find("B_StartK1"));
  PressKey(f, VK_SPACE);
  EXPECT_EQ(starts, 1);
  // Tab goes on to "Storno" when it is shown; Space clicks that one.
  f.Form->SetVisible(TControl::B_StornoDown, true);
  PressKey(f, VK_TAB);
  EXPECT_EQ(GetFocus(), f.Find("B_StornoDown")) << NameOf(f, GetFocus());
  PressKey(f, VK_SPACE);
  EXPECT_EQ(cancels, 1);
  EXPECT_EQ(starts, 1);
  // Hiding the focused control passes the focus on.
  f.Form->SetVisible(TControl::B_StornoDown, false);
  EXPECT_EQ(GetFocus(), f.Find("B_StartK1"));
}

TEST_F(Win32WindowTest, BusyCursorOverEveryControl) {
  TFormFixture f;
  f.ShowAndSettle();
  const HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  auto cursorOver = [&](const char* name) {
    HWND c = f.Find(name);
    SetCursor(nullptr);
    SendMessageW(c, WM_SETCURSOR, reinterpret_cast<WPARAM>(c), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  const char* controls[] = {"MainInstallForm", "B_StartK1", "HTMText_Krok1",
                            "HTMText_Uvod",    "P_Image",   "Label1"};
  f.Form->SetBusyCursor(true);
  EXPECT_EQ(GetCursor(), wait);
  for (const char* name : controls)
    EXPECT_EQ(cursorOver(name), wait) << name;
  f.Form->SetBusyCursor(false);
  for (const char* name : controls)
    EXPECT_EQ(cursorOver(name), arrow) << name;
}

// The message boxes shown while a call runs: caption, text, whether the error
// icon is there; each one is answered with OK.
struct TBox {
  std::wstring Caption;
  std::wstring Text;
  bool ErrorIcon = false;
};

class TBoxCatcher {
 public:
  TBoxCatcher() {
    FActive = this;
    FTimer = SetTimer(nullptr, 0, 20, Poll);
  }
  ~TBoxCatcher() {
    KillTimer(nullptr, FTimer);
    FActive = nullptr;
  }
  std::vector<TBox> Boxes;

 private:
  static BOOL CALLBACK Collect(HWND window, LPARAM) {
    if (ClassOf(window) != L"#32770" || !IsWindowVisible(window))
      return TRUE;
    TBox box;
    box.Caption = TextOf(window);
    box.Text = TextOf(GetDlgItem(window, 0xFFFF));
    const HICON error = LoadIconW(nullptr, IDI_ERROR);
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      if ((StyleOf(child) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child) &&
          ClassOf(child) == L"Static") {
        box.ErrorIcon = box.ErrorIcon ||
                        reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0)) == error;
      }
    }
    FActive->Boxes.push_back(box);
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
  }
  static void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD) {
    if (FActive != nullptr)
      EnumThreadWindows(GetCurrentThreadId(), Collect, 0);
  }
  static inline TBoxCatcher* FActive = nullptr;
  UINT_PTR FTimer = 0;
};

// Clicks the button as the system reports a click to the window.
void Click(TFormFixture& f, TControl button) {
  HWND c = f.Form->Control(button);
  SendMessageW(f.Form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), BN_CLICKED),
               reinterpret_cast<LPARAM>(c));
}

TEST_F(Win32WindowTest, AnExceptionOfAHandlerReachesOneErrorBox) {
  TFormFixture f;
  f.ShowAndSettle();
  int after = 0;
  f.Form->OnClick(TControl::B_StartK1, [] { throw Exception(u"Socket Error # 10061"); });
  f.Form->OnClick(TControl::B_RozbalK2, [] { throw EAbort(); });
  f.Form->OnClick(TControl::B_InstalK3, [] { throw Exception(u"Ends in a dot."); });
  f.Form->OnClick(TControl::B_StornoDown, [&] { ++after; });
  TBoxCatcher catcher;
  Click(f, TControl::B_StartK1);
  Click(f, TControl::B_RozbalK2);  // silent
  Click(f, TControl::B_InstalK3);
  Click(f, TControl::B_StornoDown);  // the loop goes on
  ASSERT_EQ(catcher.Boxes.size(), 2u);
  EXPECT_EQ(catcher.Boxes[0].Text, L"Socket Error # 10061.");
  EXPECT_EQ(catcher.Boxes[1].Text, L"Ends in a dot.");
  wchar_t module[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::wstring title = module;
  title = title.substr(title.find_last_of(L'\\') + 1);
  title = title.substr(0, title.find(L'.'));
  for (const TBox& box : catcher.Boxes) {
    EXPECT_EQ(box.Caption, title);
    EXPECT_TRUE(box.ErrorIcon);
  }
  EXPECT_EQ(after, 1);
}

TEST_F(Win32WindowTest, MessageBoxHasNoIcon) {
  TFormFixture f;
  f.ShowAndSettle();
  TBoxCatcher catcher;
  f.Form->MessageBox(u"Instalace byla dokončena.");
  ASSERT_EQ(catcher.Boxes.size(), 1u);
  EXPECT_EQ(catcher.Boxes[0].Text, L"Instalace byla dokončena.");
  EXPECT_FALSE(catcher.Boxes[0].ErrorIcon);
}

TEST_F(Win32WindowTest, ViewOperationsReachTheControls) {
  TFormFixture f;
  TInstallerView& view = *f.Form;
  view.SetVisible(TControl::B_Storno, true);
  EXPECT_TRUE(StyleOf(f.Find("B_Storno")) & WS_VISIBLE);
  view.SetEnabled(TControl::B_InstalK3, false);
  EXPECT_FALSE(IsWindowEnabled(f.Find("B_InstalK3")));
  view.SetButtonCaption(TControl::B_InstalK3, u"Dokončit");
  EXPECT_EQ(TextOf(f.Find("B_InstalK3")), L"Dokončit");
  EXPECT_EQ(view.ButtonCaption(TControl::B_InstalK3), u"Dokončit");
  view.SetCaption(u"Vornel: ř");
  EXPECT_EQ(TextOf(f.Form->Handle()), L"Vornel: ř");

  HWND down = f.Find("ArPB_Down");
  view.SetProgressMax(TControl::ArPB_Down, 250);
  EXPECT_EQ(view.ProgressMax(TControl::ArPB_Down), 250);
  view.SetProgressPosition(TControl::ArPB_Down, 300);  // stops at the end
  EXPECT_EQ(SendMessageW(down, PBM_GETPOS, 0, 0), 250);
  view.SetProgressPosition(TControl::ArPB_Down, -5);
  EXPECT_EQ(SendMessageW(down, PBM_GETPOS, 0, 0), 0);
  view.SetProgressPosition(TControl::ArPB_Down, 200);
  view.SetProgressMax(TControl::ArPB_Down, 100);  // the position follows the end down
  EXPECT_EQ(SendMessageW(down, PBM_GETPOS, 0, 0), 100);
  ASSERT_NE(view.UnpackMeter(), nullptr);
  view.UnpackMeter()->DoProgress(42);
  EXPECT_EQ(SendMessageW(f.Find("ArPB_Main"), PBM_GETPOS, 0, 0), 42);

  view.SetLabelText(TControl::HTMText_InfoDown, u"a\r\nb");
  EXPECT_EQ(view.LabelLinesText(TControl::HTMText_InfoDown), u"a\r\nb\r\n");

  int clicks = 0;
  f.Form->OnBackupClick = [&] {
    ++clicks;
    EXPECT_EQ(view.BackupChecked(), clicks % 2 == 1);
  };
  view.SetBackupChecked(true);
  EXPECT_EQ(SendMessageW(f.Find("ChB_Zaloha"), BM_GETCHECK, 0, 0), BST_CHECKED);
  view.SetBackupChecked(true);  // no change, no click
  view.SetBackupChecked(false);
  EXPECT_EQ(clicks, 2);
  // A click on the box itself ticks it and runs the handler.
  f.Form->ShowPage(TS_Step2);
  SendMessageW(f.Find("ChB_Zaloha"), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 3);
}

TEST_F(Win32WindowTest, MinimisedWhileTheSetsProgramRuns) {
  TFormFixture f;
  f.ShowAndSettle();
  f.Form->SetWindowState(wsMinimized);
  Pump(100ms);
  EXPECT_TRUE(IsIconic(f.Form->Handle()));
  f.Form->SetWindowState(wsNormal);
  Pump(100ms);
  EXPECT_FALSE(IsIconic(f.Form->Handle()));
  EXPECT_TRUE(IsWindowVisible(f.Form->Handle()));
}

std::wstring LongPath(const std::wstring& path) {
  std::wstring full(32768, L'\0');
  full.resize(GetLongPathNameW(path.c_str(), full.data(), static_cast<DWORD>(full.size())));
  return full;
}

// The system's folder picker: a dialog over the window; the folder typed into it
// is picked with OK, none with Cancel.
TEST_F(Win32WindowTest, TheFolderPickerPicksAFolderOrNone) {
  TFormFixture f;
  f.ShowAndSettle();
  testing::TTempDir temp;
  static std::wstring Typed;
  Typed = (temp.Path() / L"Záloha sady").wstring();
  ASSERT_TRUE(CreateDirectoryW(Typed.c_str(), nullptr));
  for (const int answer : {IDCANCEL, IDOK}) {
    SCOPED_TRACE(answer);
    static int Answer;
    static HWND Owner;
    static std::wstring Seen;
    static int Polls;  // while the dialog is up
    Answer = answer;
    Owner = f.Form->Handle();
    Seen.clear();
    Polls = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
      EnumThreadWindows(
          GetCurrentThreadId(),
          [](HWND window, LPARAM) -> BOOL {
            if (ClassOf(window) != L"#32770" || !IsWindowVisible(window) ||
                GetWindow(window, GW_OWNER) != Owner)
              return TRUE;
            ++Polls;
            if (Polls == 1) {
              Seen = TextOf(window);
              // The folder in the dialog's name field (its control 1152, edt1).
              if (Answer == IDOK)
                SetWindowTextW(GetDlgItem(window, 1152), Typed.c_str());
              PostMessageW(GetDlgItem(window, Answer), BM_CLICK, 0, 0);
            } else if (Polls == 100) {
              // Not closed by the answer: given up, so the test fails instead of waiting.
              PostMessageW(GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0);
            }
            return TRUE;
          },
          0);
    });
    const std::optional<std::u16string> folder = f.Form->PickFolder();
    KillTimer(nullptr, timer);
    EXPECT_FALSE(Seen.empty());  // the dialog was there, with a title
    EXPECT_LT(Polls, 100);
    if (answer == IDCANCEL) {
      EXPECT_EQ(folder, std::nullopt);
    } else {
      ASSERT_TRUE(folder.has_value());
      EXPECT_EQ(_wcsicmp(LongPath(Wide(*folder)).c_str(), LongPath(Typed).c_str()), 0)
          << ToUtf8(*folder);
    }
  }
}

TEST_F(Win32WindowTest, CloseIsRefusedWhileBusyAndWritesTheScriptOtherwise) {
  testing::TTempDir folder;
  const std::u16string executable = folder.Path().u16string() + u"\\InstallTarvo.exe";
  TFormFixture f(executable);
  f.ShowAndSettle();
  for (bool* busy : {&f.State.DownloadActive, &f.State.UnZipperActive}) {
    *busy = true;
    SendMessageW(f.Form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(f.Closed, 0);
    EXPECT_TRUE(IsWindowVisible(f.Form->Handle()));
    *busy = false;
  }
  EXPECT_TRUE(f.StartedScript.empty());
  f.Form->Close();
  EXPECT_EQ(f.Closed, 1);
  EXPECT_FALSE(IsWindowVisible(f.Form->Handle()));
  EXPECT_FALSE(f.StartedScript.empty());
}

}  // namespace
}  // namespace vornel
