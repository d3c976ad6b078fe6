// The default dock manager (TDockTree) and the floating host (TCustomDockForm).
//
// TDockTree keeps a dock site's clients in a tree of zones: a leaf holds one
// client, an inner zone lays its children out side by side or stacked, with a
// splitter gap between them. Each client gets a grabber (on top, or on the left
// when the site is aligned to the top or bottom) with a close button that hides
// the client; pressing the grabber starts a dock drag of the client, a double
// click floats it; dragging a splitter gap moves the border between the two
// zones beside it. The tree watches the site's messages through its WindowProc.
#pragma once

#include <memory>
#include <vector>

#include "platform/Controls.h"
#include "platform/Forms.h"

class TDockZone;

class TDockTree : public TObject, public IDockManager {
 public:
  T_CLASSNAME(TDockTree)
  explicit TDockTree(TWinControl* DockSite);
  ~TDockTree() override;

  void BeginUpdate() override;
  void EndUpdate() override;
  void GetControlBounds(TControl* Control, TRect& CtlBounds) override;
  void InsertControl(TControl* Control, TAlign InsertAt, TControl* DropCtl) override;
  void PaintSite(HDC DC) override;
  void PositionDockRect(TControl* Client, TControl* DropCtl, TAlign DropAlign, TRect& DockRect) override;
  void RemoveControl(TControl* Control) override;
  void ResetBounds(bool Force) override;

  TWinControl* DockSite() const { return dockSite_; }
  Integer GrabberSize() const { return grabberSize_; }
  // Width of the gap between neighbouring zones.
  Integer SplitterWidth() const { return splitterWidth_; }
  // Grabbers sit on top of their clients unless the site is aligned to the top or bottom.
  bool GrabbersOnTop() const;
  // The client whose frame holds a site client point; HTFlag: HTCAPTION on the
  // grabber, HTCLOSE on its close button, HTCLIENT elsewhere in the frame.
  virtual TControl* HitTest(const TPoint& MousePos, Integer& HTFlag);

 protected:
  // Takes the grabber off a frame rectangle, leaving the client's rectangle.
  virtual void AdjustDockRect(TControl* Control, TRect& ARect);
  // Paints a client's grabber in its frame rectangle (site client coordinates).
  virtual void PaintDockFrame(TCanvas* Canvas, TControl* Control, const TRect& ARect);
  // The close button within a frame rectangle.
  virtual TRect CloseButtonRect(const TRect& FrameRect);
  // Messages of the dock site; the default handles the grabbers and passes
  // everything else on (CallPrevious).
  virtual void WndProc(TMessage& Message);
  void CallPrevious(TMessage& Message);
  void SetGrabberSize(Integer Value) { grabberSize_ = Value; }
  void SetDockSite(TWinControl* Value) { dockSite_ = Value; }

 private:
  TDockZone* FindZone(TDockZone* Zone, TControl* Control) const;
  void LayoutZone(TDockZone* Zone, const TRect& R);
  void CollectLeaves(TDockZone* Zone, std::vector<TDockZone*>& Leaves) const;
  TRect SiteRect();
  void HookedWndProc(TMessage& Message);
  // The splitter gap at P: the inner zone and its two visible children beside the gap.
  bool FindSplitter(TDockZone* Zone, const TPoint& P, TDockZone*& Inner, TDockZone*& Before, TDockZone*& After);
  void MoveSplitter(const TPoint& P);

  TWinControl* dockSite_;
  TWndMethod previous_;
  std::unique_ptr<TDockZone> top_;
  Integer grabberSize_ = 12;
  Integer splitterWidth_ = 4;
  Integer updateCount_ = 0;
  bool resetting_ = false;
  TRect lastRect_;
  TControl* closePressed_ = nullptr;
  // The splitter being dragged.
  TDockZone* sizingZone_ = nullptr;
  TDockZone* sizingBefore_ = nullptr;
  TDockZone* sizingAfter_ = nullptr;
};

// The small tool window a client floats in: it holds exactly one client,
// aligned to fill it, takes the client's caption and visibility, hides the
// client when closed, starts a dock drag of the client from its caption, and
// frees itself once the client has left.
class TCustomDockForm : public TCustomForm {
 public:
  T_CLASSNAME(TCustomDockForm)
  explicit TCustomDockForm(TComponent* AOwner);
  // Takes no further clients.
  void GetSiteInfo(TControl* Client, TRect& InfluenceRect, TPoint MousePos, bool& CanDock) override;

 protected:
  void DoAddDockClient(TControl* Client, const TRect& ARect) override;
  void DoRemoveDockClient(TControl* Client) override;
  void DoClose(TCloseAction& Action) override;
  void CMDockNotification(TMessage& Message) override;
  void CMControlListChange(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 private:
  // Hides and frees the window (through the message queue) once it holds nothing.
  void ReleaseWhenEmpty();
  bool releasing_ = false;
};
