// Docking: dock sites and their clients, ManualDock and ManualFloat, the dock
// drag (DragKind dkDock) with its rectangle drawn on the screen, and the dock
// notifications a site gets from its clients.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/Controls.h"
#include "platform/DockTree.h"
#include "platform/Forms.h"

namespace {

// The dock sites that exist, for finding a target under the cursor.
std::vector<TWinControl*>& DockSites() {
  static std::vector<TWinControl*> list;
  return list;
}

void RegisterDockSite(TWinControl* Site, bool Register) {
  auto& l = DockSites();
  auto it = std::find(l.begin(), l.end(), Site);
  if (Register && it == l.end()) l.push_back(Site);
  if (!Register && it != l.end()) l.erase(it);
}

// The dock drag in progress (one at a time, on the user-interface thread).
struct TDockDrag {
  TControl* Source = nullptr;
  std::unique_ptr<TDragDockObject> Owned;  // when OnStartDock gave none
  TDragDockObject* Object = nullptr;
  TPoint Start;
  Integer Threshold = 5;
  bool Active = false;
  TWinControl* Target = nullptr;
  bool ImageShown = false;
  TRect ShownRect;
  Integer ShownWidth = 0;
};
TDockDrag dockDrag;

bool IsFloatingHost(TWinControl* Site) { return dynamic_cast<TCustomDockForm*>(Site) != nullptr; }

// The control's bounds in screen coordinates.
TRect ScreenBounds(TControl* Control) {
  if (auto* w = dynamic_cast<TWinControl*>(Control); w && w->HandleAllocated()) {
    RECT r;
    GetWindowRect(w->Handle(), &r);
    return Rect(r.left, r.top, r.right, r.bottom);
  }
  TRect b = Control->BoundsRect();
  if (Control->Parent()) {
    TPoint o = Control->Parent()->ClientToScreen(Point(0, 0));
    b = Rect(b.Left + o.X, b.Top + o.Y, b.Right + o.X, b.Bottom + o.Y);
  }
  return b;
}

TRect ScreenToClientRect(TWinControl* Site, const TRect& R) {
  TPoint o = Site->ClientToScreen(Point(0, 0));
  return Rect(R.Left - o.X, R.Top - o.Y, R.Right - o.X, R.Bottom - o.Y);
}

// The side of R nearest to P.
TAlign NearestEdge(const TRect& R, const TPoint& P) {
  double w = std::max(1, R.Width()), h = std::max(1, R.Height());
  double dl = (P.X - R.Left) / w, dr = (R.Right - P.X) / w;
  double dt = (P.Y - R.Top) / h, db = (R.Bottom - P.Y) / h;
  double m = std::min(std::min(dl, dr), std::min(dt, db));
  if (m == dl) return alLeft;
  if (m == dr) return alRight;
  if (m == dt) return alTop;
  return alBottom;
}

// Draws (or, drawn again, removes) a rectangle outline on the screen.
void DrawDockImage(const TRect& R, Integer Width) {
  HDC dc = GetDCEx(nullptr, nullptr, DCX_CACHE | DCX_LOCKWINDOWUPDATE);
  if (!dc) return;
  static const WORD pattern[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
  HBITMAP bmp = CreateBitmap(8, 8, 1, 1, pattern);
  HBRUSH brush = bmp ? CreatePatternBrush(bmp) : nullptr;
  if (brush) {
    HGDIOBJ old = SelectObject(dc, brush);
    Integer w = R.Width(), h = R.Height();
    PatBlt(dc, R.Left, R.Top, w, Width, PATINVERT);
    PatBlt(dc, R.Left, R.Bottom - Width, w, Width, PATINVERT);
    PatBlt(dc, R.Left, R.Top + Width, Width, h - 2 * Width, PATINVERT);
    PatBlt(dc, R.Right - Width, R.Top + Width, Width, h - 2 * Width, PATINVERT);
    SelectObject(dc, old);
    DeleteObject(brush);
  }
  if (bmp) DeleteObject(bmp);
  ReleaseDC(nullptr, dc);
}

void HideDockImage() {
  if (!dockDrag.ImageShown) return;
  DrawDockImage(dockDrag.ShownRect, dockDrag.ShownWidth);
  dockDrag.ImageShown = false;
}

void ShowDockImage(const TRect& R, Integer Width) {
  if (dockDrag.ImageShown && dockDrag.ShownRect == R && dockDrag.ShownWidth == Width) return;
  HideDockImage();
  DrawDockImage(R, Width);
  dockDrag.ImageShown = true;
  dockDrag.ShownRect = R;
  dockDrag.ShownWidth = Width;
}

// Whether Site takes Client at the screen point P.
bool SiteAccepts(TWinControl* Site, TControl* Client, const TPoint& P) {
  if (!Site->DockSite() || !Site->Showing() || !Site->Enabled()) return false;
  if (Site == Client) return false;
  if (auto* w = dynamic_cast<TWinControl*>(Client); w && w->ContainsControl(Site)) return false;
  TRect influence;
  bool canDock = true;
  Site->GetSiteInfo(Client, influence, P, canDock);
  return canDock && PointInRect(influence, P);
}

// The dock site for a drop at P: the innermost one under the cursor, else
// any whose influence area holds P.
TWinControl* FindDockTarget(TControl* Client, const TPoint& P) {
  POINT p{P.X, P.Y};
  for (TWinControl* c = FindOwningWinControl(WindowFromPoint(p)); c; c = c->Parent())
    if (SiteAccepts(c, Client, P)) return c;
  for (TWinControl* s : std::vector<TWinControl*>(DockSites()))
    if (SiteAccepts(s, Client, P)) return s;
  return nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// TControl.

bool TControl::Floating() const {
  if (hostDockSite_) return IsFloatingHost(hostDockSite_);
  return !parent_ && dynamic_cast<const TCustomForm*>(this) != nullptr;
}

void TControl::SendDockNotification(UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (!hostDockSite_ || dockDrag.Source == this) return;
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
  TDockNotifyRec rec;
  rec.ClientMsg = Msg;
  rec.MsgWParam = WParam;
  rec.MsgLParam = LParam;
  hostDockSite_->Perform(CM_DOCKNOTIFICATION, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(&rec));
}

void TControl::DockDestroying() {
  if (dockDrag.Source == this) {
    HideDockImage();
    dockDrag = TDockDrag{};
  }
  if (dockDrag.Target == this) dockDrag.Target = nullptr;
  if (dockDrag.Object && dockDrag.Object->DropOnControl() == this) dockDrag.Object->SetDropOnControl(nullptr);
  if (TWinControl* host = hostDockSite_) {
    hostDockSite_ = nullptr;
    auto& l = host->dockClients_;
    l.erase(std::remove(l.begin(), l.end(), this), l.end());
    if (host->dockManager_) host->dockManager_->RemoveControl(this);
  }
}

void TControl::Dock(TWinControl* NewDockSite, const TRect& ARect) {
  TWinControl* prev = hostDockSite_;
  // Leaving a floating state for a site: the present size is the one to float with later.
  if ((!prev || IsFloatingHost(prev)) && NewDockSite && !IsFloatingHost(NewDockSite)) {
    undockWidth_ = width_;
    undockHeight_ = height_;
  }
  if (prev != NewDockSite) {
    if (prev) {
      auto& l = prev->dockClients_;
      l.erase(std::remove(l.begin(), l.end(), this), l.end());
    }
    if (NewDockSite) NewDockSite->dockClients_.push_back(this);
  }
  controlState_.Include(csDocking);
  try {
    TRect r = ARect;
    DoDock(NewDockSite, r);
    hostDockSite_ = NewDockSite;
    if (prev != NewDockSite) {
      if (NewDockSite) NewDockSite->DoAddDockClient(this, r);
      if (prev) prev->DoRemoveDockClient(this);
    }
  } catch (...) {
    controlState_.Exclude(csDocking);
    throw;
  }
  controlState_.Exclude(csDocking);
}

void TControl::DoDock(TWinControl* NewDockSite, TRect& ARect) {
  if (!dynamic_cast<TWinControl*>(this)) InvalidateControl(visible_, false);
  bool alone = !NewDockSite && parent_;
  if (alone) SetParent(nullptr);
  // A form standing alone gets a child window once it has a site (made anew on showing).
  if (NewDockSite && !parent_ && dynamic_cast<TCustomForm*>(this))
    if (auto* w = dynamic_cast<TWinControl*>(this); w->HandleAllocated()) w->DestroyHandle();
  SetBounds(ARect.Left, ARect.Top, ARect.Width(), ARect.Height());
  // A form standing alone again gets its top-level window back.
  if (alone)
    if (auto* w = dynamic_cast<TWinControl*>(this)) w->UpdateControlState();
}

TWinControl* TControl::CreateFloatingDockSite(const TRect& Bounds) {
  if (dynamic_cast<TCustomForm*>(this)) return nullptr;
  auto* form = new TCustomDockForm(Application);
  try {
    form->AfterConstruction();
    form->HandleNeeded();
    form->SetBounds(Bounds.Left, Bounds.Top, form->Width(), form->Height());
    form->SetClientSize(Bounds.Width(), Bounds.Height());
  } catch (...) {
    delete form;
    throw;
  }
  return form;
}

bool TControl::ManualFloat(const TRect& ScreenRect) {
  TWinControl* host = hostDockSite_;
  // Already floating in a host: the host moves.
  if (host && IsFloatingHost(host)) {
    host->SetBounds(ScreenRect.Left, ScreenRect.Top, host->Width(), host->Height());
    host->SetClientSize(ScreenRect.Width(), ScreenRect.Height());
    return true;
  }
  if (host && !host->DoUnDock(nullptr, this)) return false;
  TWinControl* floatHost = CreateFloatingDockSite(ScreenRect);
  if (floatHost) {
    try {
      Dock(floatHost, floatHost->ClientRect());
    } catch (...) {
      if (floatHost->DockClientCount() == 0) delete floatHost;
      throw;
    }
  } else {
    Dock(nullptr, Rect(ScreenRect.Left, ScreenRect.Top, ScreenRect.Left + UndockWidth(),
                       ScreenRect.Top + UndockHeight()));
  }
  return true;
}

bool TControl::ManualDock(TWinControl* NewDockSite, TControl* DropControl, TAlign ControlSide) {
  if (!NewDockSite) {
    TRect b = ScreenBounds(this);
    return ManualFloat(Rect(b.Left, b.Top, b.Left + UndockWidth(), b.Top + UndockHeight()));
  }
  if (!NewDockSite->DockSite()) return false;
  if (DropControl && (DropControl == this || DropControl->HostDockSite() != NewDockSite)) DropControl = nullptr;
  TDragDockObject obj(this);
  obj.SetDropOnControl(DropControl);
  obj.SetDropAlign(ControlSide);
  obj.SetDragTarget(NewDockSite);
  TRect r;
  if (NewDockSite->UseDockManager() && NewDockSite->DockManager()) {
    RECT wr;
    GetWindowRect(NewDockSite->Handle(), &wr);
    r = Rect(wr.left, wr.top, wr.right, wr.bottom);
    NewDockSite->DockManager()->PositionDockRect(this, DropControl, ControlSide, r);
  } else {
    TPoint o = NewDockSite->ClientToScreen(Point(0, 0));
    r = Bounds(o.X + left_, o.Y + top_, width_, height_);
  }
  obj.SetDockRect(r);
  if (hostDockSite_ && !hostDockSite_->DoUnDock(NewDockSite, this)) return false;
  TPoint c = NewDockSite->ScreenToClient(Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
  obj.SetDragPos(Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
  NewDockSite->DockDrop(&obj, c.X, c.Y);
  return true;
}

// The dock drag ---------------------------------------------------------------

TControl* TControl::DockDragSource() { return dockDrag.Source; }

void TControl::BeginDockDrag(bool Immediate, Integer Threshold) {
  if (dockDrag.Source) return;
  POINT p;
  GetCursorPos(&p);
  TDragDockObject* obj = nullptr;
  DoStartDock(obj);
  dockDrag = TDockDrag{};
  if (!obj) {
    dockDrag.Owned = std::make_unique<TDragDockObject>(this);
    obj = dockDrag.Owned.get();
  }
  obj->SetControl(this);
  dockDrag.Source = this;
  dockDrag.Object = obj;
  dockDrag.Start = Point(p.x, p.y);
  dockDrag.Threshold = Threshold < 0 ? 5 : Threshold;
  TRect b = ScreenBounds(this);
  obj->SetDockRect(b);
  obj->SetDragPos(dockDrag.Start);
  obj->SetMouseDelta(b.Width() > 0 ? double(p.x - b.Left) / b.Width() : 0.0,
                     b.Height() > 0 ? double(p.y - b.Top) / b.Height() : 0.0);
  controlState_.Exclude(csClicked);
  SetMouseCapture(true);
  if (Immediate) dockDrag.Active = true;
}

namespace {

// Follows the mouse: finds the site that takes the drop and positions the rectangle.
void DockDragMove(TControl* Source, const TPoint& P) {
  TDragDockObject* obj = dockDrag.Object;
  obj->SetDragPos(P);
  TWinControl* target = FindDockTarget(Source, P);
  if (target != dockDrag.Target && dockDrag.Target) {
    TWinControl* old = dockDrag.Target;
    dockDrag.Target = nullptr;
    bool accept = true;
    TPoint lp = old->ScreenToClient(P);
    old->DockOver(obj, lp.X, lp.Y, dsDragLeave, accept);
  }
  TDragState state = target == dockDrag.Target ? dsDragMove : dsDragEnter;
  dockDrag.Target = target;
  bool accept = false;
  if (target) {
    // Beside which client of the site, and on which side of it.
    TPoint lp = target->ScreenToClient(P);
    TControl* dropOn = nullptr;
    TAlign align = alClient;
    if (target->UseDockManager() && target->DockManager()) {
      for (Integer i = 0; i < target->DockClientCount(); ++i) {
        TControl* c = target->DockClients(i);
        if (c == Source || !c->Visible()) continue;
        TRect b;
        target->DockManager()->GetControlBounds(c, b);
        if (PointInRect(b, lp)) {
          dropOn = c;
          align = NearestEdge(b, lp);
          break;
        }
      }
      if (!dropOn) {
        Integer others = target->VisibleDockClientCount() - (Source->HostDockSite() == target && Source->Visible());
        align = others > 0 ? NearestEdge(target->ClientRect(), lp) : alClient;
      }
    }
    obj->SetDropOnControl(dropOn);
    obj->SetDropAlign(align);
    obj->SetDragTarget(target);
    obj->SetFloating(false);
    accept = true;
    target->DockOver(obj, lp.X, lp.Y, state, accept);
  }
  if (!accept) {
    // Nowhere to dock: the control would float here, grabbed where it was.
    obj->SetDragTarget(nullptr);
    obj->SetDropOnControl(nullptr);
    obj->SetFloating(true);
    Integer w = Source->UndockWidth(), h = Source->UndockHeight();
    Integer l = static_cast<Integer>(std::lround(P.X - w * obj->MouseDeltaX()));
    Integer t = static_cast<Integer>(std::lround(P.Y - h * obj->MouseDeltaY()));
    TRect r = Rect(l, t, l + w, t + h);
    obj->AdjustDockRect(r);
    obj->SetDockRect(r);
  }
  ShowDockImage(obj->DockRect(), obj->Floating() ? obj->FrameWidth() : 1);
}

}  // namespace

bool TControl::DockDragMouseMessage(TMessage& Message) {
  if (dockDrag.Source != this) return false;
  TPoint sp = ClientToScreen(MessagePoint(Message.LParam));
  switch (Message.Msg) {
    case WM_MOUSEMOVE:
      if (!dockDrag.Active) {
        if (std::abs(sp.X - dockDrag.Start.X) < dockDrag.Threshold &&
            std::abs(sp.Y - dockDrag.Start.Y) < dockDrag.Threshold)
          return false;
        dockDrag.Active = true;
      }
      DockDragMove(this, sp);
      return true;
    case WM_LBUTTONUP:
      if (!dockDrag.Active) {
        EndDockDrag(false);
        return false;  // an ordinary click
      }
      dockDrag.Object->SetDragPos(sp);
      EndDockDrag(true);
      return true;
    case WM_RBUTTONDOWN:
      EndDockDrag(false);
      return true;
    default:
      return false;
  }
}

void TControl::EndDockDrag(bool Drop) {
  if (dockDrag.Source != this) return;
  HideDockImage();
  TDockDrag st = std::move(dockDrag);
  dockDrag = TDockDrag{};
  if (GetCaptureControl() == this) SetMouseCapture(false);
  TDragDockObject* obj = st.Object;
  TPoint sp = obj->DragPos();
  TObject* endTarget = nullptr;
  Integer x = 0, y = 0;
  if (Drop && st.Active && st.Target && !obj->Floating()) {
    TWinControl* target = st.Target;
    if (!hostDockSite_ || hostDockSite_->DoUnDock(target, this)) {
      TPoint lp = target->ScreenToClient(sp);
      target->DockDrop(obj, lp.X, lp.Y);
      endTarget = target;
      x = lp.X;
      y = lp.Y;
    }
  } else {
    if (st.Target) {
      bool accept = false;
      TPoint lp = st.Target->ScreenToClient(sp);
      st.Target->DockOver(obj, lp.X, lp.Y, dsDragLeave, accept);
    }
    if (Drop && st.Active) ManualFloat(obj->DockRect());
  }
  DoEndDock(endTarget, x, y);
}

// ---------------------------------------------------------------------------
// TWinControl.

void TWinControl::SetDockSite(bool Value) {
  if (Value == dockSite_) return;
  dockSite_ = Value;
  RegisterDockSite(this, Value);
  if (Value) {
    UpdateDockManager();
  } else {
    dockManager_.reset();
    for (TControl* c : dockClients_) c->hostDockSite_ = nullptr;
    dockClients_.clear();
  }
}

void TWinControl::SetUseDockManager(bool Value) {
  if (Value == useDockManager_) return;
  useDockManager_ = Value;
  if (Value)
    UpdateDockManager();
  else
    dockManager_.reset();
}

std::unique_ptr<IDockManager> TWinControl::CreateDockManager() { return std::make_unique<TDockTree>(this); }

void TWinControl::UpdateDockManager() {
  if (dockSite_ && useDockManager_ && !dockManager_) {
    dockManager_ = CreateDockManager();
    if (dockManager_) {
      for (TControl* c : dockClients_) dockManager_->InsertControl(c, alNone, nullptr);
    }
  }
  if (dockManager_) SetDoubleBuffered(true);
}

void TWinControl::ReleaseDocking() {
  dockManager_.reset();
  for (TControl* c : dockClients_) c->hostDockSite_ = nullptr;
  dockClients_.clear();
  RegisterDockSite(this, false);
  if (dockDrag.Target == this) dockDrag.Target = nullptr;
  if (dockDrag.Object && dockDrag.Object->DragTarget() == this) dockDrag.Object->SetDragTarget(nullptr);
}

Integer TWinControl::VisibleDockClientCount() const {
  return static_cast<Integer>(
      std::count_if(dockClients_.begin(), dockClients_.end(), [](TControl* c) { return c->Visible(); }));
}

void TWinControl::GetSiteInfo(TControl*, TRect& InfluenceRect, TPoint, bool& CanDock) {
  RECT r;
  GetWindowRect(Handle(), &r);
  InfluenceRect = Rect(r.left - 10, r.top - 10, r.right + 10, r.bottom + 10);
  CanDock = true;
}

void TWinControl::DockOver(TDragDockObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
  if (State != dsDragLeave) PositionDockRect(Source);
  OnDockOver(this, Source, X, Y, State, Accept);
}

void TWinControl::PositionDockRect(TDragDockObject* DragDockObject) {
  TControl* c = DragDockObject->Control();
  if (!useDockManager_ || !dockManager_) {
    // Without a manager the control lands where it is dropped, at its floating size.
    Integer w = c->UndockWidth(), h = c->UndockHeight();
    TPoint p = DragDockObject->DragPos();
    Integer l = static_cast<Integer>(std::lround(p.X - w * DragDockObject->MouseDeltaX()));
    Integer t = static_cast<Integer>(std::lround(p.Y - h * DragDockObject->MouseDeltaY()));
    TRect r = Rect(l, t, l + w, t + h);
    DragDockObject->AdjustDockRect(r);
    DragDockObject->SetDockRect(r);
    return;
  }
  RECT wr;
  GetWindowRect(Handle(), &wr);
  TRect r = Rect(wr.left, wr.top, wr.right, wr.bottom);
  dockManager_->PositionDockRect(c, DragDockObject->DropOnControl(), DragDockObject->DropAlign(), r);
  DragDockObject->SetDockRect(r);
}

void TWinControl::DockDrop(TDragDockObject* Source, Integer X, Integer Y) {
  Perform(CM_DOCKCLIENT, reinterpret_cast<WPARAM>(Source), PointToLParam(Point(X, Y)));
  OnDockDrop(this, Source, X, Y);
}

bool TWinControl::DoUnDock(TWinControl* NewTarget, TControl* Client) {
  bool allow = true;
  OnUnDock(this, Client, NewTarget, allow);
  return allow && Perform(CM_UNDOCKCLIENT, reinterpret_cast<WPARAM>(NewTarget), reinterpret_cast<LPARAM>(Client)) == 0;
}

void TWinControl::DoAddDockClient(TControl* Client, const TRect&) { Client->SetParent(this); }

void TWinControl::DoRemoveDockClient(TControl*) {}

void TWinControl::CMDockClient(TMessage& Message) {
  TCMDockClient m(Message);
  TControl* c = m.DockSource->Control();
  TRect r = ScreenToClientRect(this, m.DockSource->DockRect());
  DisableAlign();
  try {
    c->Dock(this, r);
    if (useDockManager_ && dockManager_) {
      // The manager places its clients; alignment would fight it.
      c->SetAlign(alNone);
      dockManager_->InsertControl(c, m.DockSource->DropAlign(), m.DockSource->DropOnControl());
    }
  } catch (...) {
    EnableAlign();
    throw;
  }
  EnableAlign();
  Message.Result = 1;
}

void TWinControl::CMUndockClient(TMessage& Message) {
  TCMUnDockClient m(Message);
  Message.Result = 0;
  if (useDockManager_ && dockManager_) dockManager_->RemoveControl(m.Client);
}

void TWinControl::CMDockNotification(TMessage& Message) {
  TCMDockNotification m(Message);
  if (!useDockManager_ || !dockManager_ || !m.NotifyRec) return;
  if (m.NotifyRec->ClientMsg == CM_VISIBLECHANGED) dockManager_->ResetBounds(true);
  Invalidate();
}
