// The styled list view: the platform's list view with the library's frame in
// the non-client area, colours that follow focus and enabled state, a last
// report column that fills the width, an owner-drawn header with its sort
// arrow, click-to-sort, check-box change events, an item context menu with
// keyboard access and a fixed-step mouse wheel.
#pragma once

#include <functional>
#include <memory>

#include "controls/RzCommon.h"
#include "platform/ComCtrls.h"
#include "platform/Menus.h"

class TRzFrameController;

enum TRzLVHeaderSortDisplayMode { hsdmNone, hsdmLeftAlign, hsdmRightOfText, hsdmRightAlign };

using TRzLVCheckStateChanging =
    std::function<void(TObject* Sender, TListItem* Item, bool ToBeChecked, bool& AllowChange)>;
using TRzLVOnItemContextMenuEvent =
    std::function<void(TObject* Sender, TListItem* Item, TPoint& Pos, TPopupMenu*& Menu)>;

class TRzCustomListView : public TCustomListView,
                          public TRzFrameSettings,
                          public TRzFrameControllerLink<TRzCustomListView> {
 public:
  T_CLASSNAME(TRzCustomListView)
  explicit TRzCustomListView(TComponent* AOwner);
  ~TRzCustomListView() override;

  bool AlphaSortAll() const { return alphaSortAll_; }
  void SetAlphaSortAll(bool Value) { alphaSortAll_ = Value; }
  bool FillLastColumn() const { return fillLastColumn_; }
  virtual void SetFillLastColumn(bool Value);
  bool EditOnRowClick() const { return editOnRowClick_; }
  void SetEditOnRowClick(bool Value) { editOnRowClick_ = Value; }
  // A colour set from outside becomes the normal (unfocused, enabled) colour.
  TColor Color() const { return TCustomListView::Color(); }
  virtual void SetColor(TColor Value);
  TColor NormalColor() const { return normalColor_; }
  TColor DisabledColor() const { return disabledColor_; }
  virtual void SetDisabledColor(TColor Value);
  TColor FocusColor() const { return focusColor_; }
  virtual void SetFocusColor(TColor Value);
  // Frame settings: TRzFrameSettings and TRzFrameControllerLink (the
  // controller's look shows at once, without recreating the window).
  void SetFrameController(TRzFrameController* Value) override;
  virtual void SetFrameHotTrack(bool Value);
  virtual void SetFrameVisible(bool Value);
  virtual void SetFramingPreference(TFramingPreference Value);
  virtual bool UseThemedFrame();
  TRzLVHeaderSortDisplayMode HeaderSortDisplayMode() const { return headerSortDisplayMode_; }
  void SetHeaderSortDisplayMode(TRzLVHeaderSortDisplayMode Value);
  bool HeaderDefaultDrawing() const { return headerDefaultDrawing_; }
  void SetHeaderDefaultDrawing(bool Value);
  void SetViewStyle(TViewStyle Value) override;

  // Sort arrow: the column that shows it (-1: none) and its direction.
  Integer SortColumn() const { return sortColumn_; }
  bool SortDescending() const { return sortDescending_; }
  void MarkSortColumn(Integer Column);
  void SetSortDirection(bool Descending);
  // Column 0 compares captions, column n the sub item n - 1; case-insensitive,
  // empty texts after the others.
  static Integer CompareItemTexts(TListItem* Item1, TListItem* Item2, Integer Column);
  virtual void ResizeLastColumn();
  void UpdateHeaderFormats();
  bool HeaderSubclassed() const { return oldHeaderProc_ != nullptr; }
  Integer HotHeaderItem() const { return hotHeaderItem_; }
  bool MouseInside() const { return mouseInside_; }
  bool MenuShown() const { return menuShown_; }

  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TRzLVCheckStateChanging OnCheckStateChanging;
  TLVNotifyEvent OnCheckStateChange;
  TRzLVOnItemContextMenuEvent OnItemContextMenu;

 protected:
  virtual void UpdateColors();
  virtual void UpdateFrameState(bool SetInside, bool Inside);
  virtual void RepaintFrame();
  void FrameSettingChanged(TRzFrameSetting) override { RepaintFrame(); }
  virtual void DoCheckStateChange(TListItem* Item);
  virtual bool DoCheckStateChanging(TListItem* Item, bool ToBeChecked);
  virtual void ShowItemMenu(TPoint P);
  virtual void PopupAtItem(TPoint P);
  virtual void DoItemContextMenu(TListItem* Item, TPoint& P, TPopupMenu*& Menu);
  virtual void DoMouseEnter();
  virtual void DoMouseLeave();
  virtual void PaintHeaderItem(Integer I, TRect R);
  virtual void PaintHeaderContent(Integer I, TRect R);
  void PaintSortArrow(Integer I, const TRect& Box);

  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  void CNNotify(TMessage& Message) override;
  bool IsCustomDrawn(TCustomDrawTarget Target, TCustomDrawStage Stage) override;
  bool CustomDrawItem(TListItem* Item, TCustomDrawState State, TCustomDrawStage Stage) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void CMEnter(TMessage& Message) override;
  void CMExit(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMColorChanged(TMessage& Message) override;
  void CMParentColorChanged(TMessage& Message) override;
  void CMSysColorChange(TMessage& Message) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void WMSize(TMessage& Message) override;

 private:
  friend LRESULT CALLBACK RzListViewHeaderProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT HeaderWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void SubclassHeader(HWND Header = nullptr);
  void UnsubclassHeader();
  void RenderFrame(TMessage& Message);
  void HeaderNotify(TMessage& Message);
  void ColumnClicked(Integer Column);
  void InvalidateHeader(bool Erase);
  void InvalidateHeaderItem(Integer I);
  void WheelScroll(Integer Delta);

  bool alphaSortAll_ = false;
  Integer lastSortedColumn_ = -1;
  bool fillLastColumn_ = true;
  bool editOnRowClick_ = false;
  bool colorGuard_ = false;
  TColor disabledColor_ = clBtnFace;
  TColor focusColor_ = clWindow;
  TColor normalColor_ = clWindow;
  bool menuShown_ = false;
  std::unique_ptr<TCanvas> headerCanvas_;
  Integer sortColumn_ = -1;
  bool sortDescending_ = false;
  TRzLVHeaderSortDisplayMode headerSortDisplayMode_ = hsdmRightOfText;
  bool headerDefaultDrawing_ = true;
  Integer headerUpdateDepth_ = 0;
  HWND headerWnd_ = nullptr;
  WNDPROC oldHeaderProc_ = nullptr;
  bool rightClick_ = false;
  bool loadingResize_ = false;
  bool mouseInside_ = false;
  Integer hotHeaderItem_ = -1;
  bool headerPressed_ = false;
  bool controllerGuard_ = false;
  bool focused_ = false;
  Integer wheelRest_ = 0;  // part of a notch not scrolled yet (fine-grained wheels)
};

class TRzListView : public TRzCustomListView {
 public:
  T_CLASSNAME(TRzListView)
  using TRzCustomListView::TRzCustomListView;
};

void RegisterRzListViewClasses();
