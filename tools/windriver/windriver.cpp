// Drives the windows of other programs of the same Windows session from outside,
// one command a line on standard input, one line of JSON on standard output for
// each. Meant to run beside the program it drives (under Wine: in the same
// prefix), with a Python driver on the other end of the pipes.
//
//   windows                   the visible top-level windows:
//                             [{"hwnd","pid","class","title","minimized",
//                               "rect":[l,t,r,b]}]
//   controls HWND             every window below HWND, depth first, in z-order:
//                             [{"hwnd","parent","id","class","text","style",
//                               "exstyle","visible","enabled","rect","check",
//                               "pos","min","max"}]; rect in HWND's client
//                             coordinates, check for buttons (BM_GETCHECK),
//                             pos/min/max for progress bars
//   click HWND                BM_CLICK, posted (the target's handler may run a
//                             modal loop; the driver never waits for it)
//   close HWND                the close box: WM_SYSCOMMAND SC_CLOSE, posted
//   shot HWND FILE            HWND's client area (a top-level window or a
//                             control) as a 24-bit BMP file:
//                             {"width","height"}
//   temp                      the temporary folder of this session (long form)
//   quit                      ends the driver
// A command that fails answers {"error": "..."}.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "htmltext/gdi/gdi_handles.h"

namespace {

using vornel::TBitmapHandle;
using vornel::TMemoryDC;
using vornel::TSelection;
using vornel::TWindowDC;

std::string Utf8(const std::wstring& text) {
  if (text.empty())
    return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::wstring Wide(const std::string& text) {
  if (text.empty())
    return {};
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (const unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string Quoted(const std::wstring& text) {
  return Quoted(Utf8(text));
}

std::string Handle(HWND window) {
  return std::to_string(reinterpret_cast<std::uintptr_t>(window));
}

HWND ParseHandle(const std::string& text) {
  try {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::stoull(text)));
  } catch (const std::exception&) {
    return nullptr;
  }
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  const int length = GetClassNameW(window, name, 256);
  return std::wstring(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

// The window's own text as the system keeps it: for a window of another process
// nothing is sent to it, so a busy program is read without waiting for it.
std::wstring TextOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0)
    return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return text;
}

std::string RectJson(const RECT& r) {
  std::ostringstream out;
  out << "[" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "]";
  return out.str();
}

std::string Error(const std::string& what) {
  return "{\"error\":" + Quoted(what) + "}";
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::string Windows() {
  std::vector<HWND> windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  std::string out = "[";
  for (HWND window : windows) {
    if (!IsWindowVisible(window))
      continue;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    RECT rect{};
    GetWindowRect(window, &rect);
    if (out.size() > 1)
      out += ",";
    out += "{\"hwnd\":" + Handle(window) + ",\"pid\":" + std::to_string(pid) +
           ",\"class\":" + Quoted(ClassOf(window)) + ",\"title\":" + Quoted(TextOf(window)) +
           ",\"minimized\":" + (IsIconic(window) ? "true" : "false") +
           ",\"rect\":" + RectJson(rect) + "}";
  }
  return out + "]";
}

bool Is(const std::wstring& className, const wchar_t* name) {
  return CompareStringOrdinal(className.c_str(), -1, name, -1, TRUE) == CSTR_EQUAL;
}

std::string ControlJson(HWND top, HWND window) {
  const std::wstring className = ClassOf(window);
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&rect), 2);
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  std::ostringstream out;
  out << "{\"hwnd\":" << Handle(window) << ",\"parent\":" << Handle(GetParent(window))
      << ",\"id\":" << GetDlgCtrlID(window) << ",\"class\":" << Quoted(className)
      << ",\"text\":" << Quoted(TextOf(window)) << ",\"style\":" << static_cast<DWORD>(style)
      << ",\"exstyle\":" << static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE))
      << ",\"visible\":" << (IsWindowVisible(window) ? "true" : "false")
      << ",\"enabled\":" << (IsWindowEnabled(window) ? "true" : "false")
      << ",\"rect\":" << RectJson(rect);
  // Asked of check boxes and shown bars only: each question waits until the
  // program pumps its messages.
  const LONG_PTR kind = style & BS_TYPEMASK;
  if (Is(className, WC_BUTTONW) &&
      (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_3STATE ||
       kind == BS_AUTO3STATE || kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON)) {
    DWORD_PTR check = 0;
    SendMessageTimeoutW(window, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &check);
    out << ",\"check\":" << check;
  }
  if (Is(className, PROGRESS_CLASSW) && IsWindowVisible(window)) {
    DWORD_PTR pos = 0;
    DWORD_PTR low = 0;
    DWORD_PTR high = 0;
    SendMessageTimeoutW(window, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 2000, &pos);
    SendMessageTimeoutW(window, PBM_GETRANGE, TRUE, 0, SMTO_ABORTIFHUNG, 2000, &low);
    SendMessageTimeoutW(window, PBM_GETRANGE, FALSE, 0, SMTO_ABORTIFHUNG, 2000, &high);
    out << ",\"pos\":" << static_cast<int>(pos) << ",\"min\":" << static_cast<int>(low)
        << ",\"max\":" << static_cast<int>(high);
  }
  out << "}";
  return out.str();
}

void CollectChildren(HWND window, std::vector<HWND>& list) {
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    list.push_back(child);
    CollectChildren(child, list);
  }
}

std::string Controls(HWND top) {
  if (!IsWindow(top))
    return Error("no such window");
  std::vector<HWND> children;
  CollectChildren(top, children);
  std::string out = "[";
  for (HWND child : children) {
    if (out.size() > 1)
      out += ",";
    out += ControlJson(top, child);
  }
  return out + "]";
}

std::string Post(HWND window, UINT message, WPARAM wParam) {
  if (!IsWindow(window))
    return Error("no such window");
  if (!PostMessageW(window, message, wParam, 0))
    return Error("PostMessageW failed: " + std::to_string(GetLastError()));
  return "{}";
}

struct TFileCloser {
  void operator()(HANDLE file) const {
    if (file != INVALID_HANDLE_VALUE)
      CloseHandle(file);
  }
};
using TFile = std::unique_ptr<void, TFileCloser>;

// The client area as the screen shows it, copied from the top-level window's
// device context (the window surface that children draw into as well) into a
// bottom-up 24-bit image.
std::string Shot(HWND window, const std::string& file) {
  if (!IsWindow(window))
    return Error("no such window");
  RECT client{};
  GetClientRect(window, &client);
  const int width = client.right;
  const int height = client.bottom;
  if (width <= 0 || height <= 0)
    return Error("empty client area");
  HWND root = GetAncestor(window, GA_ROOT);
  POINT origin{0, 0};
  MapWindowPoints(window, root, &origin, 1);
  TWindowDC source(root);
  TMemoryDC memory(source.Get());
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  TBitmapHandle bitmap(CreateDIBSection(memory.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap)
    return Error("CreateDIBSection failed");
  TSelection selected(memory.Get(), bitmap.get());
  const BOOL copied =
      BitBlt(memory.Get(), 0, 0, width, height, source.Get(), origin.x, origin.y, SRCCOPY);
  GdiFlush();
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  const DWORD size = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER header{};
  header.bfType = 0x4d42;
  header.bfOffBits = sizeof header + sizeof info.bmiHeader;
  header.bfSize = header.bfOffBits + size;
  info.bmiHeader.biSizeImage = size;
  if (!copied)
    return Error("BitBlt failed");
  const TFile out(CreateFileW(Wide(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  const bool ok = out.get() != INVALID_HANDLE_VALUE &&
                  WriteFile(out.get(), &header, sizeof header, &written, nullptr) &&
                  WriteFile(out.get(), &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
                  WriteFile(out.get(), bits, size, &written, nullptr) && written == size;
  if (!ok)
    return Error("cannot write " + file);
  return "{\"width\":" + std::to_string(width) + ",\"height\":" + std::to_string(height) + "}";
}

std::string Temp() {
  wchar_t shortPath[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, shortPath);
  if (length == 0 || length > MAX_PATH)
    return Error("GetTempPathW failed");
  wchar_t longPath[32768] = {};
  const DWORD longLength = GetLongPathNameW(shortPath, longPath, 32768);
  const std::wstring path = longLength > 0 && longLength < 32768
                                ? std::wstring(longPath, longLength)
                                : std::wstring(shortPath, length);
  return "{\"path\":" + Quoted(path) + "}";
}

std::string Answer(const std::string& line, bool& quit) {
  std::istringstream in(line);
  std::string command;
  std::string handle;
  in >> command >> handle;
  if (command == "windows")
    return Windows();
  if (command == "temp")
    return Temp();
  if (command == "quit") {
    quit = true;
    return "{}";
  }
  HWND window = ParseHandle(handle);
  if (command == "controls")
    return Controls(window);
  if (command == "click")
    return Post(window, BM_CLICK, 0);
  if (command == "close")
    return Post(window, WM_SYSCOMMAND, SC_CLOSE);
  if (command == "shot") {
    std::string file;
    std::getline(in >> std::ws, file);
    return Shot(window, file);
  }
  return Error("unknown command: " + command);
}

}  // namespace

int main() {
  std::string line;
  bool quit = false;
  while (!quit && std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    std::cout << Answer(line, quit) << "\n" << std::flush;
  }
  return 0;
}
