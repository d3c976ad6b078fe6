// Bitmaps loaded with some colours replaced by others, for glyphs drawn in
// placeholder colours that stand for the colours of the current look.
#include <algorithm>

#include "platform/Graphics.h"

HBITMAP CreateMappedBmp(HBITMAP Handle, const std::vector<TColor>& OldColors, const std::vector<TColor>& NewColors) {
  if (!Handle) return nullptr;
  BITMAP bm{};
  if (GetObjectW(Handle, sizeof(bm), &bm) == 0 || bm.bmWidth <= 0 || bm.bmHeight <= 0) return nullptr;
  const size_t n = std::min(OldColors.size(), NewColors.size());
  std::vector<COLORREF> from(n), to(n);
  for (size_t i = 0; i < n; ++i) {
    from[i] = static_cast<COLORREF>(ColorToRGB(OldColors[i]));
    to[i] = static_cast<COLORREF>(ColorToRGB(NewColors[i]));
  }
  // The first matching entry decides, as in a lookup table.
  auto map = [&](COLORREF c, COLORREF& out) {
    for (size_t i = 0; i < n; ++i)
      if (from[i] == c) {
        out = to[i];
        return true;
      }
    return false;
  };

  // A palette bitmap keeps its format and has its colour table mapped; any
  // other becomes 24-bit with its pixels mapped.
  const WORD bits = bm.bmBitsPixel * bm.bmPlanes <= 8 ? static_cast<WORD>(bm.bmBitsPixel * bm.bmPlanes) : 24;
  struct {
    BITMAPINFOHEADER Header;
    RGBQUAD Colors[256];
  } info{};
  info.Header.biSize = sizeof(BITMAPINFOHEADER);
  info.Header.biWidth = bm.bmWidth;
  info.Header.biHeight = bm.bmHeight;
  info.Header.biPlanes = 1;
  info.Header.biBitCount = bits;
  info.Header.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  void* pixels = nullptr;
  HBITMAP result =
      CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (!result || !pixels) {
    ReleaseDC(nullptr, screen);
    if (result) DeleteObject(result);
    return nullptr;
  }
  // Also fills the colour table of a palette format.
  const int lines = GetDIBits(screen, Handle, 0, static_cast<UINT>(bm.bmHeight), pixels,
                              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (lines == 0) {
    DeleteObject(result);
    return nullptr;
  }
  if (bits <= 8) {
    const UINT count = 1u << bits;
    for (UINT i = 0; i < count; ++i) {
      RGBQUAD& q = info.Colors[i];
      COLORREF c = RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
      if (map(c, c)) q = RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0};
    }
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, result);
    SetDIBColorTable(dc, 0, count, info.Colors);
    SelectObject(dc, old);
    DeleteDC(dc);
  } else {
    const size_t stride = (static_cast<size_t>(bm.bmWidth) * 3 + 3) & ~static_cast<size_t>(3);
    auto* row = static_cast<BYTE*>(pixels);
    for (LONG y = 0; y < bm.bmHeight; ++y, row += stride)
      for (LONG x = 0; x < bm.bmWidth; ++x) {
        BYTE* p = row + x * 3;
        COLORREF c = RGB(p[2], p[1], p[0]);
        if (map(c, c)) {
          p[0] = GetBValue(c);
          p[1] = GetGValue(c);
          p[2] = GetRValue(c);
        }
      }
    GdiFlush();
  }
  return result;
}

HBITMAP CreateMappedRes(HINSTANCE Instance, const std::string& ResName, const std::vector<TColor>& OldColors,
                        const std::vector<TColor>& NewColors) {
  std::wstring name = Utf8ToWide(ResName);
  auto source =
      static_cast<HBITMAP>(LoadImageW(Instance, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!source) return nullptr;
  HBITMAP result = CreateMappedBmp(source, OldColors, NewColors);
  DeleteObject(source);
  return result;
}
