// The setup program of the demo installation set, for Windows: a window
// "Instalace demo" with "OK" (exit code 0, the installation succeeded) and
// "Chyba" (exit code 1, it failed). Closing the window counts as a failure.
#include <windows.h>

namespace {

constexpr int kOk = IDOK;
constexpr int kFailure = 100;

struct TOutcome {
  int ExitCode = 1;
};

HFONT DialogFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  return CreateFontIndirectW(&metrics.lfMessageFont);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* outcome = reinterpret_cast<TOutcome*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrW(
          window, GWLP_USERDATA,
          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
      break;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && (LOWORD(wParam) == kOk || LOWORD(wParam) == kFailure)) {
        outcome->ExitCode = LOWORD(wParam) == kOk ? 0 : 1;
        DestroyWindow(window);
        return 0;
      }
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND Child(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int x, int y,
           int width, int height, int id, HFONT font) {
  HWND child = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width,
                               height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  return child;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"DemoSetup";
  RegisterClassExW(&windowClass);

  TOutcome outcome;
  RECT frame{0, 0, 360, 110};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  AdjustWindowRect(&frame, style, FALSE);
  HWND window = CreateWindowExW(0, L"DemoSetup", L"Instalace demo", style, CW_USEDEFAULT,
                                CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                                nullptr, nullptr, instance, &outcome);
  HFONT font = DialogFont();
  Child(window, L"STATIC",
        L"Toto je ukázkový instalační program demo sady.\r\n"
        L"Tlačítkem OK ohlásí úspěch, tlačítkem Chyba neúspěch.",
        SS_LEFT, 12, 12, 336, 44, -1, font);
  HWND ok =
      Child(window, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 186, 72, 75, 25, kOk, font);
  Child(window, L"BUTTON", L"Chyba", WS_TABSTOP | BS_PUSHBUTTON, 273, 72, 75, 25, kFailure, font);
  ShowWindow(window, show);
  SetFocus(ok);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Return presses "OK" (IDOK), Tab moves between the buttons.
    if (!IsDialogMessageW(window, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  DeleteObject(font);
  return outcome.ExitCode;
}
