#include "htmltext/gdi/html_text.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>

#include "htmltext/gdi/gdi_handles.h"
#include "htmltext/html_text_error.h"
#include "platform/win32/wide.h"

namespace vornel {

namespace {

constexpr wchar_t kClassName[] = L"VornelHTMLText";
constexpr UINT_PTR kPaintTimer = 1;

void ShellOpen(const std::u16string& target) {
  ShellExecuteW(nullptr, L"open", Wide(target), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

// The label as its layout sees it, answering with the window's client size.
class TVqHTMLText::TCore : public TQxLabel {
 public:
  TCore(TVqHTMLText& owner, ITextSurface& surface) : TQxLabel(surface), FOwner(owner) {}

  std::int64_t Width() const override { return FOwner.Size().cx; }
  std::int64_t Height() const override { return FOwner.Size().cy; }
  void SetSize(std::int64_t width, std::int64_t height) override {
    FOwner.ApplyTextSize(width, height);
  }

 private:
  TVqHTMLText& FOwner;
};

TVqHTMLText::TVqHTMLText(HWND parent, const RECT& place)
    : Opener(ShellOpen), FCore(std::make_unique<TCore>(*this, FSurface)) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW info{};
  info.cbSize = sizeof(info);
  if (!GetClassInfoExW(instance, kClassName, &info)) {
    info.lpfnWndProc = WindowProc;
    info.hInstance = instance;
    info.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    info.lpszClassName = kClassName;
    if (RegisterClassExW(&info) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
      throw EVqHTMLText(u"The label's window class cannot be registered");
    }
  }
  CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE, place.left, place.top,
                  place.right - place.left, place.bottom - place.top, parent, nullptr, instance,
                  this);
  if (FHandle == nullptr) {
    throw EVqHTMLText(u"The label's window cannot be made");
  }
}

TVqHTMLText::~TVqHTMLText() {
  if (FHandle != nullptr) {
    DestroyWindow(FHandle);
  }
}

void TVqHTMLText::LogUnhandled(const std::exception& error) {
  OutputDebugStringA(error.what());
}

// ---------------------------------------------------------------------------
// Properties

void TVqHTMLText::SetFont(const TQxFont& font) {
  if (Change(FFont, font)) {
    Modify(mfBuild | mfPaint);
  }
}

SIZE TVqHTMLText::Size() const {
  RECT client{};
  if (FHandle != nullptr) {
    GetClientRect(FHandle, &client);
  }
  return {client.right - client.left, client.bottom - client.top};
}

// ---------------------------------------------------------------------------
// Rebuilding

bool TVqHTMLText::StartFrameTimer(int milliseconds) {
  FTimerActive =
      SetTimer(FHandle, kPaintTimer, static_cast<UINT>(std::max(milliseconds, 1)), nullptr) != 0;
  return FTimerActive;
}

void TVqHTMLText::Rebuild() {
  NoteRebuilt();
  FCore->Settings.Font = FFont;
  FCore->Rebuild();
  ++FRebuildCount;
  FBuiltSize = Size();
}

void TVqHTMLText::ApplyTextSize(std::int64_t width, std::int64_t height) {
  const int w = static_cast<int>(std::clamp<std::int64_t>(width, 0, SHRT_MAX));
  const int h = static_cast<int>(std::clamp<std::int64_t>(height, 0, SHRT_MAX));
  const SIZE now = Size();
  if (w == now.cx && h == now.cy) {
    return;
  }
  FResizing = true;
  SetWindowPos(FHandle, nullptr, 0, 0, w, h,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  FResizing = false;
}

// ---------------------------------------------------------------------------
// Painting

void TVqHTMLText::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(FHandle, &ps);
  NotePainted();
  ++FPaintCount;
  if (dc != nullptr) {
    Guarded([this, dc] { PaintTo(dc); });
  }
  EndPaint(FHandle, &ps);
}

void TVqHTMLText::PaintTo(HDC dc) {
  const SIZE size = Size();
  if (size.cx <= 0 || size.cy <= 0) {
    return;
  }
  TMemoryDC image(dc);
  TBitmapHandle bitmap(CreateCompatibleBitmap(dc, size.cx, size.cy));
  if (image.Get() == nullptr || !bitmap) {
    return;
  }
  HDC canvas = image.Get();
  TSelection selectBitmap(canvas, bitmap.get());
  TSelection selectBrush(canvas, GetStockObject(DC_BRUSH));
  // The label is opaque: without a colour of its own it shows the dialog
  // background, but never the parent itself.
  const TColor background = Color();
  SetDCBrushColor(canvas, background != clNone ? background : GetSysColor(COLOR_BTNFACE));
  PatBlt(canvas, 0, 0, size.cx, size.cy, PATCOPY);
  SetBkMode(canvas, TRANSPARENT);
  SetTextAlign(canvas, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  for (const auto& item : FCore->VisualItems()) {
    const TItemLook look = LookOf(*item);
    const RECT rect{ToPixel(item->Rect.Left), ToPixel(item->Rect.Top), ToPixel(item->Rect.Right),
                    ToPixel(item->Rect.Bottom)};
    if (look.Fill != clNone) {
      SetDCBrushColor(canvas, look.Fill);
      PatBlt(canvas, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, PATCOPY);
    }
    if (const auto* word = dynamic_cast<const TQxVisualItem_Word*>(item.get())) {
      TSelection selectFont(canvas, FSurface.Font(look.Font));
      SetTextColor(canvas, look.Font.Color);
      const std::vector<INT>& advances = FSurface.Advances(look.Font, word->Text);
      // Unclipped, without prefix processing, each glyph where the measuring
      // put it.
      ExtTextOutW(canvas, rect.left, rect.top + ToPixel(word->YPos), 0, nullptr,
                  reinterpret_cast<const wchar_t*>(word->Text.data()),
                  static_cast<UINT>(advances.size()), advances.empty() ? nullptr : advances.data());
    } else if (dynamic_cast<const TQxVisualItem_Image*>(item.get()) != nullptr ||
               dynamic_cast<const TQxVisualItem_ImageResource*>(item.get()) != nullptr) {
      // No image list and no picture resources on this system yet: the place
      // stays as the layout left it.
    } else {
      RaiseInternalError(u"Invalid visual item object");
    }
  }
  BitBlt(dc, 0, 0, size.cx, size.cy, canvas, 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------------------
// Mouse

void TVqHTMLText::MouseAt(int x, int y) {
  BuildPending();
  std::shared_ptr<TQxBaseLink> found = FCore->LinkAt(x, y);
  if (found == FSelectedLink) {
    return;
  }
  SetCursor(LoadCursorW(nullptr, found ? IDC_HAND : IDC_ARROW));
  Hover(std::move(found));
  InvalidateRect(FHandle, nullptr, FALSE);
}

// ---------------------------------------------------------------------------
// Messages

LRESULT CALLBACK TVqHTMLText::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<TVqHTMLText*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->FHandle = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TVqHTMLText*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->FHandle = nullptr;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT TVqHTMLText::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  const auto inside = [this, point] {
    const SIZE size = Size();
    return point.x >= 0 && point.y >= 0 && point.x < size.cx && point.y < size.cy;
  };
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_PRINTCLIENT:
      Guarded([this, wParam] { PaintTo(reinterpret_cast<HDC>(wParam)); });
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    case WM_SIZE:
      // Resizes made by the label itself do not rebuild again; nor does a size
      // that the last layout already had.
      if (!FResizing) {
        const SIZE size = Size();
        if (size.cx != FBuiltSize.cx || size.cy != FBuiltSize.cy) {
          Guarded([this] { Modify(mfBuild); });
        }
      }
      return 0;
    case WM_TIMER:
      if (wParam == kPaintTimer) {
        KillTimer(FHandle, kPaintTimer);
        FTimerActive = false;
        Guarded([this] { FrameTimerFired(); });
        return 0;
      }
      break;
    case WM_MOUSEMOVE:
      if (!FTrackingMouse) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, FHandle, 0};
        FTrackingMouse = TrackMouseEvent(&track) != FALSE;
      }
      Guarded([this, point] { MouseAt(point.x, point.y); });
      return 0;
    case WM_MOUSELEAVE:
      FTrackingMouse = false;
      Guarded([this] { MouseAt(-1, -1); });
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, FSelectedLink ? IDC_HAND : IDC_ARROW));
        return TRUE;
      }
      break;
    case WM_LBUTTONUP:
      if (inside()) {
        Guarded([this] { Click(Opener); });
      }
      return 0;
    case WM_RBUTTONUP:
      if (inside()) {
        Guarded([this] { RightClick(); });
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcW(FHandle, message, wParam, lParam);
}

}  // namespace vornel
