#include "platform/Menus.h"

#include <algorithm>
#include <cctype>

#include "platform/ActnList.h"
#include "platform/Forms.h"

// ---------------------------------------------------------------------------
// Shortcuts

TShortCut ShortCut(Word Key, TShiftState Shift) {
  if (Key & 0xFF00) return 0;
  TShortCut s = Key;
  if (Shift.Contains(ssShift)) s |= scShift;
  if (Shift.Contains(ssCtrl)) s |= scCtrl;
  if (Shift.Contains(ssAlt)) s |= scAlt;
  return s;
}

void ShortCutToKey(TShortCut AShortCut, Word& Key, TShiftState& Shift) {
  Key = AShortCut & 0xFF;
  Shift = TShiftState{};
  if (AShortCut & scShift) Shift.Include(ssShift);
  if (AShortCut & scCtrl) Shift.Include(ssCtrl);
  if (AShortCut & scAlt) Shift.Include(ssAlt);
}

namespace {

struct TKeyName {
  Word Key;
  const char* Name;
};
const TKeyName KeyNames[] = {
    {VK_BACK, "BkSp"}, {VK_TAB, "Tab"},     {VK_ESCAPE, "Esc"},  {VK_RETURN, "Enter"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},  {VK_END, "End"},     {VK_HOME, "Home"},    {VK_LEFT, "Left"},
    {VK_UP, "Up"},     {VK_RIGHT, "Right"}, {VK_DOWN, "Down"},   {VK_INSERT, "Ins"},   {VK_DELETE, "Del"},
};

std::string KeyText(Word Key) {
  for (const TKeyName& k : KeyNames)
    if (k.Key == Key) return k.Name;
  if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z')) return std::string(1, static_cast<char>(Key));
  if (Key >= VK_F1 && Key <= VK_F24) return "F" + std::to_string(Key - VK_F1 + 1);
  if (Key >= VK_NUMPAD0 && Key <= VK_DIVIDE) {
    // Keypad keys by the keyboard's own names.
    UINT scan = MapVirtualKeyW(Key, 0);
    wchar_t name[64];
    if (scan && GetKeyNameTextW(static_cast<LONG>(scan << 16), name, 64) > 0) return WideToUtf8(name);
    return std::string();
  }
  UINT ch = MapVirtualKeyW(Key, 2) & 0xFFFF;
  if (ch >= 0x21 && ch < 0x7F) return std::string(1, static_cast<char>(ch));
  return std::string();
}

bool StartsWithNoCase(const std::string& S, size_t Pos, const char* Prefix) {
  size_t n = std::char_traits<char>::length(Prefix);
  if (S.size() - Pos < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(S[Pos + i])) != std::tolower(static_cast<unsigned char>(Prefix[i])))
      return false;
  return true;
}

bool SameTextNoCase(const std::string& A, const std::string& B) {
  return A.size() == B.size() && StartsWithNoCase(A, 0, B.c_str());
}

}  // namespace

std::string ShortCutToText(TShortCut AShortCut) {
  std::string name = KeyText(AShortCut & 0xFF);
  if (name.empty()) return std::string();
  std::string s;
  if (AShortCut & scShift) s += "Shift+";
  if (AShortCut & scCtrl) s += "Ctrl+";
  if (AShortCut & scAlt) s += "Alt+";
  return s + name;
}

TShortCut TextToShortCut(const std::string& Text) {
  TShortCut shift = 0;
  size_t pos = 0;
  for (;;) {
    if (StartsWithNoCase(Text, pos, "Shift+")) {
      shift |= scShift;
      pos += 6;
    } else if (StartsWithNoCase(Text, pos, "Ctrl+")) {
      shift |= scCtrl;
      pos += 5;
    } else if (StartsWithNoCase(Text, pos, "Alt+")) {
      shift |= scAlt;
      pos += 4;
    } else {
      break;
    }
  }
  std::string key = Text.substr(pos);
  if (key.empty()) return 0;
  for (Word k = 8; k < 256; ++k)
    if (SameTextNoCase(KeyText(k), key)) return static_cast<TShortCut>(shift | k);
  return 0;
}

// ---------------------------------------------------------------------------
// Menu items

namespace {
UINT NextCommand() {
  static UINT next = 0x1000;
  if (++next >= 0xF000) next = 0x1000;
  return next;
}
}  // namespace

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), command_(NextCommand()) {}

TMenuItem::~TMenuItem() {
  while (!items_.empty()) {
    TMenuItem* child = items_.back();
    items_.pop_back();
    child->parent_ = nullptr;
    delete child;
  }
  if (parent_) parent_->Remove(this);
}

void TMenuItem::Changed() {
  TMenuItem* top = this;
  while (top->parent_) top = top->parent_;
  if (top->menu_) top->menu_->MenuChanged();
}

void TMenuItem::SetCaption(const std::string& Value) {
  caption_ = Value;
  Changed();
}
void TMenuItem::SetChecked(bool Value) {
  checked_ = Value;
  // Checking a radio item clears the others of its group.
  if (Value && radioItem_ && parent_)
    for (TMenuItem* s : parent_->items_)
      if (s != this && s->radioItem_ && s->groupIndex_ == groupIndex_) s->checked_ = false;
  Changed();
}
void TMenuItem::SetEnabled(bool Value) {
  enabled_ = Value;
  Changed();
}
void TMenuItem::SetVisible(bool Value) {
  visible_ = Value;
  Changed();
}
void TMenuItem::SetDefault(bool Value) {
  default_ = Value;
  Changed();
}
void TMenuItem::SetRadioItem(bool Value) {
  radioItem_ = Value;
  Changed();
}
void TMenuItem::SetShortCut(TShortCut Value) {
  shortCut_ = Value;
  Changed();
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(Integer Index, TMenuItem* Item) {
  if (!Item) return;
  if (Item->parent_) throw EInvalidOperation("Menu inserted twice");
  if (Index < 0 || Index > Count()) throw EListError("Menu index out of range");
  items_.insert(items_.begin() + Index, Item);
  Item->parent_ = this;
  Changed();
}

void TMenuItem::Delete(Integer Index) {
  if (Index < 0 || Index >= Count()) throw EListError("Menu index out of range");
  TMenuItem* item = items_[static_cast<size_t>(Index)];
  items_.erase(items_.begin() + Index);
  item->parent_ = nullptr;
  Changed();
}

void TMenuItem::Remove(TMenuItem* Item) {
  Integer i = IndexOf(Item);
  if (i < 0) throw EListError("Menu item not found");
  Delete(i);
}

void TMenuItem::Clear() {
  while (!items_.empty()) delete items_.back();
}

Integer TMenuItem::IndexOf(const TMenuItem* Item) const {
  auto it = std::find(items_.begin(), items_.end(), Item);
  return it == items_.end() ? -1 : static_cast<Integer>(it - items_.begin());
}

TMenuItem* TMenuItem::Find(UINT ACommand) {
  if (command_ == ACommand) return this;
  for (TMenuItem* i : items_)
    if (TMenuItem* f = i->Find(ACommand)) return f;
  return nullptr;
}

TMenuItem* TMenuItem::FindShortCut(TShortCut AShortCut) {
  if (!AShortCut) return nullptr;
  for (TMenuItem* i : items_) {
    if (!i->visible_ || !i->enabled_) continue;
    if (i->shortCut_ == AShortCut) return i;
    if (TMenuItem* f = i->FindShortCut(AShortCut)) return f;
  }
  return nullptr;
}

void TMenuItem::Click() {
  if (!enabled_) return;
  // OnClick still holding the copy of the action's handler made when linking
  // is not the client's own (the action's OnExecute may have changed since).
  if (OnClick && Action() && !actionLink_->IsActionHandler(OnClick))
    OnClick(this);
  else if (!ComponentState().Contains(csDesigning) && actionLink_)
    actionLink_->Execute(this);
  else
    OnClick(this);
}

TBasicAction* TMenuItem::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TMenuItem::SetAction(TBasicAction* Value) {
  if (!Value) {
    actionLink_.reset();
    return;
  }
  if (!actionLink_) actionLink_ = CreateActionLink();
  actionLink_->SetAction(Value);
  actionLink_->OnChange = TNotifyEvent(this, &TMenuItem::DoActionChange);
  ActionChange(Value, Value->ComponentState().Contains(csLoading));
  Value->FreeNotification(this);
}

std::unique_ptr<TMenuActionLink> TMenuItem::CreateActionLink() { return std::make_unique<TMenuActionLink>(this); }

void TMenuItem::DoActionChange(TObject* Sender) {
  if (Sender && Sender == Action()) ActionChange(Sender, false);
}

void TMenuItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || caption_.empty()) SetCaption(a->Caption());
  if (!CheckDefaults || !checked_) SetChecked(a->Checked());
  if (!CheckDefaults || enabled_) SetEnabled(a->Enabled());
  if (!CheckDefaults || hint_.empty()) SetHint(a->Hint());
  if (!CheckDefaults || helpContext_ == 0) SetHelpContext(a->HelpContext());
  if (!CheckDefaults || imageIndex_ == -1) SetImageIndex(a->ImageIndex());
  if (!CheckDefaults || shortCut_ == 0) SetShortCut(a->ShortCut());
  if (!CheckDefaults || visible_) SetVisible(a->Visible());
  if (!CheckDefaults || !OnClick) {
    OnClick = a->OnExecute;
    if (actionLink_) actionLink_->SetCopiedOnExecute(OnClick);
  }
}

void TMenuItem::InitiateAction() {
  if (actionLink_) actionLink_->Update();
}

bool TMenuItem::IsCaptionStored() const { return !actionLink_ || !actionLink_->IsCaptionLinked(); }
bool TMenuItem::IsCheckedStored() const { return !actionLink_ || !actionLink_->IsCheckedLinked(); }
bool TMenuItem::IsEnabledStored() const { return !actionLink_ || !actionLink_->IsEnabledLinked(); }
bool TMenuItem::IsHelpContextStored() const { return !actionLink_ || !actionLink_->IsHelpContextLinked(); }
bool TMenuItem::IsHintStored() const { return !actionLink_ || !actionLink_->IsHintLinked(); }
bool TMenuItem::IsImageIndexStored() const { return !actionLink_ || !actionLink_->IsImageIndexLinked(); }
bool TMenuItem::IsShortCutStored() const { return !actionLink_ || !actionLink_->IsShortCutLinked(); }
bool TMenuItem::IsVisibleStored() const { return !actionLink_ || !actionLink_->IsVisibleLinked(); }
bool TMenuItem::IsOnClickStored() const { return !actionLink_ || !actionLink_->IsOnExecuteLinked(); }

void TMenuItem::AppendTo(HMENU Menu) {
  for (TMenuItem* i : items_) {
    if (!i->visible_) continue;
    if (i->IsLine()) {
      AppendMenuW(Menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    std::string text = i->caption_;
    std::string sc = ShortCutToText(i->shortCut_);
    if (!sc.empty()) text += "\t" + sc;
    UINT flags = MF_STRING | (i->enabled_ ? MF_ENABLED : MF_GRAYED) | (i->checked_ ? MF_CHECKED : 0);
    std::wstring w = Utf8ToWide(text);
    if (!i->items_.empty()) {
      HMENU sub = CreatePopupMenu();
      i->AppendTo(sub);
      AppendMenuW(Menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), w.c_str());
    } else {
      AppendMenuW(Menu, flags, i->command_, w.c_str());
    }
    if (i->default_) SetMenuDefaultItem(Menu, i->command_, FALSE);
  }
}

TComponent* TMenuItem::GetParentComponent() const {
  if (parent_ && parent_->menu_) return parent_->menu_;
  return parent_;
}

void TMenuItem::SetParentComponent(TComponent* Value) {
  if (parent_) parent_->Remove(this);
  if (auto* item = dynamic_cast<TMenuItem*>(Value))
    item->Add(this);
  else if (auto* menu = dynamic_cast<TMenu*>(Value))
    menu->Items()->Add(this);
}

void TMenuItem::GetChildren(const TGetChildProc& Proc, TComponent*) {
  for (TMenuItem* i : items_) Proc(i);
}

// ---------------------------------------------------------------------------
// Menus

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), items_(std::make_unique<TMenuItem>(nullptr)) {
  items_->menu_ = this;
}

TMenu::~TMenu() {
  items_.reset();
  if (handle_) DestroyMenu(handle_);
}

void TMenu::MenuChanged() {
  if (handle_) {
    DestroyMenu(handle_);
    handle_ = nullptr;
  }
}

HMENU TMenu::Handle() {
  if (!handle_) {
    handle_ = CreateMenuHandle();
    items_->AppendTo(handle_);
  }
  return handle_;
}

bool TMenu::DispatchCommand(UINT Command) {
  TMenuItem* item = items_->Find(Command);
  if (!item || item == items_.get()) return false;
  item->Click();
  return true;
}

bool TMenu::IsShortCut(TShortCut AShortCut) {
  TMenuItem* item = items_->FindShortCut(AShortCut);
  if (!item) return false;
  item->Click();
  return true;
}

void TMenu::GetChildren(const TGetChildProc& Proc, TComponent* Root) { items_->GetChildren(Proc, Root); }

TMainMenu::~TMainMenu() {
  // The window must not keep a menu that is about to be destroyed.
  SetWindowHandle(nullptr);
}

void TMainMenu::SetWindowHandle(HWND Value) {
  HWND old = windowHandle_;
  windowHandle_ = Value;
  if (old && old != Value && IsWindow(old) && handle_ && GetMenu(old) == handle_) {
    ::SetMenu(old, nullptr);
    DrawMenuBar(old);
  }
  if (Value && GetMenu(Value) != Handle()) {
    ::SetMenu(Value, Handle());
    DrawMenuBar(Value);
  }
}

void TMainMenu::SetTracking(bool Value) {
  tracking_ = Value;
  if (!Value && changedWhileTracking_) {
    changedWhileTracking_ = false;
    MenuChanged();
  }
}

void TMainMenu::MenuChanged() {
  if (tracking_ && handle_) {
    changedWhileTracking_ = true;
    return;
  }
  // The window showing the menu gets the rebuilt one.
  HMENU old = handle_;
  handle_ = nullptr;
  if (old && windowHandle_ && IsWindow(windowHandle_) && GetMenu(windowHandle_) == old) {
    ::SetMenu(windowHandle_, Handle());
    DrawMenuBar(windowHandle_);
  }
  if (old) DestroyMenu(old);
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}
TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::Popup(Integer X, Integer Y) {
  DoPopup(this);
  HWND owner = Application ? Application->Handle() : nullptr;
  if (auto* c = dynamic_cast<TWinControl*>(popupComponent_); c && c->HandleAllocated()) owner = c->Handle();
  static const UINT Align[] = {TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN};
  MenuChanged();
  UINT cmd = static_cast<UINT>(TrackPopupMenu(Handle(), Align[alignment_] | TPM_RIGHTBUTTON | TPM_RETURNCMD, X, Y,
                                              0, owner, nullptr));
  if (cmd) DispatchCommand(cmd);
}
