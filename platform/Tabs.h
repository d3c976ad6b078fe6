// Tab controls over the platform's tab control class: a plain strip of tabs and
// a page control whose tabs are its sheets.
#pragma once

#include <memory>
#include <vector>

#include "platform/Classes.h"
#include "platform/Controls.h"

using TTabChangingEvent = TEvent<TObject*, bool&>;
enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };

class TCustomTabControl : public TWinControl {
 public:
  T_CLASSNAME(TCustomTabControl)
  explicit TCustomTabControl(TComponent* AOwner);
  ~TCustomTabControl() override;

  TStrings* Tabs() const { return tabs_.get(); }
  void SetTabs(TStrings* Value) { tabs_->Assign(Value); }
  Integer TabIndex() const { return tabIndex_; }
  void SetTabIndex(Integer Value);
  // The rectangle of the client area the tabs leave free.
  TRect DisplayRect();
  // The side the tabs sit on; left and right put them in rows of vertical tabs.
  TTabPosition TabPosition() const { return tabPosition_; }
  void SetTabPosition(TTabPosition Value);
  // Tabs light up under the mouse.
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool Value);

  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void AdjustClientRect(TRect& Rect) override;
  virtual bool CanChange();
  virtual void Change();
  // Puts the tab strings into the window again.
  void UpdateTabs();

 private:
  std::unique_ptr<TStringList> tabs_;
  Integer tabIndex_ = -1;
  bool creating_ = false;
  TTabPosition tabPosition_ = tpTop;
  bool hotTrack_ = false;
};

class TTabControl : public TCustomTabControl {
 public:
  T_CLASSNAME(TTabControl)
  using TCustomTabControl::TCustomTabControl;
};

class TPageControl;

class TTabSheet : public TWinControl {
  friend class TPageControl;

 public:
  T_CLASSNAME(TTabSheet)
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;

  TPageControl* PageControl() const { return pageControl_; }
  void SetPageControl(TPageControl* Value);
  Integer PageIndex() const;
  void SetPageIndex(Integer Value);
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool Value);
  // Position among the visible tabs, or -1.
  Integer TabIndex() const;

  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

 protected:
  void Dispatch(TMessage& Message) override;

 private:
  TPageControl* pageControl_ = nullptr;
  bool tabVisible_ = true;
};

class TPageControl : public TCustomTabControl {
  friend class TTabSheet;

 public:
  T_CLASSNAME(TPageControl)
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;

  Integer PageCount() const { return static_cast<Integer>(pages_.size()); }
  TTabSheet* Pages(Integer Index) const;
  TTabSheet* ActivePage() const { return activePage_; }
  void SetActivePage(TTabSheet* Page);
  // For the form reader: the active page as a component reference.
  TComponent* ActivePageComponent() const { return activePage_; }
  void SetActivePageComponent(TComponent* Value) { SetActivePage(dynamic_cast<TTabSheet*>(Value)); }
  // Moves to the next (or previous) visible page, wrapping, as the user would:
  // OnChanging may refuse, OnChange follows.
  void SelectNextPage(bool GoForward);

 protected:
  void Change() override;
  // A page asked to show (TControl::Show) becomes the active page.
  void ShowControl(TControl* AControl) override;

 private:
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  void MovePage(TTabSheet* Page, Integer Index);
  // Rebuilds the tabs from the visible pages and selects the active one.
  void SyncTabs();
  void ShowOnly(TTabSheet* Page);
  TTabSheet* VisiblePage(Integer TabIndex) const;

  std::vector<TTabSheet*> pages_;
  TTabSheet* activePage_ = nullptr;
};
