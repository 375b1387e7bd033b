#include "htmltext/gdi/tahoma_fallback.h"

#include <cwchar>

#include "htmltext/gdi/gdi_handles.h"
#include "htmltext/gdi/tahoma_resource.h"

namespace vornel {

namespace {

int CALLBACK NoteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

}  // namespace

bool FontFamilyInstalled(const wchar_t* family) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(wanted.lfFaceName, family, LF_FACESIZE - 1);
  bool found = false;
  TWindowDC screen(nullptr);
  EnumFontFamiliesExW(screen.Get(), &wanted, NoteFamily, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

TTahomaFallback::TTahomaFallback() {
  if (FontFamilyInstalled(L"Tahoma")) {
    return;
  }
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(VORNEL_TAHOMA_RESOURCE), RT_RCDATA);
  if (resource == nullptr) {
    return;
  }
  HGLOBAL loaded = LoadResource(module, resource);
  void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(module, resource);
  if (data == nullptr || size == 0) {
    return;
  }
  DWORD count = 0;
  FFont = AddFontMemResourceEx(data, size, nullptr, &count);
}

TTahomaFallback::~TTahomaFallback() {
  if (FFont != nullptr) {
    RemoveFontMemResourceEx(FFont);
  }
}

}  // namespace vornel
