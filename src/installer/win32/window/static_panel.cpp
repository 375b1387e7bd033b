#include "installer/win32/window/static_panel.h"

#include <commctrl.h>

#include "installer/win32/window/picture.h"

namespace vornel {

namespace {

// The subclass's id is the look, its reference data the picture.
void PaintPanel(HWND window, HDC dc, TPanelLook look, const TPicture* picture) {
  RECT client{};
  GetClientRect(window, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  if (look == TPanelLook::plTitle) {
    RECT edge = client;
    edge.top = edge.bottom - 1;
    FillRect(dc, &edge, GetSysColorBrush(COLOR_BTNSHADOW));
  }
  if (look == TPanelLook::plPicture && picture != nullptr)
    picture->Draw(dc, client);
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                           DWORD_PTR refData) {
  const auto look = static_cast<TPanelLook>(id);
  const auto* picture = reinterpret_cast<const TPicture*>(refData);
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      return SendMessageW(GetAncestor(window, GA_ROOT), message, wParam, lParam);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      PaintPanel(window, dc, look, picture);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintPanel(window, reinterpret_cast<HDC>(wParam), look, picture);
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, PanelProc, id);
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

HWND CreateStaticPanel(HWND parent, const RECT& place, int id, TPanelLook look,
                       const TPicture* picture) {
  // The title panel's label lets the panel's bevel show through, so that panel
  // paints below its child.
  const DWORD clip = look == TPanelLook::plTitle ? 0 : WS_CLIPCHILDREN;
  HWND panel = CreateWindowExW(
      WS_EX_CONTROLPARENT, L"STATIC", L"", WS_CHILD | WS_CLIPSIBLINGS | clip, place.left, place.top,
      place.right - place.left, place.bottom - place.top, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (panel == nullptr)
    return nullptr;
  if (!SetWindowSubclass(panel, PanelProc, static_cast<UINT_PTR>(look),
                         reinterpret_cast<DWORD_PTR>(picture))) {
    DestroyWindow(panel);
    return nullptr;
  }
  return panel;
}

}  // namespace vornel
