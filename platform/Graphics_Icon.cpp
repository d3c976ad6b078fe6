// TIcon (.ico streams) and TMetafile (EMF, and placeable WMF converted on load and save).
#include <algorithm>

#include "platform/Graphics.h"

namespace {

#pragma pack(push, 1)
struct IconDir {
  WORD Reserved;
  WORD Type;
  WORD Count;
};
struct IconDirEntry {
  BYTE Width;
  BYTE Height;
  BYTE ColorCount;
  BYTE Reserved;
  WORD Planes;
  WORD BitCount;
  DWORD BytesInRes;
  DWORD ImageOffset;
};
struct PlaceableHeader {
  DWORD Key;
  WORD Hmf;
  SHORT Left, Top, Right, Bottom;
  WORD Inch;
  DWORD Reserved;
  WORD Checksum;
};
#pragma pack(pop)
static_assert(sizeof(IconDirEntry) == 16 && sizeof(PlaceableHeader) == 22);

constexpr DWORD kPlaceableKey = 0x9AC6CDD7;

[[noreturn]] void InvalidIcon() { throw EInvalidGraphic("Icon image is not valid"); }
[[noreturn]] void InvalidMetafile() { throw EInvalidGraphic("Metafile is not valid"); }

std::vector<Byte> ReadRest(TStream* Stream) {
  const Int64 n = Stream->Size() - Stream->Position();
  if (n <= 0) return {};
  if (n > 0x7FFFFFFF) throw EInvalidGraphic("Stream too large");
  std::vector<Byte> data(static_cast<size_t>(n));
  Stream->ReadBuffer(data.data(), static_cast<Integer>(n));
  return data;
}

Integer ScreenLogPixels(int index) {
  HDC dc = ::GetDC(nullptr);
  const Integer v = ::GetDeviceCaps(dc, index);
  ::ReleaseDC(nullptr, dc);
  return v > 0 ? v : 96;
}

}  // namespace

// ---------------------------------------------------------------------------
TIcon::TIcon() = default;
TIcon::~TIcon() { FreeHandle(); }

void TIcon::FreeHandle() {
  if (handle_ != nullptr) {
    ::DestroyIcon(handle_);
    handle_ = nullptr;
  }
}

void TIcon::Assign(TPersistent* Source) {
  if (auto* i = dynamic_cast<TIcon*>(Source)) {
    if (i == this) return;
    FreeHandle();
    data_ = i->data_;
    width_ = i->width_;
    height_ = i->height_;
    if (data_.empty() && i->handle_ != nullptr) handle_ = ::CopyIcon(i->handle_);
    Changed(this);
    return;
  }
  if (Source == nullptr) {
    FreeHandle();
    data_.clear();
    width_ = height_ = 0;
    Changed(this);
    return;
  }
  TGraphic::Assign(Source);
}

void TIcon::SetWidth(Integer) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }
void TIcon::SetHeight(Integer) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }

void TIcon::LoadFromStream(TStream* Stream) {
  std::vector<Byte> data;
  try {
    data = ReadRest(Stream);
  } catch (const EReadError&) {
    InvalidIcon();
  }
  if (data.size() < sizeof(IconDir)) InvalidIcon();
  IconDir dir;
  std::memcpy(&dir, data.data(), sizeof dir);
  if (dir.Reserved != 0 || dir.Type != 1 || dir.Count == 0) InvalidIcon();
  if (sizeof(IconDir) + static_cast<size_t>(dir.Count) * sizeof(IconDirEntry) > data.size()) InvalidIcon();
  // Check every image lies inside the data; keep the first.
  IconDirEntry first{};
  for (WORD i = 0; i < dir.Count; ++i) {
    IconDirEntry e;
    std::memcpy(&e, data.data() + sizeof(IconDir) + i * sizeof(IconDirEntry), sizeof e);
    if (e.BytesInRes < sizeof(BITMAPINFOHEADER) || static_cast<uint64_t>(e.ImageOffset) + e.BytesInRes > data.size())
      InvalidIcon();
    if (i == 0) first = e;
  }
  const Integer w = first.Width ? first.Width : 256;
  const Integer h = first.Height ? first.Height : 256;
  HICON icon = ::CreateIconFromResourceEx(data.data() + first.ImageOffset, first.BytesInRes, TRUE, 0x00030000, w, h,
                                          LR_DEFAULTCOLOR);
  if (icon == nullptr) InvalidIcon();
  FreeHandle();
  handle_ = icon;
  data_ = std::move(data);
  width_ = w;
  height_ = h;
  Changed(this);
}

void TIcon::SaveToStream(TStream* Stream) {
  if (!data_.empty()) {
    Stream->WriteBuffer(data_.data(), static_cast<Integer>(data_.size()));
    return;
  }
  if (handle_ == nullptr) return;
  // Build a one-image .ico from the handle: 32-bit colour plus the AND mask.
  ICONINFO ii{};
  if (!::GetIconInfo(handle_, &ii)) InvalidIcon();
  const Integer w = width_, h = height_;
  BITMAPINFOHEADER bih{};
  bih.biSize = sizeof bih;
  bih.biWidth = w;
  bih.biHeight = h;
  bih.biPlanes = 1;
  bih.biBitCount = 32;
  std::vector<Byte> color(static_cast<size_t>(w) * h * 4);
  const Integer maskStride = ((w + 31) / 32) * 4;
  std::vector<Byte> mask(static_cast<size_t>(maskStride) * h);
  HDC screen = ::GetDC(nullptr);
  if (ii.hbmColor != nullptr) {
    ::GetDIBits(screen, ii.hbmColor, 0, static_cast<UINT>(h), color.data(), reinterpret_cast<BITMAPINFO*>(&bih),
                DIB_RGB_COLORS);
  }
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD c[2];
  } mi{};
  mi.h = bih;
  mi.h.biBitCount = 1;
  ::GetDIBits(screen, ii.hbmMask, 0, static_cast<UINT>(h), mask.data(), reinterpret_cast<BITMAPINFO*>(&mi),
              DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  if (ii.hbmColor) ::DeleteObject(ii.hbmColor);
  ::DeleteObject(ii.hbmMask);
  bih.biHeight = h * 2;
  bih.biSizeImage = static_cast<DWORD>(color.size() + mask.size());
  IconDir dir{0, 1, 1};
  IconDirEntry e{static_cast<BYTE>(w >= 256 ? 0 : w), static_cast<BYTE>(h >= 256 ? 0 : h), 0, 0, 1, 32,
                 static_cast<DWORD>(sizeof bih + color.size() + mask.size()),
                 static_cast<DWORD>(sizeof dir + sizeof e)};
  Stream->WriteBuffer(&dir, sizeof dir);
  Stream->WriteBuffer(&e, sizeof e);
  Stream->WriteBuffer(&bih, sizeof bih);
  Stream->WriteBuffer(color.data(), static_cast<Integer>(color.size()));
  Stream->WriteBuffer(mask.data(), static_cast<Integer>(mask.size()));
}

void TIcon::LoadFromClipboardFormat(Word, HANDLE, HPALETTE) {
  throw EInvalidGraphic("Icons cannot be loaded from the clipboard");
}

void TIcon::SaveToClipboardFormat(Word&, HANDLE&, HPALETTE&) {
  throw EInvalidGraphic("Icons cannot be saved to the clipboard");
}

HICON TIcon::Handle() { return handle_; }

void TIcon::SetHandle(HICON Value) {
  if (Value == handle_) return;
  FreeHandle();
  data_.clear();
  handle_ = Value;
  width_ = height_ = 0;
  if (Value != nullptr) {
    ICONINFO ii{};
    if (::GetIconInfo(Value, &ii)) {
      BITMAP bm{};
      ::GetObjectW(ii.hbmMask, sizeof bm, &bm);
      width_ = bm.bmWidth;
      height_ = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
      if (ii.hbmColor) ::DeleteObject(ii.hbmColor);
      ::DeleteObject(ii.hbmMask);
    }
  }
  Changed(this);
}

HICON TIcon::ReleaseHandle() {
  HICON h = handle_;
  handle_ = nullptr;
  data_.clear();
  width_ = height_ = 0;
  return h;
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (handle_ == nullptr) return;
  ::DrawIconEx(ACanvas->Handle(), Rect.Left, Rect.Top, handle_, Rect.Width(), Rect.Height(), 0, nullptr, DI_NORMAL);
}

// ---------------------------------------------------------------------------
TMetafile::~TMetafile() { Clear(); }

void TMetafile::Clear() {
  if (handle_ != nullptr) {
    ::DeleteEnhMetaFile(handle_);
    handle_ = nullptr;
  }
  mmWidth_ = mmHeight_ = 0;
}

void TMetafile::Assign(TPersistent* Source) {
  if (auto* m = dynamic_cast<TMetafile*>(Source)) {
    if (m == this) return;
    Clear();
    if (m->handle_ != nullptr) handle_ = ::CopyEnhMetaFileW(m->handle_, nullptr);
    enhanced_ = m->enhanced_;
    mmWidth_ = m->mmWidth_;
    mmHeight_ = m->mmHeight_;
    inch_ = m->inch_;
    Changed(this);
    return;
  }
  if (Source == nullptr) {
    Clear();
    Changed(this);
    return;
  }
  TGraphic::Assign(Source);
}

Integer TMetafile::MMWidth() const {
  if (mmWidth_ != 0 || handle_ == nullptr) return mmWidth_;
  ENHMETAHEADER h{};
  ::GetEnhMetaFileHeader(handle_, sizeof h, &h);
  return h.rclFrame.right - h.rclFrame.left;
}

Integer TMetafile::MMHeight() const {
  if (mmHeight_ != 0 || handle_ == nullptr) return mmHeight_;
  ENHMETAHEADER h{};
  ::GetEnhMetaFileHeader(handle_, sizeof h, &h);
  return h.rclFrame.bottom - h.rclFrame.top;
}

void TMetafile::SetMMWidth(Integer Value) {
  if (Value == mmWidth_) return;
  mmWidth_ = Value;
  Changed(this);
}

void TMetafile::SetMMHeight(Integer Value) {
  if (Value == mmHeight_) return;
  mmHeight_ = Value;
  Changed(this);
}

Integer TMetafile::Width() const { return ::MulDiv(MMWidth(), ScreenLogPixels(LOGPIXELSX), 2540); }
Integer TMetafile::Height() const { return ::MulDiv(MMHeight(), ScreenLogPixels(LOGPIXELSY), 2540); }
void TMetafile::SetWidth(Integer Value) { SetMMWidth(::MulDiv(Value, 2540, ScreenLogPixels(LOGPIXELSX))); }
void TMetafile::SetHeight(Integer Value) { SetMMHeight(::MulDiv(Value, 2540, ScreenLogPixels(LOGPIXELSY))); }

void TMetafile::SetHandle(HENHMETAFILE Value) {
  if (Value == handle_) return;
  Clear();
  handle_ = Value;
  Changed(this);
}

HENHMETAFILE TMetafile::ReleaseHandle() {
  HENHMETAFILE h = handle_;
  handle_ = nullptr;
  return h;
}

void TMetafile::ReadEMF(const std::vector<Byte>& Data) {
  HENHMETAFILE h = ::SetEnhMetaFileBits(static_cast<UINT>(Data.size()), Data.data());
  if (h == nullptr) InvalidMetafile();
  Clear();
  handle_ = h;
  enhanced_ = true;
  inch_ = 0;
}

void TMetafile::ReadWMF(const std::vector<Byte>& Data) {
  PlaceableHeader ph;
  std::memcpy(&ph, Data.data(), sizeof ph);
  const WORD* w = reinterpret_cast<const WORD*>(&ph);
  WORD sum = 0;
  for (int i = 0; i < 10; ++i) sum ^= w[i];
  if (sum != ph.Checksum || ph.Inch == 0) InvalidMetafile();
  const Integer width = ph.Right - ph.Left, height = ph.Bottom - ph.Top;
  if (width <= 0 || height <= 0) InvalidMetafile();
  METAFILEPICT mfp{};
  mfp.mm = MM_ANISOTROPIC;
  mfp.xExt = ::MulDiv(width, 2540, ph.Inch);
  mfp.yExt = ::MulDiv(height, 2540, ph.Inch);
  HENHMETAFILE h = ::SetWinMetaFileBits(static_cast<UINT>(Data.size() - sizeof ph), Data.data() + sizeof ph, nullptr, &mfp);
  if (h == nullptr) InvalidMetafile();
  Clear();
  handle_ = h;
  enhanced_ = false;
  inch_ = ph.Inch;
  mmWidth_ = mfp.xExt;
  mmHeight_ = mfp.yExt;
}

void TMetafile::LoadFromStream(TStream* Stream) {
  std::vector<Byte> data;
  try {
    data = ReadRest(Stream);
  } catch (const EReadError&) {
    InvalidMetafile();
  }
  if (data.size() >= sizeof(ENHMETAHEADER)) {
    ENHMETAHEADER eh;
    std::memcpy(&eh, data.data(), sizeof eh);
    if (eh.iType == EMR_HEADER && eh.dSignature == ENHMETA_SIGNATURE) {
      if (eh.nBytes > data.size()) InvalidMetafile();
      data.resize(eh.nBytes);
      ReadEMF(data);
      Changed(this);
      return;
    }
  }
  if (data.size() >= sizeof(PlaceableHeader) + sizeof(METAHEADER)) {
    DWORD key;
    std::memcpy(&key, data.data(), 4);
    if (key == kPlaceableKey) {
      ReadWMF(data);
      Changed(this);
      return;
    }
  }
  InvalidMetafile();
}

void TMetafile::SaveToStream(TStream* Stream) {
  if (handle_ == nullptr) return;
  if (enhanced_) {
    const UINT n = ::GetEnhMetaFileBits(handle_, 0, nullptr);
    std::vector<Byte> data(n);
    ::GetEnhMetaFileBits(handle_, n, data.data());
    Stream->WriteBuffer(data.data(), static_cast<Integer>(n));
    return;
  }
  const Word inch = inch_ != 0 ? inch_ : 1440;
  HDC ref = ::GetDC(nullptr);
  ::SetMapMode(ref, MM_ANISOTROPIC);
  const UINT n = ::GetWinMetaFileBits(handle_, 0, nullptr, MM_ANISOTROPIC, ref);
  std::vector<Byte> data(n);
  ::GetWinMetaFileBits(handle_, n, data.data(), MM_ANISOTROPIC, ref);
  ::ReleaseDC(nullptr, ref);
  PlaceableHeader ph{};
  ph.Key = kPlaceableKey;
  ph.Right = static_cast<SHORT>(::MulDiv(MMWidth(), inch, 2540));
  ph.Bottom = static_cast<SHORT>(::MulDiv(MMHeight(), inch, 2540));
  ph.Inch = inch;
  const WORD* w = reinterpret_cast<const WORD*>(&ph);
  for (int i = 0; i < 10; ++i) ph.Checksum ^= w[i];
  Stream->WriteBuffer(&ph, sizeof ph);
  Stream->WriteBuffer(data.data(), static_cast<Integer>(n));
}

void TMetafile::LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE) {
  if (AData == nullptr) AData = ::GetClipboardData(AFormat);
  if (AFormat != CF_ENHMETAFILE || AData == nullptr) throw EInvalidGraphic("Unsupported clipboard format");
  HENHMETAFILE h = ::CopyEnhMetaFileW(static_cast<HENHMETAFILE>(AData), nullptr);
  if (h == nullptr) InvalidMetafile();
  Clear();
  handle_ = h;
  enhanced_ = true;
  Changed(this);
}

void TMetafile::SaveToClipboardFormat(Word& AFormat, HANDLE& AData, HPALETTE& APalette) {
  AFormat = CF_ENHMETAFILE;
  AData = handle_ ? ::CopyEnhMetaFileW(handle_, nullptr) : nullptr;
  APalette = nullptr;
}

void TMetafile::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (handle_ == nullptr) return;
  ::PlayEnhMetaFile(ACanvas->Handle(), handle_, Rect.AsRECT());
}

// ---------------------------------------------------------------------------
TMetafileCanvas::TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice) : metafile_(AMetafile) {
  RECT frame{0, 0, AMetafile->MMWidth(), AMetafile->MMHeight()};
  HDC dc = ::CreateEnhMetaFileW(ReferenceDevice, nullptr, frame.right > 0 && frame.bottom > 0 ? &frame : nullptr, nullptr);
  if (dc == nullptr) throw EOutOfResources();
  SetHandle(dc);
}

TMetafileCanvas::~TMetafileCanvas() {
  HDC dc = Handle();
  SetHandle(nullptr);
  HENHMETAFILE h = ::CloseEnhMetaFile(dc);
  const bool enhanced = metafile_->Enhanced();
  const Integer mmw = metafile_->MMWidth(), mmh = metafile_->MMHeight();
  metafile_->SetHandle(h);
  metafile_->SetEnhanced(enhanced);
  if (mmw > 0) metafile_->SetMMWidth(mmw);
  if (mmh > 0) metafile_->SetMMHeight(mmh);
}
