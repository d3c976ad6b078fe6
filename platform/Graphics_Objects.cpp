// Colours and the font, pen and brush objects.
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "platform/Graphics.h"

namespace {

struct ColorName {
  TColor Value;
  const char* Name;
};

const ColorName kColorNames[] = {
    {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
    {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
    {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
    {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"}, {clSkyBlue, "clSkyBlue"}, {clCream, "clCream"},
    {clMedGray, "clMedGray"}, {clScrollBar, "clScrollBar"}, {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"}, {clInactiveCaption, "clInactiveCaption"}, {clMenu, "clMenu"},
    {clWindow, "clWindow"}, {clWindowFrame, "clWindowFrame"}, {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"}, {clCaptionText, "clCaptionText"}, {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"}, {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"}, {clHighlightText, "clHighlightText"}, {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"}, {clGrayText, "clGrayText"}, {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"}, {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"}, {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"}, {clHotLight, "clHotLight"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"}, {clMenuHighlight, "clMenuHighlight"},
    {clMenuBar, "clMenuBar"}, {clNone, "clNone"}, {clDefault, "clDefault"},
};

bool SameTextAscii(const std::string& a, const char* b) {
  const size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// Integer literal as the form syntax writes it: decimal with sign, or $hex.
bool ParseColorNumber(const std::string& s, TColor& out) {
  std::string t = s;
  while (!t.empty() && t.front() == ' ') t.erase(t.begin());
  while (!t.empty() && t.back() == ' ') t.pop_back();
  if (t.empty()) return false;
  bool neg = false;
  size_t i = 0;
  if (t[i] == '-' || t[i] == '+') neg = t[i++] == '-';
  int base = 10;
  if (i < t.size() && t[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= t.size()) return false;
  uint64_t v = 0;
  for (; i < t.size(); ++i) {
    const int c = std::tolower(static_cast<unsigned char>(t[i]));
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else return false;
    v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    if (v > 0xFFFFFFFFull) return false;
  }
  if (base == 10 && !neg && v > 0x7FFFFFFFull) return false;
  if (neg && v > 0x80000000ull) return false;
  const uint32_t u = neg ? static_cast<uint32_t>(0u - static_cast<uint32_t>(v)) : static_cast<uint32_t>(v);
  out = static_cast<TColor>(u);
  return true;
}

}  // namespace

Integer ColorToRGB(TColor Color) {
  if (Color < 0) return static_cast<Integer>(::GetSysColor(Color & 0xFF));
  return Color & 0xFFFFFF;
}

bool ColorToIdent(TColor Color, std::string& Ident) {
  for (const ColorName& c : kColorNames) {
    if (c.Value == Color) {
      Ident = c.Name;
      return true;
    }
  }
  return false;
}

bool IdentToColor(const std::string& Ident, TColor& Color) {
  for (const ColorName& c : kColorNames) {
    if (SameTextAscii(Ident, c.Name)) {
      Color = c.Value;
      return true;
    }
  }
  // The grey aliases read but are written as clSilver/clGray.
  if (SameTextAscii(Ident, "clLtGray")) { Color = clLtGray; return true; }
  if (SameTextAscii(Ident, "clDkGray")) { Color = clDkGray; return true; }
  return false;
}

std::string ColorToString(TColor Color) {
  std::string name;
  if (ColorToIdent(Color, name)) return name;
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%08X", static_cast<unsigned>(Color));
  return buf;
}

TColor StringToColor(const std::string& S) {
  TColor c;
  if (IdentToColor(S, c)) return c;
  if (ParseColorNumber(S, c)) return c;
  throw EConvertError("'" + S + "' is not a valid integer value");
}

// ---------------------------------------------------------------------------
void TGraphicsObject::Changed() { OnChange(this); }

void TGraphicsObject::Lock() {
  if (ownerLock_ != nullptr) ::EnterCriticalSection(ownerLock_);
}

void TGraphicsObject::Unlock() {
  if (ownerLock_ != nullptr) ::LeaveCriticalSection(ownerLock_);
}

// ---------------------------------------------------------------------------
namespace {
Integer ScreenPixelsPerInch() {
  static const Integer ppi = [] {
    HDC dc = ::GetDC(nullptr);
    const Integer v = dc ? ::GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ::ReleaseDC(nullptr, dc);
    return v > 0 ? v : 96;
  }();
  return ppi;
}
}  // namespace

TFont::TFont() : name_("Tahoma"), pixelsPerInch_(ScreenPixelsPerInch()) {
  height_ = -static_cast<Integer>(::MulDiv(8, pixelsPerInch_, 72));
}

TFont::~TFont() { FreeHandle(); }

void TFont::FreeHandle() {
  if (handle_ != nullptr) {
    ::DeleteObject(handle_);
    handle_ = nullptr;
  }
}

void TFont::Changed() {
  Lock();
  FreeHandle();
  Unlock();
  TGraphicsObject::Changed();
}

void TFont::Assign(TPersistent* Source) {
  if (auto* f = dynamic_cast<TFont*>(Source)) {
    if (f == this) return;
    name_ = f->name_;
    style_ = f->style_;
    color_ = f->color_;
    charset_ = f->charset_;
    pitch_ = f->pitch_;
    // Keep the point size when the resolutions differ.
    height_ = pixelsPerInch_ == f->pixelsPerInch_ ? f->height_
                                                  : ::MulDiv(f->height_, pixelsPerInch_, f->pixelsPerInch_);
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}

HFONT TFont::Handle() {
  Lock();
  if (handle_ == nullptr) {
    LOGFONTW lf{};
    lf.lfHeight = height_;
    lf.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = style_.Contains(fsItalic);
    lf.lfUnderline = style_.Contains(fsUnderline);
    lf.lfStrikeOut = style_.Contains(fsStrikeOut);
    lf.lfCharSet = charset_;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = pitch_ == fpVariable ? VARIABLE_PITCH : pitch_ == fpFixed ? FIXED_PITCH : DEFAULT_PITCH;
    const std::wstring face = Utf8ToWide(name_ == "Default" ? std::string("MS Sans Serif") : name_);
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    handle_ = ::CreateFontIndirectW(&lf);
  }
  HFONT h = handle_;
  Unlock();
  return h;
}

void TFont::SetHandle(HFONT Value) {
  if (Value == handle_) return;
  LOGFONTW lf{};
  if (Value != nullptr && ::GetObjectW(Value, sizeof lf, &lf) != 0) {
    name_ = WideToUtf8(lf.lfFaceName);
    height_ = lf.lfHeight;
    style_ = TFontStyles();
    if (lf.lfWeight >= FW_BOLD) style_.Include(fsBold);
    if (lf.lfItalic) style_.Include(fsItalic);
    if (lf.lfUnderline) style_.Include(fsUnderline);
    if (lf.lfStrikeOut) style_.Include(fsStrikeOut);
    charset_ = lf.lfCharSet;
    const int p = lf.lfPitchAndFamily & 3;
    pitch_ = p == VARIABLE_PITCH ? fpVariable : p == FIXED_PITCH ? fpFixed : fpDefault;
  }
  Changed();
  handle_ = Value;
}

void TFont::SetName(const std::string& Value) {
  if (Value.empty() || Value == name_) return;
  name_ = Value;
  Changed();
}

Integer TFont::Size() const { return -static_cast<Integer>(::MulDiv(height_, 72, pixelsPerInch_)); }

void TFont::SetSize(Integer Value) { SetHeight(-static_cast<Integer>(::MulDiv(Value, pixelsPerInch_, 72))); }

void TFont::SetHeight(Integer Value) {
  if (Value == height_) return;
  height_ = Value;
  Changed();
}

void TFont::SetStyle(TFontStyles Value) {
  if (Value == style_) return;
  style_ = Value;
  Changed();
}

void TFont::SetColor(TColor Value) {
  if (Value == color_) return;
  color_ = Value;
  // The colour is not part of the GDI font: keep the handle.
  TGraphicsObject::Changed();
}

void TFont::SetCharset(TFontCharset Value) {
  if (Value == charset_) return;
  charset_ = Value;
  Changed();
}

void TFont::SetPitch(TFontPitch Value) {
  if (Value == pitch_) return;
  pitch_ = Value;
  Changed();
}

// ---------------------------------------------------------------------------
TPen::~TPen() { FreeHandle(); }

void TPen::FreeHandle() {
  if (handle_ != nullptr) {
    ::DeleteObject(handle_);
    handle_ = nullptr;
  }
}

void TPen::Changed() {
  Lock();
  FreeHandle();
  Unlock();
  TGraphicsObject::Changed();
}

void TPen::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TPen*>(Source)) {
    if (p == this) return;
    color_ = p->color_;
    width_ = p->width_;
    style_ = p->style_;
    mode_ = p->mode_;
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}

HPEN TPen::Handle() {
  Lock();
  if (handle_ == nullptr) {
    static const int kStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    LOGPEN lp{};
    lp.lopnStyle = static_cast<UINT>(kStyles[style_]);
    lp.lopnWidth.x = width_;
    lp.lopnColor = static_cast<COLORREF>(ColorToRGB(color_));
    handle_ = ::CreatePenIndirect(&lp);
  }
  HPEN h = handle_;
  Unlock();
  return h;
}

void TPen::SetColor(TColor Value) {
  if (Value == color_) return;
  color_ = Value;
  Changed();
}

void TPen::SetWidth(Integer Value) {
  if (Value < 0 || Value == width_) return;
  width_ = Value;
  Changed();
}

void TPen::SetStyle(TPenStyle Value) {
  if (Value == style_) return;
  style_ = Value;
  Changed();
}

void TPen::SetMode(TPenMode Value) {
  if (Value == mode_) return;
  mode_ = Value;
  // The mix mode is a DC setting, not part of the pen.
  TGraphicsObject::Changed();
}

// ---------------------------------------------------------------------------
TBrush::~TBrush() { FreeHandle(); }

void TBrush::FreeHandle() {
  if (handle_ != nullptr) {
    ::DeleteObject(handle_);
    handle_ = nullptr;
  }
}

void TBrush::Changed() {
  Lock();
  FreeHandle();
  Unlock();
  TGraphicsObject::Changed();
}

void TBrush::Assign(TPersistent* Source) {
  if (auto* b = dynamic_cast<TBrush*>(Source)) {
    if (b == this) return;
    color_ = b->color_;
    style_ = b->style_;
    bitmap_ = b->bitmap_;
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}

HBRUSH TBrush::Handle() {
  Lock();
  if (handle_ == nullptr) {
    LOGBRUSH lb{};
    if (bitmap_ != nullptr && !bitmap_->Empty()) {
      handle_ = ::CreatePatternBrush(bitmap_->Handle());
    } else {
      lb.lbColor = static_cast<COLORREF>(ColorToRGB(color_));
      switch (style_) {
        case bsSolid: lb.lbStyle = BS_SOLID; break;
        case bsClear: lb.lbStyle = BS_HOLLOW; break;
        default:
          lb.lbStyle = BS_HATCHED;
          lb.lbHatch = static_cast<ULONG_PTR>(static_cast<int>(style_) - static_cast<int>(bsHorizontal));
          break;
      }
      handle_ = ::CreateBrushIndirect(&lb);
    }
  }
  HBRUSH h = handle_;
  Unlock();
  return h;
}

void TBrush::SetColor(TColor Value) {
  if (Value == color_ && style_ != bsClear) return;
  color_ = Value;
  if (style_ == bsClear) style_ = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (Value == style_) return;
  style_ = Value;
  Changed();
}

void TBrush::SetBitmap(TBitmap* Value) {
  if (Value == bitmap_) return;
  bitmap_ = Value;
  Changed();
}
