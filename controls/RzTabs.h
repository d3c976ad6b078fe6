// Tab control that computes and paints every tab itself: tabs on any side,
// in either direction, in four outline shapes, wrapped into rows or scrolled,
// with a card (the page area) joined to the selected tab. The layout works in
// strip coordinates (tabs standing on top of the card, running left to right)
// and maps to the window only at the end (RzTabs_Layout.cpp); painting goes
// through an off-screen bitmap and a small outline command list
// (RzTabs_Paint.cpp).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/RzButton.h"
#include "controls/RzCommon.h"
#include "controls/RzSpnEdt.h"
#include "platform/ComCtrls.h"
#include "platform/Controls.h"

enum TRzTabOrientation { toTop, toLeft, toBottom, toRight };
enum TRzTabSequence { tsStandard, tsReverse };
enum TRzTabStyle { tsSingleSlant, tsDoubleSlant, tsCutCorner, tsRoundCorners };
enum TRzImagePosition { ipLeft, ipTop, ipRight, ipBottom, ipBack, ipStretch };
enum TRzHorizontalAlignment { haLeft, haCenter, haRight };
enum TRzVerticalAlignment { vaTop, vaCenter, vaBottom };
enum TRzHotTrackStyle { htsTab, htsText };

class TRzCustomTabControl;
class TRzTabSheet;
class TRzPageControl;

// The pair of scroll arrows of a single-line strip that does not fit.
class TRzTabScroller : public TCustomControl {
 public:
  T_CLASSNAME(TRzTabScroller)
  explicit TRzTabScroller(TComponent* AOwner);
  TColor FrameColor() const { return frameColor_; }
  virtual void SetFrameColor(TColor Value);
  TOrientation Orientation() const { return orientation_; }
  virtual void SetOrientation(TOrientation Value);
  // 0 = down/left half, 1 = up/right half.
  Integer PressedHalf() const { return pressedHalf_; }
  bool Tracking() const { return tracking_; }
  bool Inside() const { return inside_; }

  TNotifyEvent OnUpRightClick;
  TNotifyEvent OnDownLeftClick;

 protected:
  virtual void DoDownLeftClick();
  virtual void DoUpRightClick();
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

 private:
  Integer HalfAt(Integer X, Integer Y) const;
  // Whether the half scrolls forward / can scroll now, asked of the owner.
  bool HalfEnabled(Integer Half) const;
  TColor frameColor_ = clBtnShadow;
  TOrientation orientation_ = orHorizontal;
  TRzCustomTabControl* owner_;
  bool tracking_ = false;
  bool inside_ = false;
  Integer pressedHalf_ = 0;
};

// The button at the end of the strip that closes the selected tab.
class TRzTabCloseButton : public TCustomControl {
 public:
  T_CLASSNAME(TRzTabCloseButton)
  explicit TRzTabCloseButton(TComponent* AOwner);
  TColor FrameColor() const { return frameColor_; }
  virtual void SetFrameColor(TColor Value);
  bool Tracking() const { return tracking_; }
  bool Inside() const { return inside_; }

  TNotifyEvent OnClose;

 protected:
  virtual void ClickClose();
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

 private:
  TColor frameColor_ = clBtnShadow;
  TRzCustomTabControl* owner_;
  bool tracking_ = false;
  bool inside_ = false;
};

class TRzTabData : public TPersistent {
 public:
  T_CLASSNAME(TRzTabData)
  std::string Caption;
  TColor Color = clBtnFace;
  Integer DisabledIndex = -1;
  bool Enabled = true;
  std::string Hint;
  Integer ImageIndex = -1;
  TRect TabRect{0, 0, 0, 0};  // strip coordinates, written by the layout
  bool Visible = true;
  Integer Row = 0;  // 0 = the row next to the card

  void Assign(TPersistent* Source) override;
};

class TRzTabDataList : public TPersistent {
 public:
  T_CLASSNAME(TRzTabDataList)
  ~TRzTabDataList() override { Clear(); }
  void Add(TRzTabData* Item) { items_.push_back(Item); }
  void Clear();
  Integer Count() const { return static_cast<Integer>(items_.size()); }
  TRzTabData* Items(Integer I) const { return items_.at(I); }
  void SetItems(Integer I, TRzTabData* Value);
  void Assign(TPersistent* Source) override;

 private:
  std::vector<TRzTabData*> items_;
};

// Colours of tab faces and captions; every change repaints the owner.
class TRzTabColors : public TPersistent {
 public:
  T_CLASSNAME(TRzTabColors)
  explicit TRzTabColors(TRzCustomTabControl* Owner) : owner_(Owner) {}
  TColor HighlightBar() const { return highlightBar_; }
  void SetHighlightBar(TColor Value);
  TColor Shadow() const { return shadow_; }
  void SetShadow(TColor Value);
  TColor Unselected() const { return unselected_; }
  void SetUnselected(TColor Value);
  void Assign(TPersistent* Source) override;

 private:
  void Changed();
  TRzCustomTabControl* owner_;
  TColor highlightBar_ = clHighlight, shadow_ = clBtnFace, unselected_ = clWindow;
};

class TRzTextColors : public TPersistent {
 public:
  T_CLASSNAME(TRzTextColors)
  explicit TRzTextColors(TRzCustomTabControl* Owner) : owner_(Owner) {}
  TColor DisabledHighlight() const { return disabledHighlight_; }
  void SetDisabledHighlight(TColor Value);
  TColor DisabledShadow() const { return disabledShadow_; }
  void SetDisabledShadow(TColor Value);
  TColor Selected() const { return selected_; }
  void SetSelected(TColor Value);
  TColor Unselected() const { return unselected_; }
  void SetUnselected(TColor Value);
  void Assign(TPersistent* Source) override;

 private:
  void Changed();
  TRzCustomTabControl* owner_;
  TColor disabledHighlight_ = clBtnHighlight, disabledShadow_ = clBtnShadow, selected_ = clBtnText,
         unselected_ = clBtnText;
};

// Clipping regions of tab outlines, keyed by the tab's window rectangle, most
// recently used first.
class TRzTabRegionCache {
 public:
  explicit TRzTabRegionCache(Integer Capacity = 1) : capacity_(Capacity) {}
  ~TRzTabRegionCache() { ClearRegions(); }
  TRzTabRegionCache(const TRzTabRegionCache&) = delete;
  TRzTabRegionCache& operator=(const TRzTabRegionCache&) = delete;

  HRGN LookupRegion(const TRect& R) const;
  // Takes ownership of Region unless a region for R is cached already.
  void StoreRegion(const TRect& R, HRGN Region);
  void ClearRegions();
  void ChangeCapacity(Integer N);
  Integer Capacity() const { return capacity_; }
  Integer Count() const { return static_cast<Integer>(items_.size()); }

 private:
  struct TItem {
    TRect R{-1, -1, -1, -1};
    HRGN Region = nullptr;
  };
  void FreeLast();
  std::vector<TItem> items_;
  Integer capacity_;
};

using TRzTabChangingEvent = std::function<void(TObject* Sender, Integer NewIndex, bool& AllowChange)>;
using TRzTabCloseEvent = std::function<void(TObject* Sender, bool& AllowClose)>;
// AStyle: 0 hot, 1 selected, 2 unselected, 3 disabled highlight copy, 4 disabled caption.
using TRzGetTextColorEvent =
    std::function<void(TObject* Sender, Integer ATabIndex, Integer AStyle, TColor& AColor, bool& Handled)>;
using TRzPaintBackgroundEvent =
    std::function<void(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool& Handled)>;
using TRzPaintCardBackgroundEvent =
    std::function<void(TObject* Sender, TCanvas* ACanvas, Integer ARow, const TRect& ARect, bool& Handled)>;
using TRzPaintTabBackgroundEvent =
    std::function<void(TObject* Sender, TCanvas* ACanvas, Integer ATabIndex, const TRect& ARect, bool& Handled)>;

class TRzCustomTabControl : public TCustomControl {
 public:
  T_CLASSNAME(TRzCustomTabControl)
  explicit TRzCustomTabControl(TComponent* AOwner);
  ~TRzCustomTabControl() override;

  // --- tabs
  TRzTabDataList* Tabs() { return tabs_.get(); }
  // Adds a tab with Caption; returns its index.
  Integer AddTab(const std::string& Caption);
  Integer TabIndex() const { return tabIndex_; }
  virtual void SetTabIndex(Integer Value);

  // --- settings ("layout" writers mark the layout dirty, others repaint)
  bool AlignTabs() const { return alignTabs_; }
  virtual void SetAlignTabs(bool Value);
  TColor BackgroundColor() const { return backgroundColor_; }
  virtual void SetBackgroundColor(TColor Value);
  bool BoldCurrentTab() const { return boldCurrentTab_; }
  virtual void SetBoldCurrentTab(bool Value);
  bool UseColoredTabs() const { return useColoredTabs_; }
  virtual void SetUseColoredTabs(bool Value);
  Integer CutCornerSize() const { return cutCornerSize_; }
  virtual void SetCutCornerSize(Integer Value);
  TColor FlatColor() const { return flatColor_; }
  virtual void SetFlatColor(TColor Value);
  Integer FlatColorAdjustment() const { return flatColorAdjustment_; }
  virtual void SetFlatColorAdjustment(Integer Value);
  TRzImagePosition ImagePosition() const { return imagePosition_; }
  virtual void SetImagePosition(TRzImagePosition Value);
  TRzHorizontalAlignment ImageAlignment() const { return imageAlignment_; }
  virtual void SetImageAlignment(TRzHorizontalAlignment Value);
  Integer ImageMargin() const { return imageMargin_; }
  virtual void SetImageMargin(Integer Value);
  TRzVerticalAlignment ImageAlignmentVertical() const { return imageAlignmentVertical_; }
  virtual void SetImageAlignmentVertical(TRzVerticalAlignment Value);
  bool HotTrack() const { return hotTrack_; }
  virtual void SetHotTrack(bool Value);
  TColor HotTrackColor() const { return hotTrackColor_; }
  virtual void SetHotTrackColor(TColor Value);
  TRzHotTrackColorType HotTrackColorType() const { return hotTrackColorType_; }
  virtual void SetHotTrackColorType(TRzHotTrackColorType Value);
  TRzHotTrackStyle HotTrackStyle() const { return hotTrackStyle_; }
  virtual void SetHotTrackStyle(TRzHotTrackStyle Value);
  TCustomImageList* Images() const { return images_; }
  virtual void SetImages(TCustomImageList* Value);
  Integer Margin() const { return margin_; }
  virtual void SetMargin(Integer Value);
  bool MultiLine() const { return multiLine_; }
  virtual void SetMultiLine(bool Value);
  bool ParentBackgroundColor() const { return parentBackgroundColor_; }
  virtual void SetParentBackgroundColor(bool Value);
  Integer RowIndent() const { return rowIndent_; }
  virtual void SetRowIndent(Integer Value);
  Integer RowOverlap() const { return rowOverlap_; }
  virtual void SetRowOverlap(Integer Value);
  bool ShowCard() const { return showCard_; }
  virtual void SetShowCard(bool Value);
  bool ShowCardFrame() const { return showCardFrame_; }
  virtual void SetShowCardFrame(bool Value);
  bool ShowCloseButton() const { return showCloseButton_; }
  virtual void SetShowCloseButton(bool Value);
  bool ShowFocusRect() const { return showFocusRect_; }
  virtual void SetShowFocusRect(bool Value);
  bool ShowFullFrame() const { return showFullFrame_; }
  virtual void SetShowFullFrame(bool Value);
  bool ShowShadow() const { return showShadow_; }
  virtual void SetShowShadow(bool Value);
  TOrientation TextOrientation() const { return textOrientation_; }
  virtual void SetTextOrientation(TOrientation Value);
  TRzTabColors* TabColors() const { return tabColors_.get(); }
  Integer TabHeight() const { return tabHeight_; }
  virtual void SetTabHeight(Integer Value);
  bool TabHints() const { return tabHints_; }
  virtual void SetTabHints(bool Value);
  TRzTabOrientation TabOrientation() const { return tabOrientation_; }
  virtual void SetTabOrientation(TRzTabOrientation Value);
  Integer RegionCacheCapacity() const { return regionCacheCapacity_; }
  virtual void SetRegionCacheCapacity(Integer Value);
  TRzTabSequence TabSequence() const { return tabSequence_; }
  virtual void SetTabSequence(TRzTabSequence Value);
  TRzTabStyle TabStyle() const { return tabStyle_; }
  virtual void SetTabStyle(TRzTabStyle Value);
  Integer TabWidth() const { return tabWidth_; }
  virtual void SetTabWidth(Integer Value);
  TRzTextColors* TextColors() const { return textColors_.get(); }
  TRzHorizontalAlignment TextAlignment() const { return textAlignment_; }
  virtual void SetTextAlignment(TRzHorizontalAlignment Value);
  TRzVerticalAlignment TextAlignmentVertical() const { return textAlignmentVertical_; }
  virtual void SetTextAlignmentVertical(TRzVerticalAlignment Value);
  bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool Value);
  bool UseGradients() const { return useGradients_; }
  virtual void SetUseGradients(bool Value);
  Integer FixedDimension() const { return fixedDimension_; }
  void SetFixedDimension(Integer Value) { fixedDimension_ = Value; }
  Integer HotTab() const { return hotTab_; }
  // Marks the hot tab (hot tracking drives it); repaints when it changes.
  void SetHotTab(Integer Value);

  // --- layout. Lazy: writers only mark it dirty, the next paint lays out.
  virtual void RequestLayout() { SetLayoutDirty(true); }
  virtual void SetLayoutDirty(bool Value);
  bool LayoutDirty() const { return layoutDirty_; }
  // Runs the layout now when it is dirty (the paint does it first).
  void UpdateLayout();
  void LayoutTabs();
  Integer RowCount() const { return rowCount_; }
  virtual void SetRowCount(Integer N) { rowCount_ = N; }
  bool ScrollerNeeded() const { return scrollerNeeded_; }
  Integer FirstShownTab() const { return firstShown_; }
  void SetFirstShownTab(Integer Value);

  // --- geometry (inclusive pixel rectangles)
  TRect ClientBox();
  Integer StripThickness();
  TRect TabStripRect();
  Integer TabStripLength();
  Integer Overlap(Integer X) const;
  TRect CardRect(Integer Row);
  TRect PageRect();
  TRect TabRect(Integer I);
  TPoint TabToClient(TPoint P);
  TRect TabRectToClient(const TRect& R);
  Integer ViewOrigin();
  Integer ScrollButtonSize();
  Integer CloseButtonSize();
  bool IsTabShown(Integer I);
  Integer FirstVisibleTab() const;
  Integer LastVisibleTab() const;
  // Where the scroll arrows and the close button go (the scroller sits just
  // outside the client area when not needed; the close button is empty when off).
  TRect ScrollerRect();
  TRect CloseButtonRect();
  // The outline colour of tabs, card, scroller and close button.
  TColor OutlineColor() const { return ColorAdjustedBy(flatColor_, flatColorAdjustment_); }
  // Points of tab I's outline in strip coordinates, card side last.
  std::vector<TPoint> TabShapePoints(Integer I);
  // The tab whose outline holds client point P, -1 when none.
  Integer TabAtPos(Integer X, Integer Y);

  // --- interaction (RzTabs_Input.cpp)
  // Visible, enabled and allowed by OnChanging (the current tab is taken without asking).
  bool CanSelectTab(Integer I);
  bool AllowTabDragging() const { return allowTabDragging_; }
  void SetAllowTabDragging(bool Value) { allowTabDragging_ = Value; }
  void ScrollTabs(bool Forward);
  void ScrollUpRight();
  void ScrollDownLeft();
  // The direction the up/right half of the scroller moves the view.
  bool UpRightScrollsForward() const;
  void ClearHotTab();
  void StopHotTimer();
  bool HotTimerRunning() const { return hotTimer_ != 0; }
  void CloseRequested();
  TRzTabScroller* Scroller() const { return scroller_; }
  TRzTabCloseButton* CloseButton() const { return closeButton_; }
  // Where the drag marker is and whether it shows (empty when not).
  bool DragMarkerShown() const { return markerShown_; }
  TRect DragMarkerRect() const { return markerRect_; }
  Integer DragTarget() const { return dragTarget_; }
  // The marker rectangle for dropping the selected tab on tab Target.
  TRect DragMarkerRectFor(Integer Target);
  virtual void HideAllTabs() {}
  virtual void ShowAllTabs() {}

  // The canvas every layer is drawn on first.
  TBitmap* OffScreen() { return offScreen_.get(); }

  TNotifyEvent OnChange;
  TRzTabChangingEvent OnChanging;
  TRzTabCloseEvent OnClose;
  TRzGetTextColorEvent OnGetTextColor;
  TRzPaintBackgroundEvent OnPaintBackground;
  TRzPaintCardBackgroundEvent OnPaintCardBackground;
  TRzPaintTabBackgroundEvent OnPaintTabBackground;
  TNotifyEvent OnTabClick;

 protected:
  virtual void DoChanging(Integer NewIndex, bool& AllowChange);
  virtual void DoGetTextColor(Integer ATabIndex, Integer AStyle, TColor& AColor, bool& Handled);
  virtual void DoPaintBackground(TCanvas* ACanvas, const TRect& ARect, bool& Handled);
  virtual void DoPaintCardBackground(TCanvas* ACanvas, Integer ARow, const TRect& ARect, bool& Handled);
  virtual void DoPaintTabBackground(TCanvas* ACanvas, Integer ATabIndex, const TRect& ARect, bool& Handled);
  virtual void NotifyChange();
  virtual void DoTabClick();
  virtual bool QueryClose();
  virtual void CloseActiveTab() {}
  virtual void MoveActiveTab(Integer /*AIndex*/) {}
  virtual void DrawDragMarker(const TRect& ARect);
  void FullRepaint();
  // The TabIndex writer without asking OnChanging (a change already allowed).
  void SetTabIndexGuarded(Integer Value);
  // Puts the scroller and the close button where the layout wants them.
  void PlaceButtons();

  void Dispatch(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) override;
  void DragDrop(TObject* Source, Integer X, Integer Y) override;
  void CMDialogChar(TMessage& Message) override;

  void Paint() override;
  void CreateParams(TCreateParams& Params) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Loaded() override;
  void WMEraseBkgnd(TMessage& Message) override;
  void WMSize(TMessage& Message) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void CMColorChanged(TMessage& Message) override;
  void CMParentColorChanged(TMessage& Message) override;

  // painting steps (RzTabs_Paint.cpp)
  void RenderTabs();
  void DrawTabs();
  void PaintTab(Integer I);
  void DrawCard(Integer Row);
  void DrawTabBackground(Integer I, const TRect& R);
  void DrawTabContent(Integer I, const TRect& R);
  // Returns the text area fitted to the caption.
  TRect DrawTabText(Integer I, const TRect& TextArea, TColor Color, Integer Offset);
  void DrawAccelText(Integer X, Integer Y, const std::string& Line, TColor Color);
  void DrawHighlightBar(Integer I, const TRect& R, bool Hot);
  void DrawTabFocusRect(const TRect& FittedText);
  void BuildTabOutline(Integer I);
  void BuildCardOutline(Integer Row);
  void AddShadowLines(const TPoint& TR, const TPoint& BR, const TPoint& BL);
  void ExecuteOutline();
  HRGN TabRegion(Integer I, const TRect& R);
  TRect TabContentRect(const TRect& R);
  // Selects a font made from the working font (turned for vertical text) into
  // the off-screen bitmap, inside a saved device context; RestoreTabFont undoes it.
  HFONT SelectTabFont(TFontStyles Style);
  void RestoreTabFont();
  // Extent of Text in the font selected now.
  TSize TextExtentIn(const std::string& Text);
  static std::string StripAccel(const std::string& Line);
  // Extent of a caption line without its accelerator mark, turned for vertical text.
  TSize LineExtent(TCanvas* Canvas, const std::string& Line);

 private:
  // layout steps (RzTabs_Layout.cpp)
  TSize TabContentSize(Integer I, TCanvas* Canvas);
  TSize MinimumContent(TCanvas* Canvas);
  TSize TabSizeFromContent(TSize Content);
  Integer TabLength(TSize Size) const;
  Integer CountRows(const std::vector<Integer>& Lengths);
  void PlaceTabs(const std::vector<Integer>& Lengths);
  void StretchRows();
  void RotateRows();
  void UpdateScrollerNeed();
  bool Vertical() const { return textOrientation_ == orVertical; }
  bool SideStrip() const { return tabOrientation_ == toLeft || tabOrientation_ == toRight; }

  void EnsureScroller();
  void EnsureCloseButton();
  void PushFrameColor();

  std::unique_ptr<TBitmap> offScreen_;
  TRzTabScroller* scroller_ = nullptr;
  TRzTabCloseButton* closeButton_ = nullptr;
  UINT_PTR hotTimer_ = 0;
  std::string savedHint_;
  bool hintReplaced_ = false;
  bool allowTabDragging_ = false;
  TRect markerRect_{0, 0, 0, 0};
  Integer dragTarget_ = -1;
  bool markerShown_ = false;
  bool layoutDirty_ = true;
  bool selectionGuard_ = false;
  std::vector<Integer> outline_;  // outline command list
  bool paintedOnce_ = false;
  Integer firstShown_ = 0;
  Integer fixedDimension_ = 0;
  std::vector<HFONT> fontStack_;
  Integer hotTab_ = -1;
  TRect lastPageRect_{0, 0, 0, 0};
  Integer rowCount_ = 1;
  bool scrollerNeeded_ = false;
  std::unique_ptr<TRzTabDataList> tabs_;
  std::unique_ptr<TRzTabRegionCache> regionCache_;
  Integer regionCacheCapacity_ = 1;
  bool showCloseButton_ = false;
  std::unique_ptr<TFont> workFont_;
  bool hotOnlyRepaint_ = false;
  TColor outlineColor_ = clBlack;
  TFontStyles textStyle_;  // style of the caption being drawn  // current outline colour while executing

  bool alignTabs_ = false;
  TColor backgroundColor_ = clBtnFace;
  bool boldCurrentTab_ = false;
  bool useColoredTabs_ = false;
  Integer cutCornerSize_ = 6;
  TColor flatColor_ = clBtnShadow;
  Integer flatColorAdjustment_ = 0;
  TRzImagePosition imagePosition_ = ipLeft;
  TRzHorizontalAlignment imageAlignment_ = haCenter;
  Integer imageMargin_ = 2;
  TRzVerticalAlignment imageAlignmentVertical_ = vaCenter;
  bool hotTrack_ = true;
  TColor hotTrackColor_ = clHighlight;
  TRzHotTrackColorType hotTrackColorType_ = htctComplement;
  TRzHotTrackStyle hotTrackStyle_ = htsTab;
  TCustomImageList* images_ = nullptr;
  Integer margin_ = 0;
  bool multiLine_ = false;
  bool parentBackgroundColor_ = true;
  Integer rowIndent_ = 5;
  Integer rowOverlap_ = 5;
  bool showCard_ = true;
  bool showCardFrame_ = true;
  bool showFocusRect_ = true;
  bool showFullFrame_ = true;
  bool showShadow_ = true;
  TOrientation textOrientation_ = orHorizontal;
  std::unique_ptr<TRzTabColors> tabColors_;
  Integer tabHeight_ = 0;
  bool tabHints_ = false;
  Integer tabIndex_ = -1;
  TRzTabOrientation tabOrientation_ = toTop;
  TRzTabSequence tabSequence_ = tsStandard;
  TRzTabStyle tabStyle_ = tsSingleSlant;
  Integer tabWidth_ = 0;
  std::unique_ptr<TRzTextColors> textColors_;
  TRzHorizontalAlignment textAlignment_ = haCenter;
  TRzVerticalAlignment textAlignmentVertical_ = vaCenter;
  bool transparent_ = false;
  bool useGradients_ = true;
};

// One page of a page control: a client-aligned container whose caption,
// colour, images and tab flags make up one tab.
class TRzTabSheet : public TCustomControl {
  friend class TRzPageControl;

 public:
  T_CLASSNAME(TRzTabSheet)
  explicit TRzTabSheet(TComponent* AOwner);
  ~TRzTabSheet() override;

  TColor Color() const { return TControl::Color(); }
  virtual void SetColor(TColor Value);
  Integer DisabledIndex() const { return disabledIndex_; }
  virtual void SetDisabledIndex(Integer Value);
  Integer ImageIndex() const { return imageIndex_; }
  virtual void SetImageIndex(Integer Value);
  TRzPageControl* PageControl() const { return pageControl_; }
  virtual void SetPageControl(TRzPageControl* Value);
  virtual Integer PageIndex() const;
  virtual void SetPageIndex(Integer Value);
  bool TabEnabled() const { return tabEnabled_; }
  virtual void SetTabEnabled(bool Value);
  // Position among the tabs, -1 while the tab is hidden or without a page control.
  virtual Integer TabIndex() const;
  bool TabVisible() const { return tabVisible_; }
  virtual void SetTabVisible(bool Value);
  bool Visible() const { return TControl::Visible(); }
  // Pages are shown and hidden by their page control only: always raises.
  virtual void SetVisible(bool Value);
  // Fills a tab record from the page.
  void AssignTo(TRzTabData* Tab) const;

  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

  TRzPaintBackgroundEvent OnPaintBackground;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void RenderPage();
  void WMEraseBkgnd(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;

 private:
  void Changed();
  Integer disabledIndex_ = -1;
  Integer imageIndex_ = -1;
  TRzPageControl* pageControl_ = nullptr;
  bool tabEnabled_ = true;
  bool tabVisible_ = true;
};

// The styled tab control with pages: one tab for every page whose tab is
// visible, exactly one page shown.
class TRzPageControl : public TRzCustomTabControl {
  friend class TRzTabSheet;

 public:
  T_CLASSNAME(TRzPageControl)
  explicit TRzPageControl(TComponent* AOwner);
  ~TRzPageControl() override;

  virtual TRzTabSheet* Pages(Integer Index) const;
  virtual Integer PageCount() const { return static_cast<Integer>(pages_.size()); }
  TRzTabSheet* ActivePage() const { return activePage_; }
  virtual void SetActivePage(TRzTabSheet* Page);
  TRzTabSheet* ActivePageDefault() const { return activePageDefault_; }
  void SetActivePageDefault(TRzTabSheet* Page) { activePageDefault_ = Page; }
  virtual Integer ActivePageIndex() const;
  virtual void SetActivePageIndex(Integer Value);
  bool SaveResources() const { return saveResources_; }
  virtual void SetSaveResources(bool Value);
  // The page whose tab is I, nullptr when none.
  TRzTabSheet* PageForTab(Integer I) const;
  TRzTabSheet* NextPage(TRzTabSheet* From, bool Forward, bool TabVisibleOnly) const;
  void SelectAdjacentPage(bool Forward);
  void RequestLayout() override;
  void SetUseColoredTabs(bool Value) override;
  void HideAllTabs() override;
  void ShowAllTabs() override;

  // Docking (RzTabs_Dock.cpp; with DockSite on): every docked control gets a
  // sheet of its own, whose tab follows the control's caption and visibility
  // and goes with it when the control leaves. A control hosted here cannot
  // dock here again; a drag over the control offers its whole window.
  void GetSiteInfo(TControl* Client, TRect& InfluenceRect, TPoint MousePos, bool& CanDock) override;
  void DockOver(TDragDockObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) override;
  // The sheet holding a control docked here, nullptr for any other control.
  TRzTabSheet* PageOfDockClient(TControl* Client) const;
  // The docked control on the sheet of the tab at (X, Y), nullptr when none.
  TControl* DockClientAtPos(Integer X, Integer Y);

  // For the form reader and writer.
  TComponent* ActivePageComponent() const { return activePage_; }
  void SetActivePageComponent(TComponent* Value) { SetActivePage(dynamic_cast<TRzTabSheet*>(Value)); }
  TComponent* ActivePageDefaultComponent() const { return activePageDefault_; }
  void SetActivePageDefaultComponent(TComponent* Value) {
    SetActivePageDefault(dynamic_cast<TRzTabSheet*>(Value));
  }
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

 protected:
  void DoChanging(Integer NewIndex, bool& AllowChange) override;
  void DoPaintCardBackground(TCanvas* ACanvas, Integer ARow, const TRect& ARect, bool& Handled) override;
  void CloseActiveTab() override;
  void MoveActiveTab(Integer AIndex) override;
  void NotifyChange() override;
  void CreateParams(TCreateParams& Params) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void ShowControl(TControl* AControl) override;
  void CMDialogKey(TMessage& Message) override;
  void CMColorChanged(TMessage& Message) override;
  void ShowPage(TRzTabSheet* Page);
  // Docking.
  void DoAddDockClient(TControl* Client, const TRect& ARect) override;
  void DoRemoveDockClient(TControl* Client) override;
  void CMDockClient(TMessage& Message) override;
  void CMUndockClient(TMessage& Message) override;
  void CMDockNotification(TMessage& Message) override;
  // A press on a docked control's tab drags the control; a double click floats it.
  void WMLButtonDown(TMessage& Message) override;
  void WMLButtonDblClk(TMessage& Message) override;

 private:
  void AttachPage(TRzTabSheet* Page);
  void DetachPage(TRzTabSheet* Page);
  TRzTabSheet* activePage_ = nullptr;
  TRzTabSheet* activePageDefault_ = nullptr;
  TRzTabSheet* newDockSheet_ = nullptr;  // made for the control docking now
  TRzTabSheet* undockingPage_ = nullptr;  // to free once its control has left
  std::vector<TRzTabSheet*> pages_;
  bool saveResources_ = false;
  bool completingLoad_ = false;
};

// Enters the tab controls' published properties and classes in the registry.
void RegisterRzTabsClasses();
