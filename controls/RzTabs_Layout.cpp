// Tab layout: sizes, rows, placement in strip coordinates, the card, the
// mapping to the window and the scroll viewport.
#include <algorithm>
#include <cstdlib>

#include "controls/RzTabs.h"

namespace {

std::vector<std::string> SplitLines(const std::string& Text);

}  // namespace

// A caption line as shown: "&&" is one ampersand, a single "&" disappears.
std::string TRzCustomTabControl::StripAccel(const std::string& Line) {
  std::string out;
  for (size_t i = 0; i < Line.size(); ++i) {
    if (Line[i] == '&') {
      if (i + 1 < Line.size() && Line[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += Line[i];
  }
  return out;
}

namespace {

std::vector<std::string> SplitLines(const std::string& Text) {
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

bool SameRect(const TRect& A, const TRect& B) {
  return A.Left == B.Left && A.Top == B.Top && A.Right == B.Right && A.Bottom == B.Bottom;
}

}  // namespace

// ---------------------------------------------------------------------------
// Sizes.
TRect TRzCustomTabControl::ClientBox() {
  TRect r = HandleAllocated() ? ClientRect() : Rect(0, 0, Width(), Height());
  return Rect(0, 0, r.Right - 1, r.Bottom - 1);
}

Integer TRzCustomTabControl::StripThickness() {
  if (showCard_)
    return (tabStyle_ == tsRoundCorners ? 3 : 0) + fixedDimension_ +
           (fixedDimension_ - rowOverlap_) * (rowCount_ - 1);
  Integer t = SideStrip() ? Width() - 1 : Height() - 1;
  if (tabStyle_ == tsRoundCorners && (tabOrientation_ == toBottom || tabOrientation_ == toRight)) --t;
  return t;
}

TRect TRzCustomTabControl::TabStripRect() {
  Integer t = StripThickness(), w = Width() - 1, h = Height() - 1;
  switch (tabOrientation_) {
    case toTop: return Rect(0, 0, w - (showShadow_ ? 2 : 0), t);
    case toLeft: return Rect(0, 0, t, h);
    case toBottom: return Rect(0, h - t, w, h);
    case toRight: break;
  }
  return Rect(w - t, 0, w, h);
}

Integer TRzCustomTabControl::TabStripLength() {
  TRect s = TabStripRect();
  return SideStrip() ? s.Bottom - s.Top : s.Right - s.Left;
}

Integer TRzCustomTabControl::Overlap(Integer X) const {
  switch (tabStyle_) {
    case tsSingleSlant: return X / 2;
    case tsDoubleSlant: return X;
    default: return -1;  // cut and round tabs stand one pixel apart
  }
}

TSize TRzCustomTabControl::LineExtent(TCanvas* Canvas, const std::string& Line) {
  TSize e = Canvas->TextExtent(StripAccel(Line));
  if (Vertical()) std::swap(e.cx, e.cy);
  return e;
}

TSize TRzCustomTabControl::MinimumContent(TCanvas* Canvas) {
  TSize e = LineExtent(Canvas, tabStyle_ == tsRoundCorners ? "AAA" : "A");
  Integer across = std::abs(workFont_->Height());
  return Vertical() ? TSize{across, e.cy} : TSize{e.cx, across};
}

TSize TRzCustomTabControl::TabContentSize(Integer I, TCanvas* Canvas) {
  TRzTabData* t = tabs_->Items(I);
  TSize img{0, 0};
  if (images_ && t->ImageIndex != -1) img = TSize{images_->Width(), images_->Height()};
  TSize text{0, 0};
  if (!t->Caption.empty()) {
    for (const std::string& line : SplitLines(t->Caption)) {
      TSize e = LineExtent(Canvas, line);
      if (Vertical()) {
        text.cx += e.cx;
        text.cy = std::max<Integer>(text.cy, e.cy);
      } else {
        text.cx = std::max<Integer>(text.cx, e.cx);
        text.cy += e.cy;
      }
    }
  }
  TSize c;
  switch (imagePosition_) {
    case ipLeft:
    case ipRight: c = TSize{imageMargin_ + img.cx + text.cx, std::max<Integer>(img.cy, text.cy)}; break;
    case ipTop:
    case ipBottom: c = TSize{std::max<Integer>(img.cx, text.cx), imageMargin_ + img.cy + text.cy}; break;
    case ipBack: c = TSize{std::max<Integer>(img.cx, text.cx), std::max<Integer>(img.cy, text.cy)}; break;
    case ipStretch: c = text; break;
  }
  TSize m = MinimumContent(Canvas);
  if (tabWidth_ == 0) c.cx = std::max<Integer>(c.cx, m.cx);
  if (tabHeight_ == 0) c.cy = std::max<Integer>(c.cy, m.cy);
  return c;
}

TSize TRzCustomTabControl::TabSizeFromContent(TSize Content) {
  Integer a = Content.cx, b = Content.cy, cut = cutCornerSize_;
  bool side = SideStrip(), vert = Vertical();
  TSize s{0, 0};
  switch (tabStyle_) {
    case tsSingleSlant:
      s = side ? TSize{a + 6, b + 6 + 2 * Overlap(a + 6) + tabHeight_ / 2}
               : TSize{a + 6 + 2 * Overlap(b + 6) + tabHeight_ / 2, b + 6};
      break;
    case tsDoubleSlant:
      s = side ? TSize{a + 6, 2 * a + b + 10 + tabHeight_} : TSize{a + 2 * b + 10 + tabHeight_, b + 6};
      break;
    case tsCutCorner:
      if (side)
        s = vert ? TSize{a + 7, b + 2 * cut + 8} : TSize{a + cut + 7, b + 10};
      else
        s = vert ? TSize{a + 10, b + cut + 7} : TSize{a + 2 * cut + 8, b + 7};
      break;
    case tsRoundCorners: s = vert ? TSize{a + 6, b + 16} : TSize{a + 16, b + 6}; break;
  }
  if (tabWidth_ > 0) s.cx = tabWidth_;
  if (tabHeight_ > 0) s.cy = tabHeight_;
  return s;
}

Integer TRzCustomTabControl::TabLength(TSize Size) const { return SideStrip() ? Size.cy : Size.cx; }

// ---------------------------------------------------------------------------
// Layout.
void TRzCustomTabControl::LayoutTabs() {
  Integer n = tabs_->Count();
  std::vector<Integer> lengths(n, 0);
  TBitmap measure;
  measure.SetSize(1, 1);
  TCanvas* cv = measure.Canvas();
  cv->Font()->Assign(workFont_.get());
  if (boldCurrentTab_) {
    // Every tab is measured bold, so widths do not change with the selection.
    TFontStyles st = cv->Font()->Style();
    st.Include(fsBold);
    cv->Font()->SetStyle(st);
  }
  std::vector<TSize> content(n, TSize{0, 0});
  TSize largest{0, 0};
  Integer fixed = 0;
  for (Integer i = 0; i < n; ++i) {
    if (!tabs_->Items(i)->Visible) continue;
    content[i] = TabContentSize(i, cv);
    largest.cx = std::max<Integer>(largest.cx, content[i].cx);
    largest.cy = std::max<Integer>(largest.cy, content[i].cy);
    TSize s = TabSizeFromContent(content[i]);
    fixed = std::max<Integer>(fixed, SideStrip() ? s.cx : s.cy);
  }
  fixedDimension_ = fixed;
  // Every tab of the strip is equally thick: its across part is the largest.
  for (Integer i = 0; i < n; ++i) {
    if (!tabs_->Items(i)->Visible) continue;
    TSize c = content[i];
    if (SideStrip())
      c.cx = largest.cx;
    else
      c.cy = largest.cy;
    lengths[i] = TabLength(TabSizeFromContent(c));
  }
  SetRowCount(CountRows(lengths));
  PlaceTabs(lengths);
  StretchRows();
}

Integer TRzCustomTabControl::CountRows(const std::vector<Integer>& Lengths) {
  if (!multiLine_) return 1;
  std::vector<Integer> shown;
  for (Integer i = 0; i < tabs_->Count(); ++i)
    if (tabs_->Items(i)->Visible) shown.push_back(i);
  if (shown.empty()) return 1;
  Integer L = TabStripLength(), ov = Overlap(fixedDimension_);
  for (Integer j = 1; j <= static_cast<Integer>(shown.size()) + 1; ++j) {
    Integer A = L - 2 * margin_ - (j - 1) * rowIndent_;
    Integer limit = tabStyle_ == tsRoundCorners ? A - 4 : A;
    Integer row = 1, p = margin_;
    bool rowEmpty = true, fitted = true;
    for (Integer k : shown) {
      Integer len = std::min(Lengths[k], limit);
      if (p + len < A) {
        p += len - ov + 1;
        rowEmpty = false;
        continue;
      }
      if (!rowEmpty) {
        if (row == j) {
          fitted = false;
          break;
        }
        ++row;
        p = margin_;
        if (p + len < A) {
          p += len - ov + 1;
          rowEmpty = false;
          continue;
        }
      }
      // Too long even at the start of a row: it takes the row alone.
      p = A;
      rowEmpty = false;
    }
    if (fitted) return row;
  }
  return static_cast<Integer>(shown.size());
}

void TRzCustomTabControl::PlaceTabs(const std::vector<Integer>& Lengths) {
  Integer b = fixedDimension_, L = TabStripLength();
  Integer D = L - 2 * margin_ -
              (multiLine_ ? (rowCount_ - 1) * rowIndent_
                          : (showCloseButton_ ? CloseButtonSize() + 2 : 0) + 2 * ScrollButtonSize() + 2);
  Integer limit = tabStyle_ == tsRoundCorners ? D - 4 : D;
  Integer y0 = StripThickness() - b, row = 0;
  auto wrap = [&] {
    y0 -= b - rowOverlap_;  // rows stack outward
    ++row;
  };
  if (tabSequence_ == tsStandard) {
    Integer e = margin_;
    for (Integer i = 0; i < tabs_->Count(); ++i) {
      TRzTabData* t = tabs_->Items(i);
      if (!t->Visible) continue;
      Integer len = std::min(Lengths[i], limit);
      bool alone = false;
      if (multiLine_ && e + len >= D) {
        if (e == margin_) {
          alone = true;
        } else {
          wrap();
          e = margin_;
          alone = e + len >= D;
        }
      }
      t->Row = row;
      t->TabRect = Rect(e, y0, e + len, y0 + b);
      e += len - Overlap(b) + 1;
      if (alone) {
        wrap();
        e = margin_;
      }
    }
    return;
  }
  Integer f = -margin_;
  for (Integer i = 0; i < tabs_->Count(); ++i) {
    TRzTabData* t = tabs_->Items(i);
    if (!t->Visible) continue;
    Integer len = std::min(Lengths[i], limit);
    bool alone = false;
    if (multiLine_ && f - len <= -D) {
      if (f == -margin_) {
        alone = true;
      } else {
        wrap();
        f = -margin_;
        alone = f - len <= -D;
      }
    }
    t->Row = row;
    t->TabRect = Rect(f - len, y0, f, y0 + b);
    f = f - len + Overlap(b) - 1;
    if (alone) {
      wrap();
      f = -margin_;
    }
  }
  // Only relative positions matter; the view origin maps them to the strip.
  Integer shift = multiLine_ ? Width() : std::abs(f);
  for (Integer i = 0; i < tabs_->Count(); ++i) {
    TRzTabData* t = tabs_->Items(i);
    if (!t->Visible) continue;
    t->TabRect.Left += shift;
    t->TabRect.Right += shift;
  }
}

void TRzCustomTabControl::StretchRows() {
  if (!multiLine_ || !alignTabs_) return;
  if (SideStrip() ? tabHeight_ != 0 : tabWidth_ != 0) return;
  Integer L = TabStripLength();
  Integer n = tabs_->Count();
  Integer i = 0;
  while (i < n) {
    if (!tabs_->Items(i)->Visible) {
      ++i;
      continue;
    }
    // A row: consecutive visible tabs with the same Row.
    std::vector<Integer> members;
    Integer row = tabs_->Items(i)->Row;
    Integer k = i;
    for (; k < n; ++k) {
      TRzTabData* t = tabs_->Items(k);
      if (!t->Visible) continue;
      if (t->Row != row) break;
      members.push_back(k);
    }
    i = k;
    TRzTabData* first = tabs_->Items(members.front());
    TRzTabData* last = tabs_->Items(members.back());
    Integer used = tabSequence_ == tsStandard ? last->TabRect.Right - first->TabRect.Left
                                              : first->TabRect.Right - last->TabRect.Left;
    if (tabStyle_ == tsRoundCorners) used += 4;
    Integer spare = L - 2 * margin_ - (rowCount_ - 1) * rowIndent_ - used;
    if (spare < 1) continue;
    Integer count = static_cast<Integer>(members.size());
    Integer acc = 0;
    for (Integer m = 0; m < count; ++m) {
      Integer grow = spare / count + (m < spare % count ? 1 : 0);
      TRect& r = tabs_->Items(members[m])->TabRect;
      if (tabSequence_ == tsStandard) {
        r.Left += acc;
        acc += grow;
        r.Right += acc;
      } else {
        r.Right -= acc;
        acc += grow;
        r.Left -= acc;
      }
    }
  }
}

void TRzCustomTabControl::RotateRows() {
  if (tabIndex_ < 0 || tabIndex_ >= tabs_->Count()) return;
  Integer m = 0;
  std::vector<TRect> rowBand;  // top and bottom of each row's first visible tab
  std::vector<bool> seen;
  for (Integer i = 0; i < tabs_->Count(); ++i) {
    TRzTabData* t = tabs_->Items(i);
    if (!t->Visible) continue;
    m = std::max(m, t->Row);
    if (t->Row >= static_cast<Integer>(rowBand.size())) {
      rowBand.resize(t->Row + 1);
      seen.resize(t->Row + 1, false);
    }
    if (!seen[t->Row]) {
      seen[t->Row] = true;
      rowBand[t->Row] = t->TabRect;
    }
  }
  Integer s = tabs_->Items(tabIndex_)->Row;
  if (s == 0 || m == 0) return;
  for (Integer i = 0; i < tabs_->Count(); ++i) {
    TRzTabData* t = tabs_->Items(i);
    if (!t->Visible) continue;
    t->Row = (t->Row + m - s + 1) % (m + 1);
    t->TabRect.Top = rowBand[t->Row].Top;
    t->TabRect.Bottom = rowBand[t->Row].Bottom;
  }
  regionCache_->ClearRegions();
}

void TRzCustomTabControl::UpdateScrollerNeed() {
  scrollerNeeded_ = false;
  Integer firstVis = FirstVisibleTab(), lastVis = LastVisibleTab();
  if (multiLine_ || firstVis < 0) return;
  Integer v = TabStripLength() - 2 * margin_ - (showCloseButton_ ? CloseButtonSize() : 0);
  if (tabSequence_ == tsStandard)
    scrollerNeeded_ = v < tabs_->Items(lastVis)->TabRect.Right;
  else
    scrollerNeeded_ = v < tabs_->Items(firstVis)->TabRect.Right;
}

void TRzCustomTabControl::UpdateLayout() {
  if (!layoutDirty_) return;
  layoutDirty_ = false;
  LayoutTabs();
  regionCache_->ClearRegions();
  Integer oldFirst = firstShown_;
  Integer firstVis = FirstVisibleTab();
  UpdateScrollerNeed();
  Integer n = tabs_->Count();
  if (scrollerNeeded_) {
    Integer f = std::max(0, oldFirst);
    while (f < n && !IsTabShown(f)) ++f;
    if (f >= n) {
      f = oldFirst - 1;
      while (f >= 0 && !IsTabShown(f)) --f;
      if (f < 0) f = firstVis;
    }
    firstShown_ = f;
  } else {
    firstShown_ = std::max(firstVis, 0);
  }
  // The selected tab's row goes next to the card after every layout too.
  if (multiLine_ && !scrollerNeeded_) RotateRows();

  Integer target = -1;
  if (firstVis >= 0 && tabIndex_ >= 0) {
    Integer i = tabIndex_;
    while (i < n && !CanSelectTab(i)) ++i;
    if (i >= n) {
      i = std::min(tabIndex_, n - 1);
      while (i >= 0 && !CanSelectTab(i)) --i;
    }
    target = i;
  }
  if (target != tabIndex_) {
    selectionGuard_ = true;
    SetTabIndex(target);
    selectionGuard_ = false;
  }
  if (!SameRect(PageRect(), lastPageRect_)) Realign();
}

// ---------------------------------------------------------------------------
// Geometry queries.
TRect TRzCustomTabControl::TabRect(Integer I) {
  TRzTabData* t = tabs_->Items(I);
  TRect r = t->TabRect;
  Integer dx = t->Row * rowIndent_;
  if (tabSequence_ == tsReverse) dx = -dx;
  r.Left += dx;
  r.Right += dx;
  if (tabStyle_ == tsRoundCorners && I == tabIndex_) {
    r.Left -= 2;
    r.Right += 2;
    r.Top -= 2;
  }
  return r;
}

Integer TRzCustomTabControl::ViewOrigin() {
  Integer round = tabStyle_ == tsRoundCorners ? 2 : 0;
  Integer first = firstShown_;
  if (first < 0 || first >= tabs_->Count() || !tabs_->Items(first)->Visible) first = FirstVisibleTab();
  if (first < 0) return tabSequence_ == tsStandard ? -margin_ - round : margin_ + round;
  const TRect& r = tabs_->Items(first)->TabRect;
  return tabSequence_ == tsStandard ? r.Left - margin_ - round : r.Right + margin_ + round;
}

TPoint TRzCustomTabControl::TabToClient(TPoint P) {
  TRect s = TabStripRect();
  Integer o = ViewOrigin();
  bool std_ = tabSequence_ == tsStandard;
  switch (tabOrientation_) {
    case toTop: return Point((std_ ? s.Left : s.Right) + P.X - o, s.Top + P.Y);
    case toBottom: return Point((std_ ? s.Left : s.Right) + P.X - o, s.Bottom - P.Y);
    case toLeft: return Point(s.Left + P.Y, (std_ ? s.Bottom : s.Top) + o - P.X);
    case toRight: break;
  }
  return Point(s.Right - P.Y, (std_ ? s.Top : s.Bottom) + P.X - o);
}

TRect TRzCustomTabControl::TabRectToClient(const TRect& R) {
  TPoint a = TabToClient(Point(R.Left, R.Top)), b = TabToClient(Point(R.Right, R.Bottom));
  return Rect(std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y));
}

TRect TRzCustomTabControl::CardRect(Integer Row) {
  TRect k = ClientBox();
  if (FirstVisibleTab() < 0 && showCard_) return k;
  Integer T = StripThickness();
  Integer d = Row * (fixedDimension_ - rowOverlap_);
  Integer i = Row * rowIndent_, j = (rowCount_ - Row - 1) * rowIndent_;
  if (tabSequence_ == tsReverse) std::swap(i, j);
  TRect r;
  switch (tabOrientation_) {
    case toTop: r = Rect(k.Left + i, k.Top + T - d, k.Right - j, k.Bottom - d); break;
    case toBottom: r = Rect(k.Left + i, k.Top + d, k.Right - j, k.Bottom - (T - d)); break;
    case toLeft: r = Rect(k.Left + T - d, k.Top + j, k.Right - d, k.Bottom - i); break;
    case toRight: r = Rect(k.Left + d, k.Top + i, k.Right - (T - d), k.Bottom - j); break;
  }
  if (r.Right < r.Left || r.Bottom < r.Top) return Rect(0, 0, 0, 0);
  if (!showCard_) {
    // No card edge shows: the sides without tabs go past the client area.
    if (tabOrientation_ != toLeft) r.Left = k.Left - 3;
    if (tabOrientation_ != toTop) r.Top = k.Top - 3;
    if (tabOrientation_ != toRight) r.Right = k.Right + 3;
    if (tabOrientation_ != toBottom) r.Bottom = k.Bottom + 3;
  }
  return r;
}

TRect TRzCustomTabControl::PageRect() {
  if (!showCard_) return Rect(-2, -2, -1, -1);
  TRect r = CardRect(0);
  if (showCardFrame_ && showFullFrame_) {
    r.Left += 1;
    r.Top += 1;
    if (tabOrientation_ == toTop && tabSequence_ == tsStandard && showShadow_) {
      r.Right -= 2;
      r.Bottom -= 2;
    }
  } else if (showCardFrame_) {
    r.Top += 1;
    r.Right += 1;
    r.Bottom += 1;
  } else {
    r.Right += 1;
    r.Bottom += 1;
  }
  return r;
}

Integer TRzCustomTabControl::ScrollButtonSize() {
  TBitmap measure;
  measure.SetSize(1, 1);
  measure.Canvas()->Font()->Assign(workFont_.get());
  Integer s = measure.Canvas()->TextExtent("A").cy + 4 + (Vertical() ? 2 : 0);
  bool fixedAlongText = (!SideStrip() && !Vertical() && tabHeight_ >= 1) || (SideStrip() && Vertical() && tabWidth_ >= 1);
  return fixedAlongText ? std::max(s, fixedDimension_ - 2) : std::min(s, fixedDimension_ - 2);
}

Integer TRzCustomTabControl::CloseButtonSize() {
  return showCloseButton_ && tabs_->Count() >= 1 ? ScrollButtonSize() : 0;
}

bool TRzCustomTabControl::IsTabShown(Integer I) {
  if (I < 0 || I >= tabs_->Count()) return false;
  TRzTabData* t = tabs_->Items(I);
  if (!t->Visible) return false;
  if (!scrollerNeeded_) return true;
  Integer s = ScrollButtonSize();
  Integer c = TabStripLength() - 2 * s - 2 * margin_ - (showCloseButton_ ? CloseButtonSize() : 0);
  Integer o = ViewOrigin();
  if (tabSequence_ == tsStandard) return t->TabRect.Left >= o && t->TabRect.Right - o <= c;
  return t->TabRect.Right <= o && o - t->TabRect.Left <= c;
}

Integer TRzCustomTabControl::FirstVisibleTab() const {
  for (Integer i = 0; i < tabs_->Count(); ++i)
    if (tabs_->Items(i)->Visible) return i;
  return -1;
}

Integer TRzCustomTabControl::LastVisibleTab() const {
  for (Integer i = tabs_->Count() - 1; i >= 0; --i)
    if (tabs_->Items(i)->Visible) return i;
  return -1;
}

TRect TRzCustomTabControl::ScrollerRect() {
  Integer s = ScrollButtonSize();
  bool side = SideStrip();
  Integer w = side ? s : 2 * s - 1, h = side ? 2 * s - 1 : s;
  if (!scrollerNeeded_) return Rect(-w - 1, -h - 1, -1, -1);
  TRect S = TabStripRect();
  Integer M = margin_, cs = CloseButtonSize();
  Integer k = showCloseButton_ ? cs + M + 2 : M;
  Integer x = 0, y = 0;
  if (tabSequence_ == tsStandard) {
    switch (tabOrientation_) {
      case toTop: x = S.Right - w + 1 - (showShadow_ ? 2 : 0) - k, y = S.Bottom - h - 2; break;
      case toLeft: x = S.Right - w - 2, y = S.Top + k; break;
      case toBottom: x = S.Right - w + 1 - k, y = S.Top + 2; break;
      case toRight: x = S.Left + 2, y = S.Bottom - h + 1 - k; break;
    }
  } else {
    switch (tabOrientation_) {
      case toTop: x = S.Left + k, y = S.Bottom - h - 2; break;
      case toLeft: x = S.Right - w - 2, y = S.Bottom - h + 1 - k; break;
      case toBottom: x = S.Left + k, y = S.Top + 2; break;
      case toRight: x = S.Left + 2, y = S.Top + k; break;
    }
  }
  return Rect(x, y, x + w, y + h);
}

TRect TRzCustomTabControl::CloseButtonRect() {
  Integer cs = CloseButtonSize();
  if (!showCloseButton_ || cs == 0) return Rect(0, 0, 0, 0);
  TRect S = TabStripRect();
  Integer M = margin_, x = 0, y = 0;
  if (tabSequence_ == tsStandard) {
    switch (tabOrientation_) {
      case toTop: x = S.Right - cs - M - 1 + (showShadow_ ? 0 : 2), y = S.Bottom - cs - 2; break;
      case toLeft: x = S.Right - cs - 2, y = S.Top + M; break;
      case toBottom: x = S.Right - cs - M + 1, y = S.Top + 2; break;
      case toRight: x = S.Left + 2, y = S.Bottom - cs - M + 1; break;
    }
  } else {
    switch (tabOrientation_) {
      case toTop: x = S.Left + M, y = S.Bottom - cs - 2; break;
      case toLeft: x = S.Right - cs - 2, y = S.Bottom - cs - M + 1; break;
      case toBottom: x = S.Left + M, y = S.Top + 2; break;
      case toRight: x = S.Left + 2, y = S.Top + M; break;
    }
  }
  return Rect(x, y, x + cs, y + cs);
}

std::vector<TPoint> TRzCustomTabControl::TabShapePoints(Integer I) {
  TRect r = TabRect(I);
  Integer L = r.Left, T = r.Top, R = r.Right, B = r.Bottom, cut = cutCornerSize_;
  switch (tabStyle_) {
    case tsSingleSlant: return {Point(L, B), Point(L, T + 2), Point(L + 2, T), Point(R - (B - T), T), Point(R, B)};
    case tsDoubleSlant: return {Point(L, B), Point(L + (B - T), T), Point(R - (B - T), T), Point(R, B)};
    case tsCutCorner: return {Point(L, B), Point(L, T), Point(R - cut, T), Point(R, T + cut), Point(R, B)};
    case tsRoundCorners: break;
  }
  return {Point(L, B), Point(L, T + 2), Point(L + 2, T), Point(R - 2, T), Point(R, T + 2), Point(R, B)};
}
