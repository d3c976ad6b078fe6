// TBitmap: a DIB section (or a device bitmap for pfDevice) with its canvas,
// pixel-format conversion, transparency mask and BMP streams.
#include <algorithm>
#include <unordered_map>

#include "platform/Graphics.h"

namespace {

constexpr Integer kMaxDimension = 0x7FFF * 2 + 1;  // 65535: more than any screen or file we accept

[[noreturn]] void InvalidBitmap() { throw EInvalidGraphic("Bitmap image is not valid"); }

Int64 StrideOf(Int64 w, Integer bpp) { return ((w * bpp + 31) / 32) * 4; }

RGBQUAD Quad(Byte r, Byte g, Byte b) {
  RGBQUAD q{};
  q.rgbRed = r;
  q.rgbGreen = g;
  q.rgbBlue = b;
  return q;
}

RGBQUAD QuadOf(COLORREF c) { return Quad(GetRValue(c), GetGValue(c), GetBValue(c)); }

Cardinal Key(const RGBQUAD& q) {
  return (static_cast<Cardinal>(q.rgbRed) << 16) | (static_cast<Cardinal>(q.rgbGreen) << 8) | q.rgbBlue;
}

Integer DeviceBitCount() { return 32; }

std::vector<RGBQUAD> DefaultTable(Integer bpp) {
  std::vector<RGBQUAD> t;
  if (bpp == 1) {
    t = {Quad(0, 0, 0), Quad(255, 255, 255)};
    return t;
  }
  // The 16 colours of the standard system palette.
  static const Byte vga[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                  {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                  {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                  {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
  for (auto& c : vga) t.push_back(Quad(c[0], c[1], c[2]));
  if (bpp == 4) return t;
  // 8 bits: add a 6x6x6 colour cube and a grey ramp.
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        t.push_back(Quad(static_cast<Byte>(r * 51), static_cast<Byte>(g * 51), static_cast<Byte>(b * 51)));
  for (int i = 1; t.size() < 256; ++i) {
    const Byte v = static_cast<Byte>(i * 10);
    t.push_back(Quad(v, v, v));
  }
  return t;
}

bool IsBlackWhite(const std::vector<RGBQUAD>& t) {
  if (t.size() < 2) return t.empty();
  return Key(t[0]) == 0 && Key(t[1]) == 0xFFFFFF;
}

// Nearest colour of a colour table, with a cache for repeated colours.
class ColorMatcher {
 public:
  explicit ColorMatcher(const std::vector<RGBQUAD>& table) : table_(table) {}
  Byte Match(const RGBQUAD& q) {
    const Cardinal k = Key(q);
    auto it = cache_.find(k);
    if (it != cache_.end()) return it->second;
    Byte best = 0;
    long bestD = -1;
    for (size_t i = 0; i < table_.size(); ++i) {
      const long dr = long(q.rgbRed) - table_[i].rgbRed, dg = long(q.rgbGreen) - table_[i].rgbGreen,
                 db = long(q.rgbBlue) - table_[i].rgbBlue;
      const long d = dr * dr + dg * dg + db * db;
      if (bestD < 0 || d < bestD) {
        bestD = d;
        best = static_cast<Byte>(i);
        if (d == 0) break;
      }
    }
    cache_.emplace(k, best);
    return best;
  }

 private:
  const std::vector<RGBQUAD>& table_;
  std::unordered_map<Cardinal, Byte> cache_;
};

Byte GetIndex(const Byte* row, Integer x, Integer bpp) {
  switch (bpp) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    default: return row[x];
  }
}

void SetIndex(Byte* row, Integer x, Integer bpp, Byte v) {
  switch (bpp) {
    case 1: {
      const Byte m = static_cast<Byte>(0x80 >> (x & 7));
      row[x >> 3] = static_cast<Byte>(v ? (row[x >> 3] | m) : (row[x >> 3] & ~m));
      break;
    }
    case 4:
      if (x & 1) row[x >> 1] = static_cast<Byte>((row[x >> 1] & 0xF0) | (v & 0x0F));
      else row[x >> 1] = static_cast<Byte>((row[x >> 1] & 0x0F) | (v << 4));
      break;
    default: row[x] = v; break;
  }
}

void UnpackRow(const Byte* row, Integer w, Integer bpp, bool is565, const std::vector<RGBQUAD>& table,
               RGBQUAD* out) {
  for (Integer x = 0; x < w; ++x) {
    RGBQUAD q{};
    switch (bpp) {
      case 1: case 4: case 8: {
        const Byte i = GetIndex(row, x, bpp);
        if (i < table.size()) q = table[i];
        q.rgbReserved = 0;
        break;
      }
      case 16: {
        const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
        if (is565) {
          const unsigned r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
          q = Quad(Byte((r << 3) | (r >> 2)), Byte((g << 2) | (g >> 4)), Byte((b << 3) | (b >> 2)));
        } else {
          const unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
          q = Quad(Byte((r << 3) | (r >> 2)), Byte((g << 3) | (g >> 2)), Byte((b << 3) | (b >> 2)));
        }
        break;
      }
      case 24: q = Quad(row[3 * x + 2], row[3 * x + 1], row[3 * x]); break;
      default: q = Quad(row[4 * x + 2], row[4 * x + 1], row[4 * x]); q.rgbReserved = row[4 * x + 3]; break;
    }
    out[x] = q;
  }
}

void PackRow(const RGBQUAD* in, Integer w, Integer bpp, bool is565, ColorMatcher* m, Byte* row) {
  for (Integer x = 0; x < w; ++x) {
    const RGBQUAD& q = in[x];
    switch (bpp) {
      case 1: case 4: case 8: SetIndex(row, x, bpp, m->Match(q)); break;
      case 16: {
        unsigned v;
        if (is565) v = ((q.rgbRed >> 3) << 11) | ((q.rgbGreen >> 2) << 5) | (q.rgbBlue >> 3);
        else v = ((q.rgbRed >> 3) << 10) | ((q.rgbGreen >> 3) << 5) | (q.rgbBlue >> 3);
        row[2 * x] = static_cast<Byte>(v);
        row[2 * x + 1] = static_cast<Byte>(v >> 8);
        break;
      }
      case 24: row[3 * x] = q.rgbBlue; row[3 * x + 1] = q.rgbGreen; row[3 * x + 2] = q.rgbRed; break;
      default:
        row[4 * x] = q.rgbBlue; row[4 * x + 1] = q.rgbGreen; row[4 * x + 2] = q.rgbRed;
        row[4 * x + 3] = q.rgbReserved;
        break;
    }
  }
}

// BITMAPINFO with room for a colour table or bit masks.
struct DibInfo {
  BITMAPINFOHEADER Header{};
  RGBQUAD Colors[256]{};
  BITMAPINFO* Get() { return reinterpret_cast<BITMAPINFO*>(this); }
};

void FillInfo(DibInfo& info, Integer w, Integer h, Integer bpp, bool is565, const std::vector<RGBQUAD>& table) {
  info.Header.biSize = sizeof(BITMAPINFOHEADER);
  info.Header.biWidth = w;
  info.Header.biHeight = h;
  info.Header.biPlanes = 1;
  info.Header.biBitCount = static_cast<WORD>(bpp);
  info.Header.biCompression = BI_RGB;
  if (bpp == 16 && is565) {
    info.Header.biCompression = BI_BITFIELDS;
    const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(info.Colors, masks, sizeof masks);
  }
  if (bpp <= 8) {
    const size_t n = std::min<size_t>(table.size(), size_t(1) << bpp);
    std::copy_n(table.begin(), n, info.Colors);
    info.Header.biClrUsed = static_cast<DWORD>(n);
  }
}

HBITMAP CreateDIB(Integer w, Integer h, Integer bpp, bool is565, const std::vector<RGBQUAD>& table, Byte** bits) {
  if (w > kMaxDimension || h > kMaxDimension || StrideOf(w, bpp) * h > 0x7FFFFFFF)
    throw EOutOfResources("Not enough storage is available to process this command.");
  DibInfo info;
  FillInfo(info, w, h, bpp, is565, table);
  void* p = nullptr;
  HBITMAP hb = ::CreateDIBSection(nullptr, info.Get(), DIB_RGB_COLORS, &p, nullptr, 0);
  if (hb == nullptr || p == nullptr) throw EOutOfResources();
  *bits = static_cast<Byte*>(p);
  return hb;
}

HBITMAP CreateDeviceBitmap(Integer w, Integer h, bool mono) {
  HBITMAP hb;
  if (mono) {
    hb = ::CreateBitmap(w, h, 1, 1, nullptr);
  } else {
    HDC screen = ::GetDC(nullptr);
    hb = ::CreateCompatibleBitmap(screen, w, h);
    ::ReleaseDC(nullptr, screen);
  }
  if (hb == nullptr) throw EOutOfResources();
  return hb;
}

// A memory DC with a bitmap selected for the lifetime of the object.
class ScopedMemDC {
 public:
  explicit ScopedMemDC(HBITMAP bitmap) : dc_(::CreateCompatibleDC(nullptr)) {
    if (dc_ == nullptr) throw EOutOfResources();
    old_ = ::SelectObject(dc_, bitmap);
  }
  ~ScopedMemDC() {
    ::SelectObject(dc_, old_);
    ::DeleteDC(dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

std::vector<PALETTEENTRY> EntriesOf(const std::vector<RGBQUAD>& t) {
  std::vector<PALETTEENTRY> e(t.size());
  for (size_t i = 0; i < t.size(); ++i) e[i] = PALETTEENTRY{t[i].rgbRed, t[i].rgbGreen, t[i].rgbBlue, 0};
  return e;
}

// A memory stream over a block it does not own, for parsing packed DIBs.
class BlockStream : public TCustomMemoryStream {
 public:
  BlockStream(const void* p, Int64 n) { SetPointer(const_cast<void*>(p), n); }
};

}  // namespace

// ---------------------------------------------------------------------------
// The bitmap's canvas: a memory DC with the bitmap (and its palette) selected.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* bitmap) : bitmap_(bitmap) {}
  ~TBitmapCanvas() override { FreeContext(); }

  // Locked: a painter thread may be drawing through this canvas.
  void FreeContext() {
    if (dc_ == nullptr) return;
    Lock();
    FreeContextLocked();
    Unlock();
  }

 private:
  void FreeContextLocked() {
    if (dc_ == nullptr) return;
    HDC dc = dc_;
    SetHandle(nullptr);
    if (oldBitmap_) ::SelectObject(dc, oldBitmap_);
    if (oldPalette_) ::SelectPalette(dc, oldPalette_, TRUE);
    ::DeleteDC(dc);
    dc_ = nullptr;
    oldBitmap_ = nullptr;
    oldPalette_ = nullptr;
  }

 protected:
  void CreateHandle() override {
    Lock();
    try {
      CreateHandleLocked();
    } catch (...) {
      Unlock();
      throw;
    }
    Unlock();
  }

 private:
  void CreateHandleLocked() {
    if (dc_ != nullptr) return;
    HDC dc = ::CreateCompatibleDC(nullptr);
    if (dc == nullptr) throw EOutOfResources();
    if (bitmap_->handle_ != nullptr) oldBitmap_ = ::SelectObject(dc, bitmap_->handle_);
    if (!bitmap_->ignorePalette_) {
      if (HPALETTE pal = bitmap_->Palette()) {
        oldPalette_ = ::SelectPalette(dc, pal, TRUE);
        ::RealizePalette(dc);
      }
    }
    dc_ = dc;
    SetHandle(dc);
  }

  TBitmap* bitmap_;
  HDC dc_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  HPALETTE oldPalette_ = nullptr;
};

// ---------------------------------------------------------------------------
TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  canvas_.reset();
  FreeMask();
  FreePaletteHandle();
  if (handle_ != nullptr) ::DeleteObject(handle_);
}

TCanvas* TBitmap::Canvas() {
  if (!canvas_) {
    canvas_ = std::make_unique<TBitmapCanvas>(this);
    canvas_->OnChanging = TNotifyEvent(this, &TBitmap::CanvasChanging);
    canvas_->OnChange = TNotifyEvent(this, &TBitmap::CanvasChanged);
  }
  return canvas_.get();
}

void TBitmap::CanvasChanging(TObject*) { FreeMask(); }
void TBitmap::CanvasChanged(TObject*) { Changed(this); }

void TBitmap::Changed(TObject* Sender) {
  FreeMask();
  TGraphic::Changed(Sender);
}

void TBitmap::FreeContext() {
  if (canvas_) canvas_->FreeContext();
}

void TBitmap::FreeMask() {
  if (mask_ != nullptr) {
    ::DeleteObject(mask_);
    mask_ = nullptr;
  }
}

void TBitmap::FreePaletteHandle() {
  if (palette_ != nullptr) {
    FreeContext();
    ::DeleteObject(palette_);
    palette_ = nullptr;
  }
}

void TBitmap::ClearImage() {
  FreeContext();
  FreeMask();
  FreePaletteHandle();
  if (handle_ != nullptr) ::DeleteObject(handle_);
  handle_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = 0;
  topDown_ = false;
}

Integer TBitmap::Stride() const { return static_cast<Integer>(StrideOf(width_, bitCount_)); }

Byte* TBitmap::Row(Integer Y) const {
  return bits_ + static_cast<ptrdiff_t>(topDown_ ? Y : height_ - 1 - Y) * Stride();
}

void TBitmap::ReadRowRGB(Integer Y, RGBQUAD* Out) {
  UnpackRow(Row(Y), width_, bitCount_, is565_, table_, Out);
}

// Replaces the DIB by one of the given format and size; the common area keeps
// its colours (converted to the new format), the rest gets the brush colour.
void TBitmap::NewImage(Integer W, Integer H, Integer Bpp, bool Is565, const std::vector<RGBQUAD>& Table, bool Keep) {
  W = std::max(W, 0);
  H = std::max(H, 0);
  HBITMAP nh = nullptr;
  Byte* nb = nullptr;
  std::vector<RGBQUAD> table = Bpp <= 8 ? Table : std::vector<RGBQUAD>();
  if (Bpp <= 8 && table.empty()) table = DefaultTable(Bpp);
  if (W > 0 && H > 0) {
    ::GdiFlush();
    nh = CreateDIB(W, H, Bpp, Is565, table, &nb);
    const Int64 nstride = StrideOf(W, Bpp);
    RGBQUAD fill = Quad(255, 255, 255);
    if (canvas_ && canvas_->Brush()->Style() != bsClear) fill = QuadOf(ColorToRGB(canvas_->Brush()->Color()));
    ColorMatcher matcher(table);
    std::vector<RGBQUAD> line(static_cast<size_t>(W));
    const bool haveOld = Keep && handle_ != nullptr && bits_ != nullptr;
    const Integer keepW = haveOld ? std::min(W, width_) : 0;
    const Integer keepH = haveOld ? std::min(H, height_) : 0;
    // Palettised to palettised: map indices, so equal palettes keep every index.
    const bool indexed = haveOld && Bpp <= 8 && bitCount_ <= 8;
    Byte indexMap[256] = {};
    if (indexed) {
      for (size_t i = 0; i < table_.size() && i < 256; ++i)
        indexMap[i] = (i < table.size() && Key(table[i]) == Key(table_[i])) ? static_cast<Byte>(i)
                                                                          : matcher.Match(table_[i]);
    }
    std::fill(line.begin(), line.end(), fill);
    std::vector<Byte> fillRow(static_cast<size_t>(nstride));
    PackRow(line.data(), W, Bpp, Is565, &matcher, fillRow.data());
    for (Integer y = 0; y < H; ++y) {
      Byte* dst = nb + static_cast<ptrdiff_t>(H - 1 - y) * nstride;
      std::memcpy(dst, fillRow.data(), static_cast<size_t>(nstride));
      if (y >= keepH || keepW == 0) continue;
      const Byte* src = Row(y);
      if (indexed) {
        for (Integer x = 0; x < keepW; ++x) SetIndex(dst, x, Bpp, indexMap[GetIndex(src, x, bitCount_)]);
      } else if (Bpp == bitCount_ && Is565 == is565_ && Bpp > 8) {
        // Only the kept pixels: the source's row padding must not land on new pixels.
        std::memcpy(dst, src, static_cast<size_t>(keepW) * static_cast<size_t>(Bpp / 8));
      } else {
        UnpackRow(src, keepW, bitCount_, is565_, table_, line.data());
        if (bitCount_ != 32) for (Integer x = 0; x < keepW; ++x) line[x].rgbReserved = 0;
        PackRow(line.data(), keepW, Bpp, Is565, &matcher, dst);
      }
    }
  }
  FreeContext();
  FreeMask();
  FreePaletteHandle();
  if (handle_ != nullptr) ::DeleteObject(handle_);
  handle_ = nh;
  bits_ = nb;
  width_ = W;
  height_ = H;
  bitCount_ = Bpp;
  is565_ = Bpp == 16 && Is565;
  topDown_ = false;
  table_ = std::move(table);
  handleType_ = bmDIB;
}

void TBitmap::DIBNeeded() {
  if (handleType_ == bmDIB) return;
  if (handle_ == nullptr) {
    handleType_ = bmDIB;
    if (bitCount_ != 1) bitCount_ = DeviceBitCount();
    table_ = bitCount_ == 1 ? DefaultTable(1) : std::vector<RGBQUAD>();
    return;
  }
  FreeContext();
  BITMAP bm{};
  ::GetObjectW(handle_, sizeof bm, &bm);
  const Integer bpp = bm.bmBitsPixel == 1 ? 1 : DeviceBitCount();
  const std::vector<RGBQUAD> table = bpp == 1 ? DefaultTable(1) : std::vector<RGBQUAD>();
  Byte* nb = nullptr;
  HBITMAP nh = CreateDIB(width_, height_, bpp, false, table, &nb);
  DibInfo info;
  FillInfo(info, width_, height_, bpp, false, table);
  HDC screen = ::GetDC(nullptr);
  ::GetDIBits(screen, handle_, 0, static_cast<UINT>(height_), nb, info.Get(), DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  FreeMask();
  ::DeleteObject(handle_);
  handle_ = nh;
  bits_ = nb;
  bitCount_ = bpp;
  is565_ = false;
  topDown_ = false;
  table_ = table;
  handleType_ = bmDIB;
}

void TBitmap::SetHandleType(TBitmapHandleType Value) {
  if (Value == handleType_) return;
  if (Value == bmDIB) {
    DIBNeeded();
    Changed(this);
    return;
  }
  const bool mono = Monochrome();
  if (bitCount_ <= 8 && !mono) keptTable_ = table_;
  if (handle_ != nullptr) {
    FreeContext();
    ::GdiFlush();
    HBITMAP ddb = CreateDeviceBitmap(width_, height_, mono);
    DibInfo info;
    FillInfo(info, width_, topDown_ ? -height_ : height_, bitCount_, is565_, table_);
    HDC screen = ::GetDC(nullptr);
    ::SetDIBits(screen, ddb, 0, static_cast<UINT>(height_), bits_, info.Get(), DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    FreeMask();
    FreePaletteHandle();
    ::DeleteObject(handle_);
    handle_ = ddb;
  }
  bits_ = nullptr;
  bitCount_ = mono ? 1 : DeviceBitCount();
  is565_ = false;
  topDown_ = false;
  table_ = mono ? DefaultTable(1) : std::vector<RGBQUAD>();
  handleType_ = bmDDB;
  Changed(this);
}

TPixelFormat TBitmap::PixelFormat() const {
  if (handleType_ == bmDDB) return pfDevice;
  switch (bitCount_) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16: return is565_ ? pf16bit : pf15bit;
    case 24: return pf24bit;
    case 32: return pf32bit;
    default: return pfCustom;
  }
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (Value == pfDevice) {
    SetHandleType(bmDDB);
    return;
  }
  static const Integer kBits[] = {0, 1, 4, 8, 16, 16, 24, 32, 0};
  const Integer bpp = kBits[Value];
  if (bpp == 0) throw EInvalidGraphic("Invalid pixel format");
  const bool is565 = Value == pf16bit;
  if (handleType_ == bmDIB && bpp == bitCount_ && is565 == is565_) return;
  DIBNeeded();
  std::vector<RGBQUAD> table;
  if (bpp <= 8) {
    const size_t max = size_t(1) << bpp;
    if (bitCount_ <= 8 && !table_.empty() && table_.size() <= max)
      table = table_;
    else if (!keptTable_.empty() && keptTable_.size() <= max)
      table = keptTable_;
    else
      table = DefaultTable(bpp);
  } else if (bitCount_ <= 8 && !table_.empty()) {
    keptTable_ = table_;
  }
  NewImage(width_, height_, bpp, is565, table, true);
  Changed(this);
}

bool TBitmap::Monochrome() const { return bitCount_ == 1 && IsBlackWhite(table_); }

void TBitmap::SetMonochrome(bool Value) {
  if (Value == Monochrome()) return;
  if (Value) {
    DIBNeeded();
    NewImage(width_, height_, 1, false, DefaultTable(1), true);
    Changed(this);
  } else {
    SetPixelFormat(pf32bit);
    SetHandleType(bmDDB);
  }
}

void TBitmap::SetWidth(Integer Value) { SetSize(Value, height_); }
void TBitmap::SetHeight(Integer Value) { SetSize(width_, Value); }

void TBitmap::SetSize(Integer AWidth, Integer AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (AWidth == width_ && AHeight == height_) return;
  if (handleType_ == bmDIB) {
    NewImage(AWidth, AHeight, bitCount_, is565_, table_, true);
  } else {
    HBITMAP nh = nullptr;
    if (AWidth > 0 && AHeight > 0) {
      if (AWidth > kMaxDimension || AHeight > kMaxDimension) throw EOutOfResources("Not enough storage is available to process this command.");
      nh = CreateDeviceBitmap(AWidth, AHeight, bitCount_ == 1);
      FreeContext();
      ScopedMemDC d(nh);
      COLORREF fill = 0xFFFFFF;
      if (canvas_ && canvas_->Brush()->Style() != bsClear)
        fill = static_cast<COLORREF>(ColorToRGB(canvas_->Brush()->Color()));
      HBRUSH br = ::CreateSolidBrush(fill);
      RECT r{0, 0, AWidth, AHeight};
      ::FillRect(d.Get(), &r, br);
      ::DeleteObject(br);
      if (handle_ != nullptr) {
        ScopedMemDC s(handle_);
        ::BitBlt(d.Get(), 0, 0, std::min(AWidth, width_), std::min(AHeight, height_), s.Get(), 0, 0, SRCCOPY);
      }
    }
    FreeContext();
    FreeMask();
    if (handle_ != nullptr) ::DeleteObject(handle_);
    handle_ = nh;
    width_ = AWidth;
    height_ = AHeight;
  }
  Changed(this);
}

HBITMAP TBitmap::Handle() { return handle_; }

void TBitmap::AdoptDIB(HBITMAP H) {
  DIBSECTION ds{};
  ::GetObjectW(H, sizeof ds, &ds);
  handle_ = H;
  bits_ = static_cast<Byte*>(ds.dsBm.bmBits);
  width_ = ds.dsBmih.biWidth;
  height_ = std::abs(ds.dsBmih.biHeight);
  topDown_ = ds.dsBmih.biHeight < 0;
  bitCount_ = ds.dsBmih.biBitCount;
  is565_ = bitCount_ == 16 && ds.dsBmih.biCompression == BI_BITFIELDS && ds.dsBitfields[1] == 0x07E0;
  handleType_ = bmDIB;
  table_.clear();
  if (bitCount_ <= 8) {
    RGBQUAD colors[256];
    ScopedMemDC dc(H);
    const UINT n = ::GetDIBColorTable(dc.Get(), 0, 1u << bitCount_, colors);
    table_.assign(colors, colors + n);
    if (table_.empty()) table_ = DefaultTable(bitCount_);
  }
}

void TBitmap::SetHandle(HBITMAP Value) {
  if (Value == handle_) return;
  ClearImage();
  if (Value != nullptr) {
    DIBSECTION ds{};
    const int n = ::GetObjectW(Value, sizeof ds, &ds);
    if (n == sizeof(DIBSECTION) && ds.dsBm.bmBits != nullptr) {
      AdoptDIB(Value);
    } else {
      BITMAP bm{};
      ::GetObjectW(Value, sizeof bm, &bm);
      handle_ = Value;
      bits_ = nullptr;
      width_ = bm.bmWidth;
      height_ = bm.bmHeight;
      bitCount_ = bm.bmBitsPixel == 1 ? 1 : DeviceBitCount();
      is565_ = false;
      topDown_ = false;
      table_ = bitCount_ == 1 ? DefaultTable(1) : std::vector<RGBQUAD>();
      handleType_ = bmDDB;
    }
  }
  Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
  FreeContext();
  FreeMask();
  HBITMAP h = handle_;
  handle_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = 0;
  return h;
}

void* TBitmap::ScanLine(Integer Row) {
  DIBNeeded();
  if (Row < 0 || Row >= height_) throw EInvalidGraphicOperation("Scan line index out of range");
  ::GdiFlush();
  // The caller may write through the pointer: the mask must be rebuilt.
  FreeMask();
  return this->Row(Row);
}

HPALETTE TBitmap::Palette() {
  if (palette_ == nullptr) {
    const std::vector<RGBQUAD>& t = bitCount_ <= 8 && !table_.empty() ? table_ : keptTable_;
    if (!t.empty()) palette_ = CreatePaletteFromEntries(EntriesOf(t));
  }
  return palette_;
}

void TBitmap::SetPalette(HPALETTE Value) {
  std::vector<RGBQUAD> t;
  const Integer n = PaletteEntryCount(Value);
  if (n > 0) {
    std::vector<PALETTEENTRY> e(static_cast<size_t>(n));
    ::GetPaletteEntries(Value, 0, static_cast<UINT>(n), e.data());
    for (const PALETTEENTRY& p : e) t.push_back(Quad(p.peRed, p.peGreen, p.peBlue));
  }
  FreePaletteHandle();
  if (bitCount_ <= 8 && handleType_ == bmDIB) {
    if (t.size() > (size_t(1) << bitCount_)) t.resize(size_t(1) << bitCount_);
    if (t.empty()) t = DefaultTable(bitCount_);
    table_ = t;
    if (handle_ != nullptr) {
      FreeContext();
      ScopedMemDC dc(handle_);
      ::SetDIBColorTable(dc.Get(), 0, static_cast<UINT>(table_.size()), table_.data());
    }
  } else {
    keptTable_ = t;
  }
  SetPaletteModified(true);
  Changed(this);
}

HPALETTE TBitmap::ReleasePalette() {
  HPALETTE copy = CopyPalette(Palette());
  FreePaletteHandle();
  keptTable_.clear();
  return copy;
}

TColor TBitmap::TransparentColor() {
  TColor c;
  if (transparentColor_ == clDefault) {
    if (Monochrome()) {
      c = clWhite;
    } else if (Empty()) {
      c = clWhite;
    } else if (handleType_ == bmDIB) {
      ::GdiFlush();
      RGBQUAD q{};
      UnpackRow(Row(height_ - 1), 1, bitCount_, is565_, table_, &q);
      c = static_cast<TColor>(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
    } else {
      c = Canvas()->Pixels(0, height_ - 1);
    }
  } else {
    c = ColorToRGB(transparentColor_);
  }
  return c | 0x02000000;
}

void TBitmap::SetTransparentColor(TColor Value) {
  if (Value == transparentColor_) return;
  transparentColor_ = Value;
  transparentMode_ = Value == clDefault ? tmAuto : tmFixed;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
  if (Value == transparentMode_) return;
  if (Value == tmAuto) SetTransparentColor(clDefault);
  else SetTransparentColor(TransparentColor() & 0xFFFFFF);
}

HBITMAP TBitmap::MaskHandle() {
  if (mask_ != nullptr || Empty()) return mask_;
  const Cardinal key = static_cast<Cardinal>(ColorToRGB(TransparentColor() & 0xFFFFFF));
  const RGBQUAD want = QuadOf(key);
  Byte* mb = nullptr;
  HBITMAP mh = CreateDIB(width_, height_, 1, false, DefaultTable(1), &mb);
  const Int64 mstride = StrideOf(width_, 1);
  std::vector<RGBQUAD> line(static_cast<size_t>(width_));
  // A device bitmap is read through a 32-bit copy of its bits.
  std::vector<Byte> ddbBits;
  if (handleType_ == bmDDB) {
    FreeContext();
    ddbBits.resize(static_cast<size_t>(width_) * 4 * static_cast<size_t>(height_));
    DibInfo info;
    FillInfo(info, width_, -height_, 32, false, {});
    HDC screen = ::GetDC(nullptr);
    ::GetDIBits(screen, handle_, 0, static_cast<UINT>(height_), ddbBits.data(), info.Get(), DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
  } else {
    ::GdiFlush();
  }
  for (Integer y = 0; y < height_; ++y) {
    if (handleType_ == bmDDB) UnpackRow(ddbBits.data() + static_cast<size_t>(y) * width_ * 4, width_, 32, false, {}, line.data());
    else ReadRowRGB(y, line.data());
    Byte* dst = mb + static_cast<ptrdiff_t>(height_ - 1 - y) * mstride;
    for (Integer x = 0; x < width_; ++x)
      if (Key(line[x]) == Key(want)) SetIndex(dst, x, 1, 1);
  }
  mask_ = mh;
  return mask_;
}

HBITMAP TBitmap::ReleaseMaskHandle() {
  HBITMAP h = MaskHandle();
  mask_ = nullptr;
  return h;
}

void TBitmap::Mask(TColor TransparentColor) {
  const TColor oldColor = transparentColor_;
  FreeMask();
  transparentColor_ = TransparentColor;
  HBITMAP m = ReleaseMaskHandle();
  transparentColor_ = oldColor;
  if (m == nullptr) return;
  ClearImage();
  AdoptDIB(m);
  Changed(this);
}

void TBitmap::CopyFrom(TBitmap* Source) {
  ClearImage();
  bitCount_ = Source->bitCount_;
  is565_ = Source->is565_;
  table_ = Source->table_;
  keptTable_ = Source->keptTable_;
  handleType_ = Source->handleType_;
  transparent_ = Source->transparent_;
  transparentColor_ = Source->transparentColor_;
  transparentMode_ = Source->transparentMode_;
  ignorePalette_ = Source->ignorePalette_;
  if (Source->handle_ == nullptr) return;
  if (Source->handleType_ == bmDIB) {
    ::GdiFlush();
    Byte* nb = nullptr;
    HBITMAP nh = CreateDIB(Source->width_, Source->height_, bitCount_, is565_, table_, &nb);
    handle_ = nh;
    bits_ = nb;
    width_ = Source->width_;
    height_ = Source->height_;
    const size_t stride = static_cast<size_t>(Stride());
    for (Integer y = 0; y < height_; ++y) std::memcpy(Row(y), Source->Row(y), stride);
  } else {
    HBITMAP nh = CreateDeviceBitmap(Source->width_, Source->height_, bitCount_ == 1);
    {
      ScopedMemDC d(nh);
      ::BitBlt(d.Get(), 0, 0, Source->width_, Source->height_, Source->Canvas()->Handle(), 0, 0, SRCCOPY);
    }
    handle_ = nh;
    width_ = Source->width_;
    height_ = Source->height_;
  }
}

void TBitmap::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) {
    ClearImage();
    Changed(this);
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(Source)) {
    CopyFrom(b);
    SetPaletteModified(b->PaletteModified());
    Changed(this);
    return;
  }
  if (auto* g = dynamic_cast<TGraphic*>(Source)) {
    try {
      // The graphic's own conversion (its AssignTo), when it has one.
      TGraphic::Assign(Source);
      return;
    } catch (const EConvertError&) {
    }
    if (g->Empty()) {
      ClearImage();
      Changed(this);
      return;
    }
    ClearImage();
    if (handleType_ == bmDDB) {
      handleType_ = bmDIB;
      bitCount_ = 24;
      table_.clear();
    }
    SetSize(g->Width(), g->Height());
    TCanvas* c = Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, width_, height_));
    c->Draw(0, 0, g);
    Changed(this);
    return;
  }
  TGraphic::Assign(Source);
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (Empty()) return;
  Canvas();
  canvas_->Lock();
  try {
    HDC src = canvas_->Handle();
    HDC dst = ACanvas->Handle();
    HPALETTE oldPal = nullptr;
    HPALETTE pal = ignorePalette_ ? nullptr : Palette();
    if (pal != nullptr) {
      oldPal = ::SelectPalette(dst, pal, TRUE);
      ::RealizePalette(dst);
    }
    const int oldMode = ::SetStretchBltMode(dst, Monochrome() ? BLACKONWHITE : COLORONCOLOR);
    if (Transparent()) {
      HBITMAP mask = MaskHandle();
      ScopedMemDC m(mask);
      const COLORREF oldText = ::SetTextColor(dst, 0), oldBk = ::SetBkColor(dst, 0xFFFFFF);
      // D ^ S, then clear the opaque pixels' D, then ^ S again: S where opaque, D where transparent.
      ::StretchBlt(dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), src, 0, 0, width_, height_, SRCINVERT);
      ::StretchBlt(dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), m.Get(), 0, 0, width_, height_, SRCAND);
      ::StretchBlt(dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), src, 0, 0, width_, height_, SRCINVERT);
      ::SetTextColor(dst, oldText);
      ::SetBkColor(dst, oldBk);
    } else {
      ::StretchBlt(dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), src, 0, 0, width_, height_,
                   static_cast<DWORD>(ACanvas->CopyMode()));
    }
    ::SetStretchBltMode(dst, oldMode);
    if (oldPal != nullptr) ::SelectPalette(dst, oldPal, TRUE);
  } catch (...) {
    canvas_->Unlock();
    throw;
  }
  canvas_->Unlock();
}

// ---------------------------------------------------------------------------
// BMP streams.
namespace {

#pragma pack(push, 1)
struct FileHeader {
  WORD bfType;
  DWORD bfSize;
  WORD bfReserved1;
  WORD bfReserved2;
  DWORD bfOffBits;
};
#pragma pack(pop)
static_assert(sizeof(FileHeader) == 14);

struct ParsedDIB {
  Integer Width = 0, Height = 0, Bpp = 0;
  bool TopDown = false, Is565 = false;
  bool Rle = false;   // RLE8 or RLE4 by Bpp
  Int64 RleSize = 0;  // bytes of run-length data
  std::vector<RGBQUAD> Table;
  Int64 BitsPos = 0;
};

// Reads a DIB header and colour table at the stream's position and checks
// that the pixels (at BitsPos, or right after the table when BitsPos < 0)
// lie inside the stream before anything is allocated for them.
ParsedDIB ParseDIBHeader(TStream* S, Int64 BitsPos) {
  const Int64 streamEnd = S->Size();
  auto need = [&](Int64 n) {
    if (n < 0 || S->Position() + n > streamEnd) InvalidBitmap();
  };
  ParsedDIB d;
  need(4);
  DWORD hsize = 0;
  S->ReadBuffer(&hsize, 4);
  Integer compression = BI_RGB;
  Integer clrUsed = 0;
  bool core = false;
  DWORD masks[3] = {0, 0, 0};
  if (hsize == sizeof(BITMAPCOREHEADER)) {
    core = true;
    need(8);
    WORD f[4];
    S->ReadBuffer(f, 8);
    d.Width = f[0];
    d.Height = f[1];
    if (f[2] != 1) InvalidBitmap();
    d.Bpp = f[3];
  } else if (hsize >= sizeof(BITMAPINFOHEADER) && hsize <= 1024) {
    need(static_cast<Int64>(hsize) - 4);
    BITMAPINFOHEADER h{};
    S->ReadBuffer(reinterpret_cast<Byte*>(&h) + 4, sizeof h - 4);
    d.RleSize = h.biSizeImage;
    d.Width = h.biWidth;
    d.Height = h.biHeight;
    if (h.biPlanes != 1) InvalidBitmap();
    d.Bpp = h.biBitCount;
    compression = static_cast<Integer>(h.biCompression);
    clrUsed = static_cast<Integer>(h.biClrUsed);
    Int64 rest = static_cast<Int64>(hsize) - static_cast<Int64>(sizeof h);
    if (compression == BI_BITFIELDS) {
      // Masks follow the header, or are its first extra fields (V2..V5).
      need(12);
      S->ReadBuffer(masks, 12);
      rest = std::max<Int64>(rest - 12, 0);
    }
    S->Seek(rest, soCurrent);
  } else {
    InvalidBitmap();
  }
  if (d.Height == INT32_MIN) InvalidBitmap();
  d.TopDown = d.Height < 0;
  d.Height = std::abs(d.Height);
  if (d.Width <= 0 || d.Height <= 0 || d.Width > kMaxDimension || d.Height > kMaxDimension) InvalidBitmap();
  switch (d.Bpp) {
    case 4: case 8:
      d.Rle = compression == (d.Bpp == 8 ? BI_RLE8 : BI_RLE4);
      if (compression != BI_RGB && !d.Rle) InvalidBitmap();
      break;
    case 1: case 24:
      if (compression != BI_RGB) InvalidBitmap();
      break;
    case 16:
      if (compression == BI_BITFIELDS) {
        if (masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F) d.Is565 = true;
        else if (!(masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F)) InvalidBitmap();
      } else if (compression != BI_RGB) {
        InvalidBitmap();
      }
      break;
    case 32:
      if (compression == BI_BITFIELDS) {
        if (!(masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF)) InvalidBitmap();
      } else if (compression != BI_RGB) {
        InvalidBitmap();
      }
      break;
    default: InvalidBitmap();
  }
  if (d.TopDown && (core || d.Rle)) InvalidBitmap();
  // Colour table.
  if (clrUsed < 0 || clrUsed > 256 * 256) InvalidBitmap();
  Integer entries = clrUsed;
  if (d.Bpp <= 8) {
    if (entries == 0) entries = 1 << d.Bpp;
    if (entries > 256) InvalidBitmap();
  }
  const Integer entrySize = core ? 3 : 4;
  if (d.Bpp <= 8 || BitsPos < 0) {
    need(static_cast<Int64>(entries) * entrySize);
    std::vector<Byte> raw(static_cast<size_t>(entries) * static_cast<size_t>(entrySize));
    if (!raw.empty()) S->ReadBuffer(raw.data(), static_cast<Integer>(raw.size()));
    if (d.Bpp <= 8) {
      const Integer keep = std::min(entries, 1 << d.Bpp);
      for (Integer i = 0; i < keep; ++i) {
        const Byte* p = raw.data() + static_cast<size_t>(i) * entrySize;
        d.Table.push_back(Quad(p[2], p[1], p[0]));
      }
    }
  }
  d.BitsPos = BitsPos >= 0 ? BitsPos : S->Position();
  const Int64 size = StrideOf(d.Width, d.Bpp) * d.Height;
  if (d.Rle) {
    if (d.BitsPos < 0 || d.BitsPos > streamEnd) InvalidBitmap();
    if (d.RleSize <= 0 || d.BitsPos + d.RleSize > streamEnd) d.RleSize = streamEnd - d.BitsPos;
    // Runs and line ends cover many pixels per byte, but not this many.
    if (d.RleSize < 2 || d.RleSize > 0x7FFFFFFF || size > std::max<Int64>(Int64(1) << 24, d.RleSize * 1024))
      InvalidBitmap();
    return d;
  }
  if (size > 0x7FFFFFFF || d.BitsPos < 0 || d.BitsPos + size > streamEnd) InvalidBitmap();
  return d;
}

// Expands RLE8/RLE4 data into bottom-up rows of Bits. Pixels outside the
// picture are dropped; data ending early leaves the rest at index 0.
void DecodeRle(const std::vector<Byte>& Data, Integer Bpp, Integer W, Integer H, Byte* Bits) {
  const Int64 stride = StrideOf(W, Bpp);
  Integer x = 0, y = 0;  // y counts from the bottom row
  auto put = [&](Byte v) {
    if (x < W && y < H) SetIndex(Bits + static_cast<ptrdiff_t>(y) * stride, x, Bpp, v);
    ++x;
  };
  size_t p = 0;
  const size_t n = Data.size();
  while (p + 1 < n && y < H) {
    const Byte count = Data[p], value = Data[p + 1];
    p += 2;
    if (count > 0) {
      for (int i = 0; i < count && x < W; ++i) put(Bpp == 8 ? value : Byte(i & 1 ? value & 0x0F : value >> 4));
      continue;
    }
    switch (value) {
      case 0: x = 0; ++y; break;    // end of line
      case 1: y = H; break;         // end of bitmap
      case 2:                       // move right and up
        if (p + 1 >= n) return;
        x += Data[p];
        y += Data[p + 1];
        p += 2;
        break;
      default: {  // literal pixels, padded to a 16-bit boundary
        const size_t bytes = Bpp == 8 ? value : (value + 1u) / 2;
        if (p + bytes > n) return;
        for (int i = 0; i < value; ++i)
          put(Bpp == 8 ? Data[p + i] : Byte(i & 1 ? Data[p + i / 2] & 0x0F : Data[p + i / 2] >> 4));
        p += bytes + (bytes & 1);
        break;
      }
    }
  }
}

}  // namespace

void TBitmap::LoadFromStream(TStream* Stream) {
  const Int64 start = Stream->Position();
  const Int64 avail = Stream->Size() - start;
  if (avail <= 0) {
    ClearImage();
    Changed(this);
    return;
  }
  ParsedDIB d;
  try {
    if (avail < static_cast<Int64>(sizeof(FileHeader))) InvalidBitmap();
    FileHeader fh{};
    Stream->ReadBuffer(&fh, sizeof fh);
    if (fh.bfType != 0x4D42) InvalidBitmap();
    const Int64 bitsPos = fh.bfOffBits != 0 ? start + static_cast<Int64>(fh.bfOffBits) : -1;
    d = ParseDIBHeader(Stream, bitsPos);
  } catch (const EReadError&) {
    InvalidBitmap();
  }
  Stream->Seek(d.BitsPos, soBeginning);
  ClearImage();
  NewImage(0, 0, d.Bpp, d.Is565, d.Table, false);
  Byte* nb = nullptr;
  HBITMAP nh = CreateDIB(d.Width, d.Height, d.Bpp, d.Is565, table_, &nb);
  handle_ = nh;
  bits_ = nb;
  width_ = d.Width;
  height_ = d.Height;
  const Integer stride = Stride();
  try {
    if (d.Rle) {
      std::vector<Byte> rle(static_cast<size_t>(d.RleSize));
      Stream->ReadBuffer(rle.data(), static_cast<Integer>(rle.size()));
      DecodeRle(rle, d.Bpp, width_, height_, bits_);
    } else if (!d.TopDown) {
      Stream->ReadBuffer(bits_, stride * height_);
    } else {
      for (Integer y = 0; y < height_; ++y) Stream->ReadBuffer(Row(y), stride);
    }
  } catch (const EReadError&) {
    ClearImage();
    InvalidBitmap();
  }
  Changed(this);
}

void TBitmap::SaveToStream(TStream* Stream) {
  if (Empty()) return;
  if (handleType_ == bmDDB) {
    TBitmap copy;
    copy.Assign(this);
    copy.DIBNeeded();
    copy.SaveToStream(Stream);
    return;
  }
  ::GdiFlush();
  const Integer stride = Stride();
  const Integer entries = bitCount_ <= 8 ? static_cast<Integer>(table_.size()) : 0;
  const Integer maskBytes = is565_ ? 12 : 0;
  const DWORD offBits = static_cast<DWORD>(sizeof(FileHeader) + sizeof(BITMAPINFOHEADER) + maskBytes + entries * 4);
  FileHeader fh{0x4D42, offBits + static_cast<DWORD>(stride) * static_cast<DWORD>(height_), 0, 0, offBits};
  BITMAPINFOHEADER h{};
  h.biSize = sizeof h;
  h.biWidth = width_;
  h.biHeight = height_;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(bitCount_);
  h.biCompression = is565_ ? BI_BITFIELDS : BI_RGB;
  h.biSizeImage = static_cast<DWORD>(stride) * static_cast<DWORD>(height_);
  h.biClrUsed = static_cast<DWORD>(entries < (1 << bitCount_) || bitCount_ > 8 ? entries : 0);
  Stream->WriteBuffer(&fh, sizeof fh);
  Stream->WriteBuffer(&h, sizeof h);
  if (is565_) {
    const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    Stream->WriteBuffer(masks, sizeof masks);
  }
  if (entries > 0) {
    std::vector<RGBQUAD> t = table_;
    for (RGBQUAD& q : t) q.rgbReserved = 0;
    Stream->WriteBuffer(t.data(), entries * 4);
  }
  if (!topDown_) {
    Stream->WriteBuffer(bits_, stride * height_);
  } else {
    for (Integer y = height_ - 1; y >= 0; --y) Stream->WriteBuffer(Row(y), stride);
  }
}

void TBitmap::ReadData(TStream* Stream) {
  Integer size = 0;
  Stream->ReadBuffer(&size, 4);
  const Int64 start = Stream->Position();
  if (size < 0 || start + size > Stream->Size()) InvalidBitmap();
  std::vector<Byte> data(static_cast<size_t>(size));
  if (size > 0) Stream->ReadBuffer(data.data(), size);
  BlockStream block(data.data(), size);
  LoadFromStream(&block);
}

void TBitmap::WriteData(TStream* Stream) {
  TMemoryStream m;
  SaveToStream(&m);
  const Integer size = static_cast<Integer>(m.Size());
  Stream->WriteBuffer(&size, 4);
  if (size > 0) Stream->WriteBuffer(m.Memory(), size);
}

namespace {
// Loads a packed DIB (header, table, bits) from memory into Bitmap.
void LoadPackedDIB(TBitmap* Bitmap, const void* Data, Int64 Size) {
  // Prefix a file header so the stream reader does the checking.
  std::vector<Byte> file(sizeof(FileHeader) + static_cast<size_t>(Size));
  FileHeader fh{0x4D42, static_cast<DWORD>(file.size()), 0, 0, 0};
  std::memcpy(file.data(), &fh, sizeof fh);
  std::memcpy(file.data() + sizeof fh, Data, static_cast<size_t>(Size));
  BlockStream s(file.data(), static_cast<Int64>(file.size()));
  Bitmap->LoadFromStream(&s);
}
}  // namespace

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const std::string& ResName) {
  const std::wstring name = Utf8ToWide(ResName);
  HRSRC res = ::FindResourceW(Instance, name.c_str(), reinterpret_cast<LPCWSTR>(RT_BITMAP));
  if (res == nullptr) throw EResNotFound("Resource " + ResName + " not found");
  HGLOBAL g = ::LoadResource(Instance, res);
  LoadPackedDIB(this, ::LockResource(g), ::SizeofResource(Instance, res));
}

void TBitmap::LoadFromResourceID(HINSTANCE Instance, Integer ResID) {
  HRSRC res = ::FindResourceW(Instance, MAKEINTRESOURCEW(ResID), reinterpret_cast<LPCWSTR>(RT_BITMAP));
  if (res == nullptr) throw EResNotFound("Resource " + std::to_string(ResID) + " not found");
  HGLOBAL g = ::LoadResource(Instance, res);
  LoadPackedDIB(this, ::LockResource(g), ::SizeofResource(Instance, res));
}

void TBitmap::LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE APalette) {
  if (AData == nullptr) AData = ::GetClipboardData(AFormat);
  if (AData == nullptr) throw EInvalidGraphic("Unsupported clipboard format");
  if (AFormat == CF_BITMAP) {
    // The clipboard keeps its bitmap: copy it.
    BITMAP bm{};
    if (::GetObjectW(AData, sizeof bm, &bm) == 0) InvalidBitmap();
    ClearImage();
    handleType_ = bmDIB;
    bitCount_ = bm.bmBitsPixel == 1 ? 1 : 24;
    table_ = bitCount_ == 1 ? DefaultTable(1) : std::vector<RGBQUAD>();
    Byte* nb = nullptr;
    handle_ = CreateDIB(bm.bmWidth, bm.bmHeight, bitCount_, false, table_, &nb);
    bits_ = nb;
    width_ = bm.bmWidth;
    height_ = bm.bmHeight;
    DibInfo info;
    FillInfo(info, width_, height_, bitCount_, false, table_);
    HDC screen = ::GetDC(nullptr);
    ::GetDIBits(screen, static_cast<HBITMAP>(AData), 0, static_cast<UINT>(height_), bits_, info.Get(), DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (APalette != nullptr && bitCount_ > 8) {
      const Integer n = PaletteEntryCount(APalette);
      std::vector<PALETTEENTRY> e(static_cast<size_t>(n));
      if (n > 0) ::GetPaletteEntries(APalette, 0, static_cast<UINT>(n), e.data());
      keptTable_.clear();
      for (const PALETTEENTRY& p : e) keptTable_.push_back(Quad(p.peRed, p.peGreen, p.peBlue));
    }
    Changed(this);
  } else if (AFormat == CF_DIB) {
    const SIZE_T size = ::GlobalSize(AData);
    const void* p = ::GlobalLock(AData);
    if (p == nullptr) InvalidBitmap();
    try {
      LoadPackedDIB(this, p, static_cast<Int64>(size));
    } catch (...) {
      ::GlobalUnlock(AData);
      throw;
    }
    ::GlobalUnlock(AData);
  } else {
    throw EInvalidGraphic("Unsupported clipboard format");
  }
}

void TBitmap::SaveToClipboardFormat(Word& AFormat, HANDLE& AData, HPALETTE& APalette) {
  AFormat = CF_BITMAP;
  AData = nullptr;
  APalette = nullptr;
  if (Empty()) return;
  HBITMAP ddb = CreateDeviceBitmap(width_, height_, Monochrome());
  {
    ScopedMemDC d(ddb);
    ::BitBlt(d.Get(), 0, 0, width_, height_, Canvas()->Handle(), 0, 0, SRCCOPY);
  }
  AData = ddb;
  APalette = CopyPalette(Palette());
}
