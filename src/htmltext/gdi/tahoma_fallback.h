// Tahoma for systems that have none: the program's embedded regular Tahoma,
// registered for this process while the object lives. GDI draws its bold face
// by emboldening the regular outlines.
#pragma once

#include <windows.h>

namespace vornel {

// Whether the system has a font family of that name.
bool FontFamilyInstalled(const wchar_t* family);

class TTahomaFallback {
 public:
  // Registers the embedded font when the system has no Tahoma; when the
  // executable holds no such font, the system's substitute stays in use.
  TTahomaFallback();
  ~TTahomaFallback();
  TTahomaFallback(const TTahomaFallback&) = delete;
  TTahomaFallback& operator=(const TTahomaFallback&) = delete;

  // Whether the embedded font was registered.
  bool Registered() const { return FFont != nullptr; }

 private:
  HANDLE FFont = nullptr;
};

}  // namespace vornel
