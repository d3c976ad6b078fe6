// The framework's own menus: the toolbar list of a right click on a toolbar
// or dock site, and the customizing popup that changes one link while the
// bars are customized. Both are made of temporary items.
#include "bars/dxBar.h"
#include "platform/Dialogs.h"

namespace {
TdxBarCustomizingPopup* currentPopup = nullptr;
TdxBarItemLink* currentLink = nullptr;
}  // namespace

TdxBarFrameworkPopup::TdxBarFrameworkPopup(TdxBarManager* AOwner) : TdxBarSubMenuControl(AOwner) {
  FreeUnusedTempItems();
  links_ = std::make_unique<TdxBarItemLinks>(AOwner, this);
  SetItemLinks(links_.get());
  links_->SetBarControl(this);
}

TdxBarFrameworkPopup::~TdxBarFrameworkPopup() {
  // The window and its views go before the links they show.
  BeingFreed = true;
  closing_ = true;
  WaitForAnimation();
  if (HandleAllocated()) DestroyHandle();
  DropItemControls();
  links_->SetBarControl(nullptr);
  SetItemLinks(nullptr);
  links_.reset();
}

// --- The toolbar list ----------------------------------------------------------------------------
TdxBarToolbarsPopup::TdxBarToolbarsPopup(TdxBarManager* AOwner) : TdxBarFrameworkPopup(AOwner) {
  Animate = true;
  AOwner->FillToolbarsPopup(ItemLinks());
}

void ToolbarListPopup(TWinControl*, TdxBarManager* Manager, TPoint ScreenPoint) {
  if (!Manager) return;
  auto* popup = new TdxBarToolbarsPopup(Manager);
  if (popup->ItemLinks()->Count() == 0) {
    delete popup;
    return;
  }
  Manager->CloseActiveMenus();
  popup->ShowAt(ScreenPoint.X, ScreenPoint.Y);
}

// Outside customizing a right click on a toolbar lists the toolbars; inside,
// the base handler opens the link's customizing popup.
void TdxBarControl::WMRButtonDownBar(TMessage& M) {
  if (GetCapture() == Handle()) ReleaseCapture();
  bool customizing = InCustomizing();
  if (customizing && active_) SetActive(false);
  TCustomdxBarControl::WMRButtonDownBar(M);
  if (customizing || !IsLiveBarControl(this)) return;
  ToolbarListPopup(this, manager_, ClientToScreen(MessagePoint(M.LParam)));
}

// --- The customizing popup -----------------------------------------------------------------------
namespace {
struct TPopupEntry {
  const char* Caption;
  bool Checked;
  Integer GroupIndex;
  bool BeginGroup;
};
const TPopupEntry kEntries[] = {
    {dxBarStrings::PopupReset, false, 0, false},
    {dxBarStrings::PopupDelete, false, 0, false},
    {dxBarStrings::PopupName, false, 0, true},
    {dxBarStrings::PopupDefaultStyle, true, -1000, true},
    {dxBarStrings::PopupTextOnlyAlways, true, -1000, false},
    {dxBarStrings::PopupTextOnlyInMenus, true, -1000, false},
    {dxBarStrings::PopupImageAndText, true, -1000, false},
    {dxBarStrings::PopupBeginGroup, true, 0, true},
    {dxBarStrings::PopupVisible, true, 0, false},
    {dxBarStrings::PopupMostRecentlyUsed, true, 0, false},
};
const TdxBarPaintStyle kStyles[] = {psStandard, psCaption, psCaptionInMenu, psCaptionGlyph};

// The "&Name:" entry is an edit item showing the link's caption. Its change
// may come while the popup closes: it works on the current link, never on a
// popup that is gone.
void NameEntryChanged(TObject* Sender);
TdxBarItem* MakeCustomizingNameEntry(TComponent* Owner) {
  auto* e = new TdxBarEdit(Owner);
  e->SetShowCaption(true);
  return e;
}

void SetCustomizingNameEntry(TdxBarItem* Entry, const std::string& Text) {
  auto* e = dynamic_cast<TdxBarEdit*>(Entry);
  if (!e) return;
  e->OnChange = nullptr;
  e->SetText(Text);
  e->OnChange = [](TObject* Sender) { NameEntryChanged(Sender); };
}

std::string CustomizingNameEntryText(TdxBarItem* Entry) {
  auto* e = dynamic_cast<TdxBarEdit*>(Entry);
  return e ? e->Text() : std::string();
}

void NameEntryChanged(TObject* Sender) {
  TdxBarItemLink* link = currentLink;
  if (!link) return;
  std::string text = CustomizingNameEntryText(dynamic_cast<TdxBarItem*>(Sender));
  if (!text.empty()) {
    link->SetUserCaption(text);
    return;
  }
  if (currentPopup && IsLiveBarControl(currentPopup)) currentPopup->CloseMenu();
  Application->MessageBox(dxBarStrings::BlankName, Application->Title(), MB_OK | MB_ICONERROR);
}
}  // namespace

TdxBarCustomizingPopup::TdxBarCustomizingPopup(TdxBarManager* AOwner) : TdxBarFrameworkPopup(AOwner) {
  Animate = false;
  Integer count = 8;
  if (AOwner->Designing()) count = AOwner->Style() != bmsStandard ? 10 : 9;
  for (Integer tag = 0; tag < count; ++tag) {
    const TPopupEntry& e = kEntries[tag];
    TdxBarItem* item = nullptr;
    if (tag == 2) {
      item = MakeCustomizingNameEntry(AOwner->OwnerForm());
      if (!item) continue;
    } else {
      auto* b = new TdxBarButton(AOwner->OwnerForm());
      if (e.Checked) b->SetButtonStyle(bsChecked);
      if (e.GroupIndex) b->SetGroupIndex(e.GroupIndex);
      item = b;
    }
    AddTempItem(item);
    item->SetCaption(e.Caption);
    item->SetTag(tag);
    if (tag != 2) item->OnClick = TNotifyEvent(this, &TdxBarCustomizingPopup::EntryClick);
    TdxBarItemLink* l = ItemLinks()->Add();
    l->SetItem(item);
    l->SetBeginGroup(e.BeginGroup);
  }
  AOwner->OnShowCustomizingPopup(AOwner, ItemLinks());
}

TdxBarCustomizingPopup::~TdxBarCustomizingPopup() {
  if (currentPopup == this) currentPopup = nullptr;
}

TdxBarCustomizingPopup* TdxBarCustomizingPopup::Current() { return currentPopup; }
TdxBarItemLink* TdxBarCustomizingPopup::CurrentLink() { return currentLink; }

TdxBarItem* TdxBarCustomizingPopup::Entry(Integer Tag) const {
  for (Integer i = 0; i < ItemLinks()->Count(); ++i)
    if (TdxBarItem* it = ItemLinks()->Items(i)->Item(); it && it->Tag() == Tag) return it;
  return nullptr;
}

void TdxBarCustomizingPopup::PrepareForLink(TdxBarItemLink* Link) {
  currentLink = Link;
  if (!Link) return;
  if (TdxBarItem* name = Entry(2)) SetCustomizingNameEntry(name, Link->EffectiveCaption());
  auto* button = dynamic_cast<TdxBarButton*>(Link->Item());
  bool styles = button && button->CanChangePaintStyle();
  for (Integer i = 0; i < 4; ++i)
    if (auto* b = dynamic_cast<TdxBarButton*>(Entry(3 + i))) {
      b->SetEnabled(styles);
      if (styles ? Link->EffectivePaintStyle() == kStyles[i] : i == 0) b->SetDown(true);
    }
  if (auto* b = dynamic_cast<TdxBarButton*>(Entry(7))) {
    b->SetEnabled(Link->Index() > 0);
    b->SetDown(Link->ReadBeginGroup());
  }
  if (auto* b = dynamic_cast<TdxBarButton*>(Entry(8))) b->SetDown(Link->Visible());
  if (auto* b = dynamic_cast<TdxBarButton*>(Entry(9))) b->SetDown(Link->MostRecentlyUsed());
}

void TdxBarCustomizingPopup::NameChange(TObject* Sender) { NameEntryChanged(Sender); }

void TdxBarCustomizingPopup::EntryClick(TObject* Sender) {
  auto* item = dynamic_cast<TdxBarItem*>(Sender);
  TdxBarItemLink* link = currentLink;
  if (!item || !link) return;
  switch (item->Tag()) {
    case 0: link->SetUserDefine(TdxBarUserDefines()); break;
    case 1:
      currentLink = nullptr;
      delete link;
      break;
    case 3:
    case 4:
    case 5:
    case 6: link->SetUserPaintStyle(kStyles[item->Tag() - 3]); break;
    case 7: link->SetBeginGroup(!link->BeginGroup()); break;
    case 8: link->SetVisible(!link->Visible()); break;
    case 9: link->SetMostRecentlyUsed(!link->MostRecentlyUsed()); break;
    default: break;
  }
}

void ShowCustomizingPopup(TdxBarItemControl* View, TPoint ScreenPoint) {
  if (!View || !View->Link() || !View->BarManager()) return;
  FreeCustomizingPopup();
  auto* popup = new TdxBarCustomizingPopup(View->BarManager());
  currentPopup = popup;
  popup->SetBounds(ScreenPoint.X, ScreenPoint.Y, popup->Width(), popup->Height());
  popup->PrepareForLink(View->Link());
  popup->ShowSubMenuWindow();
}

void FreeCustomizingPopup() {
  if (currentPopup && IsLiveBarControl(currentPopup)) currentPopup->CloseMenu();
  currentPopup = nullptr;
}

void CustomizingPopupLinkFreed(TdxBarItemLink* Link) {
  if (Link && Link == currentLink) currentLink = nullptr;
}
