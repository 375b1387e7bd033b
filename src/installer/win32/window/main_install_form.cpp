#include "installer/win32/window/main_install_form.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "htmltext/gdi/html_text.h"
#include "installer/exception_handling.h"
#include "installer/identity.h"
#include "installer/label_lines.h"
#include "installer/win32/window/folder_picker.h"
#include "installer/win32/window/message_loop.h"
#include "installer/win32/window/picture.h"
#include "installer/win32/window/progress_bar.h"
#include "installer/win32/window/static_panel.h"
#include "installer/win32/window/taskbar_list_sink.h"
#include "platform/exception.h"
#include "platform/temp_folder.h"

namespace vornel {

namespace {

constexpr DWORD FormStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD FormExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
// Control ids: the row's index in the layout from here on.
constexpr int FirstId = 100;

const wchar_t* W(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::u16string WindowText(HWND window) {
  std::u16string text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, u'\0');
  const int length = GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()),
                                    static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(std::max(length, 0)));
  return text;
}

// The labels choose their cursor themselves (the hand over a link); while the
// window is busy it is the wait cursor there too. The subclass's reference data
// is the form.
LRESULT CALLBACK LabelCursorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                 UINT_PTR id, DWORD_PTR refData) {
  if (message == WM_SETCURSOR && reinterpret_cast<const TMainInstallForm*>(refData)->BusyCursor()) {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return TRUE;
  }
  if (message == WM_NCDESTROY)
    RemoveWindowSubclass(window, LabelCursorProc, id);
  return DefSubclassProc(window, message, wParam, lParam);
}

// The point size of a character height in pixels at 96 dots per inch.
int PointsOf(int pixelHeight) {
  return static_cast<int>(std::lround(pixelHeight * 72.0 / 96.0));
}

}  // namespace

TMainInstallForm::TMainInstallForm(TInstallerState& state, TInstallerEnvironment environment) {
  {
    TWindowDC screen(nullptr);
    if (screen.Get() != nullptr)
      FDpi = std::max(GetDeviceCaps(screen.Get(), LOGPIXELSY), 1);
  }
  Build();
  auto sink = std::make_unique<TTaskbarListSink>(FHandle);
  FTaskbarSink = sink.get();
  FTaskbar.SetSink(std::move(sink));
  FWizard = std::make_unique<TInstallerWizard>(state, *this, std::move(environment));
  OnClick(TControl::B_RozbalK2, [this] { FWizard->B_RozbalK2Click(); });
  OnBackupClick = [this] { FWizard->ChB_ZalohaClick(); };
  OnClick(TControl::B_StartK1, [this] { FWizard->B_StartK1Click(); });
  OnClick(TControl::B_StornoDown, [this] { FWizard->B_StornoDownClick(); });
  OnClick(TControl::B_InstalK3, [this] { FWizard->B_InstalK3Click(); });
  OnClick(TControl::B_Storno, [this] { FWizard->B_StornoClick(); });
  FWizard->FormCreate();
}

TMainInstallForm::~TMainInstallForm() {
  if (FBusyCursor)
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  FWizard.reset();
  // The controls that own their windows go first, then the window with the rest.
  FTaskbar.SetSink(nullptr);
  FTaskbarSink = nullptr;
  FLabels.clear();
  FBars.clear();
  if (FHandle != nullptr) {
    SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
    DestroyWindow(FHandle);
  }
}

void TMainInstallForm::Build() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW info{};
  info.cbSize = sizeof(info);
  if (!GetClassInfoExW(instance, ClassName, &info)) {
    info.lpfnWndProc = WindowProc;
    info.hInstance = instance;
    info.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    info.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    info.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    info.lpszClassName = ClassName;
    if (RegisterClassExW(&info) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
      throw Exception(u"The window class cannot be registered");
  }
  RECT frame{0, 0, Scale(WindowClientWidth), Scale(WindowClientHeight)};
  AdjustWindowRectEx(&frame, FormStyle, FALSE, FormExStyle);
  const std::u16string caption(WindowCaption);
  CreateWindowExW(FormExStyle, ClassName, W(caption), FormStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                  this);
  if (FHandle == nullptr)
    throw Exception(u"The window cannot be made");
  FTaskbarButtonCreated = RegisterWindowMessageW(L"TaskbarButtonCreated");
  // The shell's message reaches a program started with administrator rights too.
  if (FTaskbarButtonCreated != 0)
    ChangeWindowMessageFilterEx(FHandle, FTaskbarButtonCreated, MSGFLT_ALLOW, nullptr);
  SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(WindowFontHeight, false)), 0);
  FPicture = std::make_unique<TPicture>(L"PICTURE");
  FWindows[WindowName] = FHandle;
  int id = FirstId;
  for (const TLayoutControl& row : WindowLayout()) {
    HWND parent = Control(row.Parent);
    HWND control = MakeControl(row, parent, id);
    if (control == nullptr)
      throw Exception(u"The window's controls cannot be made");
    FWindows[row.Name] = control;
    FIds[row.Name] = id;
    if (row.Kind == TLayoutKind::lkPage)
      FPages.push_back(control);
    if (row.Kind == TLayoutKind::lkPlainLabel)
      FTitleLabel = control;
    if (row.Visible && (row.Kind != TLayoutKind::lkPage || FPages.size() == 1))
      ShowWindow(control, SW_SHOWNA);
    ++id;
  }
}

HWND TMainInstallForm::MakeControl(const TLayoutControl& row, HWND parent, int id) {
  const RECT place{Scale(row.Place.Left), Scale(row.Place.Top),
                   Scale(row.Place.Left + row.Place.Width),
                   Scale(row.Place.Top + row.Place.Height)};
  const std::u16string text = JoinedText(row, u"\r\n");
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HMENU menuId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
  const int fontHeight = row.FontHeight != 0 ? row.FontHeight : WindowFontHeight;
  HWND control = nullptr;
  auto makeChild = [&](const wchar_t* className, DWORD style) {
    return CreateWindowExW(0, className, W(text), WS_CHILD | WS_CLIPSIBLINGS | style, place.left,
                           place.top, place.right - place.left, place.bottom - place.top, parent,
                           menuId, instance, nullptr);
  };
  switch (row.Kind) {
    case TLayoutKind::lkPanel:
    case TLayoutKind::lkPageControl:
    case TLayoutKind::lkPage:
      control = CreateStaticPanel(parent, place, id, TPanelLook::plPlain);
      break;
    case TLayoutKind::lkTitlePanel:
      control = CreateStaticPanel(parent, place, id, TPanelLook::plTitle);
      break;
    case TLayoutKind::lkPicture:
      control = CreateStaticPanel(parent, place, id, TPanelLook::plPicture, FPicture.get());
      break;
    case TLayoutKind::lkPlainLabel:
      control = makeChild(L"STATIC", SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX);
      break;
    case TLayoutKind::lkButton:
      control = makeChild(L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP);
      break;
    case TLayoutKind::lkCheckBox:
      control = makeChild(L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP);
      break;
    case TLayoutKind::lkProgressBar: {
      auto bar = std::make_unique<TArProgressBar>(parent, place, id);
      bar->OnPump = [this] { PumpMessages(); };
      control = bar->Handle();
      FBars[row.Name] = std::move(bar);
      break;
    }
    case TLayoutKind::lkHTMLLabel: {
      auto label = std::make_unique<TVqHTMLText>(parent, place);
      label->BeginUpdate();
      TQxFont font;
      font.Name = std::u16string(WindowFontFamily);
      font.Size = PointsOf(fontHeight);
      font.Style = row.Bold ? static_cast<std::uint8_t>(fsBold) : std::uint8_t{0};
      font.Color = static_cast<TColor>(GetSysColor(COLOR_WINDOWTEXT));
      label->SetFont(font);
      if (row.ButtonFaceBackground)
        label->SetColor(static_cast<TColor>(GetSysColor(COLOR_BTNFACE)));
      label->SetAutoWidth(row.AutoWidth);
      label->SetAutoHeight(row.AutoHeight);
      label->SetLines(std::vector<std::u16string>(row.Lines.begin(), row.Lines.end()));
      // Built once, as when loading from the window description has finished.
      label->EndUpdate(true);
      label->OnException = [this](const std::exception&) { HandleException(*this); };
      control = label->Handle();
      SetWindowLongPtrW(control, GWLP_ID, id);
      SetWindowSubclass(control, LabelCursorProc, 0, reinterpret_cast<DWORD_PTR>(this));
      ShowWindow(control, SW_HIDE);
      FLabels[row.Name] = std::move(label);
      break;
    }
  }
  if (control != nullptr && row.Kind != TLayoutKind::lkHTMLLabel)
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(fontHeight, row.Bold)), 0);
  return control;
}

HFONT TMainInstallForm::FontOf(int height, bool bold) {
  const auto key = std::make_pair(height, bold);
  if (auto found = FFontsBySize.find(key); found != FFontsBySize.end())
    return found->second;
  const std::u16string family(WindowFontFamily);
  TFontHandle font(CreateFontW(-Scale(height), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                               FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, W(family)));
  HFONT handle = font.get();
  FFonts.push_back(std::move(font));
  FFontsBySize[key] = handle;
  return handle;
}

HWND TMainInstallForm::Control(std::string_view name) const {
  const auto found = FWindows.find(name);
  return found == FWindows.end() ? nullptr : found->second;
}

TVqHTMLText* TMainInstallForm::Label(std::string_view name) const {
  const auto found = FLabels.find(name);
  return found == FLabels.end() ? nullptr : found->second.get();
}

TArProgressBar& TMainInstallForm::Bar(TControl bar) const {
  return *FBars.at(ControlName(bar));
}

IArProgressMeter* TMainInstallForm::UnpackMeter() {
  return &Bar(TControl::ArPB_Main);
}

void TMainInstallForm::Show() {
  if (!FCentred) {
    FCentred = true;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT frame{};
    GetWindowRect(FHandle, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(FHandle, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(FHandle, SW_SHOWNORMAL);
  UpdateWindow(FHandle);
  FocusFirst();
}

void TMainInstallForm::OnClick(TControl button, std::function<void()> handler) {
  FClickHandlers[FIds.at(ControlName(button))] = std::move(handler);
}

void TMainInstallForm::Command(int id, int code) {
  if (code != BN_CLICKED)
    return;
  if (id == FIds.at(ControlName(TControl::ChB_Zaloha))) {
    ChB_ZalohaClick();
    return;
  }
  const auto found = FClickHandlers.find(id);
  if (found == FClickHandlers.end())
    return;
  // A copy: the handler may replace itself while it runs.
  const std::function<void()> handler = found->second;
  RunHandler(*this, handler);
}

void TMainInstallForm::ChB_ZalohaClick() {
  if (OnBackupClick)
    RunHandler(*this, OnBackupClick);
}

void TMainInstallForm::CloseRequested() {
  TCloseAction action = caFree;
  RunHandler(*this, [&] { FWizard->FormClose(action); });
  if (action == caNone)
    return;
  ShowWindow(FHandle, SW_HIDE);
  if (OnClosed)
    OnClosed();
}

void TMainInstallForm::FocusFirst() {
  HWND page = FPages.at(static_cast<size_t>(FPageIndex));
  for (const TLayoutControl& row : WindowLayout()) {
    if (row.Kind != TLayoutKind::lkButton && row.Kind != TLayoutKind::lkCheckBox)
      continue;
    HWND control = Control(row.Name);
    if (IsChild(page, control) && IsWindowVisible(control) && IsWindowEnabled(control)) {
      SetFocus(control);
      return;
    }
  }
  SetFocus(FHandle);
}

void TMainInstallForm::LeaveFocus(HWND control) {
  HWND focus = GetFocus();
  if (focus == nullptr || (focus != control && !IsChild(control, focus)))
    return;
  HWND next = GetNextDlgTabItem(FHandle, control, FALSE);
  if (next != nullptr && next != control && !IsChild(control, next)) {
    SetFocus(next);
  } else {
    SetFocus(FHandle);
  }
}

void TMainInstallForm::SetVisible(TControl control, bool visible) {
  HWND window = Control(control);
  if (!visible)
    LeaveFocus(window);
  ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
}

void TMainInstallForm::SetEnabled(TControl control, bool enabled) {
  HWND window = Control(control);
  if (!enabled)
    LeaveFocus(window);
  EnableWindow(window, enabled ? TRUE : FALSE);
}

std::u16string TMainInstallForm::Caption() {
  return WindowText(FHandle);
}

void TMainInstallForm::SetCaption(const std::u16string& caption) {
  SetWindowTextW(FHandle, W(caption));
}

std::u16string TMainInstallForm::ButtonCaption(TControl button) {
  return WindowText(Control(button));
}

void TMainInstallForm::SetButtonCaption(TControl button, const std::u16string& caption) {
  SetWindowTextW(Control(button), W(caption));
}

void TMainInstallForm::SetLabelText(TControl label, const std::u16string& markup) {
  Label(label)->SetText(markup);
}

std::u16string TMainInstallForm::LabelLinesText(TControl label) {
  return LinesText(Label(label)->Lines());
}

void TMainInstallForm::SetLabelLinesText(TControl label, const std::u16string& text) {
  Label(label)->SetLines(SplitLinesText(text));
}

void TMainInstallForm::ShowPage(int pageIndex) {
  if (pageIndex < 0 || pageIndex >= static_cast<int>(FPages.size()))
    return;
  HWND focus = GetFocus();
  const bool focusOnPage =
      focus != nullptr && IsChild(FPages[static_cast<size_t>(FPageIndex)], focus);
  FPageIndex = pageIndex;
  for (size_t i = 0; i < FPages.size(); ++i)
    ShowWindow(FPages[i], static_cast<int>(i) == pageIndex ? SW_SHOWNA : SW_HIDE);
  if (focusOnPage && IsWindowVisible(FHandle))
    FocusFirst();
}

void TMainInstallForm::SetBusyCursor(bool busy) {
  if (busy == FBusyCursor)
    return;
  FBusyCursor = busy;
  SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void TMainInstallForm::SetWindowState(TWindowState state) {
  ShowWindow(FHandle, state == wsMinimized ? SW_MINIMIZE : SW_RESTORE);
}

std::int32_t TMainInstallForm::ProgressMax(TControl bar) {
  return Bar(bar).Maximum();
}

void TMainInstallForm::SetProgressMax(TControl bar, std::int32_t maximum) {
  Bar(bar).SetMaximum(maximum);
}

void TMainInstallForm::SetProgressPosition(TControl bar, std::int32_t position) {
  Bar(bar).SetPosition(position);
}

void TMainInstallForm::PumpMessages() {
  const ULONGLONG now = GetTickCount64();
  if (FLastPump != 0 && now - FLastPump < PumpIntervalMs)
    return;
  HandlePendingMessages(FHandle);
  FLastPump = GetTickCount64();
}

void TMainInstallForm::MessageBox(const std::u16string& text) {
  const std::u16string title = ApplicationTitle(ExecutablePath());
  ::MessageBoxW(FHandle, W(text), W(title), MB_OK);
}

void TMainInstallForm::ErrorBox(const std::u16string& text) {
  const std::u16string title = ApplicationTitle(ExecutablePath());
  ::MessageBoxW(FHandle, W(text), W(title), MB_OK | MB_ICONERROR);
}

bool TMainInstallForm::BackupChecked() {
  return SendMessageW(Control(TControl::ChB_Zaloha), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TMainInstallForm::SetBackupChecked(bool checked) {
  if (checked == BackupChecked())
    return;
  SendMessageW(Control(TControl::ChB_Zaloha), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED,
               0);
  ChB_ZalohaClick();
}

std::optional<std::u16string> TMainInstallForm::PickFolder() {
  if (OnPickFolder)
    return OnPickFolder();
  return PickFolderDialog(FHandle);
}

void TMainInstallForm::Close() {
  SendMessageW(FHandle, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK TMainInstallForm::WindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<TMainInstallForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->FHandle = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TMainInstallForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr)
    return DefWindowProcW(window, message, wParam, lParam);
  // No exception crosses the system's code: it goes to the default handling here.
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    try {
      HandleException(*self);
    } catch (...) {
      // The error box itself failed; nothing more can be shown.
    }
    return 0;
  }
}

LRESULT TMainInstallForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (FTaskbarButtonCreated != 0 && message == FTaskbarButtonCreated) {
    if (FTaskbarSink != nullptr)
      FTaskbarSink->ButtonCreated();
    return 0;
  }
  switch (message) {
    case WM_COMMAND:
      if (lParam != 0)
        Command(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      // The title's text lies on its panel, whose bevel runs along the bottom.
      if (reinterpret_cast<HWND>(lParam) == FTitleLabel) {
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
      }
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SETCURSOR:
      if (FBusyCursor) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_TIMER:
      if (wParam == TTaskbarListSink::TimerId && FTaskbarSink != nullptr) {
        FTaskbarSink->TimerFired();
        return 0;
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus == nullptr || focus == FHandle || !IsChild(FHandle, focus))
          FocusFirst();
        return 0;
      }
      break;
    case WM_CLOSE:
      CloseRequested();
      return 0;
    case WM_SETFONT:
      FFont = reinterpret_cast<HFONT>(wParam);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(FFont);
    case WM_NEXTDLGCTL:
      // What the dialog navigation (Tab, Shift+Tab) asks of the window.
      if (LOWORD(lParam) != 0) {
        SetFocus(reinterpret_cast<HWND>(wParam));
      } else if (HWND next = GetNextDlgTabItem(FHandle, GetFocus(), wParam != 0)) {
        SetFocus(next);
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcW(FHandle, message, wParam, lParam);
}

}  // namespace vornel
