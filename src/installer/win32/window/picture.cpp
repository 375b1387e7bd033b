#include "installer/win32/window/picture.h"

#include <wincodec.h>

#include <algorithm>
#include <cstdint>

#include "installer/win32/window/com_ptr.h"

namespace vornel {

TPicture::TPicture(const wchar_t* resourceName) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC resource = FindResourceW(module, resourceName, MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (resource == nullptr)
    return;
  HGLOBAL loaded = LoadResource(module, resource);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(module, resource);
  if (data == nullptr || size == 0)
    return;
  TComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(factory.Out()))))
    return;
  TComPtr<IWICStream> stream;
  if (FAILED(factory->CreateStream(stream.Out())) ||
      FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), size)))
    return;
  TComPtr<IWICBitmapDecoder> decoder;
  TComPtr<IWICBitmapFrameDecode> frame;
  TComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.Out())) ||
      FAILED(decoder->GetFrame(0, frame.Out())) ||
      FAILED(factory->CreateFormatConverter(converter.Out())) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)))
    return;
  UINT width = 0, height = 0;
  if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 || width > 4096 ||
      height > 4096)
    return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  TBitmapHandle bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr)
    return;
  const UINT stride = width * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits))))
    return;
  FBitmap = std::move(bitmap);
  FWidth = static_cast<int>(width);
  FHeight = static_cast<int>(height);
}

void TPicture::Draw(HDC dc, const RECT& area) const {
  if (Empty())
    return;
  const int areaWidth = area.right - area.left;
  const int areaHeight = area.bottom - area.top;
  if (areaWidth <= 0 || areaHeight <= 0)
    return;
  // The largest size of the picture's proportions that fits the area.
  int width = areaWidth;
  int height = MulDiv(FHeight, areaWidth, FWidth);
  if (height > areaHeight) {
    height = areaHeight;
    width = MulDiv(FWidth, areaHeight, FHeight);
  }
  const int left = area.left + (areaWidth - width) / 2;
  const int top = area.top + (areaHeight - height) / 2;
  TMemoryDC source(dc);
  TSelection select(source.Get(), FBitmap.get());
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(dc, left, top, width, height, source.Get(), 0, 0, FWidth, FHeight, blend);
}

}  // namespace vornel
