// Toolbar and menu framework: the per-form bar manager, command items and
// their placements (links), categories and groups, bars, the bar window base
// with its per-link views, and the framework's shared services.
//
// Structure (see docs/architecture.md, "bars/"):
//   TdxBarManager            one per form; owns Bars, Categories, look values
//   TdxBarItem/TdxBarButton  commands, owned by the form, listed by the manager
//   TdxBarItemLink(s)        placements of items in a bar or menu
//   TdxBar/TdxBars           toolbars; a visible bar has a TdxBarControl window
//   TCustomdxBarControl      a window showing one link collection
//   TdxBarItemControl        the view of one shown link inside one window
#pragma once

#include <memory>
#include <string>
#include <typeindex>
#include <vector>

#include "platform/ActnList.h"
#include "platform/Classes.h"
#include "platform/ComCtrls.h"
#include "platform/Controls.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/Menus.h"

class TdxBarManager;
class TdxBarItem;
class TdxBarButton;
class TdxBarItemLink;
class TdxBarItemLinks;
class TdxBar;
class TdxBars;
class TdxBarGroup;
class TdxBarPopupMenu;
class TdxDockControl;
class TCustomdxBarControl;
class TdxBarControl;
class TdxBarSubMenuControl;
class TdxBarItemControl;
class TdxBarButtonControl;
class TdxBarManagerCategories;
class TdxBarPopupMenuLinks;

// ---------------------------------------------------------------------------
// Shared enumerations.
enum TdxBarItemVisible { ivNever, ivInCustomizing, ivAlways };
enum TdxBarItemAlign { iaLeft, iaCenter, iaRight, iaClient };
enum TdxBarButtonStyle { bsDefault, bsChecked, bsDropDown };
enum TdxBarPaintStyle { psStandard, psCaption, psCaptionInMenu, psCaptionGlyph };
enum TdxBarUserDefine { udCaption, udGlyph, udPaintStyle, udWidth };
using TdxBarUserDefines = TEnumSet<TdxBarUserDefine>;
enum TdxBarDockingStyle { dsNone, dsLeft, dsTop, dsRight, dsBottom };
using TdxBarDockingStyles = TEnumSet<TdxBarDockingStyle>;
enum TdxBarManagerStyle { bmsStandard, bmsEnhanced, bmsFlat };
enum TdxBarMenuAnimations { maNone, maRandom, maUnfold, maSlide };
enum TdxBarBorderStyle { bbsNone, bbsSingle };

// Messages shared by the windows of the framework.
constexpr UINT WM_DXBAR_REBUILDLAYOUT = WM_USER + 1;
constexpr UINT CM_DXBAR_FONTCHANGED = 0xB00E;

// Texts reported by the framework (its resource strings).
namespace dxBarStrings {
inline constexpr const char* ResetBar = "Are you sure you want to reset the changes made to the '%s' toolbar?";
inline constexpr const char* OnlyOneManager = "A Form should contain only a single TdxBarManager";
inline constexpr const char* OwnerMustBeForm = "TdxBarManager should have as its Owner - TForm (TCustomForm)";
inline constexpr const char* RecursiveSubItems = "You cannot create recursive subitems";
inline constexpr const char* RecursiveGroups = "You cannot create recursive groups";
inline constexpr const char* DefaultCategory = "Default";
}  // namespace dxBarStrings

using TdxBarEvent = TEvent<TObject*, TdxBar*>;
using TdxBarVisibleChangeEvent = TEvent<TObject*, TdxBar*>;
using TdxBarItemLinkEvent = TEvent<TObject*, TdxBarItemLink*>;
using TdxBarCanDockingEvent = TEvent<TdxBar*, TdxBarDockingStyle, TdxDockControl*, bool&>;
using TdxBarMenuMergeEvent = TEvent<TObject*, TdxBarManager*, bool>;
using TdxBarShowPopupEvent = TEvent<TObject*, TdxBarItemLinks*>;
using TdxBarClickItemEvent = TEvent<TObject*, TdxBarItem*>;

// ---------------------------------------------------------------------------
// Framework services (start-up, registries, lookups, drawing helpers).

// Item class -> view class. The view of a link is made by the entry of the
// item's exact class.
using TdxBarItemControlFactory = std::function<TdxBarItemControl*(TdxBarItemLink*)>;
struct TdxBarItemClassEntry {
  std::type_index ItemClass = typeid(void);
  std::string ItemClassName;
  TdxBarItemControlFactory MakeView;
  bool Listed = false;
};

// Runs the framework's start-up once (counted); the library calls it itself
// before the first manager exists. Shut-down frees what start-up made.
void dxBarInitialize();
void dxBarFinalize();

void RegisterBarItemClass(std::type_index ItemClass, const std::string& Name, TdxBarItemControlFactory View,
                          bool Listed);
template <class Item, class View>
void RegisterBarItemClass(const std::string& Name, bool Listed) {
  RegisterBarItemClass(typeid(Item), Name, [](TdxBarItemLink* L) -> TdxBarItemControl* { return new View(L); },
                       Listed);
}
void UnregisterBarItemClass(std::type_index ItemClass);
const TdxBarItemClassEntry* FindBarItemClass(std::type_index ItemClass);
// The n-th listed entry's item class name (empty when none) and the count.
std::string GetListedItemClass(Integer N);
Integer ListedItemClassCount();

void AddLiveBarControl(TCustomdxBarControl* Control);
void RemoveLiveBarControl(TCustomdxBarControl* Control);
bool IsLiveBarControl(const TCustomdxBarControl* Control);

// Temporary items made by the framework for its own menus.
void AddTempItem(TdxBarItem* Item);
void RemoveTempItem(TdxBarItem* Item);
void FreeUnusedTempItems();
Integer TempItemCount();

TdxBarManager* FindBarManagerOfForm(TComponent* Form);
TCustomdxBarControl* ActiveBarControl();  // top of the active-window stack
TCustomdxBarControl* RootBarWindow(TCustomdxBarControl* Window);
TCustomdxBarControl* RootToolbarWindow(TCustomdxBarControl* Window);
TCustomdxBarControl* RootBarWindowOfView(TdxBarItemControl* View);
TCustomdxBarControl* RootToolbarOfView(TdxBarItemControl* View);
TWinControl* ControlOfWindow(HWND Wnd);
bool IsAncestorWindow(HWND Wnd, HWND Ancestor);
HWND DeepChildWindowFromPoint(HWND Wnd, POINT ClientPoint);
HWND DeepWindowFromPoint(POINT ScreenPoint);
bool IsVerticalToolbar(TCustomdxBarControl* Window);
bool RotatesWindowItems(TCustomdxBarControl* Window);
TRect GetWorkAreaAt(POINT ScreenPoint);
Integer SmallCaptionHeight();
void ClampItemWidth(Integer& Width);
TdxBarItemVisible VisibleFromBoolean(bool Flag);
bool LogicalLeftButtonDown();
bool LogicalRightButtonDown();
std::string StripAccelerators(const std::string& Text);
void PlayMenuSound(Integer Index);
// The last alias PlayMenuSound played (tests observe menu sounds through it).
std::string LastMenuSound();
void PumpMouseMessages();
void PumpPaintMessages();

// Mouse-leave tracking: TrackMouseEvent when USER32 has it, else a 50 ms poll.
void BeginMouseLeaveTracking(HWND Wnd);
bool IsMouseLeaveTracked(HWND Wnd);
void EndMouseLeaveTracking(HWND Wnd);
// Tests switch the fallback on to try the polling road.
void SetMouseLeaveFallback(bool UsePolling);

// Drawing services.
TColor ShadeSysColor(Integer SysColorIndex, Integer R, Integer G, Integer B);
TColor ShadeColor(TColor Base, Integer R, Integer G, Integer B);
TColor NearestColor(TColor Color);
void FrameHighlightRect(HDC DC, const TRect& R);
// Arrow size for a rectangle (see DrawArrow).
Integer ArrowSize(const TRect& R, bool Down);
void DrawArrow(HDC DC, const TRect& R, bool Down, bool Flat, bool Selected, bool Enabled);
void DrawBarGlyph(HDC DC, HBRUSH Background, const TRect& Area, TColor ImageListBkColor, bool Down, bool Hot,
                  bool Flat, bool Greyed, bool Enabled, Integer ImageIndex, TCustomImageList* Images,
                  TBitmap* Bitmap, const TRect& GlyphRect);
void FillVerticalGradient(TCanvas* Canvas, const TRect& R, TColor Start, TColor End);
HBRUSH CheckerBrush();
void CreateCheckerBrush();
HFONT CopyFont(HFONT Font);
void CreateBarFont(TFont* Font, HFONT& Handle, bool Scaled);

// Thread hooks: installed with the first manager, removed with the last.
bool dxBarHooksInstalled();

// ---------------------------------------------------------------------------
// Categories: names with a 3-byte visibility record each.
class TdxBarManagerCategories : public TStringList {
 public:
  T_CLASSNAME(TdxBarManagerCategories)
  explicit TdxBarManagerCategories(TdxBarManager* Manager);
  ~TdxBarManagerCategories() override;
  TdxBarManager* BarManager() const { return manager_; }
  void Delete(Integer Index) override;
  void Insert(Integer Index, const std::string& S) override;
  void Exchange(Integer Index1, Integer Index2) override;
  void Move(Integer CurIndex, Integer NewIndex) override;
  void Clear() override;
  void SetItemsCategory(Integer From, Integer To);

  struct TRecord {
    Byte ItemsVisible = ivAlways;
    Byte PendingItemsVisible = ivAlways;
    bool Visible = true;
  };
  TRecord* Record(Integer Index) const;
  TRecord* EnsureRecord(Integer Index);

 protected:
  void Changed() override;
  void PutObject(Integer Index, TObject* AObject) override;

 private:
  friend class TdxBarManager;
  TdxBarManager* manager_;
  bool moving_ = false;
  std::vector<std::unique_ptr<TRecord>> records_;  // parallel to the strings
};

// ---------------------------------------------------------------------------
// Groups of items (and groups) switched on and off together.
class TdxBarGroup : public TComponent {
 public:
  T_CLASSNAME(TdxBarGroup)
  explicit TdxBarGroup(TComponent* AOwner);
  ~TdxBarGroup() override;
  TdxBarManager* BarManager() const { return manager_; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  TdxBarItemVisible Visible() const { return visible_; }
  void SetVisible(TdxBarItemVisible Value);
  Integer Count() const { return static_cast<Integer>(members_.size()); }
  TComponent* Items(Integer Index) const;
  Integer IndexOf(TComponent* C) const;
  void Add(TComponent* C);
  void Remove(TComponent* C);
  void MoveMember(Integer CurIndex, Integer NewIndex);
  bool Contains(TComponent* C) const;  // at any depth
  Integer Index() const;
  void SetIndex(Integer Value);

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void Loaded() override;
  void DefineProperties(TFiler* Filer) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TdxBarManager;
  TdxBarManager* manager_ = nullptr;
  bool enabled_ = true;
  TdxBarItemVisible visible_ = ivAlways;
  std::vector<TComponent*> members_;
  std::vector<std::string> memberNames_;
};

// ---------------------------------------------------------------------------
// The bar manager.
class TdxBarManager : public TComponent {
 public:
  T_CLASSNAME(TdxBarManager)
  explicit TdxBarManager(TComponent* AOwner);
  ~TdxBarManager() override;

  // Published.
  bool AllowCallFromAnotherForm() const { return allowCallFromAnotherForm_; }
  void SetAllowCallFromAnotherForm(bool V) { allowCallFromAnotherForm_ = V; }
  bool AllowReset() const { return allowReset_; }
  void SetAllowReset(bool V) { allowReset_ = V; }
  bool AlwaysMerge() const { return alwaysMerge_; }
  void SetAlwaysMerge(bool V) { alwaysMerge_ = V; }
  bool AlwaysSaveText() const { return alwaysSaveText_; }
  void SetAlwaysSaveText(bool V) { alwaysSaveText_ = V; }
  bool AutoDockColor() const { return autoDockColor_; }
  void SetAutoDockColor(bool V);
  bool AutoHideEmptyBars() const { return autoHideEmptyBars_; }
  void SetAutoHideEmptyBars(bool V);
  bool Scaled() const { return scaled_; }
  void SetScaled(bool V);
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* V) { font_->Assign(V); }
  TdxBars* Bars() const { return bars_.get(); }
  void SetBars(TdxBars* V);
  Integer ButtonArrowWidth() const { return buttonArrowWidth_; }
  void SetButtonArrowWidth(Integer V);
  bool CanCustomize() const { return canCustomize_; }
  void SetCanCustomize(bool V) { canCustomize_ = V; }
  TStrings* Categories() const;
  void SetCategories(TStrings* V);
  TColor DockColor() const;
  void SetDockColor(TColor V);
  bool FlatCloseButton() const { return flatCloseButton_; }
  void SetFlatCloseButton(bool V);
  TBitmap* HelpButtonGlyph() const { return helpButtonGlyph_.get(); }
  void SetHelpButtonGlyph(TBitmap* V) { helpButtonGlyph_->Assign(V); }
  Integer HelpContext() const { return helpContext_; }
  void SetHelpContext(Integer V) { helpContext_ = V; }
  TCustomImageList* HotImages() const { return hotImages_; }
  void SetHotImages(TCustomImageList* V);
  TColor ImageListBkColor() const { return imageListBkColor_; }
  void SetImageListBkColor(TColor V);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* V);
  const std::string& IniFileName() const { return iniFileName_; }
  void SetIniFileName(const std::string& V) { iniFileName_ = V; }
  TCustomImageList* LargeImages() const { return largeImages_; }
  void SetLargeImages(TCustomImageList* V);
  Integer LargeButtonArrowWidth() const { return largeButtonArrowWidth_; }
  void SetLargeButtonArrowWidth(Integer V);
  bool LargeIcons() const { return largeIcons_; }
  void SetLargeIcons(bool V);
  TdxBarMenuAnimations MenuAnimations() const { return menuAnimations_; }
  void SetMenuAnimations(TdxBarMenuAnimations V) { menuAnimations_ = V; }
  bool MenusShowRecentItemsFirst() const { return menusShowRecentItemsFirst_; }
  void SetMenusShowRecentItemsFirst(bool V) { menusShowRecentItemsFirst_ = V; }
  Byte MostRecentItemsPercents() const { return mostRecentItemsPercents_; }
  void SetMostRecentItemsPercents(Byte V);
  TdxBarDockingStyles NotDocking() const { return notDocking_; }
  void SetNotDocking(TdxBarDockingStyles V) { notDocking_ = V; }
  const std::string& RegistryPath() const { return registryPath_; }
  void SetRegistryPath(const std::string& V) { registryPath_ = V; }
  bool ShowCloseButton() const { return showCloseButton_; }
  void SetShowCloseButton(bool V);
  bool ShowFullMenusAfterDelay() const { return showFullMenusAfterDelay_; }
  void SetShowFullMenusAfterDelay(bool V) { showFullMenusAfterDelay_ = V; }
  bool ShowHelpButton() const { return showHelpButton_; }
  void SetShowHelpButton(bool V) { showHelpButton_ = V; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool V) { showHint_ = V; }
  bool ShowHintForDisabledItems() const { return showHintForDisabledItems_; }
  void SetShowHintForDisabledItems(bool V) { showHintForDisabledItems_ = V; }
  bool ShowShortCutInHint() const { return showShortCutInHint_; }
  void SetShowShortCutInHint(bool V) { showShortCutInHint_ = V; }
  bool StoreInIniFile() const { return storeInIniFile_; }
  void SetStoreInIniFile(bool V) { storeInIniFile_ = V; }
  bool StoreInRegistry() const { return storeInRegistry_; }
  void SetStoreInRegistry(bool V) { storeInRegistry_ = V; }
  bool StretchGlyphs() const { return stretchGlyphs_; }
  void SetStretchGlyphs(bool V) { stretchGlyphs_ = V; }
  TdxBarManagerStyle Style() const { return style_; }
  void SetStyle(TdxBarManagerStyle V);
  bool SunkenBorder() const { return sunkenBorder_; }
  void SetSunkenBorder(bool V) { sunkenBorder_ = V; }
  bool UseF10ForMenu() const { return useF10ForMenu_; }
  void SetUseF10ForMenu(bool V) { useF10ForMenu_ = V; }
  bool UseFullReset() const { return useFullReset_; }
  void SetUseFullReset(bool V) { useFullReset_ = V; }
  bool UseSystemFont() const { return useSystemFont_; }
  void SetUseSystemFont(bool V);
  Integer WaitForDockingTime() const { return waitForDockingTime_; }
  void SetWaitForDockingTime(Integer V);

  // Events.
  TdxBarEvent OnBarAdd, OnBarAfterReset, OnBarBeforeReset, OnBarClose, OnBarDelete, OnBarDockingStyleChange;
  TdxBarVisibleChangeEvent OnBarVisibleChange;
  TdxBarItemLinkEvent OnItemLinkAdd, OnItemLinkChange, OnItemLinkDelete;
  TNotifyEvent OnCloseButtonClick, OnHelpButtonClick, OnHideCustomizingForm, OnShowCustomizingForm;
  TdxBarCanDockingEvent OnDocking;
  TdxBarMenuMergeEvent OnMenuMerge;
  TdxBarShowPopupEvent OnShowCustomizingPopup, OnShowToolbarsPopup;
  TdxBarClickItemEvent OnClickItem;

  // Operations.
  virtual void NotifyClickItem(TdxBarItem* Item);
  virtual bool CanDock(TdxBar* Bar, TdxBarDockingStyle Style, TdxDockControl* DockControl);
  void SuspendRedraw(bool Lock);
  bool RedrawSuspended() const { return updateLock_; }
  void DesignerModified() {}
  bool CanReset() const { return readCount_ == 1 && allowReset_; }
  bool UsesRecentItems() const { return style_ != bmsStandard && menusShowRecentItemsFirst_; }
  bool IsFlat() const { return style_ == bmsFlat; }
  bool IsCustomizing() const { return customizing_ || designing_; }
  bool Designing() const { return designing_; }
  // Run-time customizing mode (its dialog is built elsewhere); the flag is
  // what items and windows consult.
  void SetCustomizing(bool Value);
  Integer FloatFrameWidth() const;
  Integer FloatFrameHeight() const;
  TdxBar* BarByCaption(const std::string& Caption) const;
  TdxBar* BarByName(const std::string& Name) const;
  TdxBarItem* ItemByName(const std::string& Name) const;
  Integer GetItemsOfCategory(Integer Index, std::vector<TdxBarItem*>& List) const;
  Integer GetVisibleItemsOfCategory(Integer Index, std::vector<TdxBarItem*>& List) const;
  void MoveItem(Integer CurIndex, Integer NewIndex);
  void ExchangeItems(Integer Index1, Integer Index2);
  void CloseActiveMenus();
  // An MDI child of the form was activated, sized or destroyed (the hook calls
  // it once the child handled the message): the active child's menu is merged
  // into the main-menu bar, and a change of the maximized state re-lays it out
  // (it shows the child's caption buttons then).
  void HandleMDIChildChange();
  bool MDIChildMaximized() const { return mdiChildMaximized_; }
  void AddDockControl(TdxDockControl* DockControl);
  void RemoveDockControl(TdxDockControl* DockControl);
  Integer DockControlCount() const { return static_cast<Integer>(dockControls_.size()); }
  TdxDockControl* DockControls(Integer Index) const;
  Integer ItemCount() const { return static_cast<Integer>(items_.size()); }
  TdxBarItem* Items(Integer Index) const;
  Integer IndexOfItem(const TdxBarItem* Item) const;
  Integer GroupCount() const { return static_cast<Integer>(groups_.size()); }
  TdxBarGroup* Groups(Integer Index) const;
  void AddGroup(TdxBarGroup* Group);
  void RemoveGroup(TdxBarGroup* Group);
  TdxBarGroup* CreateGroup();
  TCustomForm* OwnerForm() const { return ownerForm_; }
  TdxBar* MainMenuBar() const { return mainMenuBar_; }
  HBRUSH ShadowBrush() const { return shadowBrush_; }
  bool IsLoading() const { return ComponentState().Contains(csLoading); }
  bool IsDestroying() const { return ComponentState().Contains(csDestroying); }
  Integer ReadCount() const { return readCount_; }

  // Categories.
  TdxBarManagerCategories* CategoryList() const { return categories_.get(); }
  TdxBarItemVisible GetCategoryItemsVisible(Integer Index) const;
  bool GetCategoryVisible(Integer Index) const;
  void SetCategoryItemsVisible(Integer Index, TdxBarItemVisible Value);
  void SetCategoryVisible(Integer Index, bool Value);
  Integer VisibleCategoryIndex(Integer N) const;

  // Look (metrics, brushes, fonts).
  Integer GripThickness() const { return gripThickness_; }
  Integer GripArea() const { return gripArea_; }
  Integer MenuSeparatorIndent() const { return menuSeparatorIndent_; }
  Integer GlyphSize() const { return glyphSize_; }
  Integer DefaultItemWidth() const { return defaultItemWidth_; }
  Integer DefaultItemHeight() const { return defaultItemHeight_; }
  Integer DropDownArrowWidth() const { return dropDownArrowWidth_; }
  HBRUSH FlatBackgroundBrush() const { return flatBrushes_[0]; }
  HBRUSH FlatCheckedBrush() const { return flatBrushes_[1]; }
  HBRUSH FlatCheckedHotBrush() const { return flatBrushes_[2]; }
  HBRUSH FlatHotBrush() const { return flatBrushes_[3]; }
  // The face brush of flat menus (the glyph column): the flat background brush.
  HBRUSH FlatFaceBrush() const { return flatBrushes_[0]; }
  HFONT BarFontHandle() const { return barFont_; }
  void UpdateGlyphMetrics();
  void CreateFlatBrushes();
  void ApplySystemFont();
  Integer RecentThreshold() const { return recentThreshold_; }
  // The owner form's system messages that recompute the look.
  void SysColorChanged();
  void SettingChanged(UINT Setting);

  // Set while a menu is dragged off by its drag bar: the keyboard hook then
  // forwards no keys (the drag loop reads them itself).
  bool SubMenuDetaching = false;
  // Selection across windows.
  TdxBarItemControl* SelectedItemControl() const { return selectedItemControl_; }
  // While customizing (or designing) a new selection also closes the menus of
  // the old one's toolbar and redraws the old view (dxBar_Customizing.cpp).
  void SetSelectedItemControl(TdxBarItemControl* Control);
  // Forgets the selection without closing or redrawing anything (views and
  // windows going away, menus rebuilding their views).
  void ClearSelectedItemControl() { selectedItemControl_ = nullptr; }
  // Popup menus bound to the manager (freed by it).
  void AddPopupMenu(TdxBarPopupMenu* Menu);
  void RemovePopupMenu(TdxBarPopupMenu* Menu);
  // Popup menus attached to controls of the owner form (context key, right button).
  TdxBarPopupMenuLinks* PopupMenuLinks() const { return popupMenuLinks_.get(); }
  void SetPopupMenuLinks(TdxBarPopupMenuLinks* V);

  // Refreshes every bar window (repaint) or their layout.
  void RepaintBars();
  void RelayoutBars();

  void Loaded() override;
  void ReadState(TReader* Reader) override;
  void DefineProperties(TFiler* Filer) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void SetName(const std::string& NewName) override;

  // --- Item hints ------------------------------------------------------
  // Asks for the selected view's hint (or Text when not empty) to be shown
  // after the delay, or hides it; ShowHintNow shows it at once.
  void UpdateHint(bool Show, const std::string& Text = std::string());
  void ShowHintNow();
  // --- end of item hints -----------------------------------------------
  // --- Bar layout storage (dxBar_Storage.cpp) ---
  // Empty paths do nothing. Restoring answers whether a stored layout was
  // applied: a missing, damaged or foreign one leaves the layout untouched.
  void StoreLayoutInRegistry(const std::string& Path);
  void StoreLayoutInIni(const std::string& FileName);
  bool RestoreLayoutFromRegistry(const std::string& Path);
  bool RestoreLayoutFromIni(const std::string& FileName);
  // By StoreInRegistry and StoreInIniFile (registry first), outside design mode.
  void StoreLayout();
  void RestoreLayout();
  // --- end of bar layout storage ---
  // --- Customizing mode and designed layout (dxBar_Customizing.cpp) ---
  // The toolbar list of a right click: a check entry per listed bar, then
  // "&Customize..." (only with CanCustomize).
  void FillToolbarsPopup(TdxBarItemLinks* Links);
  // Appends "&Customize..." when CanCustomize: an item made by MakeItem (a
  // plain button when none), disabled while a customizing dialog is open.
  void AddCustomizeEntry(TdxBarItemLinks* Links, bool BeginGroup,
                         const std::function<TdxBarItem*()>& MakeItem = nullptr);
  void ToolbarsPopupClick(TObject* Sender);
  // Drags a command (Link none) or a placed link until the button goes up
  // (drop), Esc is pressed or the capture is lost (cancel).
  void DragItem(TdxBarItem* Item, TdxBarItemLink* Link);
  bool DragInProgress() const { return dragging_; }
  TdxBarItem* DraggedItem() const { return dragItem_; }
  TdxBarItemLink* DraggedLink() const { return dragLink_; }
  // Where the drag's capture goes: the customizing dialog, else the visible
  // main form, else the owner form.
  HWND DragCaptureWindow() const;
  // The inverted I-beam where a drop would insert; drawing it again erases it.
  void DrawInsertMark(TdxBarItemControl* View, bool InSeparator, bool Vertical, bool Before);
  // A temporary ownerless form holding a copy of this manager as designed
  // (read again from the owner form's resource), or none; the caller frees it.
  TCustomForm* ReloadDesignedLayout();
  void ResetUsageData();
  void ConfirmResetUsageData();
  // Set by a press on a view in customizing mode: what a drag that then
  // starts moves.
  TdxBarItem* PendingDragItem = nullptr;
  TdxBarItemLink* PendingDragLink = nullptr;
  TPoint PendingDragPoint;  // screen point of the press
  // --- end of customizing mode ---

  // Every live manager (the manager list).
  static Integer ManagerCount();
  static TdxBarManager* Managers(Integer Index);

 protected:
  virtual void DoBarAfterReset(TdxBar* Bar) { OnBarAfterReset(this, Bar); }
  virtual void DoBarBeforeReset(TdxBar* Bar) { OnBarBeforeReset(this, Bar); }
  virtual void DoBarClose(TdxBar* Bar) { OnBarClose(this, Bar); }
  virtual void DoCloseButtonClick() { OnCloseButtonClick(this); }
  virtual void DoHelpButtonClick() { OnHelpButtonClick(this); }
  virtual void DoShowCustomizingPopup(TdxBarItemLinks* L) { OnShowCustomizingPopup(this, L); }
  virtual void DoShowToolbarsPopup(TdxBarItemLinks* L) { OnShowToolbarsPopup(this, L); }

 public:
  virtual void DoBarDockingStyleChange(TdxBar* Bar);

 private:
  friend class TdxBarItem;
  friend class TdxBar;
  friend class TdxBars;
  friend class TdxBarControl;
  friend class TdxBarManagerCategories;
  friend class TdxBarGroup;
  void CompleteLoading();
  // Layout storage helpers (the sink and source types are local to their file).
  std::string LayoutSectionPrefix() const;
  void WriteLayout(void* Sink);
  bool ApplyStoredLayout(void* Source);
  void FontChanged(TObject* Sender);
  void ImagesChanged(TObject* Sender);
  void LargeImagesChanged(TObject* Sender);
  void HotImagesChanged(TObject* Sender);
  void RefreshImages(int Which);
  void SetImageList(TCustomImageList*& Slot, TChangeLink* Link, TCustomImageList* Value, int Which);
  void UpdateRecentThreshold();
  void SetStyleMetrics();
  void DeleteFlatBrushes();

  bool constructionFailed_ = true;
  bool allowCallFromAnotherForm_ = false, allowReset_ = true, alwaysMerge_ = false, alwaysSaveText_ = false;
  bool autoDockColor_ = true, autoHideEmptyBars_ = false;
  std::unique_ptr<TdxBars> bars_;
  Integer buttonArrowWidth_ = 9;
  bool canCustomize_ = true;
  bool styleChanging_ = false;
  std::unique_ptr<TdxBarManagerCategories> categories_;
  bool designing_ = false;
  TColor dockColor_ = clBtnFace;
  std::vector<TdxDockControl*> dockControls_;
  bool mdiChildMaximized_ = false;
  HFONT barFont_ = nullptr;
  bool flatCloseButton_ = false;
  HBRUSH flatBrushes_[4] = {};
  std::unique_ptr<TFont> font_;
  std::vector<TdxBarGroup*> groups_;
  std::unique_ptr<TBitmap> helpButtonGlyph_;
  Integer helpContext_ = 0;
  TColor imageListBkColor_ = clFuchsia;
  TCustomImageList* images_ = nullptr;
  TCustomImageList* largeImages_ = nullptr;
  TCustomImageList* hotImages_ = nullptr;
  std::unique_ptr<TChangeLink> imagesLink_, largeImagesLink_, hotImagesLink_;
  std::string iniFileName_;
  bool customizing_ = false;
  std::vector<TdxBarItem*> items_;
  Integer largeButtonArrowWidth_ = 14;
  bool largeIcons_ = false;
  bool updateLock_ = false;
  TCustomForm* ownerForm_ = nullptr;
  TdxBar* mainMenuBar_ = nullptr;
  TdxBarMenuAnimations menuAnimations_ = maNone;
  bool menusShowRecentItemsFirst_ = true;
  Byte mostRecentItemsPercents_ = 95;
  Integer recentThreshold_ = 20;
  TdxBarDockingStyles notDocking_;
  std::vector<TdxBarPopupMenu*> popupMenus_;
  std::unique_ptr<TdxBarPopupMenuLinks> popupMenuLinks_;
  Integer readCount_ = 0;
  std::string registryPath_;
  bool scaled_ = true;
  TdxBarItemControl* selectedItemControl_ = nullptr;
  HBRUSH shadowBrush_ = nullptr;
  bool showCloseButton_ = false, showFullMenusAfterDelay_ = true, showHelpButton_ = false, showHint_ = true;
  bool showHintForDisabledItems_ = true, showShortCutInHint_ = false, storeInIniFile_ = false;
  bool storeInRegistry_ = false, stretchGlyphs_ = true;
  TdxBarManagerStyle style_ = bmsStandard;
  bool sunkenBorder_ = false;
  bool useF10ForMenu_ = true, useFullReset_ = false, useSystemFont_ = false;
  Integer waitForDockingTime_ = 21;
  Integer gripThickness_ = 2, gripArea_ = 9, menuSeparatorIndent_ = 2;
  // Customizing drag state.
  bool dragging_ = false;
  TdxBarItem* dragItem_ = nullptr;
  TdxBarItemLink* dragLink_ = nullptr;
  Integer glyphSize_ = 16, defaultItemWidth_ = 23, defaultItemHeight_ = 22, dropDownArrowWidth_ = 9;
  bool fontChanging_ = false;

  // --- Owner-form integration (dxBar_OwnerForm.cpp) ---
 public:
  // Every message sent to the owner form's window, before the form sees it
  // (the call-window hook calls it).
  void HandleOwnerMessage(UINT Msg, WPARAM WParam, LPARAM LParam);
  // Shows the floating bars again (Active), or closes this manager's menus and
  // hides them unless OtherWindow (the window taking the activation) keeps them.
  void ActivateFloatingBars(bool Active, HWND OtherWindow);
  // Moves floating bars back inside the work area of the owner form's monitor.
  void FitFloatingBarsToWorkArea();
  // The owner MDI frame's active child window, or none.
  HWND ActiveMDIChild() const;
  // Puts a child's main menu into the main-menu bar (Activate) or takes it out
  // again, with the system-menu item of a maximized child.
  void MergeChild(HWND Child, bool Activate, bool SystemMenuOnly, bool KeepLock);
  HWND PreviousActiveMDIChild() const { return prevActiveMDIChild_; }

 private:
  void ShowHelpForView(TdxBarItemControl* View);
  void ShowFloatingBars(Integer Command);
  void ReshowRecreatedBars();
  bool activatingFloatingBars_ = false;
  // Bars whose windows went with the owner form's windows (re-created), in order.
  std::vector<TdxBar*> recreateList_;
  HWND prevActiveMDIChild_ = nullptr;
  bool savedMainMenuVisible_ = true;
  // --- end of owner-form integration ---
};

// ---------------------------------------------------------------------------
// Action link of an item.
class TdxBarItemActionLink : public TActionLink {
 public:
  T_CLASSNAME(TdxBarItemActionLink)
  explicit TdxBarItemActionLink(TObject* Client);
  TdxBarItem* Client() const { return client_; }
  bool IsCaptionLinked() const override;
  bool IsCheckedLinked() const override;
  bool IsEnabledLinked() const override;
  bool IsHelpContextLinked() const override;
  bool IsHintLinked() const override;
  bool IsImageIndexLinked() const override;
  bool IsShortCutLinked() const override;
  bool IsVisibleLinked() const override;
  bool IsOnExecuteLinked() const override;

 protected:
  void SetCaption(const std::string& Value) override;
  void SetChecked(bool Value) override;
  void SetEnabled(bool Value) override;
  void SetHelpContext(Integer Value) override;
  void SetHint(const std::string& Value) override;
  void SetImageIndex(Integer Value) override;
  void SetShortCut(TShortCut Value) override;
  void SetVisible(bool Value) override;
  void SetOnExecute(const TNotifyEvent& Value) override;
  void ActionDestroyed() override;

 private:
  TdxBarItem* client_;
};

// ---------------------------------------------------------------------------
// Command items.
class TdxBarItem : public TComponent {
 public:
  T_CLASSNAME(TdxBarItem)
  explicit TdxBarItem(TComponent* AOwner);
  ~TdxBarItem() override;

  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TdxBarItemAlign Align() const { return align_; }
  void SetAlign(TdxBarItemAlign Value);
  TdxBarManager* BarManager() const { return manager_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value) { WriteCaption(Value); }
  Integer Category() const { return category_; }
  void SetCategory(Integer Value) { WriteCategory(Value); }
  const std::string& Description() const { return description_; }
  void SetDescription(const std::string& V) { description_ = V; }
  bool Enabled() const { return ReadEnabled(); }
  void SetEnabled(bool Value) { WriteEnabled(Value); }
  Integer HelpContext() const { return helpContext_; }
  void SetHelpContext(Integer V) { helpContext_ = V; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& V) { hint_ = V; }
  TdxBarItemVisible Visible() const { return visible_; }
  void SetVisible(TdxBarItemVisible Value) { WriteVisible(Value); }
  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(TBitmap* Value) { glyph_->Assign(Value); }
  Integer ImageIndex() const { return imageIndex_; }
  void SetImageIndex(Integer Value);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut Value) { WriteShortCut(Value); }
  bool UnclickAfterDoing() const { return unclickAfterDoing_; }
  void SetUnclickAfterDoing(bool V) { unclickAfterDoing_ = V; }
  TNotifyEvent OnClick;
  TNotifyEvent OnDestroy;

  bool ReadEnabled() const;
  void WriteEnabled(bool Value);
  void WriteVisible(TdxBarItemVisible Value);
  void WriteCaption(const std::string& Value);
  void WriteCategory(Integer Value);
  virtual void WriteShortCut(TShortCut Value);
  bool IsVisibleNow() const;
  TdxBarItemLink* ActiveLink() const;
  Integer LinkCount() const { return static_cast<Integer>(links_.size()); }
  TdxBarItemLink* Links(Integer Index) const;
  bool HasViews() const;
  Integer IndexInManager() const;
  std::string PlainCaption() const;
  bool ImageIndexValid() const;
  TdxBarItemLink* ClickItemLink() const { return clickItemLink_; }
  void SetClickItemLink(TdxBarItemLink* L) { clickItemLink_ = L; }
  TdxBarItemActionLink* ActionLink() const { return actionLink_.get(); }
  bool IsLoading() const;

  virtual void AfterManagerSet() {}
  virtual bool AcceptsDirectClick() const { return true; }
  // Whether a caption change carries the hint along (sub items say no).
  virtual bool HintFollowsCaption() const { return true; }
  virtual void RefreshLinksCaption();
  virtual void RefreshLinksEnabled();
  virtual bool HiddenInCommandList() const { return false; }
  virtual void RefreshLinksGlyph();
  virtual bool AcceleratorUsable(TdxBarItemLink* Link) const;
  virtual void PaintHiddenLink(TdxBarItemControl*) {}
  virtual void RefreshHotGlyph() {}
  virtual void RefreshLargeGlyph() {}
  virtual bool NeedsHiddenLinkPaint() const { return false; }
  virtual void BarChanged(Integer, TdxBar*) {}
  virtual void RefreshLinksShortCut();
  virtual void RepaintLinks();
  virtual void RelayoutLinks();
  virtual bool UsesHotImages() const { return false; }
  virtual bool UsesLargeImages() const { return false; }
  virtual void ApplyVisibility();

  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  virtual void AlignChanged();
  virtual void TryClick();
  virtual void RunClick();
  virtual void InvokeOnClick();
  // Item notices for the design-time lists (nothing at run time).
  void ItemChanged() {}

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  void Assign(TPersistent* Source) override;
  void AssignTo(TPersistent* Dest) override;

  // Stored-property tests (nothing is written that an action supplies).
  bool IsCaptionStored() const;
  bool IsEnabledStored() const;
  bool IsHelpContextStored() const;
  bool IsHintStored() const;
  bool IsVisibleStored() const;
  bool IsImageIndexStored() const;
  bool IsShortCutStored() const;
  bool IsOnClickStored() const;

 protected:
  friend class TdxBarItemLink;
  friend class TdxBarManager;
  friend class TdxBarManagerCategories;
  void SetManagerDirect(TdxBarManager* M);

  std::unique_ptr<TdxBarItemActionLink> actionLink_;
  TdxBarItemAlign align_ = iaLeft;
  TdxBarManager* manager_ = nullptr;
  std::string caption_;
  Integer category_ = -1;
  TdxBarItemLink* clickItemLink_ = nullptr;
  std::string description_;
  bool enabled_ = true;
  std::unique_ptr<TBitmap> glyph_;
  Integer helpContext_ = 0;
  std::string hint_;
  Integer imageIndex_ = -1;
  std::vector<TdxBarItemLink*> links_;
  TdxBarItemVisible pendingVisible_ = ivAlways;
  TShortCut shortCut_ = 0;
  bool unclickAfterDoing_ = false;
  TdxBarItemVisible visible_ = ivAlways;
};

class TdxBarButton : public TdxBarItem {
 public:
  T_CLASSNAME(TdxBarButton)
  explicit TdxBarButton(TComponent* AOwner);
  ~TdxBarButton() override;

  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool V) { WriteAllowAllUp(V); }
  TdxBarButtonStyle ButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(TdxBarButtonStyle V) { WriteButtonStyle(V); }
  bool CloseSubMenuOnClick() const { return closeSubMenuOnClick_; }
  void SetCloseSubMenuOnClick(bool V) { closeSubMenuOnClick_ = V; }
  bool DropDownEnabled() const { return dropDownEnabled_; }
  void SetDropDownEnabled(bool V);
  Integer GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(Integer V) { WriteGroupIndex(V); }
  bool Down() const { return down_; }
  void SetDown(bool V) { WriteDown(V); }
  TdxBarPopupMenu* DropDownMenu() const { return dropDownMenu_; }
  void SetDropDownMenu(TdxBarPopupMenu* V);
  bool Lowered() const { return lowered_; }
  void SetLowered(bool V);
  TdxBarPaintStyle PaintStyle() const { return paintStyle_; }
  void SetPaintStyle(TdxBarPaintStyle V);

  void WriteDown(bool Value);
  void WriteGroupIndex(Integer Value);
  void WriteAllowAllUp(bool Value);
  void WriteButtonStyle(TdxBarButtonStyle Value);
  TdxBarButton* FindDownInGroup() const;
  bool OtherDownInGroup() const;

  virtual void ButtonStyleChanged();
  virtual bool CanChangePaintStyle() const { return true; }
  virtual void DownChanged();
  virtual void DropDownEnabledChanged();
  virtual void PaintStyleChanged();
  virtual void DropDown(Integer X, Integer Y, bool ByMouse);

  bool AcceleratorUsable(TdxBarItemLink* Link) const override;
  void TryClick() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  bool IsDownStored() const;

 private:
  bool allowAllUp_ = false;
  TdxBarButtonStyle buttonStyle_ = bsDefault;
  bool closeSubMenuOnClick_ = true;
  bool down_ = false;
  bool dropDownEnabled_ = true;
  TdxBarPopupMenu* dropDownMenu_ = nullptr;
  Integer groupIndex_ = 0;
  bool lowered_ = false;
  TdxBarPaintStyle paintStyle_ = psStandard;
};

// A popup menu bound to a manager: a context menu at a screen point that runs
// its own modal loop until it closes (unless a button shows it as its drop-down).
using TdxBarPaintSubMenuBarEvent = TEvent<TObject*, TCanvas*, const TRect&>;
class TdxBarPopupMenu : public TComponent {
 public:
  T_CLASSNAME(TdxBarPopupMenu)
  explicit TdxBarPopupMenu(TComponent* AOwner);
  ~TdxBarPopupMenu() override;
  TdxBarManager* BarManager() const { return manager_; }
  void SetBarManager(TdxBarManager* Value);
  TdxBarItemLinks* ItemLinks() const { return itemLinks_.get(); }
  void SetItemLinks(TdxBarItemLinks* Value);
  bool UseRecentItems() const { return useRecentItems_; }
  void SetUseRecentItems(bool V);
  Integer BarSize() const { return barSize_; }
  void SetBarSize(Integer V) { barSize_ = V < 0 ? 0 : V; }
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* V) { font_->Assign(V); }
  bool UseOwnFont() const { return useOwnFont_; }
  void SetUseOwnFont(bool V);
  HFONT OwnFontHandle() const { return ownFont_; }
  // The manager's font changed: an own font is rebuilt, else the manager's copied.
  void ManagerFontChanged();
  TNotifyEvent OnCloseUp, OnPopup;
  TdxBarPaintSubMenuBarEvent OnPaintBar;
  virtual void DoPaintBar(TCanvas* Canvas, const TRect& R) { OnPaintBar(this, Canvas, R); }

  // Set while it is shown as a button's drop-down.
  bool ShownAsDropDown() const { return shownAsDropDown_; }
  void SetShownAsDropDown(bool V) { shownAsDropDown_ = V; }
  // Shows the menu at the cursor / a screen point; returns once it closed
  // (at once for a drop-down), the chosen item's click already run.
  void ShowAtCursor();
  void ShowAtPoint(Integer X, Integer Y);
  void ShowAtPointEx(Integer X, Integer Y, bool Animate, Integer ExclusionHeight, Integer ExclusionWidth);
  bool Running() const { return running_; }
  bool AnimateNow() const { return animate_; }
  Integer ExclusionWidth() const { return exclusionWidth_; }
  Integer ExclusionHeight() const { return exclusionHeight_; }
  // Callbacks of the menu window.
  void HandleCloseUp();
  void HandlePopup() { OnPopup(this); }
  // Shows the menu window at a screen point (no modal loop).
  void ShowAt(Integer X, Integer Y);
  void Close();
  TdxBarSubMenuControl* Window() const;
  // The button view the open menu belongs to.
  TdxBarItemControl* OwnerView() const { return ownerView_; }
  void SetOwnerView(TdxBarItemControl* V) { ownerView_ = V; }
  void Loaded() override;

 private:
  friend class TdxBarManager;
  void FontChangedHandler(TObject* Sender);
  TdxBarManager* manager_ = nullptr;
  std::unique_ptr<TdxBarItemLinks> itemLinks_;
  bool useRecentItems_ = true;
  bool shownAsDropDown_ = false;
  TdxBarItemControl* ownerView_ = nullptr;
  Integer barSize_ = 0;
  std::unique_ptr<TFont> font_;
  HFONT ownFont_ = nullptr;
  bool useOwnFont_ = false, fontCopying_ = false;
  Integer exclusionWidth_ = 0, exclusionHeight_ = 0;
  bool running_ = false, animate_ = true, closeUpFired_ = false;
  bool* freedFlag_ = nullptr;  // set while the modal loop runs: the menu may be freed in it
};

// A popup menu attached to a control of the manager's form.
using TdxBarPopupMenuLinkActionEvent = TEvent<class TdxBarPopupMenuLink*, Integer&, Integer&, bool, bool&>;
class TdxBarPopupMenuLink : public TCollectionItem {
 public:
  T_CLASSNAME(TdxBarPopupMenuLink)
  explicit TdxBarPopupMenuLink(TCollection* Collection) : TCollectionItem(Collection) {}
  TWinControl* Control() const { return control_; }
  void SetControl(TWinControl* Value);
  TdxBarPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TdxBarPopupMenu* Value);
  TdxBarPopupMenuLinkActionEvent OnAction;
  TdxBarManager* BarManager() const;
  void Assign(TPersistent* Source) override;
  // Window: the focused window (keyboard) or the one under the mouse;
  // Point: the screen point, X = -1 for the keyboard. True when handled.
  bool ShowContextMenu(HWND Window, TPoint Point);

 private:
  friend class TdxBarPopupMenuLinks;
  TWinControl* control_ = nullptr;
  TdxBarPopupMenu* popupMenu_ = nullptr;
};

class TdxBarPopupMenuLinks : public TOwnedCollection {
 public:
  T_CLASSNAME(TdxBarPopupMenuLinks)
  explicit TdxBarPopupMenuLinks(TdxBarManager* Manager);
  TdxBarPopupMenuLink* Items(Integer Index) const {
    return static_cast<TdxBarPopupMenuLink*>(TCollection::Items(Index));
  }
  TdxBarPopupMenuLink* Add() { return static_cast<TdxBarPopupMenuLink*>(TCollection::Add()); }
  TdxBarManager* BarManager() const { return manager_; }
  bool ShowForControl(TWinControl* Control, HWND Window, TPoint Point);
  // A freed control or popup menu leaves every link.
  void ComponentRemoved(TComponent* C);

 private:
  TdxBarManager* manager_;
};

// ---------------------------------------------------------------------------
// Links.
class TdxBarItemLink : public TCollectionItem {
 public:
  T_CLASSNAME(TdxBarItemLink)
  explicit TdxBarItemLink(TCollection* Collection);
  ~TdxBarItemLink() override;

  bool BeginGroup() const { return beginGroup_; }
  void SetBeginGroup(bool Value);
  TdxBarItem* Item() const { return item_; }
  void SetItem(TdxBarItem* Value) { WriteItem(Value); }
  bool MostRecentlyUsed() const { return mostRecentlyUsed_; }
  void SetMostRecentlyUsed(bool Value);
  const std::string& UserCaption() const { return userCaption_; }
  void SetUserCaption(const std::string& Value);
  TdxBarUserDefines UserDefine() const { return userDefine_; }
  void SetUserDefine(TdxBarUserDefines Value);
  TBitmap* UserGlyph() const { return userGlyph_.get(); }
  void SetUserGlyph(TBitmap* Value);
  TdxBarPaintStyle UserPaintStyle() const { return userPaintStyle_; }
  void SetUserPaintStyle(TdxBarPaintStyle Value);
  Integer UserWidth() const { return userWidth_; }
  void SetUserWidth(Integer Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);

  TdxBarItemLinks* Links() const;
  TdxBarManager* BarManager() const;
  TdxBarItemControl* Control() const { return control_; }
  void WriteItem(TdxBarItem* Value);
  Integer AvailableIndex() const;
  Integer VisibleIndex() const;
  Integer ShownIndex() const;
  std::string EffectiveCaption() const;
  TBitmap* EffectiveGlyph() const;
  TdxBarPaintStyle EffectivePaintStyle() const;
  Integer EffectiveWidth() const;
  bool ReadBeginGroup() const;
  bool IsVisibleNow() const;
  bool ContainsItem(TdxBarItem* AItem) const;
  void CreateItemControl();
  void FreeItemControl();
  void Changed();
  void Assign(TPersistent* Source) override;
  void ResetUseCount();
  void CountUse(bool Count);
  void BringToFront();
  void SendToBack();
  void MoveInRecent(Integer Position);
  Integer RecentIndex() const;
  bool MatchesAccelerator(Word Key, TShiftState Shift) const;

  void* Data = nullptr;
  TRect ItemRect;
  Integer StoredRecentIndex = -1;
  Integer StoredUseCount = 0;
  bool PendingVisible = true;
  TdxBarItemLink* OwnerLink() { return ownerLink_ ? ownerLink_ : this; }
  TdxBarItemLink* ownerLink_ = nullptr;
  Integer SavedRecentPosition = -1;
  Integer RowThickness = 0;
  Integer UseCount = 0;

 private:
  friend class TdxBarItemControl;
  friend class TdxBarItemLinks;
  bool beginGroup_ = false;
  TdxBarItemControl* control_ = nullptr;
  TdxBarItem* item_ = nullptr;
  bool mostRecentlyUsed_ = true;
  std::string userCaption_;
  TdxBarUserDefines userDefine_;
  std::unique_ptr<TBitmap> userGlyph_;
  TdxBarPaintStyle userPaintStyle_ = psStandard;
  Integer userWidth_ = 0;
  bool visible_ = true;
  Integer pendingRecentPos_ = -1;
};

class TdxBarItemLinks : public TCollection {
 public:
  T_CLASSNAME(TdxBarItemLinks)
  TdxBarItemLinks(TdxBarManager* Manager, TPersistent* Owner);
  ~TdxBarItemLinks() override;

  TdxBarItemLink* Items(Integer Index) const { return static_cast<TdxBarItemLink*>(TCollection::Items(Index)); }
  TdxBarItemLink* Add() { return static_cast<TdxBarItemLink*>(TCollection::Add()); }
  TdxBarManager* BarManager() const { return manager_; }
  void SetBarManager(TdxBarManager* M) { manager_ = M; }
  TPersistent* GetOwner() const override { return owner_; }
  TPersistent* Owner() const { return owner_; }
  TdxBar* OwnerBar() const;
  TdxBarPopupMenu* OwnerPopupMenu() const;
  TCustomdxBarControl* BarControl() const { return barControl_; }
  void SetBarControl(TCustomdxBarControl* C) { barControl_ = C; }
  TCustomdxBarControl* CreateBarWindow();
  void FreeBarWindow();

  const std::vector<TdxBarItemLink*>& AvailableLinks() const { return available_; }
  const std::vector<TdxBarItemLink*>& VisibleLinks() const { return visibleLinks_; }
  const std::vector<TdxBarItemLink*>& ShownLinks() const { return shown_; }
  const std::vector<TdxBarItemLink*>& RecentOrder() const { return recent_; }
  Integer ShownRecentCount() const { return shownRecentCount_; }
  bool UseRecentItems() const { return useRecentItems_; }
  void SetUseRecentItems(bool V) { useRecentItems_ = V; }
  bool Assigning() const { return assigning_; }
  TNotifyEvent OnChange;

  void RebuildShownLists();
  Integer FittingCount() const;
  TdxBarItemLink* FirstSelectable() const;
  TdxBarItemLink* LastSelectable() const;
  TdxBarItemLink* NextSelectable(TdxBarItemLink* L) const;
  TdxBarItemLink* PrevSelectable(TdxBarItemLink* L) const;
  TdxBarItemLink* FindByAccelerator(Word Key, TShiftState Shift, TdxBarItemLink* After) const;
  bool ContainsItem(TdxBarItem* Item) const;
  void UpdateActions();
  void ClearRects();
  void Assign(TPersistent* Source) override;
  void ApplyLoadedState(bool ApplyVisible);
  void SetShownRecentCount(Integer N);
  void RestoreShownRecentCount();
  Integer RecentCutIndex() const;
  void TakeRecentFlags(TdxBarItemLinks* Other);
  void CompactRecentOrder();
  bool EffectiveUseRecentItems() const;
  bool IsInToolbar() const;
  // Takes a link out of the recent order (a container's own link while its
  // generated entries stand in for it).
  void ForgetRecent(TdxBarItemLink* L);

 protected:
  void Update(TCollectionItem* Item) override;
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

 private:
  friend class TdxBarItemLink;
  bool Selectable(TdxBarItemLink* L) const;
  bool assigning_ = false;
  std::vector<TdxBarItemLink*> available_, visibleLinks_, shown_;
  TCustomdxBarControl* barControl_ = nullptr;
  TdxBarManager* manager_;
  TPersistent* owner_;
  Integer savedShownRecentCount_ = -1;
  std::vector<TdxBarItemLink*> recent_;
  Integer shownRecentCount_ = -1;
  bool useRecentItems_ = true;
  bool destroying_ = false;
};

// ---------------------------------------------------------------------------
// Toolbar item layout, kept apart from windows so any length can be measured.
// One entry per shown link, in order; "along" is the row direction (down in a
// vertical bar), "across" the other.
struct TdxBarLayoutItem {
  Integer Width = 0, Height = 0;  // the view's size
  Integer MinLen = 0;             // iaClient: least length along the row
  bool BeginGroup = false;
  TdxBarItemAlign Align = iaLeft;
  bool RowBreak = false;  // wrapping bars: starts a new row (CalcRowBreaks)
  // Results of dxBarArrangeItems.
  bool Placed = false;
  TRect Rect;
  TRect SeparatorRect;  // the begin-group band before the item within its row
  Integer RowThickness = 0;
  bool LastShown = false;
};

struct TdxBarLayoutParams {
  bool Vertical = false;
  bool Wraps = false;
  Integer MaxLen = 0;         // room along a row
  Integer CrossExtent = 0;    // wrapping vertical bars: rows run from this edge leftwards
  Integer RowThickness = 0;   // single row: the client thickness
  Integer BeginGroupSize = 6;
};

// Places the items; answers whether an aligned item took the rest of a
// single row with items after it (the bar is then truncated).
bool dxBarArrangeItems(std::vector<TdxBarLayoutItem>& Items, const TdxBarLayoutParams& P);
// Sets RowBreak so that rows fit Limit, keeping begin-group sections together
// where they fit; Along/Across come in as the least size and leave as the size
// of the rows. A caption-button area (AreaLen along, AreaThick across) ends the
// last row when it fits there, else it adds a row.
void dxBarCalcRowBreaks(std::vector<TdxBarLayoutItem>& Items, bool Vertical, Integer Limit, Integer BeginGroupSize,
                        Integer& Along, Integer& Across, Integer AreaLen = 0, Integer AreaThick = 0);

// ---------------------------------------------------------------------------
// Dock sites: the four built-in ones at the form's edges and the ones placed
// on a form (TdxBarDockControl). A site holds its toolbar windows in rows
// (nearest the form edge first), each row a list of columns along it, and
// sizes itself to the sum of its rows.
struct TdxDockCol {
  TdxBarControl* Window = nullptr;
  TPoint Pos;  // remembered place in site client coordinates (the along one counts)
};
struct TdxDockRow {
  std::vector<TdxDockCol> Cols;
};

class TdxDockControl : public TCustomControl {
 public:
  T_CLASSNAME(TdxDockControl)
  // A built-in site at one edge of the manager's form.
  TdxDockControl(TdxBarManager* Manager, TdxBarDockingStyle Style);
  ~TdxDockControl() override;
  // From the site's alignment: left, right and bottom as they are, anything else top.
  TdxBarDockingStyle DockingStyle() const;
  TdxBarManager* BarManager() const { return manager_; }
  // 1 left, 2 top, 3 right, 4 bottom for a built-in site; 0 for a placed one.
  Byte Side() const { return side_; }
  bool BuiltIn() const { return side_ != 0; }
  bool AllowDocking() const { return allowDocking_; }
  void SetAllowDocking(bool V) { allowDocking_ = V; }
  // Adds a window at a screen point: the row from the point's band across
  // the site (a locked window takes its bar's stored row), the column from
  // the point along the row.
  void InsertBar(TdxBarControl* Window, TPoint ScreenPoint);
  void RemoveBar(TdxBarControl* Window);
  void MoveBarInSite(TdxBarControl* Window, TPoint ScreenPoint);
  void UpdateLayout();
  Integer Size() const { return size_; }
  void SetSize(Integer Value);
  bool IsVertical() const { return DockingStyle() == dsLeft || DockingStyle() == dsRight; }
  bool IsNear() const { return DockingStyle() == dsLeft || DockingStyle() == dsTop; }
  virtual bool CanDocking(TdxBar* Bar) const;
  Integer BarCount() const;
  Integer RowCount() const { return static_cast<Integer>(rows_.size()); }
  const TdxDockRow& Rows(Integer Index) const { return rows_[static_cast<size_t>(Index)]; }
  // The row holding a window, or -1.
  Integer RowOf(const TdxBarControl* Window) const;
  Integer RowSize() const { return 23; }
  Integer RowThickness(Integer Row) const;
  virtual Integer RowsExtent() const;
  // Across-extent of a row: [start, start + thickness).
  void RowRect(Integer Row, TRect& R);
  // Boundary b (-1 before the first row .. RowCount after the last) split in
  // three parts across the site: join the row, new row, join the next row.
  void Band(Integer Boundary, Integer Part, Integer& From, Integer& To);
  Integer RowAtPoint(TPoint ScreenPoint, bool& NewRow);
  Integer ColumnIndexAt(Integer Row, TPoint ScreenPoint);
  // The site's screen rect widened by a row size where a dragged bar docks.
  TRect DockingZone();
  // Takes the manager's dock colour (or the parent's with AutoDockColor).
  virtual void ApplyDockColor();

 protected:
  // A site placed on a form (TdxBarDockControl): no manager until one is set.
  explicit TdxDockControl(TComponent* AOwner);
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void SetManager(TdxBarManager* Manager);
  std::vector<TdxDockRow> rows_;
  bool layoutHeld_ = false;  // no layout while set (the site turns its bars)

 private:
  TdxBarManager* manager_ = nullptr;
  Byte side_ = 0;
  bool allowDocking_ = true;
  Integer size_ = 0;
  bool arranging_ = false;
  Integer lastLength_ = -1;
  void ArrangeRows();
  void RemoveFromRows(TdxBarControl* Window);
};

// --- Placed dock sites -------------------------------------------------------
enum TdxBarDockAlign { dalNone, dalTop, dalBottom, dalLeft, dalRight };

// A dock site a designer puts anywhere on a form: toolbars of its manager
// dock into it as into the form's edges; its thickness is the sum of its rows
// (nothing when empty at run time).
class TdxBarDockControl : public TdxDockControl {
 public:
  T_CLASSNAME(TdxBarDockControl)
  explicit TdxBarDockControl(TComponent* AOwner);
  TdxBarDockAlign DockAlign() const { return dockAlign_; }
  void SetDockAlign(TdxBarDockAlign V);
  bool AllowZeroSizeInDesignTime() const { return allowZeroSizeInDesignTime_; }
  void SetAllowZeroSizeInDesignTime(bool V);
  void SetBarManager(TdxBarManager* V);
  TColor OwnColor() const { return Color(); }
  void SetOwnColor(TColor V);
  bool OwnParentColor() const { return ParentColor(); }
  void SetOwnParentColor(bool V);
  bool UseOwnColor() const { return useOwnColor_; }
  void SetUseOwnColor(bool V);
  bool IsColorStored() const { return useOwnColor_ && !ParentColor(); }
  bool SunkenBorder() const;
  void SetSunkenBorder(bool V);
  bool UseOwnSunkenBorder() const { return useOwnSunkenBorder_; }
  void SetUseOwnSunkenBorder(bool V);
  // The thickness of a site without rows: 3 in design mode (unless
  // AllowZeroSizeInDesignTime), else 0.
  Integer EmptySize() const;
  Integer RowsExtent() const override;
  bool CanDocking(TdxBar* Bar) const override;
  void ApplyDockColor() override;

 protected:
  void Loaded() override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;

 private:
  TdxBarDockAlign dockAlign_ = dalTop;
  bool allowZeroSizeInDesignTime_ = false;
  bool useOwnColor_ = false;
  bool sunkenBorder_ = false, useOwnSunkenBorder_ = false;
  bool Restoring() const;
};

// ---------------------------------------------------------------------------
// Bars.
class TdxBar : public TCollectionItem {
 public:
  T_CLASSNAME(TdxBar)
  explicit TdxBar(TCollection* Collection);
  ~TdxBar() override;

  bool AllowClose() const { return allowClose_; }
  void SetAllowClose(bool V) { allowClose_ = V; }
  bool AllowCustomizing() const { return allowCustomizing_; }
  void SetAllowCustomizing(bool V) { allowCustomizing_ = V; }
  bool AllowQuickCustomizing() const { return allowQuickCustomizing_; }
  void SetAllowQuickCustomizing(bool V);
  bool AllowReset() const { return allowReset_; }
  void SetAllowReset(bool V) { allowReset_ = V; }
  TdxBarBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TdxBarBorderStyle V);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& V) { WriteCaption(V); }
  TdxDockControl* DockControl() const { return dockControl_; }
  void SetDockControl(TdxDockControl* V) { WriteDockControl(V); }
  TdxDockControl* DockedDockControl() const { return dockedDockControl_; }
  void SetDockedDockControl(TdxDockControl* V);
  TdxBarDockingStyle DockedDockingStyle() const { return ReadDockedDockingStyle(); }
  void SetDockedDockingStyle(TdxBarDockingStyle V) { dockedDockingStyle_ = V; }
  Integer DockedLeft() const { return dockedLeft_; }
  void SetDockedLeft(Integer V) { dockedLeft_ = V < 0 ? 0 : V; }
  Integer DockedTop() const { return dockedTop_; }
  void SetDockedTop(Integer V) { dockedTop_ = V < 0 ? 0 : V; }
  TdxBarDockingStyle DockingStyle() const { return ReadDockingStyle(); }
  void SetDockingStyle(TdxBarDockingStyle V) { WriteDockingStyle(V); }
  Integer FloatLeft() const { return floatLeft_; }
  void SetFloatLeft(Integer V) { floatLeft_ = V; }
  Integer FloatTop() const { return floatTop_; }
  void SetFloatTop(Integer V) { floatTop_ = V; }
  Integer FloatClientWidth() const { return floatClientWidth_; }
  void SetFloatClientWidth(Integer V) { floatClientWidth_ = V; }
  Integer FloatClientHeight() const { return floatClientHeight_; }
  void SetFloatClientHeight(Integer V) { floatClientHeight_ = V; }
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* V) { font_->Assign(V); }
  bool Hidden() const { return hidden_; }
  void SetHidden(bool V) { hidden_ = V; }
  bool IsMainMenu() const { return isMainMenu_; }
  void SetIsMainMenu(bool V) { WriteIsMainMenu(V); }
  TdxBarItemLinks* ItemLinks() const { return itemLinks_.get(); }
  void SetItemLinks(TdxBarItemLinks* V) { itemLinks_->Assign(V); }
  bool MultiLine() const { return multiLine_; }
  void SetMultiLine(bool V);
  const std::string& Name() const { return name_; }
  void SetName(const std::string& V) { name_ = V; }
  TdxBarDockingStyles NotDocking() const { return notDocking_; }
  void SetNotDocking(TdxBarDockingStyles V) { notDocking_ = V; }
  bool OneOnRow() const { return oneOnRow_; }
  void SetOneOnRow(bool V) { oneOnRow_ = V; }
  bool RotateWhenVertical() const { return rotateWhenVertical_; }
  void SetRotateWhenVertical(bool V);
  Integer Row() const { return row_; }
  void SetRow(Integer V) { row_ = V < 0 ? 0 : V; }
  bool ShowMark() const { return showMark_; }
  void SetShowMark(bool V);
  bool SizeGrip() const { return sizeGrip_; }
  void SetSizeGrip(bool V) { sizeGrip_ = V; }
  bool UseOwnFont() const { return useOwnFont_; }
  void SetUseOwnFont(bool V);
  bool UseRecentItems() const { return useRecentItems_; }
  void SetUseRecentItems(bool V);
  bool UseRestSpace() const { return useRestSpace_; }
  void SetUseRestSpace(bool V);
  bool Visible() const { return visible_; }
  void SetVisible(bool V) { WriteVisible(V); }
  bool WholeRow() const { return wholeRow_; }
  void SetWholeRow(bool V);

  TdxBars* Bars() const;
  TdxBarManager* BarManager() const;
  TdxBarControl* Control() const;
  bool AutoHidden() const { return autoHidden_; }
  void SetAutoHidden(bool V) { autoHidden_ = V; }
  bool FromForm() const { return fromForm_; }
  HFONT FontHandle() const { return fontHandle_; }

  void WriteCaption(const std::string& V);
  void WriteVisible(bool V);
  void WriteDockControl(TdxDockControl* V);
  void WriteDockingStyle(TdxBarDockingStyle V);
  void WriteIsMainMenu(bool V);
  TdxBarDockingStyle ReadDockingStyle() const;
  TdxBarDockingStyle ReadDockedDockingStyle() const;
  TdxDockControl* EffectiveDockControl() const;
  void SetDocking(TdxBarDockingStyle Style, TdxDockControl* Site);
  void Assign(TPersistent* Source) override;
  bool ClickShortCut(TShortCut ShortCut);
  bool InToolbarsList() const;
  bool CanReset() const { return fromForm_ && allowReset_; }
  bool IsStatusBarStyle() const;
  Integer FrameWidth(TdxBarDockingStyle Style) const;
  Integer FrameHeight(TdxBarDockingStyle Style) const;
  void ApplyLoaded();
  void FontChanged(TObject* Sender);
  // The manager's font, copied when the bar has none of its own.
  void ManagerFontChanged();
  bool IsFontStored() const { return useOwnFont_; }
  bool IsDockingStyleStored() const { return dockControl_ == nullptr; }
  bool IsDockedDockingStyleStored() const { return dockedDockControl_ == nullptr; }
  // --- Reset to the designed layout (dxBar_Customizing.cpp) ---
  // Reset: the bar's links (all of it with the manager's UseFullReset) as the
  // owner form's resource has them; ResetWithConfirm asks first.
  void Reset();
  void ResetWithConfirm();

 private:
  friend class TdxBarManager;
  friend class TdxBarControl;
  friend class TdxBarDockControl;
  void ShowWindow();
  void StorePosition();
  bool allowClose_ = true, allowCustomizing_ = true, allowQuickCustomizing_ = true, allowReset_ = true;
  TdxBarBorderStyle borderStyle_ = bbsSingle;
  std::string caption_;
  bool dockingWriterRunning_ = false;
  TdxDockControl* dockControl_ = nullptr;
  TdxDockControl* dockedDockControl_ = nullptr;
  TdxBarDockingStyle dockedDockingStyle_ = dsTop;
  Integer dockedLeft_ = 0, dockedTop_ = 0;
  TdxBarDockingStyle dockingStyle_ = dsNone;
  HFONT fontHandle_ = nullptr;
  Integer floatLeft_ = 0, floatTop_ = 0, floatClientWidth_ = 0, floatClientHeight_ = 0;
  std::unique_ptr<TFont> font_;
  bool hidden_ = false, autoHidden_ = false, isMainMenu_ = false, fromForm_ = false;
  std::unique_ptr<TdxBarItemLinks> itemLinks_;
  TdxDockControl* pendingDockControl_ = nullptr;
  TdxBarDockingStyle pendingDockingStyle_ = dsNone;
  bool pendingVisible_ = false;
  bool layoutHold_ = false;
  std::string name_;
  TdxBarDockingStyles notDocking_;
  bool multiLine_ = false, oneOnRow_ = false, rotateWhenVertical_ = true;
  Integer row_ = 0;
  bool showMark_ = true, sizeGrip_ = true, useOwnFont_ = false, useRecentItems_ = true, useRestSpace_ = false;
  bool visible_ = false, wholeRow_ = false;
  bool fontCopying_ = false;
};

class TdxBars : public TCollection {
 public:
  T_CLASSNAME(TdxBars)
  explicit TdxBars(TdxBarManager* Manager);
  ~TdxBars() override;
  TdxBar* Items(Integer Index) const { return static_cast<TdxBar*>(TCollection::Items(Index)); }
  TdxBar* Add() { return static_cast<TdxBar*>(TCollection::Add()); }
  TdxBarManager* BarManager() const { return manager_; }
  TPersistent* GetOwner() const override;
  TdxDockControl* DockControl(TdxBarDockingStyle Style) const;
  void ClearDockControl(TdxDockControl* D);
  std::string UniqueBarName(const std::string& Caption) const;
  bool Loading() const { return loading_; }
  bool Restoring() const { return restoring_; }
  Integer RowSize() const { return 23; }
  void Assign(TPersistent* Source) override;

 private:
  friend class TdxBarManager;
  TdxBarManager* manager_;
  TdxDockControl* docks_[4] = {};
  bool loading_ = false;
  bool restoring_ = false;
};

// ---------------------------------------------------------------------------
// The bar window base.
class TCustomdxBarControl : public TCustomControl {
  friend class TdxBarItemLink;
  friend class TdxBarItemControl;

 public:
  T_CLASSNAME(TCustomdxBarControl)
  explicit TCustomdxBarControl(TdxBarManager* AOwner);
  ~TCustomdxBarControl() override;

  TdxBarManager* BarManager() const { return manager_; }
  TdxBarItemLinks* ItemLinks() const { return itemLinks_; }
  void SetItemLinks(TdxBarItemLinks* L) { itemLinks_ = L; }
  TdxBarItemControl* SelectedControl() const { return selectedControl_; }
  bool Active() const { return active_; }
  TCustomdxBarControl* ParentBarWindow() const { return parentWindow_; }
  void SetParentBarWindow(TCustomdxBarControl* W) { parentWindow_ = W; }
  TCustomdxBarControl* ChildWindow() const { return childWindow_; }
  void SetChildWindow(TCustomdxBarControl* W) { childWindow_ = W; }
  TdxBarDockingStyle DockingStyleOfWindow() const { return dockingStyle_; }
  TdxDockControl* DockSite() const { return dockSite_; }
  void SetDockSite(TdxDockControl* D) { dockSite_ = D; }
  Integer TextRowHeight() const { return textRowHeight_; }
  Integer MenuRowHeight() const { return menuRowHeight_; }
  Integer SeparatorStep() const { return separatorStep_; }
  Integer ArrowColumnWidth() const { return arrowColumnWidth_; }
  Integer SmallButtonWidth() const { return smallButtonWidth_; }
  Byte MarkState() const { return markState_; }
  TdxBarItemControl* PressedControl() const { return pressedControl_; }
  bool PaintLocked() const { return paintLocked_; }
  bool IsDestroying() const { return ComponentState().Contains(csDestroying); }
  // Forgets where the mouse was, so the next move hot-tracks even in place.
  void ForgetMousePos() { lastMousePos_ = TPoint{-1, -1}; }
  // Set once the window's own destructor runs (csDestroying is set earlier,
  // by an owner that is being destroyed, while the window must still go).
  bool BeingFreed = false;
  bool IsFlat() const;
  bool HasShadow() const;
  virtual TdxBarItemControl* ItemControlAtPoint(TPoint P) const;
  bool OwnsItemControl(const TdxBarItemControl* C) const;
  bool ForwardKeyToSelected(Word Key);
  void DrawCustomizingFrame(TdxBarItemControl* Control);
  void PaintItemControlNow(TdxBarItemControl* Control) { PaintItemControl(Control); }
  HBRUSH ItemBackgroundBrush() const { return itemBackgroundBrush_; }

  virtual void BuildItemControls();
  virtual void DropItemControls();
  virtual void MeasureFontMetrics();
  virtual bool AllowsItemAlign() const { return false; }
  virtual bool UsesDefaultNonClient() const { return true; }
  virtual bool AllowsCustomizing() const;
  virtual Integer BeginGroupSize() const = 0;
  virtual HFONT FontHandle() const;
  virtual void GetItemRect(TdxBarItemControl* Control, TRect& R) const;
  virtual bool InCustomizing() const;
  virtual void GetItemRectEx(TdxBarItemControl* Control, bool Whole, TRect& R) const;
  virtual HRGN CreateItemRegion(TdxBarItemControl* Control) const;
  virtual HBRUSH BackgroundBrush() const;
  virtual HBRUSH CheckedBrush() const;
  virtual HBRUSH CheckedHotBrush() const;
  virtual HBRUSH HotBrush() const;
  virtual bool IsPopupWindow() const { return false; }
  virtual bool IsAncestorOf(TCustomdxBarControl* Window) const;
  virtual TdxBarItemControl* ItemControlAtPointEx(TPoint P, bool& InSeparator, bool& Vertical, bool& Before) const;
  virtual bool HasMark() const { return false; }
  virtual bool MouseUnmoved(TPoint P) const;
  virtual void PaintItemControl(TdxBarItemControl* Control);
  virtual void RepaintSelection(TdxBarItemControl* Old);
  virtual void SetDockingStyle(TdxBarDockingStyle Style);
  virtual void ApplyFont() = 0;
  virtual void SetActive(bool Value);
  virtual void SelectItem(TdxBarItemControl* Control);
  virtual void SetMarkState(Byte State) = 0;
  virtual void HotTrackTo(TdxBarItemControl* Control);
  virtual void SetSelectedControl(TdxBarItemControl* Control);
  virtual void CloseChain();
  virtual void RebuildLayout() {}
  virtual bool LeavesClientArea(LRESULT HitTest) const { return HitTest != HTCLIENT; }
  virtual void DoubleClickItem(TdxBarItemControl* Control);
  // A menu window (drop-down or popup) rather than a toolbar.
  virtual bool IsMenuWindow() const { return false; }
  virtual bool IsToolbarWindow() const { return false; }

  void WndProc(TMessage& Message) override;

 protected:
  void Dispatch(TMessage& Message) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void AdjustSize() override {}
  virtual void WMKeyDownBar(TMessage& M);
  virtual void WMLButtonDownBar(TMessage& M);
  virtual void WMLButtonUpBar(TMessage& M);
  virtual void WMLButtonDblClkBar(TMessage& M);
  virtual void WMMouseMoveBar(TMessage& M);
  virtual void WMRButtonDownBar(TMessage& M);
  virtual void WMMouseLeaveBar(TMessage& M);
  virtual void WMCaptureChangedBar(TMessage& M);
  void WMNCPaintShadow(TMessage& M);
  void UpdateShadowRegion();

  TdxBarManager* manager_;
  HBRUSH itemBackgroundBrush_ = nullptr;
  TCustomdxBarControl* childWindow_ = nullptr;
  TdxBarItemControl* pressedControl_ = nullptr;
  bool paintLocked_ = false;
  TdxDockControl* dockSite_ = nullptr;
  TdxBarDockingStyle dockingStyle_ = dsNone;
  bool dragPending_ = false;
  Integer dragStartX_ = 0, dragStartY_ = 0;
  bool ignoreNextButtonUp_ = false;
  bool active_ = false;
  TdxBarItemLinks* itemLinks_ = nullptr;
  Byte markState_ = 0;
  bool pressedUnderMouse_ = false;
  bool regionLocked_ = false;
  TCustomdxBarControl* parentWindow_ = nullptr;
  TCustomdxBarControl* previousActive_ = nullptr;
  TdxBarItemControl* selectedControl_ = nullptr;
  Integer textRowHeight_ = 0, menuRowHeight_ = 0, separatorStep_ = 4, arrowColumnWidth_ = 0, smallButtonWidth_ = 0;
  TPoint lastMousePos_{-1, -1};
};

// Whether menus are shown in full (program-wide).
bool MenusExpanded();
void SetMenusExpanded(bool V);

// The toolbar window of a bar: its views in one row (docked) or in rows
// (floating or multi-line), the mark for links that do not fit, and its own
// frame: border and grip when docked, frame and caption when floating.
class TdxBarControl : public TCustomdxBarControl {
 public:
  T_CLASSNAME(TdxBarControl)
  TdxBarControl(TdxBarManager* AOwner, TdxBar* Bar);
  ~TdxBarControl() override;
  TdxBar* Bar() const { return bar_; }
  Integer BeginGroupSize() const override;
  void ApplyFont() override;
  void SetMarkState(Byte State) override;
  void RebuildLayout() override;
  bool IsToolbarWindow() const override { return true; }
  bool AllowsItemAlign() const override { return !Wraps(dockingStyle_); }
  // --- Customizing and quick customizing (dxBar_QuickCustomize.cpp) ---
  // Run-time customizing reaches the views of bars that allow it.
  bool AllowsCustomizing() const override;
  // The quick-customizing window the pressed mark opened, or none.
  class TdxBarQuickControl* QuickCustomizingWindow = nullptr;
  // A press at a client point: on the mark of a docked bar it opens or closes
  // the quick-customizing window (true: the press is handled).
  bool PressMark(TPoint ClientPoint);
  void IgnoreNextButtonUp();
  // Drop targets of a customizing drag: a view's begin-group band belongs to
  // it, and empty row space answers the row's views (dxBar_Customizing.cpp).
  HRGN CreateItemRegion(TdxBarItemControl* Control) const override;
  TdxBarItemControl* ItemControlAtPointEx(TPoint P, bool& InSeparator, bool& Vertical, bool& Before) const override;
  bool HasMark() const override { return HasMarkFor(dockingStyle_); }
  void MoveToDockSite(TdxBarDockingStyle Style, TdxDockControl* Site);
  // The size the window wants for a docking style (client plus frame).
  TPoint CalcDockedSize(TdxBarDockingStyle Style);
  void BeginLock() { ++lock_; }
  void EndLock() {
    if (lock_ > 0) --lock_;
  }
  bool Locked() const { return lock_ > 0; }
  void SetActive(bool Value) override;

  // Keyboard menu mode (entered by the hooks on Alt, F10 and Alt+letter, or
  // by a click): the given view, or the first selectable one, is selected.
  virtual void EnterMenuMode(TdxBarItemControl* Control);
  virtual void LeaveMenuMode();
  bool InMenuMode() const;
  void SelectItem(TdxBarItemControl* Control) override;
  void CloseChain() override;
  bool MouseUnmoved(TPoint P) const override;
  // Set when a sub item was opened from the bar by keyboard or the active bar
  // was clicked: hovered sub items then open at once.
  bool KeyboardDropDown = false;
  HWND FocusBeforeMenuMode = nullptr;

  // Layout (client sizes; "Style" is the docking style measured for).
  static bool IsVerticalStyle(TdxBarDockingStyle S) { return S == dsLeft || S == dsRight; }
  bool Wraps(TdxBarDockingStyle S) const { return S == dsNone || bar_->MultiLine(); }
  bool HasMarkFor(TdxBarDockingStyle S) const;
  Integer MinBarWidth(TdxBarDockingStyle Style);
  Integer MinBarHeight(TdxBarDockingStyle Style);
  Integer FullBarWidth(TdxBarDockingStyle Style);
  Integer FullBarHeight(TdxBarDockingStyle Style);
  TPoint CalcSizeForWidth(TdxBarDockingStyle Style, Integer Width);
  TPoint CalcSizeForHeight(TdxBarDockingStyle Style, Integer Height);
  void ArrangeItems();
  TRect MarkRect();
  // The whole window (frame, then client) painted into a DC at its origin.
  void PaintWindowTo(HDC Dc);
  // Set by the dock site when the bar gets less than its full length, and by
  // an aligned item that takes the rest of a row with links after it.
  bool Truncated = false;
  Integer MinLength = 0, FullLength = 0;
  // What the last WM_NCHITTEST meant to the window itself (HTCAPTION: a drag handle).
  LRESULT HitCode = 0;
  // Where a drag holds the window (client of the frame) and its size then.
  Integer GrabX = 0, GrabY = 0, FloatWidth = 1, FloatHeight = 1;
  // Where the cursor holds the window in the size it has with a docking style.
  TPoint GrabOffset(TdxBarDockingStyle Style);
  // The caption close button of a floating bar of the toolbar list (window
  // coordinates; empty otherwise) and its state: 0 normal, 1 hot, 2 pressed.
  TRect CloseButtonRect();
  Byte CloseButtonState = 0;

  // --- Caption buttons of a main-menu bar ----------------------------------
  // With a maximized MDI child (that has a system menu) the main-menu bar
  // shows its minimise, restore and close buttons (indexes 0, 1, 2) at the
  // end of its last row; with the manager's ShowCloseButton and no such
  // child, a lone close button (index 2).
  Integer MDIButtonWidth = 0, MDIButtonHeight = 0;
  HWND MaximizedMDIChild() const;
  bool MDIButtonsShown() const;
  bool CaptionButtonsShown() const;
  Integer ButtonAreaWidth() const;
  Integer ButtonAreaHeight() const;
  // Client coordinates; empty when that button is not shown.
  TRect CaptionButtonRect(Integer Index);
  bool CaptionButtonEnabled(Integer Index) const;
  // The shown button at a client point, or -1.
  Integer CaptionButtonAt(TPoint P);
  void MeasureFontMetrics() override;

  // --- Rotated font of vertical bars ---------------------------------------
  // Docked left or right with the bar's RotateWhenVertical, the views paint
  // their captions with a copy of the font turned to run top to bottom.
  bool Rotates() const;
  HFONT FontHandle() const override;

  // --- Drag state: both window handles kept --------------------------------
  // While dragged the window keeps a docked (child) and a floating (pop-up)
  // handle and switches between them instead of making new windows.
  void SetDragState(bool On);
  bool TwoHandleMode = false;
  HWND FloatingHandle = nullptr, DockedHandle = nullptr;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void Paint() override;
  void WMLButtonDownBar(TMessage& M) override;
  void WMLButtonUpBar(TMessage& M) override;
  void WMMouseMoveBar(TMessage& M) override;
  void WMKeyDownBar(TMessage& M) override;
  void WMLButtonDblClkBar(TMessage& M) override;
  // Outside customizing: the toolbar list (dxBar_CustomizePopups.cpp).
  void WMRButtonDownBar(TMessage& M) override;
  void CloseButtonLoop();

 private:
  TdxBar* bar_;
  Integer lock_ = 0;
  HFONT rotatedFont_ = nullptr;
  bool fontReentry_ = false;
  void FontChanged();
  void PaintCaptionButtons(HDC Dc, HRGN Rest);
  void SwitchHandle(bool Docked);
  std::vector<TdxBarLayoutItem> CollectItems(std::vector<TdxBarItemLink*>& Links, bool AllLinks) const;
  TPoint MeasureSingleRow(TdxBarDockingStyle Style, Integer Length);
  TPoint MeasureRows(TdxBarDockingStyle Style, Integer Length);
  void NCCalcSize(RECT& R);
  void NCPaint();
  void PaintFrame(HDC Dc);
  LRESULT NCHitTest(TPoint Screen);
  void DragLoop(TPoint Start);
  void MoveBarTo(TPoint Cursor);
  void SizeFloating(UINT Edge, RECT& R);
};

// ---------------------------------------------------------------------------
// Views.
class TdxBarItemControl : public TObject {
 public:
  T_CLASSNAME(TdxBarItemControl)
  explicit TdxBarItemControl(TdxBarItemLink* Link);
  ~TdxBarItemControl() override;

  TRect GroupSeparatorRect;
  bool RowBreak = false;
  bool GroupEdge = false;
  bool HasEditWindow = false;
  bool Active = false;
  bool LastShown = false;
  bool RarelyUsed = false;
  bool Pressed = false;
  bool SelectedByMouse = false;

  TdxBarItemLink* Link() const { return link_; }
  TCustomdxBarControl* Window() const { return window_; }
  TdxBarItem* Item() const;
  TdxBarManager* BarManager() const;
  bool IsFlat() const;
  TdxBarItemAlign EffectiveAlign() const;
  TRect ViewRect() const;
  bool IsMenu() const { return window_ && window_->IsMenuWindow(); }

  virtual void WindowHandleDestroying() {}
  virtual void BeginGroupChanged();
  virtual void CaptionChanged();
  virtual void EnabledChanged();
  virtual void GlyphChanged();
  virtual void PressedChanged();
  virtual void ShortCutChanged();
  virtual void LayoutChanged();
  virtual bool ClickRunsItem() const { return true; }
  virtual bool SameManager() const;
  virtual bool AllowedWhileCustomizing() const;
  virtual void PerformClick(bool ByMouse);
  virtual void EnterActive(bool ByMouse);
  virtual void LeaveActive(bool ByMouse);
  virtual void PrepareClick(bool) {}
  virtual void ExecuteClick(bool ByMouse);
  virtual bool IsDrawnSelected() const;
  virtual void KeyDown(Word) {}
  virtual bool WantsKey(Word) const { return false; }
  virtual std::string GetCaption() const;
  virtual bool ItemEnabled() const;
  virtual TBitmap* Glyph() const;
  virtual Integer ImageIndex() const;
  virtual TCustomImageList* Images() const;
  virtual std::string GetHint() const;
  virtual TCustomImageList* HotImages() const;
  virtual TCustomImageList* LargeImages() const;
  virtual TShortCut ShortCut() const;
  virtual Integer MenuGlyphColumnWidth() const;
  virtual Integer GetHeight() const { return 0; }
  virtual Integer GetMinHeight() const { return 1; }
  virtual Integer GetMinWidth() const { return 1; }
  virtual Integer GetWidth() const { return 0; }
  virtual bool HasHint() const;
  virtual bool ClickClosesMenus() const { return true; }
  virtual bool DoubleClickExpands() const { return false; }
  virtual bool CapturesMouse() const { return false; }
  virtual void PaintView(const TRect&, Integer) {}
  virtual void RedrawView();
  virtual void RelayoutWindow();
  virtual void DoubleClick() {}
  virtual bool OpensItemEditorOnDoubleClick() const;
  bool Selectable() const { return AllowedWhileCustomizing() || ClickRunsItem(); }

  Integer Height() const;
  Integer Width() const;
  bool MouseDownOnView() const;
  bool HasGlyph() const;
  void SetPressed(bool V);

  // Painting primitives.
  void DrawLoweredFrame(HDC DC, TRect& R) const;
  void DrawGlyphCell(HDC DC, const TRect& R, Integer Kind, bool Pressed, bool Down, bool Selected, bool NoGlyph);
  void DrawCheckMark(HDC DC, const TRect& Cell, bool Enabled) const;
  void DrawItemText(HDC DC, const std::string& Text, TRect R, bool Rotated, bool ClipToRect, bool Selected,
                    bool Enabled, Integer Alignment) const;
  void DrawMenuRow(HDC DC, TRect R, bool Selected, bool ShowGlyph, bool Down);
  void GetArrowPartColors(bool Selected, bool Open, HBRUSH& Brush, TColor& ArrowColor) const;

 protected:
  TdxBarItemLink* link_;
  TCustomdxBarControl* window_;
};

class TdxBarButtonControl : public TdxBarItemControl {
 public:
  T_CLASSNAME(TdxBarButtonControl)
  explicit TdxBarButtonControl(TdxBarItemLink* Link) : TdxBarItemControl(Link) {}
  ~TdxBarButtonControl() override;
  bool DropDownOpen = false;

  TdxBarButton* Button() const;
  TdxBarButtonStyle ButtonStyle() const;
  bool Down() const;
  TdxBarPaintStyle PaintStyleNow() const;
  bool Rotated() const;

  virtual Integer ArrowPartWidth() const;
  virtual void ButtonStyleChanged() { RelayoutWindow(); }
  virtual void DownChanged() { RedrawView(); }
  virtual void DropDownEnabledChanged() { RedrawView(); }
  virtual Integer GetThickness() const;
  virtual Integer GetLength() const;
  virtual void PaintStyleChanged() { RelayoutWindow(); }
  virtual void DropDownClosed();
  virtual void DropDown(bool ByMouse);

  void GlyphChanged() override;
  void LeaveActive(bool ByMouse) override;
  void PrepareClick(bool ByMouse) override;
  void ExecuteClick(bool ByMouse) override;
  bool IsDrawnSelected() const override;
  void KeyDown(Word Key) override;
  bool WantsKey(Word Key) const override;
  Integer GetHeight() const override;
  Integer GetWidth() const override;
  bool ClickClosesMenus() const override;
  bool CapturesMouse() const override { return !DropDownOpen; }
  void PaintView(const TRect& R, Integer Kind) override;

 private:
  bool MouseOnArrowPart() const;
};

// ===========================================================================
// Sub items and container items, their views, and the drop-down menu window
// with its input, scrolling, expansion and opening animation.
class TCustomdxBarSubItem;
class TCustomdxBarContainerItem;
class TdxBarSubItemControl;

using TdxBarPaintSubMenuBarEvent = TEvent<TObject*, TCanvas*, const TRect&>;

// An item whose click opens a menu of its own links.
class TCustomdxBarSubItem : public TdxBarItem {
 public:
  T_CLASSNAME(TCustomdxBarSubItem)
  explicit TCustomdxBarSubItem(TComponent* AOwner);
  ~TCustomdxBarSubItem() override;

  Integer BarSize() const { return barSize_; }
  void SetBarSize(Integer V);
  bool Detachable() const { return detachable_; }
  void SetDetachable(bool V) { detachable_ = V; }
  // The index of the detaching bar in the manager's bars (it follows reordering), or -1.
  Integer DetachingBar() const;
  void SetDetachingBar(Integer V) { WriteDetachingBar(V); }
  void WriteDetachingBar(Integer Index);
  TdxBar* DetachingBarObject() const { return detachingBar_; }
  TdxBarItemLinks* ItemLinks() const { return itemLinks_.get(); }
  void SetItemLinks(TdxBarItemLinks* V) { itemLinks_->Assign(V); }
  bool ShowCaption() const { return showCaption_; }
  void SetShowCaption(bool V);
  bool AllowCustomizing() const { return allowCustomizing_; }
  void SetAllowCustomizing(bool V) { allowCustomizing_ = V; }

  TNotifyEvent OnCloseUp, OnDetaching, OnPopup;
  TdxBarPaintSubMenuBarEvent OnPaintBar;

  // Whether Item may be placed in the links owned by Owner (no sub item may
  // end up inside itself, at any depth).
  static bool AcceptsLink(TPersistent* Owner, TdxBarItem* Item);

  void AfterManagerSet() override;
  bool AcceptsDirectClick() const override { return false; }
  bool HintFollowsCaption() const override { return false; }
  void BarChanged(Integer Change, TdxBar* Bar) override;
  virtual void PaintBar(TCanvas* Canvas, const TRect& R) { OnPaintBar(this, Canvas, R); }
  virtual void DoCloseUp() { OnCloseUp(this); }
  virtual void DoDetaching() { OnDetaching(this); }
  virtual void DoPopup() { OnPopup(this); }
  // The open menu window of the links, or none.
  TdxBarSubMenuControl* MenuWindow() const;

 private:
  Integer barSize_ = 0;
  bool detachable_ = false;
  TdxBar* detachingBar_ = nullptr;
  std::unique_ptr<TdxBarItemLinks> itemLinks_;
  bool showCaption_ = true;
  bool allowCustomizing_ = true;
};

class TdxBarSubItem : public TCustomdxBarSubItem {
 public:
  T_CLASSNAME(TdxBarSubItem)
  explicit TdxBarSubItem(TComponent* AOwner) : TCustomdxBarSubItem(AOwner) {}
};

// A sub item that, in a menu, puts generated entries in its own place.
class TCustomdxBarContainerItem : public TCustomdxBarSubItem {
 public:
  T_CLASSNAME(TCustomdxBarContainerItem)
  explicit TCustomdxBarContainerItem(TComponent* AOwner) : TCustomdxBarSubItem(AOwner) {}
  ~TCustomdxBarContainerItem() override;
  TNotifyEvent OnGetData;
  // Base part: stale data cleared, OnGetData on the first expansion of a build.
  virtual void InsertLinks(TdxBarItemLinks* Links, Integer Position, TdxBarItemLink* Link, bool First);
  virtual void RemoveLinks(TdxBarItemLinks*, Integer) {}
  virtual void ClearData() { stale_ = false; }
  virtual bool ReplacesOwnLink() const { return true; }
  void MarkStale() { stale_ = true; }
  bool Stale() const { return stale_; }

 protected:
  bool stale_ = false;
};

// Numbered entries made from a string list ("-" separates groups).
class TdxBarListItem : public TCustomdxBarContainerItem {
 public:
  T_CLASSNAME(TdxBarListItem)
  explicit TdxBarListItem(TComponent* AOwner);
  ~TdxBarListItem() override;
  Integer DataIndex() const;
  void SetDataIndex(Integer V);
  Integer ItemIndex() const { return itemIndex_; }
  void SetItemIndex(Integer V) { itemIndex_ = V; }
  TStrings* Items() const { return items_.get(); }
  void SetItems(TStrings* V) { items_->Assign(V); }
  bool ShowCheck() const { return showCheck_; }
  void SetShowCheck(bool V) { showCheck_ = V; }
  bool ShowNumbers() const { return showNumbers_; }
  void SetShowNumbers(bool V) { showNumbers_ = V; }
  virtual std::string GetEntryCaption(const std::string& S) const { return S; }
  Integer GeneratedButtonCount() const { return static_cast<Integer>(buttons_.size()); }
  TdxBarButton* GeneratedButton(Integer I) const { return buttons_[static_cast<size_t>(I)]; }

  void RunClick() override;
  void InsertLinks(TdxBarItemLinks* Links, Integer Position, TdxBarItemLink* Link, bool First) override;
  void RemoveLinks(TdxBarItemLinks* Links, Integer Position) override;
  void ClearData() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void EntryClick(TObject* Sender);
  void FreeButtons();
  std::unique_ptr<TStringList> items_;
  Integer itemIndex_ = -1;
  bool showCheck_ = false, showNumbers_ = true;
  std::vector<TdxBarButton*> buttons_;
};

// Inlines the links of its own collection.
class TdxBarContainerItem : public TCustomdxBarContainerItem {
 public:
  T_CLASSNAME(TdxBarContainerItem)
  explicit TdxBarContainerItem(TComponent* AOwner) : TCustomdxBarContainerItem(AOwner) {}
  void InsertLinks(TdxBarItemLinks* Links, Integer Position, TdxBarItemLink* Link, bool First) override;
  void RemoveLinks(TdxBarItemLinks* Links, Integer Position) override;
};

// The view of a sub item: opens and closes its menu (with the hover delay).
class TdxBarSubItemControl : public TdxBarItemControl {
 public:
  T_CLASSNAME(TdxBarSubItemControl)
  explicit TdxBarSubItemControl(TdxBarItemLink* Link) : TdxBarItemControl(Link) {}
  ~TdxBarSubItemControl() override;
  // Set when the mouse opened the view; its next menu animates.
  bool OpenedByMouse = false;

  TCustomdxBarSubItem* SubItem() const { return dynamic_cast<TCustomdxBarSubItem*>(Item()); }
  virtual TdxBarSubMenuControl* SubMenuWindow() const;
  virtual TdxBarSubMenuControl* CreateSubMenuWindow();
  virtual Integer GetThickness() const;
  virtual Integer GetLength() const;
  virtual bool CanOpen() const { return true; }

  void GlyphChanged() override { RelayoutWindow(); }
  bool ClickRunsItem() const override { return false; }
  void EnterActive(bool ByMouse) override;
  void LeaveActive(bool ByMouse) override;
  void PrepareClick(bool ByMouse) override;
  void KeyDown(Word Key) override;
  bool WantsKey(Word Key) const override { return Key == VK_RIGHT && IsMenu(); }
  Integer GetHeight() const override;
  Integer GetWidth() const override;
  bool ClickClosesMenus() const override { return false; }
  bool DoubleClickExpands() const override { return true; }
  bool OpensItemEditorOnDoubleClick() const override;
  void PaintView(const TRect& R, Integer Kind) override;

 protected:
  void DrawSubMenuArrow(HDC DC, const TRect& R, Integer Kind, bool Selected);
};

// The view of a container item where it does not expand in place.
class TdxBarContainerItemControl : public TdxBarSubItemControl {
 public:
  T_CLASSNAME(TdxBarContainerItemControl)
  explicit TdxBarContainerItemControl(TdxBarItemLink* Link) : TdxBarSubItemControl(Link) {}
  TdxBarSubMenuControl* CreateSubMenuWindow() override;
  std::string GetCaption() const override;
  bool DoubleClickExpands() const override;
  void PaintView(const TRect& R, Integer Kind) override;
};

// The hover state shared by every sub-item view: the view waiting for its
// delayed open or close (400 ms), or none.
TdxBarSubItemControl* PendingSubItem();
constexpr UINT SubItemHoverDelay = 400;

// The drop-down menu window: the links of a sub item, a popup menu or a
// drop-down button's menu as rows, placed on the monitor of its anchor.
class TdxBarSubMenuControl : public TCustomdxBarControl {
 public:
  T_CLASSNAME(TdxBarSubMenuControl)
  explicit TdxBarSubMenuControl(TdxBarManager* AOwner);
  ~TdxBarSubMenuControl() override;

  // Opening and closing. The opener sets Left/Top (screen, the anchor), the
  // exclusion extent, ParentSubItem, the parent/child links and Animate, then
  // calls ShowSubMenuWindow. CloseMenu destroys the window and frees the object
  // (later, when it is called from inside the window's own messages).
  void ShowSubMenuWindow();
  void CloseMenu();
  // Shortcut for openers without a parent row: Left/Top := (X, Y), then shown.
  void ShowAt(Integer X, Integer Y);

  TdxBarSubItemControl* ParentSubItem() const { return parentSubItem_; }
  void SetParentSubItem(TdxBarSubItemControl* V) { parentSubItem_ = V; }
  // The drop-down button view whose menu this is, or none.
  TdxBarItemControl* OwnerView() const { return ownerView_; }
  void SetOwnerView(TdxBarItemControl* V) { ownerView_ = V; }
  Integer ExclusionWidth = 0, ExclusionHeight = 0;
  bool Animate = false;
  HWND OwnerWindow = nullptr;
  TNotifyEvent OnCloseUp, OnPopup;
  TdxBarMenuAnimations AnimationKind() const { return animationKind_; }
  bool FlippedLeft() const { return flippedLeft_; }
  bool FlippedUp() const { return flippedUp_; }
  Integer TopIndex() const { return topIndex_; }
  void SetTopIndex(Integer N);
  Integer MarkHeight() const { return markHeight_; }
  Integer GlyphBox() const { return IsFlat() ? 20 : 19; }
  Integer BarSize() const;
  bool HasDragBar() const;
  bool ClosingMenu() const { return closing_; }
  bool ExpandsContainer(TCustomdxBarContainerItem* Item) const;
  HBRUSH RareRowBrush() const { return rareRowBrush_; }
  // Rows that fit (at least 1) and whether the scroll bands are shown.
  Integer FittingRows() const { return fittingRows_; }
  bool ScrolledUp() const { return topIndex_ > 0; }
  bool MoreBelow() const { return moreBelow_; }
  TRect UpBandRect() const;
  TRect DownBandRect() const;
  TRect MarkRect() const;
  // Recreates the open menu with all items (the expansion).
  void Expand();
  // Tears a detachable sub item's menu off into its detaching bar while the
  // mouse drags its drag bar (runs its own message loop until the button is up).
  void DetachByDragBar();
  bool DragBarHot() const { return dragBarHot_; }
  // The drag bar in window coordinates (detachable menus).
  TRect DragBarRect() const;
  // Stops this menu's animation, if it runs, and handles what it sent meanwhile.
  void WaitForAnimation();
  bool Animating() const;
  // Paints the whole client area into a DC (the animation's picture).
  void PaintClientTo(HDC DC);

  Integer BeginGroupSize() const override { return IsFlat() ? 5 : 10; }
  void ApplyFont() override;
  HFONT FontHandle() const override;
  bool AllowsCustomizing() const override;
  void GetItemRectEx(TdxBarItemControl* Control, bool Whole, TRect& R) const override;
  bool IsPopupWindow() const override { return true; }
  bool IsMenuWindow() const override { return true; }
  bool HasMark() const override;
  TdxBarItemControl* ItemControlAtPoint(TPoint P) const override;
  TdxBarItemControl* ItemControlAtPointEx(TPoint P, bool& InSeparator, bool& Vertical, bool& Before) const override;
  void BuildItemControls() override;
  void DropItemControls() override;
  void MeasureFontMetrics() override;
  void PaintItemControl(TdxBarItemControl* Control) override;
  void RebuildLayout() override;
  void CloseChain() override;
  void SetActive(bool Value) override;
  void SetMarkState(Byte State) override;
  void SetSelectedControl(TdxBarItemControl* Control) override;
  void WndProc(TMessage& Message) override;

  virtual void DoCloseUp() { OnCloseUp(this); }
  virtual void DoPopup() { OnPopup(this); }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  void Paint() override;
  void WMKeyDownBar(TMessage& M) override;
  void WMLButtonDownBar(TMessage& M) override;
  void WMMouseMoveBar(TMessage& M) override;
  void WMMouseLeaveBar(TMessage& M) override;
  // The owner's side bar painter (sub item or popup menu), if any.
  virtual void PaintSideBar(const TRect& R);

  friend class TdxBarSubItemControl;
  friend struct TdxBarMenuAnimator;
  bool containerExpanding_ = false;
  bool dragBarHot_ = false;
  bool recreating_ = false;
  bool closing_ = false;
  bool freePending_ = false;
  bool creating_ = false;
  bool inPaint_ = false;
  Integer wndProcDepth_ = 0;
  UINT_PTR markTimer_ = 0, scrollTimer_ = 0;
  HBRUSH rareRowBrush_ = nullptr;
  HPALETTE rareRowPalette_ = nullptr;
  Integer markHeight_ = 0;
  TdxBarMenuAnimations animationKind_ = maNone;
  Integer savedLeft_ = 0, savedTop_ = 0;
  bool flippedLeft_ = false, flippedUp_ = false;
  struct TContainerEntry {
    TdxBarItemLink* Link;
    Integer Index;
    bool Replaced;
  };
  std::vector<TContainerEntry> containerLinks_;
  Integer topIndex_ = 0;
  Integer fittingRows_ = 1;
  bool moreBelow_ = false;
  TdxBarSubItemControl* parentSubItem_ = nullptr;
  TdxBarItemControl* ownerView_ = nullptr;

 private:
  TPoint MeasureSize();
  void LayoutRows();
  void PlaceOnScreen();
  void CreateRareRowBrush();
  void DeleteRareRowBrush();
  void PaintScrollArrow(HDC DC, const TRect& Band, bool Up);
  void PaintMark(HDC DC, const TRect& R);
  void ApplyShownCount();
  void ExpandContainers();
  void CollapseContainers();
  void OnScrollTimer();
  void OnMarkTimer(UINT_PTR Id);
  void UpdateDragBarHot(bool Hot);
  void NCCalcSize(TMessage& M);
  void NCPaint();
};

// The menu window a container view opens on a toolbar.
class TContainerItemSubMenuControl : public TdxBarSubMenuControl {
 public:
  T_CLASSNAME(TContainerItemSubMenuControl)
  TContainerItemSubMenuControl(TdxBarManager* AOwner, TCustomdxBarContainerItem* Container)
      : TdxBarSubMenuControl(AOwner), container_(Container) {}
  ~TContainerItemSubMenuControl() override;
  TCustomdxBarContainerItem* Container() const { return container_; }
  bool InCustomizing() const override { return false; }
  void DoCloseUp() override;

 private:
  TCustomdxBarContainerItem* container_;
};

// Menu animation: one at a time, program-wide. A worker thread grows the
// window step by step, copying the matching part of the finished picture.
struct TdxBarAnimationFrame {
  Integer Index = 0;       // 1..n
  TRect WindowRect;        // screen rect of the window in this frame
  TRect ClientPart;        // the part of the picture shown (picture coordinates)
};
// Starts the animation of a placed menu (its Animate set); called by CreateWnd.
void PrepareMenuAnimation(TdxBarSubMenuControl* Menu, bool FlippedLeft, bool FlippedUp);
TdxBarSubMenuControl* AnimatingMenu();
// Frame geometry of an animation: the count and the client size of frame i.
Integer MenuAnimationFrameCount(TdxBarMenuAnimations Kind, Integer ClientWidth, Integer ClientHeight);
TPoint MenuAnimationFrameSize(TdxBarMenuAnimations Kind, Integer ClientWidth, Integer ClientHeight, Integer I);
// Called on the worker thread after each frame is drawn, with the window's DC
// (tests record the frames); none by default.
using TdxBarAnimationFrameHook = std::function<void(const TdxBarAnimationFrame&, HDC WindowDC)>;
void SetMenuAnimationFrameHook(TdxBarAnimationFrameHook Hook);
// Worker threads started and still running (for leak checks).
Integer MenuAnimationThreadsStarted();
Integer MenuAnimationThreadsRunning();

// ---------------------------------------------------------------------------
// Keyboard menu mode and the thread hooks (dxBar_MenuMode.cpp, dxBar_Hooks.cpp).

// The one toolbar window of a manager in keyboard menu mode, or none.
TdxBarControl* KeyboardMenuWindow(TdxBarManager* Manager);
// Shift bits of the asynchronous key state: 1 Shift, 2 Alt, 4 Ctrl.
Integer CurrentShiftBits();
// The key with the Shift ($2000), Ctrl ($4000) and Alt ($8000) states.
TShortCut ShortCutOfKey(Word Key);
// Clicks the first enabled item with the key's shortcut: the main-menu bar
// first, then every other visible bar in order.
bool FireShortCutItem(TdxBarManager* Manager, Word Key);
// A key press for a manager: its shortcut, else (Alt down) its accelerator.
bool HandleShortCutKey(TdxBarManager* Manager, Word Key);
TdxBarItemLink* FindAcceleratorLink(TdxBarManager* Manager, Word Key, Integer ShiftBits);
// The manager keys go to: the active form's, or the main form's for MDI
// children and (when it allows calls) for forms without one.
TdxBarManager* HookTargetManager();
bool AnyKeyDown();
// An edit view hands a keystroke to the keyboard hook procedure itself:
// 1 when the hook consumed it (the next hook is not called).
LRESULT CallBarKeyboardHook(WPARAM Key, LPARAM KeyData);
// A caption button of a main-menu bar is being pressed: keys are discarded.
extern bool CaptionPressActive;
// The pressed caption button (0 minimise, 1 restore, 2 close) and whether
// the mouse is on it.
extern Byte CaptionPressIndex;
extern bool CaptionPressUnderMouse;
// Runs a call from the message loop, after the message being handled (a
// window cannot free itself inside its own message).
void dxBarDeferred(std::function<void()> Call);

// --- Item hints and the hint window ------------------------------------------
// The one small tooltip window of all managers: never active, never takes input.
class TdxBarHintWindow : public TCustomControl {
 public:
  T_CLASSNAME(TdxBarHintWindow)
  explicit TdxBarHintWindow(TComponent* AOwner);
  ~TdxBarHintWindow() override;
  // Shows Text with its top-left corner near the screen point P.
  virtual void ActivateHint(TPoint P, const std::string& Text, TdxBarManager* Manager);
  void HideHint();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;

 private:
  HFONT font_ = nullptr;
  void SelectFont(TdxBarManager* Manager);
};
// The shared hint window (made on first use; nullptr until then).
TdxBarHintWindow* dxBarHintWindow();
bool dxBarHintVisible();
// The hint timings in milliseconds: show delay, hide timeout, re-show period.
struct TdxBarHintTimings {
  UINT Show = 1000, Hide = 10000, Reshow = 400;
};
TdxBarHintTimings& dxBarHintTimings();
void KillHintTimer();
void KillReshowTimer();
// A manager being freed kills its pending hint and hides its shown one.
void dxBarHintManagerDestroying(TdxBarManager* M);
// --- end of item hints ---------------------------------------------------------

// --- Customizing mode: the dialog's calls, cursors, texts (dxBar_Customizing.cpp) ---
namespace dxBarStrings {
inline constexpr const char* Customize = "&Customize...";
inline constexpr const char* ResetUsageData =
    "This will delete the record of the commands you've used in this application and restore the default set of "
    "visible commands to the menus and toolbars. It will not undo any explicit customizations.   Are you sure you "
    "want to proceed?";
inline constexpr const char* PopupReset = "&Reset";
inline constexpr const char* PopupDelete = "&Delete";
inline constexpr const char* PopupName = "&Name:";
inline constexpr const char* PopupDefaultStyle = "Defa&ult style";
inline constexpr const char* PopupTextOnlyAlways = "&Text Only (Always)";
inline constexpr const char* PopupTextOnlyInMenus = "Text &Only (in Menus)";
inline constexpr const char* PopupImageAndText = "Image &and Text";
inline constexpr const char* PopupBeginGroup = "Begin a &Group";
inline constexpr const char* PopupVisible = "&Visible";
inline constexpr const char* PopupMostRecentlyUsed = "&Most recently used";
inline constexpr const char* BlankName = "A command name cannot be blank. Please enter a name.";
inline constexpr const char* AddRemoveButtons = "&Add or Remove Buttons";
inline constexpr const char* MoreButtons = "More Buttons";
inline constexpr const char* ResetToolbar = "&Reset Toolbar";
}  // namespace dxBarStrings

// The customizing dialog is built on top of customizing mode by its own file,
// which installs these calls. Without them switching the mode only fires the
// manager's OnShowCustomizingForm / OnHideCustomizingForm.
struct TdxBarCustomizingDialogCalls {
  // Shows (true) or closes (false) the dialog for a manager, with the events.
  std::function<void(TdxBarManager* Manager, bool Show)> Show;
  // The open dialog, or none.
  std::function<TCustomForm*()> Current;
};
TdxBarCustomizingDialogCalls& dxBarCustomizingDialogCalls();
TCustomForm* dxBarCustomizingDialog();

// The drag cursors (registered with the screen on first use): move, copy, no drop.
constexpr TCursor crdxBarDragMove = 1041, crdxBarDragCopy = 1042, crdxBarDragNoDrop = 1043;
TCursor dxBarDragCursor(Integer Number);
// --- end of customizing mode ---

// --- Toolbars popup and customizing popup (dxBar_CustomizePopups.cpp) ---------
// A menu of the framework's own, made of temporary items in links it owns.
// It behaves as an ordinary menu while the manager customizes.
class TdxBarFrameworkPopup : public TdxBarSubMenuControl {
 public:
  T_CLASSNAME(TdxBarFrameworkPopup)
  explicit TdxBarFrameworkPopup(TdxBarManager* AOwner);
  ~TdxBarFrameworkPopup() override;
  bool InCustomizing() const override { return false; }

 private:
  std::unique_ptr<TdxBarItemLinks> links_;
};

// The toolbar list: a check entry per listed bar and "&Customize...".
class TdxBarToolbarsPopup : public TdxBarFrameworkPopup {
 public:
  T_CLASSNAME(TdxBarToolbarsPopup)
  explicit TdxBarToolbarsPopup(TdxBarManager* AOwner);
};
// Shows the toolbar list at a screen point (nothing when it has no entries).
void ToolbarListPopup(TWinControl* Control, TdxBarManager* Manager, TPoint ScreenPoint);

// The commands that change one link while customizing; an entry's Tag is its
// number (0 reset, 1 delete, 2 name, 3-6 paint styles, 7 group start,
// 8 visible and 9 most recently used at design time).
class TdxBarCustomizingPopup : public TdxBarFrameworkPopup {
 public:
  T_CLASSNAME(TdxBarCustomizingPopup)
  explicit TdxBarCustomizingPopup(TdxBarManager* AOwner);
  ~TdxBarCustomizingPopup() override;
  static TdxBarCustomizingPopup* Current();
  static TdxBarItemLink* CurrentLink();
  void PrepareForLink(TdxBarItemLink* Link);
  void NameChange(TObject* Sender);
  void EntryClick(TObject* Sender);
  // The entry with that number, or none.
  TdxBarItem* Entry(Integer Tag) const;
};
// Opens the customizing popup of a view at a screen point.
void ShowCustomizingPopup(TdxBarItemControl* View, TPoint ScreenPoint);
// Frees the open customizing popup, if any.
void FreeCustomizingPopup();
// The link a freed link leaves: a popup working on it forgets it.
void CustomizingPopupLinkFreed(TdxBarItemLink* Link);
// --- end of the customizing popups ---

// --- Quick customizing (dxBar_QuickCustomize.cpp) ------------------------------
// A check entry of the "Add or Remove Buttons" menu: each of its links carries
// in Data the toolbar link it stands for, whose Visible a click toggles.
class TdxBarQuickCustItem : public TdxBarButton {
 public:
  T_CLASSNAME(TdxBarQuickCustItem)
  explicit TdxBarQuickCustItem(TComponent* AOwner) : TdxBarButton(AOwner) {}
  void InvokeOnClick() override;
};

// A plain command entry of that menu ("&Reset Toolbar", "&Customize...").
class TdxBarQuickCustExtButton : public TdxBarButton {
 public:
  T_CLASSNAME(TdxBarQuickCustExtButton)
  explicit TdxBarQuickCustExtButton(TComponent* AOwner) : TdxBarButton(AOwner) {}
};

class TdxBarQuickCustItemControl : public TdxBarButtonControl {
 public:
  T_CLASSNAME(TdxBarQuickCustItemControl)
  explicit TdxBarQuickCustItemControl(TdxBarItemLink* Link) : TdxBarButtonControl(Link) {}
  // The toolbar link the entry stands for.
  TdxBarItemLink* BarLink() const;
  std::string GetCaption() const override;
  TBitmap* Glyph() const override;
  Integer ImageIndex() const override;
  TCustomImageList* Images() const override;
  std::string GetHint() const override;
  TShortCut ShortCut() const override;
  bool ClickClosesMenus() const override { return false; }
  void ExecuteClick(bool ByMouse) override;
  Integer GetLength() const override;
  void PaintView(const TRect& R, Integer Kind) override;
};

class TdxBarQuickCustExtButtonControl : public TdxBarButtonControl {
 public:
  T_CLASSNAME(TdxBarQuickCustExtButtonControl)
  explicit TdxBarQuickCustExtButtonControl(TdxBarItemLink* Link) : TdxBarButtonControl(Link) {}
  Integer MenuGlyphColumnWidth() const override;
  Integer GetLength() const override;
  void PaintView(const TRect& R, Integer Kind) override;
};

// The small borderless window a pressed mark opens: the owner toolbar's links
// that got no place, then the "&Add or Remove Buttons" sub item. At most one
// exists; it lives in a hidden bar of its own.
class TdxBarQuickControl : public TdxBarControl {
 public:
  T_CLASSNAME(TdxBarQuickControl)
  TdxBarQuickControl(TdxBarManager* AOwner, TdxBarControl* Owner);
  ~TdxBarQuickControl() override;
  static TdxBarQuickControl* Current();
  // Sizes and shows the window at the mark (screen coordinates).
  void ShowAt(const TRect& MarkRect);
  // Closes the window 200 ms later unless the selection comes back to it.
  void ScheduleClose();
  // Hides the window now and frees it after the message being handled.
  void Dismiss();
  TdxBarSubItem* AddRemoveItem = nullptr;
  TdxBarControl* OwnerWindow;
  TdxBarQuickCustItem* EntryItem = nullptr;

  bool IsPopupWindow() const override { return true; }
  HBRUSH BackgroundBrush() const override;
  void CloseChain() override;
  void RebuildLayout() override;

 protected:
  void Dispatch(TMessage& Message) override;

 private:
  void FillAddRemoveMenu(TObject* Sender);
  bool dismissed_ = false;
};
// The mouse hook's part: a button message elsewhere closes the quick window.
void dxBarQuickControlMouseMessage(UINT Msg, HWND Wnd, POINT Screen);
void dxBarRegisterQuickCustomizeClasses();
// --- end of quick customizing ---

// --- Editor dialogs and the customizing form ---------------------------------
// (dxBar_EditorDialogs.cpp, dxBar_CustomizingForm.cpp; forms in resources/bars/)
#include "platform/Buttons.h"
#include "platform/ExtCtrls.h"
#include "platform/StdCtrls.h"
#include "platform/Tabs.h"

// The size of a text in a font (no window needed).
SIZE dxBarFontTextExtent(TFont* Font, const std::string& Text);

// The prompt for a toolbar or category name.
class TdxBarNameEd : public TForm {
 public:
  T_CLASSNAME(TdxBarNameEd)
  explicit TdxBarNameEd(TComponent* AOwner);
  TLabel* LName = nullptr;
  TEdit* EName = nullptr;
  TButton* BOK = nullptr;
  TButton* BCancel = nullptr;
  void ENameChange(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  bool IsCategory = false;
  TdxBarManager* Manager = nullptr;
  TdxBar* Bar = nullptr;  // the bar being renamed, or none
};
// Category modes 0 add, 1 insert, 2 rename; toolbar modes 0 new, 1 rename.
// True on OK, with the entered text in Name.
bool ShowNameDialog(std::string& Name, bool IsCategory, Integer Mode, TdxBar* Bar, TdxBarManager* Manager);

// A caption-only window above a menu window that shows a sub item's or popup
// menu's links, so that they can be edited by dragging. One at a time.
class TdxBarSubMenuEditor : public TForm {
 public:
  T_CLASSNAME(TdxBarSubMenuEditor)
  explicit TdxBarSubMenuEditor(TComponent* AOwner);
  ~TdxBarSubMenuEditor() override;
  TdxBarItemLinks* ItemLinks() const { return links_; }
  // A different collection is stored and its owner watched; none frees the editor.
  void AttachLinks(TdxBarItemLinks* Links);
  // The open menu window of the links, or none.
  TCustomdxBarControl* MenuWindow() const;
  void FormActivate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormDestroy(TObject* Sender);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

 private:
  void OpenMenu();
  void FreeMenu();
  void FollowMenu();
  TdxBarItemLinks* links_ = nullptr;
  TComponent* linksOwner_ = nullptr;
  Integer menuWidth_ = 0;
};
TdxBarSubMenuEditor* dxBarSubMenuEditor();
void ShowSubMenuEditor(TdxBarItemLinks* Links);

// Creates a new item of a chosen item class.
class TdxBarItemAddEditor : public TForm {
 public:
  T_CLASSNAME(TdxBarItemAddEditor)
  explicit TdxBarItemAddEditor(TComponent* AOwner);
  TLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr;
  TComboBox* ComboBox1 = nullptr;  // item classes
  TComboBox* ComboBox2 = nullptr;  // categories
  TEdit* Edit1 = nullptr;          // component name
  TEdit* Edit2 = nullptr;          // caption
  TButton* BOk = nullptr;
  TButton* BCancel = nullptr;
  void ComboBox1Click(TObject* Sender);
  void BOkClick(TObject* Sender);
  void FormShow(TObject* Sender);
  TdxBarManager* Manager = nullptr;
  TdxBarItem* CreatedItem = nullptr;
};
TdxBarItem* ShowAddItemDialog(TdxBarManager* Manager, Integer Category);

// Picks items and groups for a group.
class TfrmAddGroupItems : public TForm {
 public:
  T_CLASSNAME(TfrmAddGroupItems)
  explicit TfrmAddGroupItems(TComponent* AOwner);
  TListBox* lbGroupItems = nullptr;
  TPanel* Panel1 = nullptr;
  TButton* btnOk = nullptr;
  TButton* btnCancel = nullptr;
  void lbGroupItemsDrawItem(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State);
  void lbGroupItemsMeasureItem(TWinControl* Control, Integer Index, Integer& Height);
  // Fills the rows for the group.
  void Fill(TdxBarGroup* Group);
  TdxBarGroup* Group = nullptr;
};
bool PickGroupMembers(TdxBarGroup* Group, std::vector<TComponent*>& List);

// The customizing form's list of bars: a check box per row for the bar's Visible.
class TCheckListBox : public TListBox {
 public:
  T_CLASSNAME(TCheckListBox)
  explicit TCheckListBox(TComponent* AOwner);
  TdxBar* Bars(Integer Index);
  // Toggles the bar of a row (a beep for a bar that cannot be hidden).
  void ToggleRow(Integer Index);

 protected:
  void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) override;
  void Dispatch(TMessage& Message) override;

 private:
  bool InCheckSquare(Integer Index, TPoint P);
};

// The customizing form's list of commands, each drawn as it looks in a menu.
class TCommandsListBox : public TListBox {
 public:
  T_CLASSNAME(TCommandsListBox)
  explicit TCommandsListBox(TComponent* AOwner);
  TdxBarManager* Manager = nullptr;
  TdxBarItem* ItemOfRow(Integer Index);
  // A press on a command that moves past the drag distance starts the
  // manager's item drag.
  void StartDrag(Integer Row);

 protected:
  void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) override;
  void MeasureItem(Integer Index, Integer& Height) override;
  void Dispatch(TMessage& Message) override;

 private:
  Integer pressRow_ = -1;
  TPoint pressPoint_;
};

class TdxBarCustomizingForm : public TForm {
 public:
  T_CLASSNAME(TdxBarCustomizingForm)
  explicit TdxBarCustomizingForm(TComponent* AOwner);
  ~TdxBarCustomizingForm() override;
  TdxBarManager* BarManager() const { return manager_; }
  // Fills the pages for a manager (once, after the form is read).
  void Setup(TdxBarManager* Manager);
  // Re-reads the current page from the manager.
  void RefreshPage();
  void SelectBar(Integer Row);
  void SelectCategory(Integer Row);
  bool ClosingItself() const { return closing_; }

  TPanel* Panel1 = nullptr;
  TButton* BClose = nullptr;
  TSpeedButton* BHelp = nullptr;
  TPageControl* PageControl = nullptr;
  TTabSheet *TabSheet1 = nullptr, *TabSheet2 = nullptr, *TabSheet3 = nullptr;
  TLabel* LabelToobars = nullptr;
  TPanel* BarsListBoxPlace = nullptr;
  TButton *BBarNew = nullptr, *BBarRename = nullptr, *BBarDelete = nullptr, *BBarReset = nullptr;
  TLabel* LabelCategories = nullptr;
  TListBox* LCategories = nullptr;
  TLabel* LabelCommands = nullptr;
  TPanel* LCommandsPlace = nullptr;
  TLabel* LabelDescription = nullptr;
  TLabel* DescriptionLabel = nullptr;
  TPanel* StandardOptionsPanel = nullptr;
  TLabel* LabelMenuAnimations = nullptr;
  TComboBox* ComboBoxMenuAnimations = nullptr;
  TCheckBox *CBHint1 = nullptr, *CBHint2 = nullptr, *CBLargeIcons = nullptr;
  TPanel* EnhancedOptionsPanel = nullptr;
  TLabel *Label3 = nullptr, *Label2 = nullptr, *Label1 = nullptr;
  TCheckBox *CBMenusShowRecentItemsFirst = nullptr, *CBShowFullMenusAfterDelay = nullptr;
  TButton* BResetUsageData = nullptr;
  TCheckBox *CBLargeIconsEx = nullptr, *CBHint1Ex = nullptr, *CBHint2Ex = nullptr;
  TComboBox* ComboBoxMenuAnimationsEx = nullptr;
  // Made by Setup in place of the two placeholders.
  TCheckListBox* BarsListBox = nullptr;
  TCommandsListBox* CommandsList = nullptr;

  void BCloseClick(TObject* Sender);
  void BHelpClick(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void BarsListBoxClick(TObject* Sender);
  void BBarNewClick(TObject* Sender);
  void BBarRenameClick(TObject* Sender);
  void BBarDeleteClick(TObject* Sender);
  void BBarResetClick(TObject* Sender);
  void LCategoriesClick(TObject* Sender);
  void CommandsListClick(TObject* Sender);
  void ComboBoxMenuAnimationsClick(TObject* Sender);
  void CBHint1Click(TObject* Sender);
  void CBHint2Click(TObject* Sender);
  void CBLargeIconsClick(TObject* Sender);
  void CBMenusShowRecentItemsFirstClick(TObject* Sender);
  void CBShowFullMenusAfterDelayClick(TObject* Sender);
  void BResetUsageDataClick(TObject* Sender);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  void Dispatch(TMessage& Message) override;

 private:
  friend void ShowCustomizingForm(TdxBarManager*, bool);
  void UpdateBarButtons();
  void ApplyOptionsLayout();
  void LoadOptions();
  void EnableRememberedForms();
  void FillBars();
  void FillCategories();
  TdxBarManager* manager_ = nullptr;
  std::vector<Integer> categoryRows_;  // category index of each row of LCategories
  std::vector<TCustomForm*> disabledForms_;
  bool closing_ = false;
  bool loadingOptions_ = false;
};
// Shows the one customizing form for a manager, or hides it (with the
// sub-menu editor); the manager's SetCustomizing calls it.
void ShowCustomizingForm(TdxBarManager* Manager, bool Show);
TdxBarCustomizingForm* dxBarCustomizingForm();
// Makes the form the customizing dialog of every manager (the framework's start-up).
void dxBarInstallCustomizingForm();
// --- end of editor dialogs and the customizing form --------------------------

// --- Edit and combo items (dxBar_EditItems.cpp) --------------------------------
// Items whose view edits their text in place: an edit box or a combo box in a
// toolbar or menu. Their views are in dxBar_EditControls.cpp.
#include "platform/StdCtrls.h"

class TdxBarWinControl;
class TdxBarDropDownListBox;

using TdxBarCheckKeyForDropDownWindowEvent = TEvent<TObject*, Word, TShiftState, bool&>;
using TdxBarGetDropDownWindowEvent = TEvent<TObject*, HWND&>;
using TdxBarDrawItemEvent = TEvent<TObject*, Integer, TRect, TOwnerDrawState>;
using TdxBarMeasureItemEvent = TEvent<TObject*, Integer, Integer&>;

class TdxBarWindowItem : public TdxBarItem {
 public:
  T_CLASSNAME(TdxBarWindowItem)
  explicit TdxBarWindowItem(TComponent* AOwner) : TdxBarItem(AOwner) {}
  const std::string& Text() const { return text_; }
  void SetText(const std::string& Value) { WriteText(Value); }
  // The no-editor flag (a combo without its text area).
  bool NoEditor() const { return noEditor_; }
  TNotifyEvent OnChange, OnCurChange, OnEnter, OnExit;
  TKeyEvent OnKeyDown, OnKeyUp;
  TKeyPressEvent OnKeyPress;

  virtual void WriteText(const std::string& Value);
  // The view of the active link while its editor is open, or none.
  TdxBarWinControl* EditingView() const;
  TdxBarItemLink* EditingLink() const;
  // The text being edited in a view, else Text.
  std::string CurrentText() const;

  virtual void DoChange();
  virtual void DoCurChange();
  virtual void DoEnter() { OnEnter(this); }
  virtual void DoExit() { OnExit(this); }
  virtual void DoKeyDown(Word& Key, TShiftState Shift) { OnKeyDown(this, Key, Shift); }
  virtual void DoKeyPress(char& Key) { OnKeyPress(this, Key); }
  virtual void DoKeyUp(Word& Key, TShiftState Shift) { OnKeyUp(this, Key, Shift); }
  bool AcceptsDirectClick() const override { return false; }

 protected:
  bool noEditor_ = false;
  std::string text_;
};

class TdxBarEdit : public TdxBarWindowItem {
 public:
  T_CLASSNAME(TdxBarEdit)
  explicit TdxBarEdit(TComponent* AOwner) : TdxBarWindowItem(AOwner) {}
  Integer MaxLength() const { return maxLength_; }
  void SetMaxLength(Integer V) { maxLength_ = V <= 0 ? 0 : V; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool V) { readOnly_ = V; }
  bool ShowCaption() const { return showCaption_; }
  void SetShowCaption(bool V);
  Integer Width() const { return width_; }
  void SetWidth(Integer V);

  // Draws the item's text into a view's text area.
  virtual void DrawInterior(TCanvas* Canvas, const TRect& R, TdxBarItemControl* View);
  // Tells every view whose link has no width of its own.
  virtual void WidthChanged();
  // The active view is a combo view with its list open.
  bool IsDroppedDown() const;
  bool AcceleratorUsable(TdxBarItemLink* Link) const override;

 private:
  Integer maxLength_ = 0;
  bool readOnly_ = false, showCaption_ = false;
  Integer width_ = 100;
};

// A combo item: the drop-down window is the application's (OnGetDropDownWindow).
class TCustomdxBarCombo : public TdxBarEdit {
 public:
  T_CLASSNAME(TCustomdxBarCombo)
  explicit TCustomdxBarCombo(TComponent* AOwner) : TdxBarEdit(AOwner) {}
  bool ShowEditor() const { return !noEditor_; }
  void SetShowEditor(bool V);
  TdxBarCheckKeyForDropDownWindowEvent OnCheckKeyForDropDownWindow;
  TNotifyEvent OnCloseUp, OnDropDown;
  TdxBarGetDropDownWindowEvent OnGetDropDownWindow;

  // Whether a key goes to the open drop-down window.
  virtual bool CheckKeyForDropDownWindow(Word Key, TShiftState Shift);
  virtual HWND GetDropDownWindow();
  virtual void PrepareDropDownWindow(HWND Window);
  // Opens the drop-down window at a screen point below the view; closes it.
  virtual void DoDropDown(Integer X, Integer Y);
  virtual void DoCloseUp();
  virtual void AfterDropDown() {}
  // Where a W x H window opens for the point P inside a work area, the item
  // being ItemW x ItemH: Sideways for menus and vertical toolbars.
  static TPoint FitDropDownToScreen(const TRect& WorkArea, TPoint P, Integer W, Integer H, Integer ItemW,
                                    Integer ItemH, bool Sideways);
};

// A combo with its own owner-drawn list of strings.
class TdxBarCustomCombo : public TCustomdxBarCombo {
 public:
  T_CLASSNAME(TdxBarCustomCombo)
  explicit TdxBarCustomCombo(TComponent* AOwner);
  ~TdxBarCustomCombo() override;
  Integer DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(Integer V) { dropDownCount_ = V < 1 ? 1 : V; }
  Integer DropDownWidth() const { return dropDownWidth_; }
  void SetDropDownWidth(Integer V) { dropDownWidth_ = V; }
  Integer ItemHeight() const { return itemHeight_; }
  void SetItemHeight(Integer V) { itemHeight_ = V < 0 ? 0 : V; }
  Integer ItemIndex() const { return itemIndex_; }
  void SetItemIndex(Integer V) { WriteItemIndex(V); }
  TStringList* Items() const { return items_.get(); }
  void SetItems(TStrings* V) { items_->Assign(V); }
  bool Sorted() const { return sorted_; }
  void SetSorted(bool V);
  TdxBarDropDownListBox* DropDownList() const { return list_.get(); }
  TdxBarDrawItemEvent OnDrawItem;
  TdxBarMeasureItemEvent OnMeasureItem;
  // Set while the item draws its own text into a view.
  bool DrawingInView = false;

  void WriteText(const std::string& Value) override;
  void WriteItemIndex(Integer Value);
  virtual void DrawItem(Integer Index, const TRect& R, TOwnerDrawState State);
  virtual TCanvas* Canvas();
  virtual Integer DropDownPixelWidth();
  virtual void MeasureItem(Integer Index, Integer& Height);
  virtual void MeasureItemWidth(Integer Index, Integer& Width);
  // The first entry with the longest common prefix with Text (case ignored),
  // or -1 when none shares the first character.
  Integer FindByPrefix(const std::string& Text) const;
  // Matches the list to the text of the editing view.
  void SyncListWithText();

  bool CheckKeyForDropDownWindow(Word Key, TShiftState Shift) override;
  HWND GetDropDownWindow() override;
  void PrepareDropDownWindow(HWND Window) override;
  void DoDropDown(Integer X, Integer Y) override;
  void DoCloseUp() override;
  void AfterDropDown() override;
  void DrawInterior(TCanvas* Canvas, const TRect& R, TdxBarItemControl* View) override;
  void DoCurChange() override;

 private:
  void ItemsChanged(TObject* Sender);
  Integer dropDownCount_ = 8, dropDownWidth_ = 0, itemHeight_ = 0, itemIndex_ = -1;
  std::unique_ptr<TStringList> items_;
  std::unique_ptr<TdxBarDropDownListBox> list_;
  bool sorted_ = false;
  TCanvas* drawCanvas_ = nullptr;  // the canvas handed in while drawing
};

class TdxBarCombo : public TdxBarCustomCombo {
 public:
  T_CLASSNAME(TdxBarCombo)
  explicit TdxBarCombo(TComponent* AOwner) : TdxBarCustomCombo(AOwner) {}
};

// The custom combo's list: a top-level tool window that stays on top, hot
// tracks the row under the mouse and takes a row on button up.
class TdxBarDropDownListBox : public TCustomListBox {
 public:
  T_CLASSNAME(TdxBarDropDownListBox)
  explicit TdxBarDropDownListBox(TdxBarCustomCombo* Combo);
  TdxBarCustomCombo* Combo() const { return combo_; }
  // Set from the press that opened the list until the mouse enters it.
  bool Tracking = false;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void WndProc(TMessage& Message) override;
  void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) override;
  void MeasureItem(Integer Index, Integer& Height) override;

 private:
  TdxBarCustomCombo* combo_;
  void TakeSelection();
};

// --- Edit and combo views (dxBar_EditControls.cpp) -------------------------------
// A view with an in-place EDIT window (a child of the bar window, subclassed
// so that the view sees its messages), shown over the text area while editing.
class TdxBarWinControl : public TdxBarItemControl {
 public:
  T_CLASSNAME(TdxBarWinControl)
  explicit TdxBarWinControl(TdxBarItemLink* Link);
  ~TdxBarWinControl() override;
  bool Editing = false;
  bool SettingText = false;
  HWND EditWindow = nullptr;
  Integer SysKeyDepth = 0;
  WNDPROC OldWndProc = nullptr;
  HWND PrevFocus = nullptr;
  TRect EditRect;  // window coordinates, set by painting an enabled item
  TdxBarWindowItem* WindowItem() const { return dynamic_cast<TdxBarWindowItem*>(Item()); }

  // Makes the edit window (none in the base) and subclasses it.
  virtual void CreateEditWindow() {}
  virtual void SubclassEditWindow();
  virtual void ReleaseEditWindow();
  virtual std::string GetEditText() const;
  virtual void SetEditing(bool On);
  virtual void SetEditText(const std::string& Text);
  virtual void EditWndProc(TMessage& Message);
  // The edit window's own procedure.
  void DefaultEditHandler(TMessage& Message);

  bool ClickRunsItem() const override;
  void LeaveActive(bool ByMouse) override;
  void PrepareClick(bool ByMouse) override;
  bool ClickClosesMenus() const override { return false; }
  void WindowHandleDestroying() override { ReleaseEditWindow(); }
  // A disabled item takes no more typing: its editor closes.
  void EnabledChanged() override;

 protected:
  void RemovePendingChars();
};

class TdxBarEditControl : public TdxBarWinControl {
 public:
  T_CLASSNAME(TdxBarEditControl)
  explicit TdxBarEditControl(TdxBarItemLink* Link);
  ~TdxBarEditControl() override;
  TdxBarEdit* Edit() const { return dynamic_cast<TdxBarEdit*>(Item()); }
  bool ShowsCaption() const;
  Integer CaptionWidth() const;
  // The edit item's width notice.
  virtual void WidthChanged() { RelayoutWindow(); }

  void CreateEditWindow() override;
  void SetEditing(bool On) override;
  void SetEditText(const std::string& Text) override;
  void EditWndProc(TMessage& Message) override;
  void PrepareClick(bool ByMouse) override;
  bool IsDrawnSelected() const override;
  Integer GetHeight() const override;
  Integer GetMinWidth() const override { return CaptionWidth() + 20; }
  Integer GetWidth() const override;
  void PaintView(const TRect& R, Integer Kind) override;

 protected:
  // Puts the item's text into the edit window as editing starts.
  virtual void ShowItemText();
  // The text area of a view rect (the edit rect of an enabled item).
  virtual TRect TextAreaRect(const TRect& R) const;
  // Caption part and frame (shared with the combo): the rect inside them.
  TRect PaintCaptionAndFrame(HDC DC, const TRect& R, bool Selected);
  TRect InsideCaptionAndFrame(const TRect& R) const;
  void PaintContent(HDC DC, const TRect& R);
};

class TCustomdxBarComboControl : public TdxBarEditControl {
 public:
  T_CLASSNAME(TCustomdxBarComboControl)
  explicit TCustomdxBarComboControl(TdxBarItemLink* Link) : TdxBarEditControl(Link) {}
  ~TCustomdxBarComboControl() override;
  TCustomdxBarCombo* Combo() const { return dynamic_cast<TCustomdxBarCombo*>(Item()); }
  TRect DropButtonRect;
  bool OpenAtMouseDown = false;
  bool DroppedDown = false;
  virtual void SetDroppedDown(bool On);

  void LeaveActive(bool ByMouse) override;
  void EditWndProc(TMessage& Message) override;
  void PaintView(const TRect& R, Integer Kind) override;

 protected:
  TRect TextAreaRect(const TRect& R) const override;
};

class TdxBarComboControl : public TCustomdxBarComboControl {
 public:
  T_CLASSNAME(TdxBarComboControl)
  explicit TdxBarComboControl(TdxBarItemLink* Link) : TCustomdxBarComboControl(Link) {}
  TdxBarCustomCombo* ListCombo() const { return dynamic_cast<TdxBarCustomCombo*>(Item()); }
  // The entry the edit window shows while browsing with the arrows (-1: Text).
  Integer ShownIndex = -1;
  void ShowEntry(Integer Index);

  void EditWndProc(TMessage& Message) override;

 protected:
  void ShowItemText() override;
};

// For the bar windows: a view's in-place editor at a point of the window.
bool IsEditingView(const TdxBarItemControl* View);
bool PointInEditRect(const TdxBarItemControl* View, TPoint BarPoint);
// Forwards a mouse message at a bar-window point to the view's edit window
// (only outside its edit rect when asked); false when there is none.
bool ForwardMouseToEditWindow(TdxBarItemControl* View, UINT Msg, WPARAM Keys, TPoint BarPoint,
                              bool OnlyOutsideEditRect);
// The open drop-down window of a combo view (clicks in it stay in the menus).
bool IsOpenDropDownWindow(HWND Wnd);
// The width of a text in a bar window's font (0 without a window handle).
Integer BarTextWidth(TCustomdxBarControl* W, const std::string& Text);
// --- end of edit and combo items ------------------------------------------------
// --- System-menu item (dxBar_SysMenuItem.cpp) -----------------------------------
// The first entry of an MDI frame's main-menu bar while a maximized child is
// merged into it: the child's small icon, opening the child's system menu as
// it reads at that moment. A temporary item, as are the entries it makes.
class TSystemMenuSubItem : public TCustomdxBarSubItem {
 public:
  T_CLASSNAME(TSystemMenuSubItem)
  explicit TSystemMenuSubItem(TComponent* AOwner);
  HWND ChildWindow() const { return child_; }
  void SetChildWindow(HWND Child) { child_ = Child; }
  // Fills the links again from the child's system menu.
  void Rebuild();
  void RunClick() override;

 private:
  HWND child_ = nullptr;
};

class TSystemMenuSubItemControl : public TdxBarSubItemControl {
 public:
  T_CLASSNAME(TSystemMenuSubItemControl)
  explicit TSystemMenuSubItemControl(TdxBarItemLink* Link) : TdxBarSubItemControl(Link) {}
  bool SameManager() const override { return false; }
  bool AllowedWhileCustomizing() const override;
  Integer GetHeight() const override;
  Integer GetWidth() const override;
  bool DoubleClickExpands() const override { return false; }
  bool OpensItemEditorOnDoubleClick() const override { return true; }
  void PaintView(const TRect& R, Integer Kind) override;
  void DoubleClick() override;
};

// Adds the system-menu item of Child at the front of the frame manager's
// main-menu bar (nothing when the child has no system menu).
void InsertSystemMenuItem(HWND Child, TdxBarManager* FrameManager);
// Removes it again when the main-menu bar's first link is one.
void RemoveSystemMenuItem(TdxBarManager* FrameManager);
// Appends one temporary item per entry of Menu to the sub item's links:
// sub items for submenus, buttons sending their command to Target otherwise.
void BuildFromMenu(TCustomdxBarSubItem* SubItem, HMENU Menu, HWND Target);
// --- end of system-menu item ---------------------------------------------------
