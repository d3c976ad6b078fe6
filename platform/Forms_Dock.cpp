// TCustomDockForm: the tool window a floating client lives in.
#include "platform/DockTree.h"

TCustomDockForm::TCustomDockForm(TComponent* AOwner) : TCustomForm(AOwner) {
  SetBorderStyle(bsSizeToolWin);
  SetDockSite(true);
}

void TCustomDockForm::GetSiteInfo(TControl*, TRect& InfluenceRect, TPoint, bool& CanDock) {
  InfluenceRect = TRect{};
  CanDock = false;
}

void TCustomDockForm::DoAddDockClient(TControl* Client, const TRect& ARect) {
  TCustomForm::DoAddDockClient(Client, ARect);
  Client->SetAlign(alClient);
  SetCaption(Client->Caption());
  if (Client->Visible()) Show();
}

void TCustomDockForm::DoRemoveDockClient(TControl* Client) {
  TCustomForm::DoRemoveDockClient(Client);
  // The client takes its own size again wherever it went.
  if (Client->Align() == alClient && Client->Parent() != this) Client->SetAlign(alNone);
  ReleaseWhenEmpty();
}

void TCustomDockForm::CMControlListChange(TMessage& Message) {
  TCustomForm::CMControlListChange(Message);
  // The client went away (freed, or moved elsewhere).
  if (Message.LParam == 0) ReleaseWhenEmpty();
}

void TCustomDockForm::ReleaseWhenEmpty() {
  if (releasing_ || ControlCount() > 0) return;
  releasing_ = true;
  Hide();
  Release();
}

void TCustomDockForm::DoClose(TCloseAction& Action) {
  TCustomForm::DoClose(Action);
  // Closing the window hides its client; the client's visibility hides the window.
  if (Action == caHide || Action == caFree)
    for (Integer i = DockClientCount() - 1; i >= 0; --i) DockClients(i)->Hide();
  if (Action == caFree) Action = caHide;
}

void TCustomDockForm::CMDockNotification(TMessage& Message) {
  TCustomForm::CMDockNotification(Message);
  TCMDockNotification m(Message);
  if (!m.NotifyRec) return;
  switch (m.NotifyRec->ClientMsg) {
    case CM_VISIBLECHANGED:
      if (m.NotifyRec->MsgWParam)
        Show();
      else
        Hide();
      break;
    case WM_SETTEXT:
      if (m.NotifyRec->MsgLParam) SetCaption(reinterpret_cast<const char*>(m.NotifyRec->MsgLParam));
      break;
    default:
      break;
  }
}

void TCustomDockForm::Dispatch(TMessage& Message) {
  // Dragging the caption drags the client, so it can dock again.
  if (Message.Msg == WM_NCLBUTTONDOWN && Message.WParam == HTCAPTION && DockClientCount() == 1 &&
      DockClients(0)->DragKind() == dkDock && DockClients(0)->Visible()) {
    DockClients(0)->BeginDrag(false);
    Message.Result = 0;
    return;
  }
  TCustomForm::Dispatch(Message);
}
