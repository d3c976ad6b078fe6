// Common controls: status bar, progress bar, track bar, up-down and the list
// view, each over the platform's common control class.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/Controls.h"
#include "platform/StdCtrls.h"

// The platform's image list handle (as commctrl.h declares it).
struct _IMAGELIST;
using HIMAGELIST = _IMAGELIST*;

// Loads the common control classes once.
void InitCommonControlClasses();

// ---------------------------------------------------------------------------
// Image lists over HIMAGELIST. A change link tells its owner when the list
// changes; the list clears the link's Sender when it goes.
class TCustomImageList;

class TChangeLink : public TObject {
  friend class TCustomImageList;

 public:
  T_CLASSNAME(TChangeLink)
  TChangeLink() = default;
  ~TChangeLink() override;
  TCustomImageList* Sender() const { return sender_; }
  void SetSender(TCustomImageList* Value) { sender_ = Value; }
  virtual void Change() { OnChange(this); }
  TNotifyEvent OnChange;

 private:
  TCustomImageList* sender_ = nullptr;
};

class TCustomImageList : public TComponent {
 public:
  T_CLASSNAME(TCustomImageList)
  explicit TCustomImageList(TComponent* AOwner);
  ~TCustomImageList() override;
  Integer Width() const { return width_; }
  void SetWidth(Integer Value);
  Integer Height() const { return height_; }
  void SetHeight(Integer Value);
  bool Masked() const { return masked_; }
  void SetMasked(bool Value);
  Integer Count() const;
  // The list, created on demand.
  HIMAGELIST Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  // Adds Image (cut into Width-wide images when wider) with an optional
  // monochrome Mask (white = transparent); returns the first index.
  Integer Add(TBitmap* Image, TBitmap* Mask);
  // As Add, the mask made from the pixels of MaskColor.
  Integer AddMasked(TBitmap* Image, TColor MaskColor);
  void Replace(Integer Index, TBitmap* Image, TBitmap* Mask);
  void Delete(Integer Index);
  void Clear();
  // Draws image Index at (X, Y); a disabled image is drawn greyed (embossed).
  void Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, bool Enabled = true);
  // Copies image Index into Image (resized to the list's size).
  void GetBitmap(Integer Index, TBitmap* Image);
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  void RegisterChanges(TChangeLink* Value);
  void UnRegisterChanges(TChangeLink* Value);
  TNotifyEvent OnChange;

 protected:
  virtual void Change();

 private:
  void Recreate();
  HIMAGELIST handle_ = nullptr;
  Integer width_ = 16, height_ = 16;
  bool masked_ = true;
  Integer updateCount_ = 0;
  bool changed_ = false;
  std::vector<TChangeLink*> links_;
};

class TImageList : public TCustomImageList {
 public:
  T_CLASSNAME(TImageList)
  using TCustomImageList::TCustomImageList;
};

// ---------------------------------------------------------------------------
// Status bar.
class TStatusBar;
enum TStatusPanelStyle { psText, psOwnerDraw };
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusPanel : public TCollectionItem {
 public:
  T_CLASSNAME(TStatusPanel)
  explicit TStatusPanel(TCollection* Collection);
  void Assign(TPersistent* Source) override;
  const std::string& Text() const { return text_; }
  void SetText(const std::string& Value);
  Integer Width() const { return width_; }
  void SetWidth(Integer Value);
  TStatusPanelStyle Style() const { return style_; }
  void SetStyle(TStatusPanelStyle Value);
  TStatusPanelBevel Bevel() const { return bevel_; }
  void SetBevel(TStatusPanelBevel Value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);

 private:
  std::string text_;
  Integer width_ = 50;
  TStatusPanelStyle style_ = psText;
  TStatusPanelBevel bevel_ = pbLowered;
  TAlignment alignment_ = taLeftJustify;
};

class TStatusPanels : public TCollection {
 public:
  T_CLASSNAME(TStatusPanels)
  explicit TStatusPanels(TStatusBar* StatusBar);
  TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
  TStatusPanel* Items(Integer Index) const { return static_cast<TStatusPanel*>(TCollection::Items(Index)); }
  TPersistent* GetOwner() const override;

 protected:
  void Update(TCollectionItem* Item) override;

 private:
  TStatusBar* statusBar_;
};

using TDrawPanelEvent = TEvent<TStatusBar*, TStatusPanel*, TRect>;

class TStatusBar : public TWinControl {
  friend class TStatusPanels;

 public:
  T_CLASSNAME(TStatusBar)
  explicit TStatusBar(TComponent* AOwner);
  ~TStatusBar() override;
  TStatusPanels* Panels() const { return panels_.get(); }
  void SetPanels(TStatusPanels* Value) { panels_->Assign(Value); }
  bool SimplePanel() const { return simplePanel_; }
  void SetSimplePanel(bool Value);
  const std::string& SimpleText() const { return simpleText_; }
  void SetSimpleText(const std::string& Value);
  bool SizeGrip() const { return sizeGrip_; }
  void SetSizeGrip(bool Value);
  TCanvas* Canvas() const { return canvas_.get(); }
  // The rectangle of a panel in client coordinates.
  TRect PanelRect(Integer Index);

  TDrawPanelEvent OnDrawPanel;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  virtual void DrawPanel(TStatusPanel* Panel, const TRect& Rect);
  void UpdatePanels();
  void UpdatePanel(Integer Index);

 private:
  std::unique_ptr<TStatusPanels> panels_;
  std::unique_ptr<TControlCanvas> canvas_;
  bool simplePanel_ = false;
  std::string simpleText_;
  bool sizeGrip_ = true;
};

// ---------------------------------------------------------------------------
enum TProgressBarOrientation { pbHorizontal, pbVertical };

class TProgressBar : public TWinControl {
 public:
  T_CLASSNAME(TProgressBar)
  explicit TProgressBar(TComponent* AOwner);
  Integer Min() const { return min_; }
  void SetMin(Integer Value);
  Integer Max() const { return max_; }
  void SetMax(Integer Value);
  // With an associate holding a number within the range, that number (as
  // the system's buddy window does); otherwise the buttons' position.
  Integer Position();
  void SetPosition(Integer Value);
  Integer Step() const { return step_; }
  void SetStep(Integer Value);
  void StepIt();
  void StepBy(Integer Delta);
  bool Smooth() const { return smooth_; }
  void SetSmooth(bool Value);
  TProgressBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TProgressBarOrientation Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;

 private:
  Integer min_ = 0, max_ = 100, position_ = 0, step_ = 10;
  bool smooth_ = false;
  TProgressBarOrientation orientation_ = pbHorizontal;
};

// ---------------------------------------------------------------------------
enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickStyle { tsNone, tsAuto, tsManual };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };

class TTrackBar : public TWinControl {
 public:
  T_CLASSNAME(TTrackBar)
  explicit TTrackBar(TComponent* AOwner);
  Integer Min() const { return min_; }
  void SetMin(Integer Value);
  Integer Max() const { return max_; }
  void SetMax(Integer Value);
  // With an associate holding a number within the range, that number (as
  // the system's buddy window does); otherwise the buttons' position.
  Integer Position();
  void SetPosition(Integer Value);
  Integer Frequency() const { return frequency_; }
  void SetFrequency(Integer Value);
  Integer LineSize() const { return lineSize_; }
  void SetLineSize(Integer Value);
  Integer PageSize() const { return pageSize_; }
  void SetPageSize(Integer Value);
  Integer ThumbLength() const { return thumbLength_; }
  void SetThumbLength(Integer Value);
  TTrackBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TTrackBarOrientation Value);
  TTickStyle TickStyle() const { return tickStyle_; }
  void SetTickStyle(TTickStyle Value);
  TTickMark TickMarks() const { return tickMarks_; }
  void SetTickMarks(TTickMark Value);

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  virtual void Changed();

 private:
  Integer min_ = 0, max_ = 10, position_ = 0, frequency_ = 1, lineSize_ = 1, pageSize_ = 2, thumbLength_ = 20;
  TTrackBarOrientation orientation_ = trHorizontal;
  TTickStyle tickStyle_ = tsAuto;
  TTickMark tickMarks_ = tmBottomRight;
};

// ---------------------------------------------------------------------------
enum TUDAlignButton { udLeft, udRight };
enum TUDOrientation { udHorizontal, udVertical };
enum TUDBtnType { btNext, btPrev };
using TUDClickEvent = TEvent<TObject*, TUDBtnType>;
using TUDChangingEvent = TEvent<TObject*, bool&>;

// Up-down buttons; with an associated edit, the edit shows the position.
class TUpDown : public TWinControl {
 public:
  T_CLASSNAME(TUpDown)
  explicit TUpDown(TComponent* AOwner);
  Integer Min() const { return min_; }
  void SetMin(Integer Value);
  Integer Max() const { return max_; }
  void SetMax(Integer Value);
  // With an associate holding a number within the range, that number (as
  // the system's buddy window does); otherwise the buttons' position.
  Integer Position();
  void SetPosition(Integer Value);
  Integer Increment() const { return increment_; }
  void SetIncrement(Integer Value);
  bool Wrap() const { return wrap_; }
  void SetWrap(bool Value);
  bool Thousands() const { return thousands_; }
  void SetThousands(bool Value);
  bool ArrowKeys() const { return arrowKeys_; }
  void SetArrowKeys(bool Value);
  TUDAlignButton AlignButton() const { return alignButton_; }
  void SetAlignButton(TUDAlignButton Value);
  TUDOrientation Orientation() const { return orientation_; }
  void SetOrientation(TUDOrientation Value);
  TWinControl* Associate() const { return associate_; }
  void SetAssociate(TWinControl* Value);
  TComponent* AssociateComponent() const { return associate_; }
  void SetAssociateComponent(TComponent* Value) { SetAssociate(dynamic_cast<TWinControl*>(Value)); }

  TUDClickEvent OnClick;
  TUDChangingEvent OnChanging;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual bool CanChange();
  virtual void Click(TUDBtnType Button);
  using TWinControl::Click;

 private:
  void UpdateAssociate();
  Integer WindowPosition();
  // The associate's text as a number within the range.
  bool AssociateValue(Integer& Value) const;
  Integer min_ = 0, max_ = 100, position_ = 0, increment_ = 1;
  bool wrap_ = false, thousands_ = true, arrowKeys_ = true;
  TUDAlignButton alignButton_ = udRight;
  TUDOrientation orientation_ = udVertical;
  TWinControl* associate_ = nullptr;
};

// ---------------------------------------------------------------------------
// List view.
class TCustomListView;
class TListItems;
enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum TItemChange { ctText, ctImage, ctState };
enum TItemStateItem { isNone, isCut, isDropHilited, isFocused, isSelected, isActivating };
enum TSortType { stNone, stData, stText, stBoth };
// Parts of an item's rectangle: whole item, icon, label, and what a selection covers.
enum TDisplayCode { drBounds, drIcon, drLabel, drSelectBounds };
// Custom drawing: what is drawn, at which stage, and the item's state (the
// bits of the platform's item state, in order).
enum TCustomDrawTarget { dtControl, dtItem, dtSubItem };
enum TCustomDrawStage { cdPrePaint, cdPostPaint, cdPreErase, cdPostErase };
enum TCustomDrawStateItem {
  cdsSelected, cdsGrayed, cdsDisabled, cdsChecked, cdsFocused, cdsDefault, cdsHot, cdsMarked, cdsIndeterminate
};
using TCustomDrawState = TEnumSet<TCustomDrawStateItem>;

class TListColumn : public TCollectionItem {
 public:
  T_CLASSNAME(TListColumn)
  explicit TListColumn(TCollection* Collection);
  void Assign(TPersistent* Source) override;
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  Integer Width();
  void SetWidth(Integer Value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  // An image of the list's SmallImages shown in the column's header (-1: none).
  Integer ImageIndex() const { return imageIndex_; }
  void SetImageIndex(Integer Value);

 private:
  friend class TCustomListView;
  std::string caption_;
  Integer width_ = 50;
  TAlignment alignment_ = taLeftJustify;
  Integer imageIndex_ = -1;
};

class TListColumns : public TCollection {
 public:
  T_CLASSNAME(TListColumns)
  explicit TListColumns(TCustomListView* Owner);
  TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
  TListColumn* Items(Integer Index) const { return static_cast<TListColumn*>(TCollection::Items(Index)); }
  TPersistent* GetOwner() const override;
  TCustomListView* Owner() const { return owner_; }

 protected:
  void Update(TCollectionItem* Item) override;

 private:
  TCustomListView* owner_;
};

class TListItem : public TPersistent {
  friend class TListItems;
  friend class TCustomListView;

 public:
  T_CLASSNAME(TListItem)
  explicit TListItem(TListItems* Owner);
  ~TListItem() override;
  void Assign(TPersistent* Source) override;
  TListItems* Owner() const { return owner_; }
  TCustomListView* ListView() const;
  Integer Index() const;
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  TStrings* SubItems() const { return subItems_.get(); }
  void SetSubItems(TStrings* Value) { subItems_->Assign(Value); }
  void* Data() const { return data_; }
  void SetData(void* Value);
  Integer ImageIndex() const { return imageIndex_; }
  void SetImageIndex(Integer Value);
  bool Selected() const;
  void SetSelected(bool Value);
  bool Focused() const;
  void SetFocused(bool Value);
  // The check box is ticked (state image 2); setting it asks OnChanging first.
  bool Checked() const;
  void SetChecked(bool Value);
  void Delete();
  void MakeVisible(bool PartialOK);
  TRect DisplayRect(TDisplayCode Code = drBounds);
  // Starts editing the caption in place; false when the list refuses.
  bool EditCaption();

 private:
  bool GetState(UINT Mask) const;
  void SetState(UINT Mask, bool Value);
  void SetStateBits(UINT Mask, UINT Bits);
  void SubItemsChanged(TObject* Sender);
  TListItems* owner_;
  std::string caption_;
  std::unique_ptr<TStringList> subItems_;
  void* data_ = nullptr;
  Integer imageIndex_ = -1;
  UINT state_ = 0;  // while the window does not exist
};

class TListItems : public TPersistent {
  friend class TCustomListView;
  friend class TListItem;

 public:
  T_CLASSNAME(TListItems)
  explicit TListItems(TCustomListView* Owner);
  ~TListItems() override;
  TListItem* Add();
  TListItem* Insert(Integer Index);
  TListItem* AddItem(TListItem* Item, Integer Index = -1);
  void Delete(Integer Index);
  void Clear();
  void BeginUpdate();
  void EndUpdate();
  Integer Count() const { return static_cast<Integer>(items_.size()); }
  TListItem* Item(Integer Index) const;
  TListItem* operator[](Integer Index) const { return Item(Index); }
  Integer IndexOf(const TListItem* Value) const;
  TCustomListView* Owner() const { return owner_; }
  void Assign(TPersistent* Source) override;

 private:
  TCustomListView* owner_;
  std::vector<std::unique_ptr<TListItem>> items_;
  Integer updateCount_ = 0;
};

using TLVSelectItemEvent = TEvent<TObject*, TListItem*, bool>;
using TLVChangeEvent = TEvent<TObject*, TListItem*, TItemChange>;
using TLVDeletedEvent = TEvent<TObject*, TListItem*>;
using TLVNotifyEvent = TEvent<TObject*, TListItem*>;
using TLVChangingEvent = TEvent<TObject*, TListItem*, TItemChange, bool&>;
using TLVColumnClickEvent = TEvent<TObject*, TListColumn*>;
// Result < 0: Item1 goes first, > 0: Item2 goes first.
using TLVCompareEvent = TEvent<TObject*, TListItem*, TListItem*, Integer, Integer&>;
using TLVCompare = std::function<Integer(TListItem* Item1, TListItem* Item2, LPARAM Data)>;
using TLVEditingEvent = TEvent<TObject*, TListItem*, bool&>;
using TLVEditedEvent = TEvent<TObject*, TListItem*, std::string&>;
using TLVCustomDrawEvent = TEvent<TCustomListView*, const TRect&, bool&>;
using TLVCustomDrawItemEvent = TEvent<TCustomListView*, TListItem*, TCustomDrawState, bool&>;
using TLVCustomDrawSubItemEvent = TEvent<TCustomListView*, TListItem*, Integer, TCustomDrawState, bool&>;

class TCustomListView : public TWinControl {
  friend class TListItems;
  friend class TListItem;
  friend class TListColumns;
  friend class TListColumn;

 public:
  T_CLASSNAME(TCustomListView)
  explicit TCustomListView(TComponent* AOwner);
  ~TCustomListView() override;

  TListColumns* Columns() const { return columns_.get(); }
  void SetColumns(TListColumns* Value) { columns_->Assign(Value); }
  TListItems* Items() const { return items_.get(); }
  void SetItems(TListItems* Value) { items_->Assign(Value); }
  TViewStyle ViewStyle() const { return viewStyle_; }
  virtual void SetViewStyle(TViewStyle Value);
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool Value);
  bool RowSelect() const { return rowSelect_; }
  void SetRowSelect(bool Value);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool Value);
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool Value);
  bool ShowColumnHeaders() const { return showColumnHeaders_; }
  void SetShowColumnHeaders(bool Value);
  bool GridLines() const { return gridLines_; }
  void SetGridLines(bool Value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  // Report column headers are buttons that report clicks (OnColumnClick).
  bool ColumnClick() const { return columnClick_; }
  void SetColumnClick(bool Value);
  bool Checkboxes() const { return checkboxes_; }
  void SetCheckboxes(bool Value);
  // stText/stBoth keep the items sorted by caption, stData/stBoth re-sort when
  // an item's Data changes (through OnCompare when assigned).
  TSortType SortType() const { return sortType_; }
  void SetSortType(TSortType Value);
  TCustomImageList* SmallImages() const { return smallImages_; }
  void SetSmallImages(TCustomImageList* Value);
  TCustomImageList* LargeImages() const { return largeImages_; }
  void SetLargeImages(TCustomImageList* Value);
  TCustomImageList* StateImages() const { return stateImages_; }
  void SetStateImages(TCustomImageList* Value);
  // Bound to the item's device context while custom drawing.
  TCanvas* Canvas() const;
  // The report view's column header window (nullptr without a window or header).
  HWND HeaderHandle() const;

  // Sorts the items and the window alike: OnCompare when assigned, else by caption.
  bool AlphaSort();
  // Sorts with SortProc (nullptr: as AlphaSort, with Data handed to OnCompare).
  // The sort is stable; an exception from the comparison leaves the order unchanged.
  bool CustomSort(TLVCompare SortProc, LPARAM Data);

  // The first selected item (nullptr when none); setting selects only that item.
  TListItem* Selected() const;
  void SetSelected(TListItem* Value);
  TListItem* ItemFocused() const;
  void SetItemFocused(TListItem* Value);
  Integer SelCount() const;
  void SelectAll();
  void ClearSelection();
  // The next item after StartItem (nullptr: from the start) with the state.
  TListItem* GetNextItem(TListItem* StartItem, TItemStateItem State) const;
  TListItem* GetItemAt(Integer X, Integer Y);
  Integer TopIndex();

  TLVSelectItemEvent OnSelectItem;
  TLVChangeEvent OnChange;
  TLVChangingEvent OnChanging;
  TLVDeletedEvent OnDeletion;
  TLVColumnClickEvent OnColumnClick;
  TLVCompareEvent OnCompare;
  TLVEditingEvent OnEditing;
  TLVEditedEvent OnEdited;
  TLVCustomDrawEvent OnCustomDraw;
  TLVCustomDrawItemEvent OnCustomDrawItem;
  TLVCustomDrawSubItemEvent OnCustomDrawSubItem;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void CNNotify(TMessage& Message);
  virtual void DoSelectItem(TListItem* Item, bool Selected);
  virtual void Change(TListItem* Item, TItemChange Change);
  // Change holds the platform's LVIF_ flags of the coming change; false refuses it.
  virtual bool CanChange(TListItem* Item, Integer Change);
  virtual void ColClick(TListColumn* Column);
  virtual bool CanEdit(TListItem* Item);
  // The edit of Item's caption ended with Text (OnEdited may change it).
  virtual void Edit(TListItem* Item, const std::string& Text);
  virtual bool IsCustomDrawn(TCustomDrawTarget Target, TCustomDrawStage Stage);
  virtual bool CustomDraw(const TRect& ARect, TCustomDrawStage Stage);
  virtual bool CustomDrawItem(TListItem* Item, TCustomDrawState State, TCustomDrawStage Stage);
  virtual bool CustomDrawSubItem(TListItem* Item, Integer SubItem, TCustomDrawState State, TCustomDrawStage Stage);
  void UpdateExStyles();
  void UpdateColumns();
  void InsertWindowItem(Integer Index);
  void UpdateWindowItem(Integer Index);

 private:
  struct TDrawScope;
  LRESULT CustomDrawNotify(void* Draw);
  void ReleaseCustomDrawFont(HDC DC);
  void SetImageList(TCustomImageList*& Field, TChangeLink* Link, TCustomImageList* Value);
  void ImageListChange(TObject* Sender);
  void UpdateImageLists();
  void UpdateCheckStates();
  void AutoSort(bool TextChanged, bool DataChanged);
  std::unique_ptr<TListColumns> columns_;
  std::unique_ptr<TListItems> items_;
  TViewStyle viewStyle_ = vsIcon;
  bool multiSelect_ = false;
  bool rowSelect_ = false;
  bool readOnly_ = false;
  bool hideSelection_ = true;
  bool showColumnHeaders_ = true;
  bool gridLines_ = false;
  TBorderStyle borderStyle_ = bsSingle;
  bool destroying_ = false;
  bool columnClick_ = true;
  bool checkboxes_ = false;
  TSortType sortType_ = stNone;
  TCustomImageList* smallImages_ = nullptr;
  TCustomImageList* largeImages_ = nullptr;
  TCustomImageList* stateImages_ = nullptr;
  std::unique_ptr<TChangeLink> smallLink_, largeLink_, stateLink_;
  std::unique_ptr<TControlCanvas> canvas_;
  HFONT customDrawFont_ = nullptr;  // selected for a custom-drawn item whose font changed
};

class TListView : public TCustomListView {
 public:
  T_CLASSNAME(TListView)
  using TCustomListView::TCustomListView;
};
