// TDockTree: the default dock manager, a tree of zones over a dock site.
#include <algorithm>
#include <cmath>

#include "platform/DockTree.h"

// One zone: a leaf holds a client; an inner zone lays out its children side by
// side (Stacked false) or top to bottom (Stacked true), sharing its extent by
// their weights.
class TDockZone {
 public:
  TDockZone* Parent = nullptr;
  std::vector<std::unique_ptr<TDockZone>> Children;
  TControl* Control = nullptr;
  bool Stacked = false;
  double Weight = 1;
  TRect Bounds;

  bool Visible() const {
    if (Control) return Control->Visible();
    return std::any_of(Children.begin(), Children.end(), [](const auto& c) { return c->Visible(); });
  }
};

namespace {

// Keeps the half of R on side Align (all of it for other sides).
TRect HalfOf(TRect R, TAlign Align) {
  switch (Align) {
    case alLeft: R.Right = (R.Left + R.Right) / 2; break;
    case alRight: R.Left = (R.Left + R.Right) / 2; break;
    case alTop: R.Bottom = (R.Top + R.Bottom) / 2; break;
    case alBottom: R.Top = (R.Top + R.Bottom) / 2; break;
    default: break;
  }
  return R;
}

}  // namespace

TDockTree::TDockTree(TWinControl* DockSite) : dockSite_(DockSite) {
  previous_ = dockSite_->WindowProc;
  dockSite_->WindowProc = TWndMethod(this, &TDockTree::HookedWndProc);
}

TDockTree::~TDockTree() {
  if (dockSite_->WindowProc == TWndMethod(this, &TDockTree::HookedWndProc)) dockSite_->WindowProc = previous_;
}

bool TDockTree::GrabbersOnTop() const { return dockSite_->Align() != alTop && dockSite_->Align() != alBottom; }

void TDockTree::BeginUpdate() { ++updateCount_; }

void TDockTree::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) ResetBounds(true);
}

TDockZone* TDockTree::FindZone(TDockZone* Zone, TControl* Control) const {
  if (!Zone || !Control) return nullptr;
  if (Zone->Control == Control) return Zone;
  for (auto& c : Zone->Children)
    if (TDockZone* z = FindZone(c.get(), Control)) return z;
  return nullptr;
}

void TDockTree::CollectLeaves(TDockZone* Zone, std::vector<TDockZone*>& Leaves) const {
  if (!Zone) return;
  if (Zone->Control) {
    Leaves.push_back(Zone);
    return;
  }
  for (auto& c : Zone->Children) CollectLeaves(c.get(), Leaves);
}

void TDockTree::GetControlBounds(TControl* Control, TRect& CtlBounds) {
  TDockZone* z = FindZone(top_.get(), Control);
  CtlBounds = z ? z->Bounds : TRect{};
}

void TDockTree::InsertControl(TControl* Control, TAlign InsertAt, TControl* DropCtl) {
  sizingZone_ = sizingBefore_ = sizingAfter_ = nullptr;
  if (FindZone(top_.get(), Control)) {
    BeginUpdate();
    RemoveControl(Control);
    --updateCount_;
  }
  auto leaf = std::make_unique<TDockZone>();
  leaf->Control = Control;
  if (!top_) {
    top_ = std::move(leaf);
    ResetBounds(true);
    return;
  }
  if (InsertAt != alLeft && InsertAt != alRight && InsertAt != alTop && InsertAt != alBottom)
    InsertAt = GrabbersOnTop() ? alBottom : alRight;
  bool stacked = InsertAt == alTop || InsertAt == alBottom;
  bool before = InsertAt == alLeft || InsertAt == alTop;
  TDockZone* target = DropCtl && DropCtl != Control ? FindZone(top_.get(), DropCtl) : nullptr;
  if (!target && !top_->Control && top_->Stacked == stacked) {
    // Beside everything, along the way the site is already split: one more share.
    double sum = 0;
    for (auto& c : top_->Children) sum += c->Weight;
    leaf->Weight = sum / static_cast<double>(top_->Children.size());
    leaf->Parent = top_.get();
    top_->Children.insert(before ? top_->Children.begin() : top_->Children.end(), std::move(leaf));
    ResetBounds(true);
    return;
  }
  if (!target) target = top_.get();
  TDockZone* p = target->Parent;
  if (p && p->Stacked == stacked) {
    // The neighbour gives the new client half of its share.
    leaf->Weight = target->Weight / 2;
    target->Weight /= 2;
    leaf->Parent = p;
    auto it = std::find_if(p->Children.begin(), p->Children.end(), [&](const auto& c) { return c.get() == target; });
    if (!before) ++it;
    p->Children.insert(it, std::move(leaf));
  } else {
    // The target's place becomes an inner zone holding the target and the new client.
    auto inner = std::make_unique<TDockZone>();
    inner->Stacked = stacked;
    inner->Weight = target->Weight;
    inner->Parent = p;
    std::unique_ptr<TDockZone>* slot = &top_;
    if (p)
      slot = &*std::find_if(p->Children.begin(), p->Children.end(), [&](const auto& c) { return c.get() == target; });
    std::unique_ptr<TDockZone> old = std::move(*slot);
    old->Weight = 1;
    old->Parent = inner.get();
    leaf->Weight = 1;
    leaf->Parent = inner.get();
    if (before) {
      inner->Children.push_back(std::move(leaf));
      inner->Children.push_back(std::move(old));
    } else {
      inner->Children.push_back(std::move(old));
      inner->Children.push_back(std::move(leaf));
    }
    *slot = std::move(inner);
  }
  ResetBounds(true);
}

void TDockTree::RemoveControl(TControl* Control) {
  TDockZone* z = FindZone(top_.get(), Control);
  if (closePressed_ == Control) closePressed_ = nullptr;
  if (!z) return;
  if (sizingZone_) {
    sizingZone_ = sizingBefore_ = sizingAfter_ = nullptr;
    ReleaseCapture();
  }
  TDockZone* p = z->Parent;
  if (!p) {
    top_.reset();
  } else {
    p->Children.erase(
        std::find_if(p->Children.begin(), p->Children.end(), [&](const auto& c) { return c.get() == z; }));
    if (p->Children.size() == 1) {
      // An inner zone with one child left is replaced by that child.
      std::unique_ptr<TDockZone> only = std::move(p->Children.front());
      only->Weight = p->Weight;
      only->Parent = p->Parent;
      std::unique_ptr<TDockZone>* slot = &top_;
      if (p->Parent)
        slot = &*std::find_if(p->Parent->Children.begin(), p->Parent->Children.end(),
                              [&](const auto& c) { return c.get() == p; });
      *slot = std::move(only);  // frees p
    }
  }
  if (dockSite_->HandleAllocated()) dockSite_->Invalidate();
  ResetBounds(true);
}

TRect TDockTree::SiteRect() {
  TRect r = dockSite_->GetClientRect();
  dockSite_->AdjustClientRect(r);
  return r;
}

void TDockTree::ResetBounds(bool Force) {
  if (resetting_ || updateCount_ > 0 || !top_) return;
  if (dockSite_->ComponentState().Contains(csDestroying)) return;
  TRect r = SiteRect();
  if (!Force && r == lastRect_) return;
  lastRect_ = r;
  resetting_ = true;
  dockSite_->DisableAlign();
  try {
    LayoutZone(top_.get(), r);
    dockSite_->EnableAlign();
  } catch (...) {
    dockSite_->EnableAlign();
    resetting_ = false;
    throw;
  }
  resetting_ = false;
  if (dockSite_->HandleAllocated()) dockSite_->Invalidate();
}

void TDockTree::LayoutZone(TDockZone* Zone, const TRect& R) {
  Zone->Bounds = R;
  if (Zone->Control) {
    if (!Zone->Control->Visible()) return;
    TRect cr = R;
    AdjustDockRect(Zone->Control, cr);
    Zone->Control->SetBounds(cr.Left, cr.Top, std::max(0, cr.Width()), std::max(0, cr.Height()));
    return;
  }
  std::vector<TDockZone*> shown;
  double sum = 0;
  for (auto& c : Zone->Children)
    if (c->Visible()) {
      shown.push_back(c.get());
      sum += c->Weight;
    }
  if (shown.empty() || sum <= 0) return;
  Integer n = static_cast<Integer>(shown.size());
  Integer start = Zone->Stacked ? R.Top : R.Left;
  Integer extent = std::max(0, (Zone->Stacked ? R.Height() : R.Width()) - (n - 1) * splitterWidth_);
  double acc = 0;
  Integer from = start;
  for (Integer i = 0; i < n; ++i) {
    acc += shown[static_cast<size_t>(i)]->Weight;
    Integer to = i == n - 1 ? start + extent + i * splitterWidth_
                            : start + static_cast<Integer>(std::lround(extent * acc / sum)) + i * splitterWidth_;
    TRect cr = Zone->Stacked ? Rect(R.Left, from, R.Right, to) : Rect(from, R.Top, to, R.Bottom);
    LayoutZone(shown[static_cast<size_t>(i)], cr);
    from = to + splitterWidth_;
  }
}

void TDockTree::PositionDockRect(TControl* Client, TControl* DropCtl, TAlign DropAlign, TRect& DockRect) {
  TDockZone* z = DropCtl && DropCtl != Client ? FindZone(top_.get(), DropCtl) : nullptr;
  TRect r;
  if (z) {
    r = HalfOf(z->Bounds, DropAlign);
  } else {
    r = SiteRect();
    std::vector<TDockZone*> leaves;
    CollectLeaves(top_.get(), leaves);
    bool others = std::any_of(leaves.begin(), leaves.end(),
                              [&](TDockZone* l) { return l->Control != Client && l->Control->Visible(); });
    if (others) r = HalfOf(r, DropAlign);
  }
  TPoint o = dockSite_->ClientToScreen(Point(0, 0));
  DockRect = Rect(r.Left + o.X, r.Top + o.Y, r.Right + o.X, r.Bottom + o.Y);
}

void TDockTree::AdjustDockRect(TControl*, TRect& ARect) {
  if (GrabbersOnTop())
    ARect.Top += grabberSize_;
  else
    ARect.Left += grabberSize_;
}

TRect TDockTree::CloseButtonRect(const TRect& FrameRect) {
  const TRect& f = FrameRect;
  if (GrabbersOnTop()) return Rect(f.Right - grabberSize_ + 1, f.Top + 1, f.Right - 1, f.Top + grabberSize_ - 1);
  return Rect(f.Left + 1, f.Top + 1, f.Left + grabberSize_ - 1, f.Top + grabberSize_ - 1);
}

TControl* TDockTree::HitTest(const TPoint& MousePos, Integer& HTFlag) {
  HTFlag = HTNOWHERE;
  std::vector<TDockZone*> leaves;
  CollectLeaves(top_.get(), leaves);
  for (TDockZone* l : leaves) {
    if (!l->Control->Visible() || !PointInRect(l->Bounds, MousePos)) continue;
    TRect cr = l->Bounds;
    AdjustDockRect(l->Control, cr);
    if (PointInRect(cr, MousePos))
      HTFlag = HTCLIENT;
    else if (PointInRect(CloseButtonRect(l->Bounds), MousePos))
      HTFlag = HTCLOSE;
    else
      HTFlag = HTCAPTION;
    return l->Control;
  }
  return nullptr;
}

void TDockTree::PaintSite(HDC DC) {
  std::vector<TDockZone*> leaves;
  CollectLeaves(top_.get(), leaves);
  TCanvas canvas;
  canvas.SetHandle(DC);
  try {
    for (TDockZone* l : leaves)
      if (l->Control->Visible()) PaintDockFrame(&canvas, l->Control, l->Bounds);
  } catch (...) {
    canvas.SetHandle(nullptr);
    throw;
  }
  canvas.SetHandle(nullptr);
}

void TDockTree::PaintDockFrame(TCanvas* Canvas, TControl*, const TRect& ARect) {
  HDC dc = Canvas->Handle();
  RECT close = *CloseButtonRect(ARect).AsRECT();
  // Two raised bars along the grabber, then the close button.
  if (GrabbersOnTop()) {
    Integer y = ARect.Top + grabberSize_ / 2 - 3;
    for (Integer i = 0; i < 2; ++i) {
      RECT bar{ARect.Left + 2, y + i * 3, close.left - 2, y + i * 3 + 3};
      if (bar.right > bar.left) DrawEdge(dc, &bar, BDR_RAISEDINNER, BF_RECT);
    }
  } else {
    Integer x = ARect.Left + grabberSize_ / 2 - 3;
    for (Integer i = 0; i < 2; ++i) {
      RECT bar{x + i * 3, close.bottom + 2, x + i * 3 + 3, ARect.Bottom - 2};
      if (bar.bottom > bar.top) DrawEdge(dc, &bar, BDR_RAISEDINNER, BF_RECT);
    }
  }
  DrawFrameControl(dc, &close, DFC_CAPTION, DFCS_CAPTIONCLOSE);
}

bool TDockTree::FindSplitter(TDockZone* Zone, const TPoint& P, TDockZone*& Inner, TDockZone*& Before,
                             TDockZone*& After) {
  if (!Zone || Zone->Control || !PointInRect(Zone->Bounds, P)) return false;
  TDockZone* prev = nullptr;
  for (auto& c : Zone->Children) {
    if (!c->Visible()) continue;
    if (FindSplitter(c.get(), P, Inner, Before, After)) return true;
    if (prev) {
      const TRect& a = prev->Bounds;
      const TRect& b = c->Bounds;
      TRect gap = Zone->Stacked ? Rect(Zone->Bounds.Left, a.Bottom, Zone->Bounds.Right, b.Top)
                                : Rect(a.Right, Zone->Bounds.Top, b.Left, Zone->Bounds.Bottom);
      if (PointInRect(gap, P)) {
        Inner = Zone;
        Before = prev;
        After = c.get();
        return true;
      }
    }
    prev = c.get();
  }
  return false;
}

void TDockTree::MoveSplitter(const TPoint& P) {
  TDockZone* z = sizingZone_;
  const TRect& a = sizingBefore_->Bounds;
  const TRect& b = sizingAfter_->Bounds;
  Integer first = z->Stacked ? a.Top : a.Left;
  Integer last = z->Stacked ? b.Bottom : b.Right;
  Integer total = last - first - splitterWidth_;
  if (total <= 0) return;
  // Each side keeps at least its grabber.
  Integer minimum = std::min(grabberSize_, total / 2);
  Integer pos = (z->Stacked ? P.Y : P.X) - splitterWidth_ / 2;
  Integer extentA = std::clamp(pos - first, minimum, total - minimum);
  double weights = sizingBefore_->Weight + sizingAfter_->Weight;
  sizingBefore_->Weight = weights * extentA / total;
  sizingAfter_->Weight = weights - sizingBefore_->Weight;
  ResetBounds(true);
}

void TDockTree::HookedWndProc(TMessage& Message) { WndProc(Message); }

void TDockTree::CallPrevious(TMessage& Message) {
  if (previous_)
    previous_(Message);
  else
    dockSite_->WndProc(Message);
}

void TDockTree::WndProc(TMessage& Message) {
  if (sizingZone_) {
    switch (Message.Msg) {
      case WM_MOUSEMOVE:
        MoveSplitter(MessagePoint(Message.LParam));
        return;
      case WM_LBUTTONUP:
        MoveSplitter(MessagePoint(Message.LParam));
        sizingZone_ = sizingBefore_ = sizingAfter_ = nullptr;
        ReleaseCapture();
        return;
      case WM_CAPTURECHANGED:
      case WM_CANCELMODE:
        sizingZone_ = sizingBefore_ = sizingAfter_ = nullptr;
        break;
      default:
        break;
    }
  }
  if (!TControl::DockDragSource()) {
    switch (Message.Msg) {
      case WM_SETCURSOR: {
        POINT sp;
        TDockZone *inner, *before, *after;
        if (reinterpret_cast<HWND>(Message.WParam) == dockSite_->Handle() && LOWORD(Message.LParam) == HTCLIENT &&
            GetCursorPos(&sp) &&
            FindSplitter(top_.get(), dockSite_->ScreenToClient(Point(sp.x, sp.y)), inner, before, after)) {
          ::SetCursor(LoadCursorW(nullptr, inner->Stacked ? IDC_SIZENS : IDC_SIZEWE));
          Message.Result = 1;
          return;
        }
        break;
      }
      case WM_LBUTTONDOWN: {
        TDockZone *inner, *before, *after;
        if (FindSplitter(top_.get(), MessagePoint(Message.LParam), inner, before, after)) {
          sizingZone_ = inner;
          sizingBefore_ = before;
          sizingAfter_ = after;
          SetCapture(dockSite_->Handle());
          return;
        }
        Integer ht;
        TControl* c = HitTest(MessagePoint(Message.LParam), ht);
        if (c && ht == HTCLOSE) {
          closePressed_ = c;
          return;
        }
        if (c && ht == HTCAPTION) {
          c->BeginDockDrag(false, -1);
          return;
        }
        break;
      }
      case WM_LBUTTONUP:
        if (TControl* pressed = closePressed_) {
          closePressed_ = nullptr;
          Integer ht;
          if (HitTest(MessagePoint(Message.LParam), ht) == pressed && ht == HTCLOSE) {
            // The close button hides the client (a form closes).
            if (auto* f = dynamic_cast<TCustomForm*>(pressed))
              f->Close();
            else
              pressed->Hide();
          }
          return;
        }
        break;
      case WM_LBUTTONDBLCLK: {
        Integer ht;
        TControl* c = HitTest(MessagePoint(Message.LParam), ht);
        if (c && ht == HTCAPTION) {
          c->ManualDock(nullptr);
          return;
        }
        break;
      }
      default:
        break;
    }
  }
  CallPrevious(Message);
}
