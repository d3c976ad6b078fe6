// Page control as a dock site: each docked control lives on a sheet made for
// it, the sheet's tab follows the control, and the sheet goes when the control
// leaves. The platform's docking moves the controls; this only keeps sheets.
#include <string>

#include "controls/RzTabs.h"
#include "platform/Forms.h"

TRzTabSheet* TRzPageControl::PageOfDockClient(TControl* Client) const {
  if (!Client || Client->HostDockSite() != this) return nullptr;
  for (TRzTabSheet* p : pages_)
    if (Client->Parent() == p) return p;
  return nullptr;
}

TControl* TRzPageControl::DockClientAtPos(Integer X, Integer Y) {
  if (!DockSite()) return nullptr;
  TRzTabSheet* page = PageForTab(TabAtPos(X, Y));
  if (!page) return nullptr;
  for (Integer i = 0; i < DockClientCount(); ++i)
    if (DockClients(i)->Parent() == page) return DockClients(i);
  return nullptr;
}

void TRzPageControl::GetSiteInfo(TControl* Client, TRect& InfluenceRect, TPoint MousePos, bool& CanDock) {
  TRzCustomTabControl::GetSiteInfo(Client, InfluenceRect, MousePos, CanDock);
  if (PageOfDockClient(Client)) CanDock = false;
}

void TRzPageControl::DockOver(TDragDockObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
  // A docked control takes a whole page, so the drop shows as the whole control.
  RECT r;
  ::GetWindowRect(Handle(), &r);
  Source->SetDockRect(Rect(r.left, r.top, r.right, r.bottom));
  OnDockOver(this, Source, X, Y, State, Accept);
}

void TRzPageControl::CMDockClient(TMessage& Message) {
  TCMDockClient m(Message);
  Message.Result = 0;
  TControl* client = m.DockSource->Control();
  if (TRzTabSheet* own = PageOfDockClient(client)) {
    // Docked here again (ManualDock): it stays on its sheet, which it no longer leaves.
    undockingPage_ = nullptr;
    client->SetAlign(alClient);
    if (client->Visible()) SetActivePage(own);
    return;
  }
  TRzTabSheet* sheet = new TRzTabSheet(this);
  newDockSheet_ = sheet;
  try {
    if (auto* form = dynamic_cast<TCustomForm*>(client)) sheet->SetCaption(form->Caption());
    sheet->SetPageControl(this);
    TPoint o = ClientToScreen(Point(0, 0));
    TRect r = m.DockSource->DockRect();
    client->Dock(this, Rect(r.Left - o.X, r.Top - o.Y, r.Right - o.X, r.Bottom - o.Y));
  } catch (...) {
    newDockSheet_ = nullptr;
    delete sheet;
    throw;
  }
  newDockSheet_ = nullptr;
  bool visible = client->Visible();
  sheet->SetTabVisible(visible);
  if (visible) SetActivePage(sheet);
  client->SetAlign(alClient);
}

void TRzPageControl::DoAddDockClient(TControl* Client, const TRect&) {
  if (newDockSheet_) Client->SetParent(newDockSheet_);
}

void TRzPageControl::CMUndockClient(TMessage& Message) {
  TCMUnDockClient m(Message);
  Message.Result = 0;
  if (TRzTabSheet* page = PageOfDockClient(m.Client)) {
    undockingPage_ = page;
    m.Client->SetAlign(alNone);
  }
}

void TRzPageControl::DoRemoveDockClient(TControl*) {
  TRzTabSheet* page = undockingPage_;
  undockingPage_ = nullptr;
  if (!page || ComponentState().Contains(csDestroying)) return;
  // A docked control still on the sheet would go with it.
  for (Integer i = 0; i < DockClientCount(); ++i)
    if (DockClients(i)->Parent() == page) return;
  SelectAdjacentPage(true);
  delete page;
}

void TRzPageControl::CMDockNotification(TMessage& Message) {
  TCMDockNotification m(Message);
  if (TRzTabSheet* page = m.NotifyRec ? PageOfDockClient(m.Client) : nullptr) {
    switch (m.NotifyRec->ClientMsg) {
      case WM_SETTEXT: {
        // A tab shows one line: the text up to its first line break.
        std::string s = m.NotifyRec->MsgLParam ? reinterpret_cast<const char*>(m.NotifyRec->MsgLParam) : "";
        page->SetCaption(s.substr(0, s.find_first_of("\r\n")));
        break;
      }
      case CM_VISIBLECHANGED:
        page->SetTabVisible(m.NotifyRec->MsgWParam != 0);
        break;
      default:
        break;
    }
  }
  TRzCustomTabControl::CMDockNotification(Message);
}

void TRzPageControl::WMLButtonDown(TMessage& Message) {
  TRzCustomTabControl::WMLButtonDown(Message);
  TPoint p = MessagePoint(Message.LParam);
  if (TControl* client = DockClientAtPos(p.X, p.Y)) client->BeginDrag(false);
}

void TRzPageControl::WMLButtonDblClk(TMessage& Message) {
  TRzCustomTabControl::WMLButtonDblClk(Message);
  TPoint p = MessagePoint(Message.LParam);
  if (TControl* client = DockClientAtPos(p.X, p.Y)) client->ManualDock(nullptr);
}
