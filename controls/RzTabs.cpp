#include "controls/RzTabs.h"

#include <algorithm>

#include "platform/Forms.h"
#include "platform/SysUtils.h"

// ---------------------------------------------------------------------------
// Tab records and their list.
void TRzTabData::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TRzTabData*>(Source)) {
    // The rectangle and the row belong to the layout, never copied.
    Caption = s->Caption;
    DisabledIndex = s->DisabledIndex;
    ImageIndex = s->ImageIndex;
    Color = s->Color;
    Enabled = s->Enabled;
    Visible = s->Visible;
    Hint = s->Hint;
    return;
  }
  TPersistent::Assign(Source);
}

void TRzTabDataList::Clear() {
  for (TRzTabData* t : items_) delete t;
  items_.clear();
}

void TRzTabDataList::SetItems(Integer I, TRzTabData* Value) {
  TRzTabData*& slot = items_.at(I);
  if (slot == Value) return;
  delete slot;
  slot = Value;
}

void TRzTabDataList::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TRzTabDataList*>(Source)) {
    if (s == this) return;
    Clear();
    for (TRzTabData* t : s->items_) {
      auto* copy = new TRzTabData;
      copy->Assign(t);
      items_.push_back(copy);
    }
    return;
  }
  TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------
// Colour sets.
#define RZ_COLOR_WRITER(Class, Setter, Field) \
  void Class::Setter(TColor Value) {          \
    if (Value == Field) return;               \
    Field = Value;                            \
    Changed();                                \
  }
RZ_COLOR_WRITER(TRzTabColors, SetHighlightBar, highlightBar_)
RZ_COLOR_WRITER(TRzTabColors, SetShadow, shadow_)
RZ_COLOR_WRITER(TRzTabColors, SetUnselected, unselected_)
RZ_COLOR_WRITER(TRzTextColors, SetDisabledHighlight, disabledHighlight_)
RZ_COLOR_WRITER(TRzTextColors, SetDisabledShadow, disabledShadow_)
RZ_COLOR_WRITER(TRzTextColors, SetSelected, selected_)
RZ_COLOR_WRITER(TRzTextColors, SetUnselected, unselected_)
#undef RZ_COLOR_WRITER

void TRzTabColors::Changed() {
  if (owner_) owner_->Invalidate();
}
void TRzTextColors::Changed() {
  if (owner_) owner_->Invalidate();
}

void TRzTabColors::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TRzTabColors*>(Source)) {
    SetHighlightBar(s->highlightBar_);
    SetShadow(s->shadow_);
    SetUnselected(s->unselected_);
    return;
  }
  TPersistent::Assign(Source);
}

void TRzTextColors::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TRzTextColors*>(Source)) {
    SetDisabledHighlight(s->disabledHighlight_);
    SetDisabledShadow(s->disabledShadow_);
    SetSelected(s->selected_);
    SetUnselected(s->unselected_);
    return;
  }
  TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------
// Region cache.
static bool SameRect(const TRect& A, const TRect& B) {
  return A.Left == B.Left && A.Top == B.Top && A.Right == B.Right && A.Bottom == B.Bottom;
}

HRGN TRzTabRegionCache::LookupRegion(const TRect& R) const {
  for (const TItem& it : items_)
    if (SameRect(it.R, R)) return it.Region;
  return nullptr;
}

void TRzTabRegionCache::StoreRegion(const TRect& R, HRGN Region) {
  auto found = std::find_if(items_.begin(), items_.end(), [&](const TItem& it) { return SameRect(it.R, R); });
  if (found != items_.end() && found->Region) {
    TItem keep = *found;
    if (Region && Region != keep.Region) ::DeleteObject(Region);  // the cached one stays
    items_.erase(found);
    items_.insert(items_.begin(), keep);
  } else {
    items_.insert(items_.begin(), TItem{R, Region});
  }
  if (capacity_ != -1 && Count() > capacity_) FreeLast();
}

void TRzTabRegionCache::FreeLast() {
  if (items_.empty()) return;
  if (items_.back().Region) ::DeleteObject(items_.back().Region);
  items_.pop_back();
}

void TRzTabRegionCache::ClearRegions() {
  while (!items_.empty()) FreeLast();
}

void TRzTabRegionCache::ChangeCapacity(Integer N) {
  if (N == 0 || N < -1) throw Exception("Capacity must be -1 (to cache all regions) or > 0");
  if (N == capacity_) return;
  capacity_ = N;
  if (N != -1)
    while (Count() > N) FreeLast();
}

// ---------------------------------------------------------------------------
// The control.
TRzCustomTabControl::TRzCustomTabControl(TComponent* AOwner) : TCustomControl(AOwner) {
  RegisterRzTabsClasses();
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks};
  offScreen_ = std::make_unique<TBitmap>();
  offScreen_->SetPixelFormat(pf24bit);
  offScreen_->SetSize(300, 100);
  tabs_ = std::make_unique<TRzTabDataList>();
  tabColors_ = std::make_unique<TRzTabColors>(this);
  textColors_ = std::make_unique<TRzTextColors>(this);
  workFont_ = std::make_unique<TFont>();
  workFont_->Assign(Font());
  regionCache_ = std::make_unique<TRzTabRegionCache>(1);
  SetTabStop(true);
  SetBounds(Left(), Top(), 300, 100);
  layoutDirty_ = true;
}

TRzCustomTabControl::~TRzCustomTabControl() {
  StopHotTimer();
  for (HFONT f : fontStack_) ::DeleteObject(f);
}

void TRzCustomTabControl::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  // The whole control is repainted off screen; a resize needs no full redraw.
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
  // The scroller and the close button are child windows over the strip; the
  // strip's paint must not cover them.
  Params.Style |= WS_CLIPCHILDREN;
}

Integer TRzCustomTabControl::AddTab(const std::string& Caption) {
  auto* t = new TRzTabData;
  t->Caption = Caption;
  tabs_->Add(t);
  RequestLayout();
  return tabs_->Count() - 1;
}

void TRzCustomTabControl::FullRepaint() {
  hotOnlyRepaint_ = false;
  Invalidate();
}

void TRzCustomTabControl::SetLayoutDirty(bool Value) {
  if (Value == layoutDirty_) return;
  layoutDirty_ = Value;
  if (Value) FullRepaint();
}

void TRzCustomTabControl::SetHotTab(Integer Value) {
  if (Value == hotTab_) return;
  hotTab_ = Value;
  FullRepaint();
}

void TRzCustomTabControl::SetFirstShownTab(Integer Value) {
  if (Value == firstShown_ || Value < 0 || Value >= tabs_->Count()) return;
  firstShown_ = Value;
  FullRepaint();
}

#define RZ_TAB_WRITER(Setter, Type, Field, After) \
  void TRzCustomTabControl::Setter(Type Value) {  \
    if (Value == Field) return;                   \
    Field = Value;                                \
    After;                                        \
  }
#define RZ_TAB_INT_WRITER(Setter, Field, After)     \
  void TRzCustomTabControl::Setter(Integer Value) { \
    if (Value < 0 || Value == Field) return;        \
    Field = Value;                                  \
    After;                                          \
  }

void TRzCustomTabControl::SetAlignTabs(bool Value) {
  if (Value == alignTabs_) return;
  alignTabs_ = Value;
  if (multiLine_) RequestLayout();
}
void TRzCustomTabControl::SetBackgroundColor(TColor Value) {
  if (Value == backgroundColor_) return;
  backgroundColor_ = Value;
  parentBackgroundColor_ = false;
  FullRepaint();
}
RZ_TAB_WRITER(SetBoldCurrentTab, bool, boldCurrentTab_, RequestLayout())
RZ_TAB_WRITER(SetUseColoredTabs, bool, useColoredTabs_, FullRepaint())
void TRzCustomTabControl::SetCutCornerSize(Integer Value) {
  if (Value < 0 || Value == cutCornerSize_) return;
  cutCornerSize_ = Value;
  if (tabStyle_ == tsCutCorner) RequestLayout();
}
RZ_TAB_WRITER(SetFlatColor, TColor, flatColor_, PushFrameColor(); FullRepaint())
RZ_TAB_INT_WRITER(SetFlatColorAdjustment, flatColorAdjustment_, PushFrameColor(); FullRepaint())
RZ_TAB_WRITER(SetImagePosition, TRzImagePosition, imagePosition_, RequestLayout())
RZ_TAB_WRITER(SetImageAlignment, TRzHorizontalAlignment, imageAlignment_, RequestLayout())
RZ_TAB_INT_WRITER(SetImageMargin, imageMargin_, RequestLayout())
RZ_TAB_WRITER(SetImageAlignmentVertical, TRzVerticalAlignment, imageAlignmentVertical_, RequestLayout())
RZ_TAB_WRITER(SetHotTrack, bool, hotTrack_, if (!Value && !tabHints_) StopHotTimer())
RZ_TAB_WRITER(SetHotTrackColor, TColor, hotTrackColor_, FullRepaint())
RZ_TAB_WRITER(SetHotTrackColorType, TRzHotTrackColorType, hotTrackColorType_, FullRepaint())
RZ_TAB_WRITER(SetHotTrackStyle, TRzHotTrackStyle, hotTrackStyle_, FullRepaint())
RZ_TAB_WRITER(SetImages, TCustomImageList*, images_, RequestLayout())
RZ_TAB_INT_WRITER(SetMargin, margin_, RequestLayout())
RZ_TAB_WRITER(SetMultiLine, bool, multiLine_, RequestLayout())
void TRzCustomTabControl::SetParentBackgroundColor(bool Value) {
  if (Value == parentBackgroundColor_) return;
  parentBackgroundColor_ = Value;
  if (Parent()) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}
RZ_TAB_INT_WRITER(SetRowIndent, rowIndent_, RequestLayout())
RZ_TAB_INT_WRITER(SetRowOverlap, rowOverlap_, RequestLayout())
RZ_TAB_WRITER(SetShowCard, bool, showCard_, RequestLayout())
RZ_TAB_WRITER(SetShowCardFrame, bool, showCardFrame_, RequestLayout())
void TRzCustomTabControl::SetShowCloseButton(bool Value) {
  if (Value == showCloseButton_) return;
  showCloseButton_ = Value;
  if (Value) EnsureCloseButton();
  if (closeButton_) closeButton_->SetVisible(Value);
  RequestLayout();
  FullRepaint();
}
RZ_TAB_WRITER(SetShowFocusRect, bool, showFocusRect_, Invalidate())
void TRzCustomTabControl::SetShowFullFrame(bool Value) {
  if (Value == showFullFrame_) return;
  showFullFrame_ = Value;
  if (!Value) showShadow_ = false;  // the shadow needs the whole frame
  RequestLayout();
}
void TRzCustomTabControl::SetShowShadow(bool Value) {
  if (Value == showShadow_) return;
  showShadow_ = Value;
  if (Value) showFullFrame_ = true;
  RequestLayout();
  FullRepaint();
}
void TRzCustomTabControl::SetTextOrientation(TOrientation Value) {
  if (Value == textOrientation_) return;
  textOrientation_ = Value;
  // Only outline fonts turn; a bitmap font is replaced by one that does.
  if (!ComponentState().Contains(csLoading) && Value == orVertical && !FontIsTrueType(Font()))
    Font()->SetName("Verdana");
  RequestLayout();
}
RZ_TAB_INT_WRITER(SetTabHeight, tabHeight_, RequestLayout())
RZ_TAB_WRITER(SetTabHints, bool, tabHints_, if (!Value && !hotTrack_) StopHotTimer())
void TRzCustomTabControl::SetTabOrientation(TRzTabOrientation Value) {
  if (Value == tabOrientation_) return;
  tabOrientation_ = Value;
  if (!ComponentState().Contains(csLoading) && !ComponentState().Contains(csReading)) RequestLayout();
}
void TRzCustomTabControl::SetRegionCacheCapacity(Integer Value) {
  if (Value == 0 || Value < -1 || Value == regionCacheCapacity_) return;
  regionCacheCapacity_ = Value;
  regionCache_->ChangeCapacity(Value);
}
RZ_TAB_WRITER(SetTabSequence, TRzTabSequence, tabSequence_, RequestLayout())
RZ_TAB_WRITER(SetTabStyle, TRzTabStyle, tabStyle_, RequestLayout())
RZ_TAB_INT_WRITER(SetTabWidth, tabWidth_, RequestLayout())
RZ_TAB_WRITER(SetTextAlignment, TRzHorizontalAlignment, textAlignment_, RequestLayout())
RZ_TAB_WRITER(SetTextAlignmentVertical, TRzVerticalAlignment, textAlignmentVertical_, RequestLayout())
RZ_TAB_WRITER(SetTransparent, bool, transparent_, FullRepaint())
RZ_TAB_WRITER(SetUseGradients, bool, useGradients_, FullRepaint())
#undef RZ_TAB_WRITER
#undef RZ_TAB_INT_WRITER

void TRzCustomTabControl::DoChanging(Integer NewIndex, bool& AllowChange) {
  if (OnChanging) OnChanging(this, NewIndex, AllowChange);
}
void TRzCustomTabControl::DoGetTextColor(Integer ATabIndex, Integer AStyle, TColor& AColor, bool& Handled) {
  if (OnGetTextColor) OnGetTextColor(this, ATabIndex, AStyle, AColor, Handled);
}
void TRzCustomTabControl::DoPaintBackground(TCanvas* ACanvas, const TRect& ARect, bool& Handled) {
  if (OnPaintBackground) OnPaintBackground(this, ACanvas, ARect, Handled);
}
void TRzCustomTabControl::DoPaintCardBackground(TCanvas* ACanvas, Integer ARow, const TRect& ARect,
                                                bool& Handled) {
  if (OnPaintCardBackground) OnPaintCardBackground(this, ACanvas, ARow, ARect, Handled);
}
void TRzCustomTabControl::DoPaintTabBackground(TCanvas* ACanvas, Integer ATabIndex, const TRect& ARect,
                                               bool& Handled) {
  if (OnPaintTabBackground) OnPaintTabBackground(this, ACanvas, ATabIndex, ARect, Handled);
}
void TRzCustomTabControl::NotifyChange() {
  if (OnChange) OnChange(this);
}

void TRzCustomTabControl::AlignControls(TControl* AControl, TRect& Rect) {
  PlaceButtons();
  Rect = PageRect();
  TCustomControl::AlignControls(AControl, Rect);
  lastPageRect_ = PageRect();
}

void TRzCustomTabControl::Loaded() {
  TCustomControl::Loaded();
  savedHint_ = Hint();
  layoutDirty_ = true;
  if (textOrientation_ == orVertical && !FontIsTrueType(Font())) Font()->SetName("Verdana");
  Integer index = tabIndex_;
  tabIndex_ = -1;
  SetTabIndex(index);
}

void TRzCustomTabControl::WMEraseBkgnd(TMessage& Message) {
  Message.Result = 1;  // everything is painted off screen
}

void TRzCustomTabControl::WMSize(TMessage& Message) {
  TCustomControl::WMSize(Message);
  RequestLayout();
}

void TRzCustomTabControl::WMSetFocus(TMessage& Message) {
  FullRepaint();
  TCustomControl::WMSetFocus(Message);
}

void TRzCustomTabControl::WMKillFocus(TMessage& Message) {
  FullRepaint();
  TCustomControl::WMKillFocus(Message);
}

void TRzCustomTabControl::CMFontChanged(TMessage& Message) {
  workFont_->Assign(Font());
  RequestLayout();
  TCustomControl::CMFontChanged(Message);
}

void TRzCustomTabControl::CMColorChanged(TMessage& Message) {
  TCustomControl::CMColorChanged(Message);
  FullRepaint();
}

void TRzCustomTabControl::CMParentColorChanged(TMessage& Message) {
  TCustomControl::CMParentColorChanged(Message);
  if (parentBackgroundColor_ && Parent()) {
    SetBackgroundColor(Parent()->Color());
    parentBackgroundColor_ = true;
  }
}
