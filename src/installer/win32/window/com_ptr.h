// A COM interface pointer, released with the object.
#pragma once

#include <windows.h>

namespace vornel {

template <typename T>
class TComPtr {
 public:
  TComPtr() = default;
  ~TComPtr() { Reset(); }
  TComPtr(const TComPtr&) = delete;
  TComPtr& operator=(const TComPtr&) = delete;

  // Where a call that hands out an interface stores it; the old one goes first.
  T** Out() {
    Reset();
    return &FPointer;
  }
  void Reset() {
    if (FPointer != nullptr)
      FPointer->Release();
    FPointer = nullptr;
  }
  T* operator->() const { return FPointer; }
  T* Get() const { return FPointer; }
  explicit operator bool() const { return FPointer != nullptr; }

 private:
  T* FPointer = nullptr;
};

}  // namespace vornel
