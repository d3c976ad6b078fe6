// Tab painting: background, tabs from the back rows forward with the selected
// tab last, then the card joined to it. Outlines are small command programs
// so that the card's line can break under the selected tab and its shadow can
// blend over the parent.
#include <algorithm>
#include <cstdlib>

#include "controls/RzGrafx.h"
#include "controls/RzTabs.h"
#include "platform/SysUtils.h"

namespace {

enum : Integer { opColor = 0, opBegin = 2, opMove = 3, opLine = 4, opShadow30 = 5, opShadow15 = 6 };

void Inflate(TRect& R, Integer Dx, Integer Dy) {
  R.Left -= Dx;
  R.Right += Dx;
  R.Top -= Dy;
  R.Bottom += Dy;
}

void Move(TRect& R, Integer Dx, Integer Dy) {
  R.Left += Dx;
  R.Right += Dx;
  R.Top += Dy;
  R.Bottom += Dy;
}

std::vector<std::string> CaptionLines(const std::string& Text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    size_t at = Text.find("\r\n", start);
    if (at == std::string::npos) {
      lines.push_back(Text.substr(start));
      return lines;
    }
    lines.push_back(Text.substr(start, at - start));
    start = at + 2;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
void TRzCustomTabControl::Paint() { RenderTabs(); }

void TRzCustomTabControl::RenderTabs() {
  paintedOnce_ = true;
  UpdateLayout();
  PlaceButtons();
  if (offScreen_->Width() != Width() || offScreen_->Height() != Height()) offScreen_->SetSize(Width(), Height());
  TCanvas* cv = offScreen_->Canvas();
  TRect box = ClientBox();
  TRect r = Rect(0, 0, box.Right + 1, box.Bottom + 1);
  bool handled = false;
  DoPaintBackground(cv, r, handled);
  if (!handled) {
    if (transparent_) {
      CopyParentBackground(this, cv, false);
    } else {
      cv->Brush()->SetStyle(bsSolid);
      cv->Brush()->SetColor(backgroundColor_);
      cv->FillRect(r);
    }
  }
  DrawTabs();
  hotOnlyRepaint_ = false;
  Canvas()->CopyRect(r, cv, r);
}

void TRzCustomTabControl::DrawTabs() {
  Integer n = tabs_->Count();
  if (n > 0) {
    Integer low = -1;
    for (Integer i = 0; i < n; ++i)
      if (tabs_->Items(i)->Visible && tabs_->Items(i)->Row == 0) {
        low = i;
        break;
      }
    Integer s = (low <= 0 ? n : low) - 1;
    Integer k = rowCount_ - 1;
    // Down from s, wrapping to the last index: earlier tabs end up over later
    // ones and each back row's card goes under the rows nearer the card.
    for (Integer step = 0, i = s; step < n; ++step, i = (i == 0 ? n - 1 : i - 1)) {
      TRzTabData* t = tabs_->Items(i);
      if (!t->Visible || !IsTabShown(i) || i < firstShown_ || i == tabIndex_) continue;
      if (k > 0 && t->Row < k) {
        DrawCard(k);
        k = t->Row;
      }
      PaintTab(i);
    }
    if (k == 1) DrawCard(1);
  }
  if (tabIndex_ >= 0 && tabIndex_ >= firstShown_ && IsTabShown(tabIndex_)) PaintTab(tabIndex_);
  DrawCard(0);
}

void TRzCustomTabControl::PaintTab(Integer I) {
  TCanvas* cv = offScreen_->Canvas();
  TRect r = TabRectToClient(TabRect(I));
  TRect clip = cv->ClipRect();
  if (r.Right < clip.Left || r.Left >= clip.Right || r.Bottom < clip.Top || r.Top >= clip.Bottom) return;
  if (HRGN region = TabRegion(I, r)) {
    HDC dc = cv->Handle();
    Integer saved = ::SaveDC(dc);
    if (saved == 0) throw Exception("Error saving device context");
    try {
      ::SelectClipRgn(dc, region);
      DrawTabBackground(I, r);
      DrawTabContent(I, r);
    } catch (...) {
      ::RestoreDC(dc, saved);
      throw;
    }
    if (!::RestoreDC(dc, saved)) throw Exception("Error restoring device context");
  }
  outline_.clear();
  outline_.insert(outline_.end(), {opBegin, 0, I});
  BuildTabOutline(I);
  ExecuteOutline();
}

HRGN TRzCustomTabControl::TabRegion(Integer I, const TRect& R) {
  if (HRGN cached = regionCache_->LookupRegion(R)) return cached;
  std::vector<POINT> pts;
  for (const TPoint& p : TabShapePoints(I)) {
    TPoint c = TabToClient(p);
    pts.push_back(POINT{c.X, c.Y});
  }
  if (pts.size() < 3) return nullptr;
  HRGN region = ::CreatePolygonRgn(pts.data(), static_cast<int>(pts.size()), ALTERNATE);
  if (!region) throw Exception("Error creating region");
  regionCache_->StoreRegion(R, region);
  return region;
}

void TRzCustomTabControl::BuildTabOutline(Integer I) {
  std::vector<TPoint> pts = TabShapePoints(I);
  size_t want = tabStyle_ == tsDoubleSlant ? 4 : tabStyle_ == tsRoundCorners ? 6 : 5;
  if (pts.size() != want) throw Exception("Incorrect number of points in tab shape");
  for (TPoint& p : pts) p = TabToClient(p);
  auto cmd = [&](Integer Op, const TPoint& P) { outline_.insert(outline_.end(), {Op, P.X, P.Y}); };
  outline_.push_back(opColor);
  if (tabStyle_ != tsRoundCorners) {
    cmd(opMove, pts[0]);
    for (size_t k = 1; k < pts.size(); ++k) cmd(opLine, pts[k]);
    return;
  }
  // Two strokes meeting at the outer corner, so the line's end pixels land
  // on the rounded corners whichever way the strip runs.
  if (tabOrientation_ == toLeft) {
    cmd(opMove, pts[1]);
    cmd(opLine, pts[0]);
    cmd(opMove, pts[1]);
    for (size_t k = 2; k < 6; ++k) cmd(opLine, pts[k]);
  } else {
    cmd(opMove, pts[4]);
    cmd(opLine, pts[5]);
    cmd(opMove, pts[4]);
    for (Integer k = 3; k >= 0; --k) cmd(opLine, pts[k]);
  }
}

void TRzCustomTabControl::DrawTabBackground(Integer I, const TRect& R) {
  TCanvas* cv = offScreen_->Canvas();
  bool handled = false;
  DoPaintTabBackground(cv, I, R, handled);
  if (handled) return;
  TRzTabData* t = tabs_->Items(I);
  TColor face, light, dark;
  if (useColoredTabs_) {
    face = light = t->Color;
    dark = ColorDarkenedBy(t->Color, 30);
  } else {
    face = Color();
    light = tabColors_->Unselected();
    dark = tabColors_->Shadow();
  }
  TRect fill = Rect(R.Left, R.Top, R.Right + 1, R.Bottom + 1);
  cv->Brush()->SetStyle(bsSolid);
  if (I == tabIndex_) {
    cv->Brush()->SetColor(face);  // merges with the card
    cv->FillRect(fill);
  } else if (useGradients_ && ScreenHasFullColor()) {
    switch (tabOrientation_) {
      case toTop: PaintColorRamp(cv, fill, 2, 1, dark, light); break;
      case toBottom: PaintColorRamp(cv, fill, 2, 1, light, dark); break;
      case toLeft: PaintColorRamp(cv, fill, 5, 1, dark, light); break;
      case toRight: PaintColorRamp(cv, fill, 5, 1, light, dark); break;
    }
  } else {
    cv->Brush()->SetColor(light);
    cv->FillRect(fill);
  }
}

TRect TRzCustomTabControl::TabContentRect(const TRect& Rect) {
  TRect r = Rect;
  bool side = SideStrip(), vert = Vertical();
  TRzTabOrientation o = tabOrientation_;
  Integer ov = Overlap(side ? r.Right - r.Left : r.Bottom - r.Top);
  Integer cut = cutCornerSize_;
  switch (tabStyle_) {
    case tsSingleSlant:
      Inflate(r, -1, -1);
      if (!side) {
        r.Right -= 2 * ov + 2;
        Move(r, 3, 0);
        if (o == toTop) {
          r.Top += 2;
        } else {
          r.Bottom -= 2;
          Move(r, 0, 1);
        }
      } else {
        if (o == toLeft) {
          r.Top += 2 * ov + 2;
          Move(r, 0, -2);
        } else {
          r.Bottom -= 2 * ov + 2;
          Move(r, 0, 2);
        }
        Move(r, 0, 1);
        if (o == toLeft) {
          r.Left += 2;
        } else {
          r.Right -= 2;
          Move(r, 1, 0);
        }
      }
      break;
    case tsDoubleSlant:
      if (!side) {
        Inflate(r, 1, -1);
        Inflate(r, -ov, 0);
        Move(r, 1, 0);
        if (o == toTop) {
          r.Top += 2;
        } else {
          r.Bottom -= 2;
          Move(r, 0, 1);
        }
      } else {
        Inflate(r, -1, 1);
        Inflate(r, 0, -ov);
        r.Bottom += 2;
        Move(r, 0, 1);
        if (o == toLeft) {
          r.Left += 2;
        } else {
          r.Right -= 2;
          Move(r, 1, 0);
        }
      }
      break;
    case tsCutCorner:
      if (!side) {
        if (vert) {
          Inflate(r, -4, -1);
          if (o == toTop) r.Top += cut + 3;
          else r.Bottom -= cut + 3;
        } else {
          Inflate(r, -(cut + 3), -1);
          if (o == toTop) r.Top += 3;
          else r.Bottom -= 3;
        }
        if (o == toBottom) Move(r, 0, 1);
      } else {
        if (vert) {
          Inflate(r, -1, -(cut + 3));
          if (o == toLeft) r.Left += 5;
          else r.Right -= 5;
        } else {
          Inflate(r, -1, -4);
          if (o == toLeft) r.Left += cut + 5;
          else r.Right -= cut + 5;
        }
        if (o == toRight) Move(r, 1, 0);
      }
      break;
    case tsRoundCorners:
      if (vert) Inflate(r, -2, -4);
      else Inflate(r, -4, -2);
      break;
  }
  Inflate(r, -1, -1);
  return r;
}

void TRzCustomTabControl::DrawTabContent(Integer I, const TRect& R) {
  TRzTabData* t = tabs_->Items(I);
  TRect c = TabContentRect(R);
  bool hasImage = images_ && t->ImageIndex != -1;
  Integer w = hasImage ? images_->Width() : 0, h = hasImage ? images_->Height() : 0;
  Integer m = t->ImageIndex == -1 ? 0 : imageMargin_;
  TRect text = c, image = c;
  switch (imagePosition_) {
    case ipLeft:
      text.Left += w + m;
      image.Right = c.Left + w;
      break;
    case ipTop:
      text.Top += h + m;
      image.Bottom = c.Top + h;
      break;
    case ipRight:
      text.Right -= w + m;
      image.Left = c.Right - w;
      break;
    case ipBottom:
      text.Bottom -= h + m;
      image.Top = c.Bottom - h;
      break;
    case ipBack:
    case ipStretch: break;
  }
  if (hasImage) {
    Integer x = image.Left, y = image.Top;
    if (imagePosition_ != ipStretch) {
      Integer aw = image.Right - image.Left, ah = image.Bottom - image.Top;
      x += imageAlignment_ == haCenter ? (aw - w) / 2 : imageAlignment_ == haRight ? aw - w : 0;
      y += imageAlignmentVertical_ == vaCenter ? (ah - h) / 2 : imageAlignmentVertical_ == vaBottom ? ah - h : 0;
    }
    if (t->DisabledIndex == -1)
      images_->Draw(offScreen_->Canvas(), x, y, t->ImageIndex, t->Enabled);
    else
      images_->Draw(offScreen_->Canvas(), x, y, t->Enabled ? t->ImageIndex : t->DisabledIndex, true);
  }

  bool handled = false;
  TColor color;
  TRect fitted = text;
  if (t->Enabled && hotTrack_ && hotTab_ == I) {
    color = hotTrackStyle_ == htsText ? hotTrackColor_ : textColors_->Selected();
    DoGetTextColor(I, 0, color, handled);
    if (hotTrackStyle_ == htsTab) DrawHighlightBar(I, R, true);
  } else if (t->Enabled && I == tabIndex_) {
    color = textColors_->Selected();
    DoGetTextColor(I, 1, color, handled);
    if (hotTrack_ && hotTrackStyle_ == htsTab) DrawHighlightBar(I, R, false);
  } else if (t->Enabled) {
    color = textColors_->Unselected();
    DoGetTextColor(I, 2, color, handled);
  } else {
    // Embossed: a light copy one pixel down and right under the caption.
    color = textColors_->DisabledHighlight();
    DoGetTextColor(I, 3, color, handled);
    if (!t->Caption.empty()) DrawTabText(I, text, color, 1);
    handled = false;
    color = textColors_->DisabledShadow();
    DoGetTextColor(I, 4, color, handled);
  }
  if (!t->Caption.empty()) fitted = DrawTabText(I, text, color, 0);
  if (showFocusRect_ && I == tabIndex_ && HandleAllocated() && ::GetFocus() == Handle()) DrawTabFocusRect(fitted);
}

HFONT TRzCustomTabControl::SelectTabFont(TFontStyles Style) {
  LOGFONTW lf{};
  lf.lfHeight = workFont_->Height();
  lf.lfWidth = 0;
  Integer esc = 0;
  if (Vertical()) esc = tabOrientation_ == toRight ? 2700 : 900;
  lf.lfEscapement = esc;
  lf.lfOrientation = 0;
  lf.lfWeight = Style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = Style.Contains(fsItalic);
  lf.lfUnderline = Style.Contains(fsUnderline);
  lf.lfStrikeOut = Style.Contains(fsStrikeOut);
  lf.lfCharSet = DEFAULT_CHARSET;
  std::wstring face = Utf8ToWide(workFont_->Name());
  face.resize(std::min<size_t>(face.size(), LF_FACESIZE - 1));
  std::copy(face.begin(), face.end(), lf.lfFaceName);
  HFONT font = ::CreateFontIndirectW(&lf);
  HDC dc = offScreen_->Canvas()->Handle();
  if (::SaveDC(dc) == 0) {
    ::DeleteObject(font);
    throw Exception("Error saving device context");
  }
  fontStack_.push_back(font);
  ::SelectObject(dc, font);
  return font;
}

void TRzCustomTabControl::RestoreTabFont() {
  HDC dc = offScreen_->Canvas()->Handle();
  bool ok = ::RestoreDC(dc, -1);
  if (!fontStack_.empty()) {
    ::DeleteObject(fontStack_.back());
    fontStack_.pop_back();
  }
  if (!ok) throw Exception("Error restoring device context");
}

TSize TRzCustomTabControl::TextExtentIn(const std::string& Text) {
  HDC dc = offScreen_->Canvas()->Handle();
  std::wstring w = Utf8ToWide(Text);
  SIZE sz{};
  ::GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &sz);
  return TSize{sz.cx, sz.cy};
}

TRect TRzCustomTabControl::DrawTabText(Integer I, const TRect& TextArea, TColor Color, Integer Offset) {
  TFontStyles style = workFont_->Style();
  if (I == tabIndex_ && boldCurrentTab_) style.Include(fsBold);
  textStyle_ = style;
  std::vector<std::string> lines = CaptionLines(tabs_->Items(I)->Caption);
  std::vector<TSize> ext;
  TSize whole{0, 0};
  SelectTabFont(style);
  for (const std::string& line : lines) {
    TSize e = TextExtentIn(StripAccel(line));
    if (Vertical()) std::swap(e.cx, e.cy);
    ext.push_back(e);
    if (Vertical()) {
      whole.cx += e.cx;
      whole.cy = std::max<Integer>(whole.cy, e.cy);
    } else {
      whole.cx = std::max<Integer>(whole.cx, e.cx);
      whole.cy += e.cy;
    }
  }
  RestoreTabFont();

  TRect r = TextArea;
  if (!Vertical()) {
    if (textAlignmentVertical_ == vaCenter) {
      Integer d = (r.Bottom - r.Top - whole.cy) / 2;
      r.Top += d;
      r.Bottom -= d;
    } else if (textAlignmentVertical_ == vaBottom) {
      r.Top = r.Bottom - whole.cy;
    }
  } else if (tabOrientation_ == toRight) {
    if (textAlignment_ == haLeft) {
      r.Right = r.Left + whole.cx;
    } else if (textAlignment_ == haCenter) {
      Integer d = (r.Right - r.Left - whole.cx) / 2;
      r.Left += d;
      r.Right -= d;
    }
  } else {
    if (textAlignment_ == haCenter) {
      Integer d = (r.Right - r.Left - whole.cx) / 2;
      r.Left += d;
      r.Right -= d;
    } else if (textAlignment_ == haRight) {
      r.Left = r.Right - whole.cx;
    }
  }

  Integer a = 0;
  for (size_t k = 0; k < lines.size(); ++k) {
    Integer w = ext[k].cx, h = ext[k].cy, x, y;
    if (!Vertical()) {
      x = r.Left + (textAlignment_ == haCenter ? (r.Right - r.Left - w) / 2
                    : textAlignment_ == haRight ? r.Right - r.Left - w : 0);
      y = r.Top + a;
      a += h;
    } else if (tabOrientation_ == toRight) {
      x = r.Right - a;
      y = r.Top + (textAlignmentVertical_ == vaCenter ? (r.Bottom - r.Top - h) / 2
                   : textAlignmentVertical_ == vaBottom ? r.Bottom - r.Top - h : 0);
      a += w;
    } else {
      x = r.Left + a;
      y = r.Bottom - (textAlignmentVertical_ == vaTop ? r.Bottom - r.Top - h
                      : textAlignmentVertical_ == vaCenter ? (r.Bottom - r.Top - h) / 2 : 0);
      a += w;
    }
    DrawAccelText(x + Offset, y + Offset, lines[k], Color);
  }
  return r;
}

void TRzCustomTabControl::DrawAccelText(Integer X, Integer Y, const std::string& Line, TColor Color) {
  std::vector<std::string> parts;
  size_t amp = Line.find('&');
  if (amp == std::string::npos) {
    parts = {Line};
  } else if (amp + 1 < Line.size() && Line[amp + 1] == '&') {
    parts = {Line.substr(0, amp + 1), Line.substr(amp + 2)};  // "&&" shows one ampersand
  } else {
    // The accelerator: the character after "&" is underlined. A trailing "&"
    // leaves an empty middle part.
    size_t len = amp + 1 < Line.size() ? 1 : 0;
    parts = {Line.substr(0, amp), Line.substr(amp + 1, len), Line.substr(std::min(Line.size(), amp + 1 + len))};
  }
  HDC dc = offScreen_->Canvas()->Handle();
  for (size_t k = 0; k < parts.size(); ++k) {
    TFontStyles style = textStyle_;
    if (parts.size() == 3 && k == 1) style.Include(fsUnderline);
    SelectTabFont(style);
    ::SetTextColor(dc, ColorToRGB(Color) & 0xFFFFFF);
    ::SetBkMode(dc, TRANSPARENT);
    std::wstring w = Utf8ToWide(parts[k]);
    ::TextOutW(dc, X, Y, w.c_str(), static_cast<int>(w.size()));
    TSize e = TextExtentIn(parts[k]);
    RestoreTabFont();
    if (parts.size() > 1 && !parts[k].empty()) {
      if (!Vertical()) X += e.cx;
      else if (tabOrientation_ == toRight) Y += e.cx;  // text runs downward
      else Y -= e.cx;                                   // text runs upward
    }
  }
}

void TRzCustomTabControl::DrawHighlightBar(Integer I, const TRect& R, bool Hot) {
  (void)I;
  TRect r = R;
  Inflate(r, 1, 1);
  switch (tabOrientation_) {
    case toTop: r.Bottom = r.Top + 6; break;
    case toLeft: r.Right = r.Left + 6; break;
    case toBottom: r.Top = r.Bottom - 4; break;
    case toRight: r.Left = r.Right - 4; break;
  }
  TColor color;
  if (!Hot) {
    color = tabColors_->HighlightBar();
  } else if (hotTrackColorType_ == htctActual) {
    color = hotTrackColor_;
  } else {
    Byte hue = HueOfColor(hotTrackColor_);
    hue = hue >= 120 ? hue - 120 : hue + 120;
    color = ColorFromHslBytes(hue, 240, 140);
  }
  // Filled as a rectangle without a pen: one pixel short on the right and
  // bottom; the tab's clip region shapes the bar to the outline.
  TCanvas* cv = offScreen_->Canvas();
  TColor old = cv->Brush()->Color();
  cv->Brush()->SetStyle(bsSolid);
  cv->Brush()->SetColor(color);
  cv->FillRect(Rect(r.Left, r.Top, r.Right - 1, r.Bottom - 1));
  cv->Brush()->SetColor(old);
}

void TRzCustomTabControl::DrawTabFocusRect(const TRect& FittedText) {
  TRect r = FittedText;
  if (SideStrip()) Inflate(r, 0, 1);
  else Inflate(r, 1, 0);
  if (tabStyle_ == tsRoundCorners) {
    switch (tabOrientation_) {
      case toTop: r.Top += 1; break;
      case toLeft: r.Left += 2; break;
      case toBottom: r.Bottom -= 1; break;
      case toRight: r.Right -= 2; break;
    }
  }
  offScreen_->Canvas()->DrawFocusRect(r);
}

// ---------------------------------------------------------------------------
// The card.
void TRzCustomTabControl::DrawCard(Integer Row) {
  TRect rect = CardRect(Row);
  if (rect.Left == 0 && rect.Top == 0 && rect.Right == 0 && rect.Bottom == 0) return;
  if (showCard_) {
    rect.Right += 1;
    rect.Bottom += 1;
  }
  TCanvas* cv = offScreen_->Canvas();
  bool handled = false;
  DoPaintCardBackground(cv, Row, rect, handled);
  if (!handled) {
    cv->Brush()->SetStyle(bsSolid);
    cv->Brush()->SetColor(useColoredTabs_ && tabIndex_ >= 0 ? tabs_->Items(tabIndex_)->Color : Color());
    cv->FillRect(rect);
  }
  if (showCardFrame_) {
    outline_.clear();
    outline_.insert(outline_.end(), {opBegin, 1, Row});
    BuildCardOutline(Row);
    ExecuteOutline();
  }
}

void TRzCustomTabControl::AddShadowLines(const TPoint& TR, const TPoint& BR, const TPoint& BL) {
  if (hotOnlyRepaint_) return;
  auto cmd = [&](Integer Op, Integer X, Integer Y) { outline_.insert(outline_.end(), {Op, X, Y}); };
  cmd(opMove, TR.X - 1, TR.Y + 1);
  cmd(opShadow30, BR.X - 1, BR.Y - 1);
  cmd(opShadow30, BL.X, BL.Y - 1);
  cmd(opMove, TR.X - 1, TR.Y);
  cmd(opShadow15, TR.X, TR.Y);
  cmd(opShadow15, BR.X, BR.Y);
  cmd(opShadow15, BL.X, BL.Y);
  cmd(opShadow15, BL.X, BL.Y - 1);
}

void TRzCustomTabControl::BuildCardOutline(Integer Row) {
  TRect c = CardRect(Row);
  TPoint TL = Point(c.Left, c.Top), TR = Point(c.Right, c.Top), BR = Point(c.Right, c.Bottom),
         BL = Point(c.Left, c.Bottom);
  bool gap = Row == 0 && tabIndex_ >= 0 && tabIndex_ >= firstShown_ && IsTabShown(tabIndex_);
  TPoint G1, G2;
  if (gap) {
    TRect t = TabRect(tabIndex_);
    G1 = TabToClient(Point(t.Left + 1, t.Bottom));
    G2 = TabToClient(Point(t.Right, t.Bottom));
  }
  bool shadow = tabOrientation_ == toTop && tabSequence_ == tsStandard && showShadow_;
  bool full = showFullFrame_;
  auto M = [&](Integer X, Integer Y) { outline_.insert(outline_.end(), {opMove, X, Y}); };
  auto L = [&](Integer X, Integer Y) { outline_.insert(outline_.end(), {opLine, X, Y}); };
  auto Mp = [&](const TPoint& P) { M(P.X, P.Y); };
  auto Lp = [&](const TPoint& P) { L(P.X, P.Y); };
  outline_.push_back(opColor);

  if (!gap) {
    if (shadow) {
      Mp(TL);
      L(TR.X - 2, TR.Y);
      L(BR.X - 2, BR.Y - 2);
      L(BL.X, BL.Y - 2);
      Lp(TL);
      AddShadowLines(TR, BR, BL);
    } else {
      Mp(TL);
      Lp(TR);
      if (full) {
        Lp(BR);
        Lp(BL);
        Lp(TL);
      }
    }
    return;
  }

  if (tabStyle_ != tsRoundCorners) {
    switch (tabOrientation_) {
      case toTop:
        Mp(TL);
        Lp(G1);
        Mp(G2);
        if (shadow) {
          L(TR.X - 2, TR.Y);
          L(BR.X - 2, BR.Y - 2);
          L(BL.X, BL.Y - 2);
          L(TL.X, TL.Y - 1);
          AddShadowLines(TR, BR, BL);
        } else {
          Lp(TR);
          if (full) {
            Lp(BR);
            Lp(BL);
            L(TL.X, TL.Y - 1);
          }
        }
        break;
      case toLeft:
        if (full) {
          Mp(TL);
          Lp(TR);
          Lp(BR);
          L(BL.X - 1, BL.Y);
        }
        Mp(BL);
        Lp(G1);
        Mp(G2);
        Lp(TL);
        break;
      case toBottom:
        if (full) {
          Mp(TL);
          Lp(TR);
          L(BR.X, BR.Y + 1);
        }
        Mp(BR);
        L(G2.X - 1, G2.Y);
        M(G1.X - 1, G2.Y);
        Lp(BL);
        if (full) Lp(TL);
        break;
      case toRight:
        if (full) {
          Mp(TL);
          L(TR.X + 1, TR.Y);
        }
        Mp(TR);
        Lp(G1);
        Mp(G2);
        Lp(BR);
        if (full) {
          Lp(BL);
          Lp(TL);
        }
        break;
    }
    return;
  }

  switch (tabOrientation_) {
    case toTop:
      if (shadow) {
        M(BL.X, BL.Y - 2);
        Lp(TL);
        Lp(G1);
        Mp(G2);
        L(TR.X - 2, TR.Y);
        L(BR.X - 2, BR.Y - 2);
        L(BL.X - 1, BL.Y - 2);
        AddShadowLines(TR, BR, BL);
        outline_.push_back(opColor);
        Mp(G2);
        L(G2.X + 1, G2.Y);
      } else {
        if (full) {
          Mp(BL);
          Lp(TL);
        } else {
          Mp(TL);
        }
        Lp(G1);
        Mp(G2);
        Lp(TR);
        if (full) {
          Lp(BR);
          L(BL.X - 1, BL.Y);
        }
        Mp(G2);
        L(G2.X + 1, G2.Y);
      }
      break;
    case toLeft:
      Mp(BL);
      Lp(G1);
      Mp(G2);
      Lp(TL);
      if (full) {
        Lp(TR);
        Lp(BR);
        L(BL.X - 1, BL.Y);
      }
      break;
    case toBottom:
      if (full) {
        Mp(BL);
        Lp(TL);
        Lp(TR);
        Lp(BR);
      } else {
        Mp(BR);
      }
      L(G2.X - 1, G2.Y);
      M(G1.X - 1, G1.Y);
      Lp(BL);
      break;
    case toRight:
      if (full) {
        Mp(BL);
        Lp(TL);
        L(TR.X + 1, TR.Y);
      }
      Mp(TR);
      Lp(G1);
      Mp(G2);
      Lp(BR);
      if (full) L(BL.X - 1, BL.Y);
      break;
  }
}

void TRzCustomTabControl::ExecuteOutline() {
  TCanvas* cv = offScreen_->Canvas();
  std::unique_ptr<TBitmap> parent;
  auto parentImage = [&]() -> TBitmap* {
    // Shadows blend over what the parent shows, captured once per run.
    if (!parent) {
      parent = std::make_unique<TBitmap>();
      parent->SetPixelFormat(pf24bit);
      parent->SetSize(Width(), Height());
      CopyParentBackground(this, parent->Canvas(), false);
    }
    return parent.get();
  };
  TPoint pen{0, 0};
  size_t k = 0;
  while (k < outline_.size()) {
    Integer op = outline_[k++];
    if (op == opColor) {
      cv->Pen()->SetStyle(psSolid);
      cv->Pen()->SetWidth(1);
      cv->Pen()->SetColor(outlineColor_);
      continue;
    }
    if (op == 1) continue;
    if (k + 2 > outline_.size()) break;
    Integer x = outline_[k], y = outline_[k + 1];
    k += 2;
    switch (op) {
      case opBegin: outlineColor_ = OutlineColor(); break;
      case opMove:
        cv->MoveTo(x, y);
        pen = Point(x, y);
        break;
      case opLine:
        cv->MoveTo(pen.X, pen.Y);
        cv->LineTo(x, y);
        pen = Point(x, y);
        break;
      case opShadow30:
      case opShadow15: {
        Byte weight = op == opShadow30 ? 30 : 15;
        TBitmap* p = parentImage();
        Integer dx = x > pen.X ? 1 : x < pen.X ? -1 : 0, dy = y > pen.Y ? 1 : y < pen.Y ? -1 : 0;
        Integer px = pen.X, py = pen.Y;
        for (;;) {
          if (px >= 0 && py >= 0 && px < Width() && py < Height())
            cv->SetPixels(px, py, MixColors(clBlack, p->Canvas()->Pixels(px, py), weight));
          if (px == x && py == y) break;
          px += dx;
          py += dy;
        }
        pen = Point(x, y);
        cv->MoveTo(x, y);
        break;
      }
      default: break;
    }
  }
}
