// A manager following its owner form: the call-window hook hands it every
// message sent to the form's window before the form handles it. Floating
// bars come and go with the form (minimising, closing, activation,
// application switches) and stay on the screen when the work area changes;
// colours, the menu font and F1 help are answered here, the layout is stored
// when the form's window goes, and an MDI frame merges its active child's
// main menu into its own main-menu bar.
#include "bars/dxBar.h"

namespace {

bool IsFloatingBar(TdxBar* Bar) { return Bar->DockingStyle() == dsNone && Bar->Control() != nullptr; }

// The bar window of a manager that a window handle belongs to, or none.
TCustomdxBarControl* BarWindowOfManager(HWND Wnd, TdxBarManager* Manager) {
  auto* w = dynamic_cast<TCustomdxBarControl*>(ControlOfWindow(Wnd));
  return w && w->BarManager() == Manager ? w : nullptr;
}

bool SameProcess(HWND Wnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(Wnd, &pid);
  return pid == GetCurrentProcessId();
}

// The view whose row opened a child window (the sub-item row of a menu, else
// the parent's selection).
TdxBarItemControl* OpenerView(TCustomdxBarControl* Child, TCustomdxBarControl* Parent) {
  if (auto* menu = dynamic_cast<TdxBarSubMenuControl*>(Child))
    if (menu->ParentSubItem()) return menu->ParentSubItem();
  return Parent->SelectedControl();
}

bool HasHelpContext(TdxBarItemControl* View) { return View && View->Item() && View->Item()->HelpContext() != 0; }

}  // namespace

// --- Owner messages -------------------------------------------------------------------------
void TdxBarManager::HandleOwnerMessage(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TCustomForm* form = ownerForm_;
  if (!form || (IsDestroying() && Msg != WM_DESTROY)) return;
  TCustomForm* dialog = dxBarCustomizingDialog();
  if (form->ComponentState().Contains(csDestroying) || form == dialog) {
    // The form's window goes with the form: the last chance to keep the layout.
    if (Msg == WM_DESTROY && !designing_) StoreLayout();
    return;
  }
  switch (Msg) {
    case WM_DESTROY:
      // The form lives on: its windows are being re-created. The bars whose
      // windows go with them are hidden and come back with the new windows.
      if (!bars_) return;
      for (Integer i = 0; i < bars_->Count(); ++i) {
        TdxBar* bar = bars_->Items(i);
        if (!bar->Visible() || !bar->Control()) continue;
        recreateList_.push_back(bar);
        bar->SetVisible(false);
      }
      return;
    case WM_CREATE:
      // After the form has made its child windows (the dock sites' among them).
      if (!recreateList_.empty()) {
        TdxBarManager* self = this;
        dxBarDeferred([self] {
          for (Integer i = 0; i < ManagerCount(); ++i)
            if (Managers(i) == self) {
              self->ReshowRecreatedBars();
              return;
            }
        });
      }
      return;
    case WM_ACTIVATE: {
      HWND other = reinterpret_cast<HWND>(LParam);
      if (LOWORD(WParam) == WA_INACTIVE && other && BarWindowOfManager(other, this)) return;
      ActivateFloatingBars(LOWORD(WParam) != WA_INACTIVE, other);
      if (activatingFloatingBars_) return;
      if (form->FormStyle() == fsMDIForm && (WParam == 0 || !customizing_))
        if (HWND child = ActiveMDIChild()) SendMessageW(child, WM_ACTIVATE, WParam, LParam);
      // The form disabled by the customizing dialog hands the activation on to it.
      dialog = dxBarCustomizingDialog();
      if (LOWORD(WParam) != WA_INACTIVE && dialog && customizing_ && dialog->HandleAllocated() &&
          !IsWindowEnabled(form->Handle()))
        SendMessageW(dialog->Handle(), WM_ACTIVATE, WParam, reinterpret_cast<LPARAM>(form->Handle()));
      return;
    }
    case WM_SYSCOLORCHANGE:
      SysColorChanged();
      // MDI children are no top-level windows: the system tells only the frame.
      if (form->FormStyle() == fsMDIForm)
        for (Integer i = 0; i < ManagerCount(); ++i) {
          TdxBarManager* m = Managers(i);
          if (m != this && m->OwnerForm() && m->OwnerForm()->FormStyle() == fsMDIChild)
            m->HandleOwnerMessage(Msg, WParam, LParam);
        }
      return;
    case WM_WININICHANGE:
      if (WParam == SPI_SETNONCLIENTMETRICS) ApplySystemFont();
      if (WParam == SPI_SETWORKAREA) FitFloatingBarsToWorkArea();
      return;
    case WM_ACTIVATEAPP:
      if (WParam != 0) return;
      ActivateFloatingBars(false, nullptr);
      if (TdxBarItemControl* selected = selectedItemControl_) {
        TCustomdxBarControl* w = selected->Window();
        if (w && IsLiveBarControl(w) && w->HandleAllocated()) SendMessageW(w->Handle(), WM_MOUSELEAVE, 0, 0);
      }
      selectedItemControl_ = nullptr;
      return;
    case WM_WINDOWPOSCHANGING: {
      auto* wp = reinterpret_cast<WINDOWPOS*>(LParam);
      if (wp && (wp->flags & SWP_HIDEWINDOW)) ActivateFloatingBars(false, nullptr);
      return;
    }
    case WM_WINDOWPOSCHANGED: {
      // The customizing dialog is shown and hidden with its form.
      auto* wp = reinterpret_cast<WINDOWPOS*>(LParam);
      if (!customizing_ || !wp || !dialog || !dialog->HandleAllocated()) return;
      if (wp->flags & SWP_SHOWWINDOW)
        ::ShowWindow(dialog->Handle(), SW_SHOW);
      else if (wp->flags & SWP_HIDEWINDOW)
        ::ShowWindow(dialog->Handle(), SW_HIDE);
      return;
    }
    case WM_HELP: {
      auto* info = reinterpret_cast<HELPINFO*>(LParam);
      if (designing_ || !info || info->iContextType != HELPINFO_WINDOW) return;
      if (TCustomdxBarControl* top = ActiveBarControl()) {
        // A menu (or a toolbar in menu mode): its selection, else the rows
        // that opened it, up to the first with a help topic.
        TCustomdxBarControl* w = top;
        TdxBarItemControl* view = top->SelectedControl();
        while (!HasHelpContext(view)) {
          TCustomdxBarControl* parent = w->ParentBarWindow();
          if (!parent || !IsLiveBarControl(parent)) {
            view = nullptr;
            break;
          }
          view = OpenerView(w, parent);
          w = parent;
        }
        if (!view) {
          CloseActiveMenus();
          THelpContext context = w->HelpContext();
          if (context == 0 || !Application) return;
          if (form->BorderIcons().Contains(biHelp))
            Application->HelpCommand(HELP_CONTEXTPOPUP, context);
          else
            Application->HelpContext(context);
          return;
        }
        ShowHelpForView(view);
        return;
      }
      if (TCustomdxBarControl* w = BarWindowOfManager(static_cast<HWND>(info->hItemHandle), this)) {
        if (!w->HandleAllocated()) return;
        POINT p = info->MousePos;
        ScreenToClient(w->Handle(), &p);
        if (TdxBarItemControl* view = w->ItemControlAtPoint(Point(p.x, p.y))) ShowHelpForView(view);
      }
      return;
    }
    case WM_DISPLAYCHANGE:
      FitFloatingBarsToWorkArea();
      return;
    case WM_SYSCOMMAND:
      if (WParam == SC_CLOSE && designing_)
        if (TCustomdxBarControl* top = ActiveBarControl())
          if (top->BarManager() == this) top->CloseChain();
      if (WParam == SC_MINIMIZE || WParam == SC_CLOSE)
        ShowFloatingBars(SW_HIDE);
      else if (WParam == SC_MAXIMIZE || WParam == SC_RESTORE)
        ShowFloatingBars(SW_SHOWNOACTIVATE);
      return;
    case WM_MDIACTIVATE:
      if (form->FormStyle() == fsMDIChild && form->HandleAllocated())
        ActivateFloatingBars(reinterpret_cast<HWND>(LParam) == form->Handle(), nullptr);
      return;
    default:
      return;
  }
}

void TdxBarManager::ReshowRecreatedBars() {
  std::vector<TdxBar*> list;
  list.swap(recreateList_);
  if (!bars_ || !ownerForm_ || !ownerForm_->HandleAllocated() || IsDestroying()) return;
  for (TdxDockControl* d : dockControls_)
    if (d->Parent()) d->HandleNeeded();
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    for (Integer i = 0; i < bars_->Count(); ++i)
      if (bars_->Items(i) == *it) {
        (*it)->SetVisible(true);
        break;
      }
}

void TdxBarManager::ShowHelpForView(TdxBarItemControl* View) {
  TCustomdxBarControl* w = View->Window();
  THelpContext context = View->Item() ? View->Item()->HelpContext() : 0;
  TPoint below{0, 0};
  if (w && w->HandleAllocated()) {
    TRect r;
    w->GetItemRect(View, r);
    below = w->ClientToScreen(Point((r.Left + r.Right) / 2, r.Bottom));
  }
  // The view goes with its menu: everything needed was taken above.
  CloseActiveMenus();
  if (context == 0 || !Application) return;
  if (ownerForm_->BorderIcons().Contains(biHelp)) {
    Application->HelpCommand(HELP_SETPOPUP_POS, static_cast<LONG_PTR>(static_cast<DWORD>(MAKELONG(below.X, below.Y))));
    Application->HelpCommand(HELP_CONTEXTPOPUP, context);
  } else {
    Application->HelpContext(context);
  }
}

// Every visible floating bar: hidden (SW_HIDE) or shown without activation.
void TdxBarManager::ShowFloatingBars(Integer Command) {
  if (!bars_) return;
  for (Integer i = 0; i < bars_->Count(); ++i) {
    TdxBar* bar = bars_->Items(i);
    if (!bar->Visible() || bar->AutoHidden() || !IsFloatingBar(bar) || !bar->Control()->HandleAllocated()) continue;
    HWND h = bar->Control()->Handle();
    ::ShowWindow(h, Command);
    if (Command != SW_HIDE) UpdateWindow(h);
  }
}

void TdxBarManager::ActivateFloatingBars(bool Active, HWND OtherWindow) {
  if (activatingFloatingBars_ || !ownerForm_ || !bars_) return;
  activatingFloatingBars_ = true;
  try {
    if (Active) {
      if (!(ownerForm_->HandleAllocated() && IsIconic(ownerForm_->Handle()))) ShowFloatingBars(SW_SHOWNOACTIVATE);
    } else {
      TCustomForm* dialog = dxBarCustomizingDialog();
      if (TCustomdxBarControl* top = ActiveBarControl())
        if (top->BarManager() == this ||
            (customizing_ && dialog && top->BarManager() && top->BarManager()->OwnerForm() == dialog))
          top->CloseChain();
      bool keep = false;
      if (OtherWindow) {
        // Another form of the program takes over, unless it is the customizing dialog.
        if (auto* other = dynamic_cast<TCustomForm*>(ControlOfWindow(OtherWindow)))
          keep = other == dialog && customizing_ && SameProcess(OtherWindow);
        else
          keep = SameProcess(OtherWindow) && !(Application && OtherWindow == Application->Handle());
      }
      if (!keep) {
        for (Integer i = 0; i < bars_->Count(); ++i) {
          TdxBar* bar = bars_->Items(i);
          if (!IsFloatingBar(bar) || !bar->Control()->HandleAllocated()) continue;
          SetWindowPos(bar->Control()->Handle(), nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
        }
        if (ownerForm_->HandleAllocated()) SendMessageW(ownerForm_->Handle(), WM_NCACTIVATE, FALSE, 0);
      }
    }
  } catch (...) {
    activatingFloatingBars_ = false;
    throw;
  }
  activatingFloatingBars_ = false;
}

void TdxBarManager::FitFloatingBarsToWorkArea() {
  if (!ownerForm_ || !bars_) return;
  TRect f = ownerForm_->BoundsRect();
  if (ownerForm_->HandleAllocated()) {
    RECT r;
    GetWindowRect(ownerForm_->Handle(), &r);
    f = Rect(r.left, r.top, r.right, r.bottom);
  }
  TRect area = GetWorkAreaAt(POINT{f.Left + f.Width() / 2, f.Top + f.Height() / 2});
  for (Integer i = 0; i < bars_->Count(); ++i) {
    TdxBar* bar = bars_->Items(i);
    if (bar->DockingStyle() != dsNone) continue;
    TdxBarControl* w = bar->Control();
    bool windowed = w && w->HandleAllocated();
    TRect r;
    if (windowed) {
      RECT wr;
      GetWindowRect(w->Handle(), &wr);
      r = Rect(wr.left, wr.top, wr.right, wr.bottom);
    } else {
      r = Bounds(bar->FloatLeft(), bar->FloatTop(), bar->FloatClientWidth() + bar->FrameWidth(dsNone),
                 bar->FloatClientHeight() + bar->FrameHeight(dsNone));
    }
    Integer x = r.Left, y = r.Top;
    // Bottom and right first: a bar larger than the area keeps its top-left corner in it.
    if (y + r.Height() > area.Bottom) y = area.Bottom - r.Height();
    if (y < area.Top) y = area.Top;
    if (x + r.Width() > area.Right) x = area.Right - r.Width();
    if (x < area.Left) x = area.Left;
    if (x == r.Left && y == r.Top) continue;
    if (windowed) {
      w->SetBounds(x, y, r.Width(), r.Height());
    } else {
      bar->SetFloatLeft(x);
      bar->SetFloatTop(y);
    }
  }
}

// --- MDI menu merging -------------------------------------------------------------------------
HWND TdxBarManager::ActiveMDIChild() const {
  if (!ownerForm_ || ownerForm_->FormStyle() != fsMDIForm || !ownerForm_->ClientHandle()) return nullptr;
  return reinterpret_cast<HWND>(SendMessageW(ownerForm_->ClientHandle(), WM_MDIGETACTIVE, 0, 0));
}

void TdxBarManager::HandleMDIChildChange() {
  if (IsDestroying() || !ownerForm_ || ownerForm_->ComponentState().Contains(csDestroying)) return;
  if (ownerForm_->FormStyle() != fsMDIForm) return;
  HWND child = ActiveMDIChild();
  bool maximized = child && IsZoomed(child);
  bool wasMaximized = mdiChildMaximized_;
  mdiChildMaximized_ = maximized;
  bool saved = RedrawSuspended();
  try {
    if (child == prevActiveMDIChild_) {
      if (maximized != wasMaximized) MergeChild(child, maximized, alwaysMerge_, false);
    } else {
      MergeChild(prevActiveMDIChild_, false, false, true);
      MergeChild(child, true, false, false);
    }
  } catch (...) {
    SuspendRedraw(saved);
    prevActiveMDIChild_ = child;
    throw;
  }
  SuspendRedraw(saved);
  if (maximized != wasMaximized && mainMenuBar_ && mainMenuBar_->Control()) {
    mainMenuBar_->Control()->RebuildLayout();
    mainMenuBar_->Control()->Invalidate();
  }
  prevActiveMDIChild_ = child;
}

void TdxBarManager::MergeChild(HWND Child, bool Activate, bool SystemMenuOnly, bool KeepLock) {
  if (!mainMenuBar_ || !ownerForm_ || ownerForm_->FormStyle() != fsMDIForm) return;
  // A child already gone leaves no system-menu entry behind.
  if (!Activate) RemoveSystemMenuItem(this);
  auto* childForm = Child && IsWindow(Child) ? dynamic_cast<TCustomForm*>(ControlOfWindow(Child)) : nullptr;
  if (!childForm) return;
  if (Activate && IsZoomed(Child)) InsertSystemMenuItem(Child, this);
  if (SystemMenuOnly) return;
  TdxBarManager* cm = FindBarManagerOfForm(childForm);
  if (!cm || cm == this || !cm->MainMenuBar()) return;
  TdxBar* childMenu = cm->MainMenuBar();
  TdxBarItemLinks* links = mainMenuBar_->ItemLinks();
  auto holdsChildLinks = [&] {
    for (Integer i = 0; i < links->Count(); ++i)
      if (links->Items(i)->Item() && links->Items(i)->Item()->BarManager() == cm) return true;
    return false;
  };
  if (Activate) {
    if (!(alwaysMerge_ || IsZoomed(Child))) return;
    // Merged already (its Visible was saved then): nothing to add twice.
    if (holdsChildLinks()) return;
    cm->savedMainMenuVisible_ = childMenu->Visible();
    if (OnMenuMerge) {
      OnMenuMerge(this, cm, true);
    } else {
      bool saved = RedrawSuspended();
      SuspendRedraw(true);
      try {
        for (Integer i = 0; i < childMenu->ItemLinks()->Count(); ++i) links->Add()->Assign(childMenu->ItemLinks()->Items(i));
      } catch (...) {
        SuspendRedraw(saved);
        throw;
      }
      SuspendRedraw(saved);
    }
    childMenu->SetVisible(false);
    return;
  }
  bool saved = RedrawSuspended();
  SuspendRedraw(true);
  for (Integer i = links->Count() - 1; i >= 0; --i)
    if (links->Items(i)->Item() && links->Items(i)->Item()->BarManager() == cm) delete links->Items(i);
  if (!KeepLock) SuspendRedraw(saved);
  if (OnMenuMerge) OnMenuMerge(this, cm, false);
  if (!alwaysMerge_ && !childMenu->Visible()) childMenu->SetVisible(cm->savedMainMenuVisible_);
}
