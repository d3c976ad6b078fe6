// The customizing form: one modeless dialog for the whole program while a
// manager is customized at run time, with its toolbars, commands and options
// pages, and the two owner-drawn lists it puts in place of its placeholders.
#include <algorithm>
#include <cstdlib>

#include "bars/dxBar.h"
#include "platform/Dialogs.h"
#include "platform/SysUtils.h"
#include "platform/TypInfo.h"

namespace {

constexpr const char* kDeleteBarQuestion = "Are you sure you want to delete the '%s' toolbar?";
constexpr const char* kNewBarCaption = "Custom ";
constexpr const char* kAnimationNames[] = {"(None)", "Random", "Unfold", "Slide"};
constexpr Integer kCommandRowHeight = 22;
constexpr Integer kCommandGlyphColumn = 24;

TdxBarCustomizingForm* g_customizingForm = nullptr;
HHOOK g_disabledFormsMouseHook = nullptr;

// The mouse messages of the client area for those of a disabled window.
UINT ClientMouseMessage(WPARAM NonClient) {
  switch (NonClient) {
    case WM_NCMOUSEMOVE: return WM_MOUSEMOVE;
    case WM_NCLBUTTONDOWN: return WM_LBUTTONDOWN;
    case WM_NCLBUTTONUP: return WM_LBUTTONUP;
    case WM_NCLBUTTONDBLCLK: return WM_LBUTTONDBLCLK;
    case WM_NCRBUTTONDOWN: return WM_RBUTTONDOWN;
    case WM_NCRBUTTONUP: return WM_RBUTTONUP;
    default: return 0;
  }
}

// The dialog disables the forms of the managers, which would also keep the
// mouse from their docked bars. While customizing, the mouse over a bar window
// of a disabled form reaches that window all the same (as client messages),
// so placed links can still be dragged along, between and off the bars.
LRESULT CALLBACK DisabledFormsMouseHook(int Code, WPARAM WParam, LPARAM LParam) {
  if (Code == HC_ACTION && g_customizingForm) {
    auto* mh = reinterpret_cast<MOUSEHOOKSTRUCT*>(LParam);
    UINT msg = ClientMouseMessage(WParam);
    if (static_cast<LONG>(mh->wHitTestCode) == HTERROR && msg && mh->hwnd && !IsWindowEnabled(mh->hwnd)) {
      POINT c = mh->pt;
      ScreenToClient(mh->hwnd, &c);
      HWND target = DeepChildWindowFromPoint(mh->hwnd, c);
      auto* bar = dynamic_cast<TCustomdxBarControl*>(ControlOfWindow(target));
      if (bar && IsLiveBarControl(bar) && bar->BarManager() && bar->BarManager()->IsCustomizing()) {
        POINT p = mh->pt;
        ScreenToClient(target, &p);
        WPARAM keys = 0;
        if (GetKeyState(VK_LBUTTON) < 0) keys |= MK_LBUTTON;
        if (GetKeyState(VK_RBUTTON) < 0) keys |= MK_RBUTTON;
        if (GetKeyState(VK_CONTROL) < 0) keys |= MK_CONTROL;
        if (GetKeyState(VK_SHIFT) < 0) keys |= MK_SHIFT;
        PostMessageW(target, msg, keys, MAKELPARAM(p.x, p.y));
        return 1;
      }
    }
  }
  return CallNextHookEx(g_disabledFormsMouseHook, Code, WParam, LParam);
}

void RegisterCustomizingFormClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  using F = TdxBarCustomizingForm;
  RegisterClassInfo<F, TForm>("TdxBarCustomizingForm");
  RegisterHandlers<F>({{"BCloseClick", &F::BCloseClick},
                       {"BHelpClick", &F::BHelpClick},
                       {"FormClose", &F::FormClose},
                       {"BBarNewClick", &F::BBarNewClick},
                       {"BBarRenameClick", &F::BBarRenameClick},
                       {"BBarDeleteClick", &F::BBarDeleteClick},
                       {"BBarResetClick", &F::BBarResetClick},
                       {"LCategoriesClick", &F::LCategoriesClick},
                       {"ComboBoxMenuAnimationsClick", &F::ComboBoxMenuAnimationsClick},
                       {"CBHint1Click", &F::CBHint1Click},
                       {"CBHint2Click", &F::CBHint2Click},
                       {"CBLargeIconsClick", &F::CBLargeIconsClick},
                       {"CBMenusShowRecentItemsFirstClick", &F::CBMenusShowRecentItemsFirstClick},
                       {"CBShowFullMenusAfterDelayClick", &F::CBShowFullMenusAfterDelayClick},
                       {"BResetUsageDataClick", &F::BResetUsageDataClick}});
  RegisterFields<F>({{"Panel1", &F::Panel1},
                     {"BClose", &F::BClose},
                     {"BHelp", &F::BHelp},
                     {"PageControl", &F::PageControl},
                     {"TabSheet1", &F::TabSheet1},
                     {"TabSheet2", &F::TabSheet2},
                     {"TabSheet3", &F::TabSheet3},
                     {"LabelToobars", &F::LabelToobars},
                     {"BarsListBoxPlace", &F::BarsListBoxPlace},
                     {"BBarNew", &F::BBarNew},
                     {"BBarRename", &F::BBarRename},
                     {"BBarDelete", &F::BBarDelete},
                     {"BBarReset", &F::BBarReset},
                     {"LabelCategories", &F::LabelCategories},
                     {"LCategories", &F::LCategories},
                     {"LabelCommands", &F::LabelCommands},
                     {"LCommandsPlace", &F::LCommandsPlace},
                     {"LabelDescription", &F::LabelDescription},
                     {"DescriptionLabel", &F::DescriptionLabel},
                     {"StandardOptionsPanel", &F::StandardOptionsPanel},
                     {"LabelMenuAnimations", &F::LabelMenuAnimations},
                     {"ComboBoxMenuAnimations", &F::ComboBoxMenuAnimations},
                     {"CBHint1", &F::CBHint1},
                     {"CBHint2", &F::CBHint2},
                     {"CBLargeIcons", &F::CBLargeIcons},
                     {"EnhancedOptionsPanel", &F::EnhancedOptionsPanel},
                     {"Label3", &F::Label3},
                     {"Label2", &F::Label2},
                     {"Label1", &F::Label1},
                     {"CBMenusShowRecentItemsFirst", &F::CBMenusShowRecentItemsFirst},
                     {"CBShowFullMenusAfterDelay", &F::CBShowFullMenusAfterDelay},
                     {"BResetUsageData", &F::BResetUsageData},
                     {"CBLargeIconsEx", &F::CBLargeIconsEx},
                     {"CBHint1Ex", &F::CBHint1Ex},
                     {"CBHint2Ex", &F::CBHint2Ex},
                     {"ComboBoxMenuAnimationsEx", &F::ComboBoxMenuAnimationsEx}});
}

// Text width in a control's font, as the user sees it (accelerator marks left out).
Integer ShownCaptionWidth(TControl* Control, const std::string& Text) {
  return dxBarFontTextExtent(Control->Font(), StripAccelerators(Text)).cx;
}

// A proposal for a new toolbar: the first "Custom n" that no bar uses as its
// name or its caption (a caption in use would be refused by the bar).
std::string ProposeBarCaption(TdxBarManager* M) {
  for (Integer n = 1;; ++n) {
    std::string s = kNewBarCaption + std::to_string(n);
    if (!M->BarByName(s) && !M->BarByCaption(s)) return s;
  }
}

void SetCheckedQuietly(TCheckBox* Box, bool Value) {
  if (Box) Box->SetChecked(Value);
}

}  // namespace

TdxBarCustomizingForm* dxBarCustomizingForm() { return g_customizingForm; }

// --- The list of bars ----------------------------------------------------------------

TCheckListBox::TCheckListBox(TComponent* AOwner) : TListBox(AOwner) { SetStyle(lbOwnerDrawFixed); }

TdxBar* TCheckListBox::Bars(Integer Index) {
  if (Index < 0 || Index >= Items()->Count()) return nullptr;
  return dynamic_cast<TdxBar*>(Items()->Objects(Index));
}

bool TCheckListBox::InCheckSquare(Integer Index, TPoint P) {
  if (Index < 0) return false;
  TRect r = ItemRect(Index);
  return P.X >= r.Left && P.X < r.Left + r.Height() && P.Y >= r.Top && P.Y < r.Bottom;
}

void TCheckListBox::ToggleRow(Integer Index) {
  TdxBar* bar = Bars(Index);
  if (!bar) return;
  if (!bar->InToolbarsList()) {
    MessageBeep(0);
    return;
  }
  bar->SetVisible(!bar->Visible());
  if (HandleAllocated()) {
    RECT r = *ItemRect(Index).AsRECT();
    InvalidateRect(Handle(), &r, FALSE);
  }
}

void TCheckListBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState) {
  TCanvas* c = Canvas();
  TdxBar* bar = Bars(Index);
  Integer side = Rect.Height();
  TRect square{Rect.Left, Rect.Top, Rect.Left + side, Rect.Bottom};
  TRect text{square.Right, Rect.Top, Rect.Right, Rect.Bottom};
  c->FillRect(text);
  HDC dc = c->Handle();
  FillRect(dc, square.AsRECT(), GetSysColorBrush(COLOR_WINDOW));
  RECT box = *square.AsRECT();
  InflateRect(&box, -1, -1);
  UINT state = DFCS_BUTTONCHECK;
  if (bar && bar->Visible()) state |= DFCS_CHECKED;
  if (!bar || !bar->InToolbarsList()) state |= DFCS_INACTIVE;
  DrawFrameControl(dc, &box, DFC_BUTTON, state);
  if (Index >= 0 && Index < Items()->Count()) c->TextRect(text, text.Left + 2, text.Top + 1, Items()->Strings(Index));
}

void TCheckListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      TPoint p{static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam))};
      TListBox::Dispatch(Message);
      Integer row = ItemAtPos(p, true);
      // A click in the square toggles; a double click anywhere on the row too
      // (in the square it counts as the second click).
      if (row >= 0 && (Message.Msg == WM_LBUTTONDBLCLK || InCheckSquare(row, p))) ToggleRow(row);
      return;
    }
    case WM_KEYDOWN:
      if (Message.WParam == VK_SPACE) {
        ToggleRow(ItemIndex());
        Message.Result = 0;
        return;
      }
      TListBox::Dispatch(Message);
      return;
    case WM_CHAR:
      if (Message.WParam == ' ') return;
      TListBox::Dispatch(Message);
      return;
    default: TListBox::Dispatch(Message); return;
  }
}

// --- The list of commands -------------------------------------------------------------

TCommandsListBox::TCommandsListBox(TComponent* AOwner) : TListBox(AOwner) { SetStyle(lbOwnerDrawVariable); }

TdxBarItem* TCommandsListBox::ItemOfRow(Integer Index) {
  if (Index < 0 || Index >= Items()->Count()) return nullptr;
  return dynamic_cast<TdxBarItem*>(Items()->Objects(Index));
}

void TCommandsListBox::MeasureItem(Integer, Integer& Height) { Height = kCommandRowHeight; }

void TCommandsListBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
  TdxBarItem* item = ItemOfRow(Index);
  HDC dc = Canvas()->Handle();
  const bool selected = State.Contains(odSelected);
  const bool flat = Manager && Manager->IsFlat();
  HBRUSH face = flat && Manager->FlatBackgroundBrush() ? Manager->FlatBackgroundBrush() : GetSysColorBrush(COLOR_BTNFACE);
  RECT all = *Rect.AsRECT();
  FillRect(dc, &all, face);
  if (!item) return;
  const bool enabled = item->Enabled();
  TRect glyphCell{Rect.Left, Rect.Top, Rect.Left + kCommandGlyphColumn, Rect.Bottom};
  TRect body{glyphCell.Right, Rect.Top, Rect.Right, Rect.Bottom};
  if (selected) {
    if (flat) {
      HBRUSH hot = Manager->FlatHotBrush() ? Manager->FlatHotBrush() : GetSysColorBrush(COLOR_HIGHLIGHT);
      FillRect(dc, &all, hot);
      FrameRect(dc, &all, GetSysColorBrush(COLOR_HIGHLIGHT));
    } else {
      RECT b = *body.AsRECT();
      FillRect(dc, &b, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
  }
  if (Manager) {
    Integer gs = Manager->GlyphSize();
    Integer gx = glyphCell.Left + (glyphCell.Width() - gs) / 2, gy = glyphCell.Top + (glyphCell.Height() - gs) / 2;
    DrawBarGlyph(dc, face, glyphCell, Manager->ImageListBkColor(), false, selected, flat, false, enabled,
                 item->ImageIndex(), Manager->Images(), item->Glyph(), TRect{gx, gy, gx + gs, gy + gs});
  }
  // The right-hand part: a sub-menu arrow, or a button's drop-down part.
  Integer arrowWidth = Manager ? Manager->DropDownArrowWidth() + 4 : 13;
  TRect textRect{body.Left + 4, body.Top, body.Right - arrowWidth, body.Bottom};
  TRect arrow{body.Right - arrowWidth, body.Top, body.Right, body.Bottom};
  std::string caption = item->Caption();
  const bool plainSelected = selected && !flat;
  if (dynamic_cast<TCustomdxBarContainerItem*>(item)) {
    caption = "(" + caption + ")";
  } else if (dynamic_cast<TdxBarEdit*>(item)) {
    // The edit box on the right, with the drop-down button of a combo.
    Integer boxWidth = std::max<Integer>(body.Width() * 2 / 5, 40);
    RECT box{body.Right - boxWidth - 2, body.Top + 3, body.Right - 2, body.Bottom - 3};
    textRect.Right = box.left - 4;
    FillRect(dc, &box, GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    if (flat)
      FrameRect(dc, &box, GetSysColorBrush(COLOR_BTNSHADOW));
    else
      DrawEdge(dc, &box, EDGE_SUNKEN, BF_RECT);
    if (dynamic_cast<TCustomdxBarCombo*>(item)) {
      Integer bw = Manager ? Manager->DropDownArrowWidth() + 4 : 13;
      RECT button{box.right - 2 - bw, box.top + 2, box.right - 2, box.bottom - 2};
      if (flat)
        FillRect(dc, &button, face);
      else
        DrawEdge(dc, &button, EDGE_RAISED, BF_RECT | BF_MIDDLE);
      DrawArrow(dc, TRect{button.left, button.top, button.right, button.bottom}, true, flat, false, enabled);
    }
  } else if (dynamic_cast<TCustomdxBarSubItem*>(item)) {
    DrawArrow(dc, arrow, false, flat, plainSelected, enabled);
  } else if (auto* button = dynamic_cast<TdxBarButton*>(item); button && button->ButtonStyle() == bsDropDown) {
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(plainSelected ? COLOR_HIGHLIGHTTEXT : COLOR_BTNSHADOW));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, arrow.Left, arrow.Top + 3, nullptr);
    LineTo(dc, arrow.Left, arrow.Bottom - 3);
    SelectObject(dc, old);
    DeleteObject(pen);
    DrawArrow(dc, TRect{arrow.Left + 1, arrow.Top, arrow.Right, arrow.Bottom}, true, flat, plainSelected, enabled);
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(!enabled ? COLOR_GRAYTEXT : plainSelected ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT));
  std::wstring w = Utf8ToWide(caption);
  RECT tr = *textRect.AsRECT();
  DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), &tr, DT_SINGLELINE | DT_VCENTER);
}

void TCommandsListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEACTIVATE: {
      // The row under the pointer is selected as the list is activated.
      TListBox::Dispatch(Message);
      POINT p;
      GetCursorPos(&p);
      ::ScreenToClient(Handle(), &p);
      Integer row = ItemAtPos(TPoint{p.x, p.y}, true);
      if (row >= 0 && row != ItemIndex()) {
        SetItemIndex(row);
        Click();
      }
      return;
    }
    case WM_LBUTTONDOWN: {
      TPoint p{static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam))};
      TListBox::Dispatch(Message);
      pressRow_ = ItemAtPos(p, true);
      pressPoint_ = p;
      return;
    }
    case WM_MOUSEMOVE: {
      TPoint p{static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam))};
      if (pressRow_ >= 0 && (Message.WParam & MK_LBUTTON) &&
          (std::abs(p.X - pressPoint_.X) > GetSystemMetrics(SM_CXDRAG) ||
           std::abs(p.Y - pressPoint_.Y) > GetSystemMetrics(SM_CYDRAG))) {
        Integer row = pressRow_;
        pressRow_ = -1;
        StartDrag(row);
        return;
      }
      TListBox::Dispatch(Message);
      return;
    }
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      pressRow_ = -1;
      TListBox::Dispatch(Message);
      return;
    case WM_SETFOCUS:
      TListBox::Dispatch(Message);
      if (ItemIndex() < 0 && Items()->Count() > 0) {
        SetItemIndex(0);
        Click();
      }
      return;
    default: TListBox::Dispatch(Message); return;
  }
}

void TCommandsListBox::StartDrag(Integer Row) {
  TdxBarItem* item = ItemOfRow(Row);
  if (!item || !Manager) return;
  // The list lets go of the mouse; the manager's drag loop takes it.
  if (GetCapture() == Handle()) ReleaseCapture();
  Manager->DragItem(item, nullptr);
}

// --- The form ---------------------------------------------------------------------------

TdxBarCustomizingForm::TdxBarCustomizingForm(TComponent* AOwner) : TForm(AOwner) {
  RegisterCustomizingFormClasses();
}

TdxBarCustomizingForm::~TdxBarCustomizingForm() {
  closing_ = true;
  if (g_customizingForm == this) {
    g_customizingForm = nullptr;
    if (g_disabledFormsMouseHook) UnhookWindowsHookEx(g_disabledFormsMouseHook);
    g_disabledFormsMouseHook = nullptr;
  }
  EnableRememberedForms();
  TdxBarManager* m = manager_;
  if (m) {
    m->RemoveFreeNotification(this);
    manager_ = nullptr;
    if (m->IsCustomizing() && !m->Designing()) m->SetCustomizing(false);
  }
}

void TdxBarCustomizingForm::EnableRememberedForms() {
  std::vector<TCustomForm*> forms;
  forms.swap(disabledForms_);
  for (TCustomForm* f : forms) {
    f->RemoveFreeNotification(this);
    f->SetEnabled(true);
  }
}

void TdxBarCustomizingForm::Notification(TComponent* AComponent, TOperation Operation) {
  TForm::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  disabledForms_.erase(std::remove(disabledForms_.begin(), disabledForms_.end(), AComponent), disabledForms_.end());
  if (AComponent == manager_) {
    // The manager goes first: the form has nothing left to customize.
    manager_ = nullptr;
    if (HandleAllocated()) ::ShowWindow(Handle(), SW_HIDE);
    Release();
  }
}

void TdxBarCustomizingForm::Setup(TdxBarManager* Manager) {
  manager_ = Manager;
  manager_->FreeNotification(this);
  Font()->SetName(Manager->Font()->Name());
  Font()->SetCharset(Manager->Font()->Charset());

  // Sizes that follow the captions.
  BClose->SetWidth(ShownCaptionWidth(BClose, BClose->Caption()) + 49);
  BClose->SetLeft(Panel1->ClientWidth() - BClose->Width() - 8);
  BResetUsageData->SetWidth(ShownCaptionWidth(BResetUsageData, BResetUsageData->Caption()) + 17);
  ApplyOptionsLayout();
  BHelp->Glyph()->Assign(Manager->HelpButtonGlyph());
  BHelp->SetVisible(!Manager->Designing());

  // The two owner-drawn lists take the places of their placeholders.
  BarsListBox = new TCheckListBox(this);
  BarsListBox->SetName("BarsListBox");
  BarsListBox->SetParent(BarsListBoxPlace->Parent());
  BarsListBox->SetBoundsRect(BarsListBoxPlace->BoundsRect());
  BarsListBox->SetTabOrder(0);
  BarsListBox->OnClick = TNotifyEvent(this, &TdxBarCustomizingForm::BarsListBoxClick);
  delete BarsListBoxPlace;
  BarsListBoxPlace = nullptr;

  CommandsList = new TCommandsListBox(this);
  CommandsList->SetName("CommandsList");
  CommandsList->Manager = Manager;
  CommandsList->SetParent(LCommandsPlace->Parent());
  CommandsList->SetBoundsRect(LCommandsPlace->BoundsRect());
  CommandsList->SetColor(clBtnFace);
  CommandsList->SetTabOrder(1);
  CommandsList->OnClick = TNotifyEvent(this, &TdxBarCustomizingForm::CommandsListClick);
  delete LCommandsPlace;
  LCommandsPlace = nullptr;

  BBarReset->SetVisible(!Manager->Designing() && Manager->CanReset());
  FillBars();
  FillCategories();
  LoadOptions();
  PageControl->SetActivePage(TabSheet1);
}

void TdxBarCustomizingForm::ApplyOptionsLayout() {
  auto place = [](TLabel* Label, TComboBox* Combo) {
    if (!Label || !Combo) return;
    Integer longest = 0;
    for (const char* s : kAnimationNames) longest = std::max(longest, ShownCaptionWidth(Combo, s));
    Combo->SetWidth(longest + 54);
    Integer right = Label->Left() + ShownCaptionWidth(Label, Label->Caption());
    if (Combo->Left() < right + 10) Combo->SetLeft(right + 10);
    if (Combo->Items()->Count() == 0)
      for (const char* s : kAnimationNames) Combo->Items()->Add(s);
  };
  place(LabelMenuAnimations, ComboBoxMenuAnimations);
  place(Label1, ComboBoxMenuAnimationsEx);
}

void TdxBarCustomizingForm::FillBars() {
  TdxBar* selected = BarsListBox->Bars(BarsListBox->ItemIndex());
  TStrings* rows = BarsListBox->Items();
  rows->Clear();
  BarsListBox->SetItemHeight(dxBarFontTextExtent(BarsListBox->Font(), "0").cy + 2);
  Integer firstVisible = -1, keep = -1;
  for (Integer i = 0; i < manager_->Bars()->Count(); ++i) {
    TdxBar* bar = manager_->Bars()->Items(i);
    if (bar->Hidden() && !manager_->Designing()) continue;
    Integer row = rows->AddObject(bar->Caption(), bar);
    if (firstVisible < 0 && bar->Visible()) firstVisible = row;
    if (bar == selected) keep = row;
  }
  SelectBar(keep >= 0 ? keep : firstVisible);
}

void TdxBarCustomizingForm::SelectBar(Integer Row) {
  BarsListBox->SetItemIndex(Row);
  UpdateBarButtons();
}

void TdxBarCustomizingForm::UpdateBarButtons() {
  TdxBar* bar = BarsListBox->Bars(BarsListBox->ItemIndex());
  const bool rename = bar && (manager_->Designing() || !bar->FromForm());
  BBarRename->SetEnabled(rename);
  BBarDelete->SetEnabled(rename && (manager_->Designing() || bar->InToolbarsList()));
  BBarReset->SetEnabled(bar && bar->CanReset());
}

void TdxBarCustomizingForm::BarsListBoxClick(TObject*) { UpdateBarButtons(); }

void TdxBarCustomizingForm::BBarNewClick(TObject*) {
  std::string name = ProposeBarCaption(manager_);
  if (!ShowNameDialog(name, false, 0, nullptr, manager_)) return;
  TdxBar* bar = manager_->Bars()->Add();
  bar->SetCaption(name);
  bar->SetDockingStyle(dsNone);
  bar->SetVisible(true);
  // Floating beside the dialog: to its left, or to its right when the left
  // would leave the work area; never higher than 10 pixels below its top.
  if (TdxBarControl* w = bar->Control()) {
    RECT dr;
    GetWindowRect(Handle(), &dr);
    TRect work = GetWorkAreaAt(POINT{dr.left, dr.top});
    Integer left = dr.left - 50 - w->Width();
    if (left < work.Left) left = dr.right + 10;
    Integer top = std::max<Integer>(dr.top, work.Top + 10);
    w->SetBounds(left, top, w->Width(), w->Height());
    bar->SetFloatLeft(left);
    bar->SetFloatTop(top);
  }
  Integer row = BarsListBox->Items()->AddObject(bar->Caption(), bar);
  SelectBar(row);
}

void TdxBarCustomizingForm::BBarRenameClick(TObject*) {
  Integer row = BarsListBox->ItemIndex();
  TdxBar* bar = BarsListBox->Bars(row);
  if (!bar) return;
  std::string name = bar->Caption();
  if (!ShowNameDialog(name, false, 1, bar, manager_)) return;
  bar->SetCaption(name);
  BarsListBox->Items()->SetStrings(row, bar->Caption());
  SelectBar(row);
}

void TdxBarCustomizingForm::BBarDeleteClick(TObject*) {
  Integer row = BarsListBox->ItemIndex();
  TdxBar* bar = BarsListBox->Bars(row);
  if (!bar) return;
  if (Application->MessageBox(Format(kDeleteBarQuestion, {bar->Caption()}), Application->Title(),
                              MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
    return;
  BarsListBox->Items()->Delete(row);
  SelectBar(std::min(row, BarsListBox->Items()->Count() - 1));
  bar->SetIndex(bar->Collection()->Count() - 1);
  delete bar;
}

void TdxBarCustomizingForm::BBarResetClick(TObject*) {
  if (TdxBar* bar = BarsListBox->Bars(BarsListBox->ItemIndex())) bar->ResetWithConfirm();
}

void TdxBarCustomizingForm::FillCategories() {
  Integer keep = LCategories->ItemIndex();
  Integer keepCategory = keep >= 0 && keep < static_cast<Integer>(categoryRows_.size()) ? categoryRows_[keep] : -1;
  LCategories->Items()->Clear();
  categoryRows_.clear();
  Integer select = 0;
  for (Integer n = 0;; ++n) {
    Integer c = manager_->VisibleCategoryIndex(n);
    if (c < 0 || c >= manager_->Categories()->Count()) break;
    if (c == keepCategory) select = n;
    LCategories->Items()->Add(manager_->Categories()->Strings(c));
    categoryRows_.push_back(c);
  }
  SelectCategory(categoryRows_.empty() ? -1 : select);
}

void TdxBarCustomizingForm::SelectCategory(Integer Row) {
  LCategories->SetItemIndex(Row);
  LCategoriesClick(nullptr);
}

void TdxBarCustomizingForm::LCategoriesClick(TObject*) {
  Integer row = LCategories->ItemIndex();
  TdxBarItem* keep = CommandsList->ItemOfRow(CommandsList->ItemIndex());
  CommandsList->Items()->Clear();
  DescriptionLabel->SetCaption("");
  if (row < 0 || row >= static_cast<Integer>(categoryRows_.size())) return;
  std::vector<TdxBarItem*> items;
  manager_->GetVisibleItemsOfCategory(categoryRows_[row], items);
  for (TdxBarItem* it : items) {
    Integer r = CommandsList->Items()->AddObject(it->Caption(), it);
    if (it == keep) {
      CommandsList->SetItemIndex(r);
      DescriptionLabel->SetCaption(it->Description());
    }
  }
}

void TdxBarCustomizingForm::CommandsListClick(TObject*) {
  TdxBarItem* item = CommandsList->ItemOfRow(CommandsList->ItemIndex());
  DescriptionLabel->SetCaption(item ? item->Description() : std::string());
}

void TdxBarCustomizingForm::LoadOptions() {
  loadingOptions_ = true;
  const bool enhanced = manager_->Style() != bmsStandard;
  StandardOptionsPanel->SetVisible(!enhanced);
  EnhancedOptionsPanel->SetVisible(enhanced);
  SetCheckedQuietly(CBHint1, manager_->ShowHint());
  SetCheckedQuietly(CBHint1Ex, manager_->ShowHint());
  SetCheckedQuietly(CBHint2, manager_->ShowShortCutInHint());
  SetCheckedQuietly(CBHint2Ex, manager_->ShowShortCutInHint());
  CBHint2->SetEnabled(manager_->ShowHint());
  CBHint2Ex->SetEnabled(manager_->ShowHint());
  SetCheckedQuietly(CBLargeIcons, manager_->LargeIcons());
  SetCheckedQuietly(CBLargeIconsEx, manager_->LargeIcons());
  ComboBoxMenuAnimations->SetItemIndex(manager_->MenuAnimations());
  ComboBoxMenuAnimationsEx->SetItemIndex(manager_->MenuAnimations());
  SetCheckedQuietly(CBMenusShowRecentItemsFirst, manager_->MenusShowRecentItemsFirst());
  SetCheckedQuietly(CBShowFullMenusAfterDelay, manager_->ShowFullMenusAfterDelay());
  CBShowFullMenusAfterDelay->SetEnabled(manager_->MenusShowRecentItemsFirst());
  loadingOptions_ = false;
}

void TdxBarCustomizingForm::ComboBoxMenuAnimationsClick(TObject* Sender) {
  auto* combo = dynamic_cast<TComboBox*>(Sender);
  if (loadingOptions_ || !combo || !manager_) return;
  Integer i = combo->ItemIndex();
  if (i >= maNone && i <= maSlide) manager_->SetMenuAnimations(static_cast<TdxBarMenuAnimations>(i));
}

void TdxBarCustomizingForm::CBHint1Click(TObject* Sender) {
  auto* box = dynamic_cast<TCheckBox*>(Sender);
  if (loadingOptions_ || !box || !manager_) return;
  manager_->SetShowHint(box->Checked());
  CBHint2->SetEnabled(box->Checked());
  CBHint2Ex->SetEnabled(box->Checked());
}

void TdxBarCustomizingForm::CBHint2Click(TObject* Sender) {
  auto* box = dynamic_cast<TCheckBox*>(Sender);
  if (loadingOptions_ || !box || !manager_) return;
  manager_->SetShowShortCutInHint(box->Checked());
}

void TdxBarCustomizingForm::CBLargeIconsClick(TObject* Sender) {
  auto* box = dynamic_cast<TCheckBox*>(Sender);
  if (loadingOptions_ || !box || !manager_) return;
  manager_->SetLargeIcons(box->Checked());
}

void TdxBarCustomizingForm::CBMenusShowRecentItemsFirstClick(TObject*) {
  if (loadingOptions_ || !manager_) return;
  manager_->SetMenusShowRecentItemsFirst(CBMenusShowRecentItemsFirst->Checked());
  CBShowFullMenusAfterDelay->SetEnabled(CBMenusShowRecentItemsFirst->Checked());
}

void TdxBarCustomizingForm::CBShowFullMenusAfterDelayClick(TObject*) {
  if (loadingOptions_ || !manager_) return;
  manager_->SetShowFullMenusAfterDelay(CBShowFullMenusAfterDelay->Checked());
}

void TdxBarCustomizingForm::BResetUsageDataClick(TObject*) {
  if (manager_) manager_->ConfirmResetUsageData();
}

void TdxBarCustomizingForm::RefreshPage() {
  if (!manager_) return;
  TTabSheet* page = PageControl->ActivePage();
  if (page == TabSheet1)
    FillBars();
  else if (page == TabSheet2)
    FillCategories();
  else if (page == TabSheet3)
    LoadOptions();
}

void TdxBarCustomizingForm::BHelpClick(TObject*) {
  if (!manager_ || manager_->Designing()) return;
  manager_->OnHelpButtonClick(manager_);
  if (manager_->HelpContext() != 0) Application->HelpContext(manager_->HelpContext());
}

void TdxBarCustomizingForm::BCloseClick(TObject*) { Close(); }

void TdxBarCustomizingForm::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TdxBarCustomizingForm::Dispatch(TMessage& Message) {
  TForm::Dispatch(Message);
  // Back from elsewhere the page shows what changed meanwhile (not while the
  // customizing popup of a link is open: it works on what the page shows).
  if (Message.Msg == WM_ACTIVATE && LOWORD(Message.WParam) != WA_INACTIVE && !closing_ &&
      !TdxBarCustomizingPopup::Current())
    RefreshPage();
}

void dxBarInstallCustomizingForm() {
  auto& calls = dxBarCustomizingDialogCalls();
  calls.Show = ShowCustomizingForm;
  calls.Current = []() -> TCustomForm* { return dxBarCustomizingForm(); };
}

void ShowCustomizingForm(TdxBarManager* Manager, bool Show) {
  if (!Manager) return;
  if (!Show) {
    if (TdxBarCustomizingForm* f = g_customizingForm; f && !f->closing_) delete f;
    if (TdxBarSubMenuEditor* e = dxBarSubMenuEditor()) e->AttachLinks(nullptr);
    Manager->OnHideCustomizingForm(Manager);
    return;
  }
  if (g_customizingForm) return;
  Manager->OnShowCustomizingForm(Manager);
  auto* f = new TdxBarCustomizingForm(nullptr);
  try {
    f->AfterConstruction();
    if (!f->PageControl || !f->TabSheet1 || !f->TabSheet2 || !f->TabSheet3 || !f->BarsListBoxPlace ||
        !f->LCommandsPlace || !f->LCategories || !f->Panel1 || !f->BClose || !f->BHelp || !f->StandardOptionsPanel ||
        !f->EnhancedOptionsPanel || !f->ComboBoxMenuAnimations || !f->ComboBoxMenuAnimationsEx ||
        !f->CBShowFullMenusAfterDelay || !f->CBMenusShowRecentItemsFirst || !f->BResetUsageData)
      throw Exception("The form resource of TdxBarCustomizingForm is missing");
    f->Setup(Manager);
  } catch (...) {
    delete f;
    throw;
  }
  // Every form with a live manager waits while the dialog is open.
  for (Integer i = 0; i < TdxBarManager::ManagerCount(); ++i) {
    TCustomForm* owner = TdxBarManager::Managers(i)->OwnerForm();
    if (!owner || !owner->Enabled()) continue;
    if (std::find(f->disabledForms_.begin(), f->disabledForms_.end(), owner) != f->disabledForms_.end()) continue;
    owner->SetEnabled(false);
    owner->FreeNotification(f);
    f->disabledForms_.push_back(owner);
  }
  g_customizingForm = f;
  if (!g_disabledFormsMouseHook)
    g_disabledFormsMouseHook = SetWindowsHookExW(WH_MOUSE, DisabledFormsMouseHook, nullptr, GetCurrentThreadId());
  f->Show();
}
