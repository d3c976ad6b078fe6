// Dock sites placed on a form: aligned like a control, joined to a manager,
// holding that manager's toolbars in rows like the form's edge sites.
#include "bars/dxBar.h"

TdxBarDockControl::TdxBarDockControl(TComponent* AOwner) : TdxDockControl(AOwner) { SetAlign(alTop); }

bool TdxBarDockControl::Restoring() const {
  return BarManager() && BarManager()->Bars() && BarManager()->Bars()->Restoring();
}

void TdxBarDockControl::SetDockAlign(TdxBarDockAlign V) {
  if (dockAlign_ == V) return;
  dockAlign_ = V;
  static const TAlign aligns[] = {alNone, alTop, alBottom, alLeft, alRight};
  TdxBarManager* m = BarManager();
  if (!m || ComponentState().Contains(csLoading)) {
    SetAlign(aligns[V]);
    return;
  }
  // Every bar in the site turns with it; the rows are laid out once, at the end.
  std::vector<TdxBarControl*> windows;
  for (const TdxDockRow& r : rows_)
    for (const TdxDockCol& c : r.Cols) windows.push_back(c.Window);
  TdxBarDockingStyle style = V == dalBottom ? dsBottom : V == dalLeft ? dsLeft : V == dalRight ? dsRight : dsTop;
  bool saved = layoutHeld_;
  layoutHeld_ = true;
  try {
    for (TdxBarControl* w : windows) w->SetDockingStyle(style);
    SetAlign(aligns[V]);
  } catch (...) {
    layoutHeld_ = saved;
    for (TdxBarControl* w : windows) w->RebuildLayout();
    throw;
  }
  layoutHeld_ = saved;
  for (TdxBarControl* w : windows) {
    if (w->Bar()) w->Bar()->StorePosition();
    w->RebuildLayout();
  }
  UpdateLayout();
  if (Parent()) Parent()->Invalidate();
}

void TdxBarDockControl::SetAllowZeroSizeInDesignTime(bool V) {
  if (allowZeroSizeInDesignTime_ == V) return;
  allowZeroSizeInDesignTime_ = V;
  if (HandleAllocated()) Perform(WM_SIZE, 0, 0);
}

void TdxBarDockControl::SetBarManager(TdxBarManager* V) {
  if (V == BarManager()) return;
  SetManager(V);
  if (!ComponentState().Contains(csDestroying)) ApplyDockColor();
}

void TdxBarDockControl::SetOwnColor(TColor V) {
  SetColor(V);
  if (!ComponentState().Contains(csLoading) && !Restoring()) useOwnColor_ = true;
}

void TdxBarDockControl::SetOwnParentColor(bool V) {
  SetParentColor(V);
  if (!ComponentState().Contains(csLoading) && !Restoring()) useOwnColor_ = true;
}

void TdxBarDockControl::SetUseOwnColor(bool V) {
  if (useOwnColor_ == V) return;
  useOwnColor_ = V;
  if (!V) ApplyDockColor();
}

void TdxBarDockControl::ApplyDockColor() {
  if (useOwnColor_) return;
  TdxDockControl::ApplyDockColor();
  useOwnColor_ = false;
}

bool TdxBarDockControl::SunkenBorder() const {
  if (useOwnSunkenBorder_) return sunkenBorder_;
  return BarManager() && BarManager()->SunkenBorder();
}

void TdxBarDockControl::SetSunkenBorder(bool V) {
  if (useOwnSunkenBorder_ && sunkenBorder_ == V) return;
  sunkenBorder_ = V;
  useOwnSunkenBorder_ = true;
}

void TdxBarDockControl::SetUseOwnSunkenBorder(bool V) {
  if (useOwnSunkenBorder_ == V) return;
  if (V) sunkenBorder_ = SunkenBorder();
  useOwnSunkenBorder_ = V;
}

Integer TdxBarDockControl::EmptySize() const {
  return ComponentState().Contains(csDesigning) && !allowZeroSizeInDesignTime_ ? 3 : 0;
}

Integer TdxBarDockControl::RowsExtent() const {
  // While read or restored the site keeps the size it was given.
  if (ComponentState().Contains(csLoading) || Restoring()) {
    auto* self = const_cast<TdxBarDockControl*>(this);
    return IsVertical() ? self->ClientWidth() : self->ClientHeight();
  }
  if (rows_.empty()) return EmptySize();
  return TdxDockControl::RowsExtent();
}

bool TdxBarDockControl::CanDocking(TdxBar* Bar) const {
  if (!TdxDockControl::CanDocking(Bar)) return false;
  // A site inside the bar's own window would take that window into itself.
  TdxBarControl* w = Bar ? Bar->Control() : nullptr;
  if (!w || !w->HandleAllocated() || !const_cast<TdxBarDockControl*>(this)->HandleAllocated()) return true;
  HWND self = const_cast<TdxBarDockControl*>(this)->Handle();
  return !IsChild(w->Handle(), self);
}

void TdxBarDockControl::Loaded() {
  TdxDockControl::Loaded();
  UpdateLayout();
}

void TdxBarDockControl::Paint() {
  if (!ComponentState().Contains(csDesigning)) {
    TdxDockControl::Paint();
    return;
  }
  TdxDockControl::Paint();
  HDC dc = Canvas()->Handle();
  HPEN pen = CreatePen(PS_DOT, 1, GetSysColor(COLOR_BTNSHADOW));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, 0, 0, ClientWidth(), ClientHeight());
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
}

void TdxBarDockControl::Dispatch(TMessage& M) {
  TdxDockControl::Dispatch(M);
  // An empty site keeps its empty thickness whatever it is sized to.
  if (M.Msg == WM_SIZE && rows_.empty() && !ComponentState().Contains(csLoading) && !Restoring()) {
    Integer e = EmptySize();
    if ((IsVertical() ? Width() : Height()) != e) SetSize(e);
  }
}
