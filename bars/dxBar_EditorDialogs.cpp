// The small dialogs of customizing: the toolbar/category name prompt, the
// sub-menu editor (a caption window above an open menu), the dialog that adds
// an item of a chosen class and the picker of a group's members.
#include <algorithm>

#include "bars/dxBar.h"
#include "platform/Dialogs.h"
#include "platform/SysUtils.h"
#include "platform/TypInfo.h"

namespace {

constexpr const char* kCategoryCaptions[] = {"Add Category", "Insert Category", "Rename Category"};
constexpr const char* kToolbarCaptions[] = {"Custom ", "Rename Toolbar"};
constexpr const char* kCategoryLabel = "&Category name:";
constexpr const char* kToolbarLabel = "&Toolbar name:";
constexpr const char* kToolbarExists = "A toolbar named '%s' already exists. Type another name.";
constexpr const char* kSubMenuEditorCaption = "SubMenu Editor";

TdxBarSubMenuEditor* g_subMenuEditor = nullptr;

// Dialogs opened from the customizing form speak in its font.
void TakeCustomizingFont(TForm* Form) {
  if (TdxBarCustomizingForm* f = dxBarCustomizingForm()) Form->Font()->Assign(f->Font());
}

// The group picker's list paints every pixel itself: it never erases, fills
// the rest below its rows after painting, and repaints whole when its width
// changes (rows are split at half the width).
class TdxBarGroupItemsList : public TListBox {
 public:
  T_CLASSNAME(TdxBarGroupItemsList)
  using TListBox::TListBox;

 protected:
  void Dispatch(TMessage& Message) override {
    switch (Message.Msg) {
      case WM_ERASEBKGND: Message.Result = 1; return;
      case WM_SIZE: {
        TListBox::Dispatch(Message);
        Integer w = LOWORD(Message.LParam);
        if (w != width_ && HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
        width_ = w;
        return;
      }
      case WM_PAINT: {
        TListBox::Dispatch(Message);
        RECT cr;
        ::GetClientRect(Handle(), &cr);
        Integer count = Items()->Count();
        LONG top = 0;
        RECT last{};
        if (count > 0 && SendMessageW(Handle(), LB_GETITEMRECT, static_cast<WPARAM>(count - 1),
                                      reinterpret_cast<LPARAM>(&last)) != LB_ERR)
          top = last.bottom;
        if (top < cr.bottom) {
          // Into the caller's DC when painted into one (a picture of the window).
          HDC dc = Message.WParam ? reinterpret_cast<HDC>(Message.WParam) : GetDC(Handle());
          RECT rest{cr.left, top, cr.right, cr.bottom};
          FillRect(dc, &rest, GetSysColorBrush(COLOR_BTNFACE));
          if (!Message.WParam) ReleaseDC(Handle(), dc);
        }
        return;
      }
      default: TListBox::Dispatch(Message); return;
    }
  }

 private:
  Integer width_ = -1;
};

void RegisterEditorDialogClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  {
    using F = TdxBarNameEd;
    RegisterClassInfo<F, TForm>("TdxBarNameEd");
    RegisterHandlers<F>({{"ENameChange", &F::ENameChange}, {"FormCloseQuery", &F::FormCloseQuery}});
    RegisterFields<F>({{"LName", &F::LName}, {"EName", &F::EName}, {"BOK", &F::BOK}, {"BCancel", &F::BCancel}});
  }
  {
    using F = TdxBarSubMenuEditor;
    RegisterClassInfo<F, TForm>("TdxBarSubMenuEditor");
    RegisterHandlers<F>(
        {{"FormActivate", &F::FormActivate}, {"FormClose", &F::FormClose}, {"FormDestroy", &F::FormDestroy}});
  }
  {
    using F = TdxBarItemAddEditor;
    RegisterClassInfo<F, TForm>("TdxBarItemAddEditor");
    RegisterHandlers<F>(
        {{"ComboBox1Click", &F::ComboBox1Click}, {"BOkClick", &F::BOkClick}, {"FormShow", &F::FormShow}});
    RegisterFields<F>({{"Label1", &F::Label1},
                       {"Label2", &F::Label2},
                       {"Label3", &F::Label3},
                       {"Label4", &F::Label4},
                       {"ComboBox1", &F::ComboBox1},
                       {"ComboBox2", &F::ComboBox2},
                       {"Edit1", &F::Edit1},
                       {"Edit2", &F::Edit2},
                       {"BOk", &F::BOk},
                       {"BCancel", &F::BCancel}});
  }
  {
    using F = TfrmAddGroupItems;
    RegisterClassInfo<TdxBarGroupItemsList, TListBox>("TdxBarGroupItemsList");
    RegisterClassInfo<F, TForm>("TfrmAddGroupItems");
    RegisterHandlers<F>({{"lbGroupItemsDrawItem", &F::lbGroupItemsDrawItem},
                         {"lbGroupItemsMeasureItem", &F::lbGroupItemsMeasureItem}});
    RegisterFields<F>({{"lbGroupItems", &F::lbGroupItems},
                       {"Panel1", &F::Panel1},
                       {"btnOk", &F::btnOk},
                       {"btnCancel", &F::btnCancel}});
  }
}

// A form whose resource did not bring the components it needs cannot run.
void RequireComponents(TForm* Form, std::initializer_list<const void*> Fields) {
  for (const void* f : Fields)
    if (!f) throw Exception(Format("The form resource of %s is missing", {Form->ClassName()}));
}

}  // namespace

SIZE dxBarFontTextExtent(TFont* Font, const std::string& Text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->Handle());
  std::wstring w = Utf8ToWide(Text);
  SIZE sz{};
  GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &sz);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return sz;
}

// --- Name prompt -----------------------------------------------------------------

TdxBarNameEd::TdxBarNameEd(TComponent* AOwner) : TForm(AOwner) { RegisterEditorDialogClasses(); }

void TdxBarNameEd::ENameChange(TObject*) { BOK->SetEnabled(!EName->Text().empty()); }

void TdxBarNameEd::FormCloseQuery(TObject*, bool& CanClose) {
  if (ModalResult() != mrOk || IsCategory || !Manager) return;
  const std::string name = EName->Text();
  TdxBar* other = Manager->BarByCaption(name);
  if (other && other != Bar) {
    Application->MessageBox(Format(kToolbarExists, {name}), Application->Title(), MB_OK | MB_ICONERROR);
    CanClose = false;
  }
}

bool ShowNameDialog(std::string& Name, bool IsCategory, Integer Mode, TdxBar* Bar, TdxBarManager* Manager) {
  std::unique_ptr<TdxBarNameEd> f(CreateForm<TdxBarNameEd>(nullptr));
  RequireComponents(f.get(), {f->LName, f->EName, f->BOK, f->BCancel});
  f->IsCategory = IsCategory;
  f->Manager = Manager;
  f->Bar = Bar;
  TakeCustomizingFont(f.get());
  if (IsCategory)
    f->SetCaption(kCategoryCaptions[Mode >= 0 && Mode <= 2 ? Mode : 0]);
  else
    f->SetCaption(kToolbarCaptions[Mode == 1 ? 1 : 0]);
  f->LName->SetCaption(IsCategory ? kCategoryLabel : kToolbarLabel);
  f->BOK->SetCaption("OK");
  f->BCancel->SetCaption("Cancel");
  f->EName->SetText(Name);
  f->ENameChange(nullptr);
  f->SetActiveControl(f->EName);
  if (f->ShowModal() != mrOk) return false;
  Name = f->EName->Text();
  return true;
}

// --- Sub-menu editor -------------------------------------------------------------

TdxBarSubMenuEditor::TdxBarSubMenuEditor(TComponent* AOwner) : TForm(AOwner) { RegisterEditorDialogClasses(); }

TdxBarSubMenuEditor::~TdxBarSubMenuEditor() {
  FreeMenu();
  if (linksOwner_) linksOwner_->RemoveFreeNotification(this);
  if (g_subMenuEditor == this) g_subMenuEditor = nullptr;
}

TdxBarSubMenuEditor* dxBarSubMenuEditor() { return g_subMenuEditor; }

void TdxBarSubMenuEditor::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  Params.Style = WS_POPUP | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU;
  Params.ExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
  Params.WindowClass.style = CS_SAVEBITS | CS_OWNDC;
  if (TdxBarCustomizingForm* f = dxBarCustomizingForm())
    if (f->HandleAllocated())
      if (HWND p = GetParent(f->Handle())) Params.WndParent = p;
}

TCustomdxBarControl* TdxBarSubMenuEditor::MenuWindow() const { return links_ ? links_->BarControl() : nullptr; }

void TdxBarSubMenuEditor::AttachLinks(TdxBarItemLinks* Links) {
  if (Links == links_) return;
  FreeMenu();
  if (linksOwner_) linksOwner_->RemoveFreeNotification(this);
  links_ = Links;
  linksOwner_ = nullptr;
  if (!links_) {
    // Nothing left to edit: the editor goes (after the message being handled).
    if (g_subMenuEditor == this) g_subMenuEditor = nullptr;
    if (HandleAllocated()) ::ShowWindow(Handle(), SW_HIDE);
    Release();
    return;
  }
  linksOwner_ = dynamic_cast<TComponent*>(links_->Owner());
  if (linksOwner_) linksOwner_->FreeNotification(this);
  if (HandleAllocated() && IsWindowVisible(Handle())) OpenMenu();
}

void TdxBarSubMenuEditor::Notification(TComponent* AComponent, TOperation Operation) {
  TForm::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == linksOwner_) {
    linksOwner_ = nullptr;
    AttachLinks(nullptr);
  }
}

void TdxBarSubMenuEditor::FreeMenu() {
  TCustomdxBarControl* w = MenuWindow();
  if (!w) return;
  if (auto* menu = dynamic_cast<TdxBarSubMenuControl*>(w))
    menu->CloseMenu();
  else
    links_->FreeBarWindow();
}

void TdxBarSubMenuEditor::OpenMenu() {
  if (!links_ || !HandleAllocated()) return;
  TdxBarManager* m = links_->BarManager();
  if (!m) return;
  // A dragged item that the edited sub item may not hold (it would hold
  // itself) opens nothing.
  if (m->IsCustomizing() && m->DragInProgress() && m->DraggedItem() &&
      !TCustomdxBarSubItem::AcceptsLink(links_->Owner(), m->DraggedItem()))
    return;
  if (!MenuWindow()) {
    auto* menu = dynamic_cast<TdxBarSubMenuControl*>(links_->CreateBarWindow());
    if (!menu) return;
    RECT r;
    GetWindowRect(Handle(), &r);
    menu->ExclusionHeight = r.bottom - r.top;
    menu->ShowAt(r.left, r.bottom);
  }
  if (TCustomdxBarControl* w = MenuWindow()) {
    if (w->HandleAllocated()) {
      RECT mr;
      GetWindowRect(w->Handle(), &mr);
      menuWidth_ = mr.right - mr.left;
    }
  }
  if (menuWidth_ > 0 && Width() != menuWidth_) SetWidth(menuWidth_);
  FollowMenu();
}

void TdxBarSubMenuEditor::FollowMenu() {
  TCustomdxBarControl* w = MenuWindow();
  if (!w || !w->HandleAllocated() || !HandleAllocated()) return;
  RECT r;
  GetWindowRect(Handle(), &r);
  SetWindowPos(w->Handle(), nullptr, r.left, r.bottom, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER | SWP_SHOWWINDOW);
}

void TdxBarSubMenuEditor::FormActivate(TObject*) { OpenMenu(); }

void TdxBarSubMenuEditor::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TdxBarSubMenuEditor::FormDestroy(TObject*) {
  FreeMenu();
  if (g_subMenuEditor == this) g_subMenuEditor = nullptr;
}

void TdxBarSubMenuEditor::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETMINMAXINFO: {
      TForm::Dispatch(Message);
      auto* mmi = reinterpret_cast<MINMAXINFO*>(Message.LParam);
      Integer w = menuWidth_ > 0 ? menuWidth_ : Width();
      if (TCustomdxBarControl* menu = MenuWindow())
        if (menu->HandleAllocated()) {
          RECT mr;
          GetWindowRect(menu->Handle(), &mr);
          w = mr.right - mr.left;
        }
      Integer h = Height();
      if (HandleAllocated()) {
        RECT r;
        GetWindowRect(Handle(), &r);
        h = r.bottom - r.top;
      }
      mmi->ptMinTrackSize = {w, h};
      mmi->ptMaxTrackSize = {w, h};
      mmi->ptMaxSize = {w, h};
      return;
    }
    case WM_MOVE:
    case WM_WINDOWPOSCHANGED:
      TForm::Dispatch(Message);
      FollowMenu();
      return;
    case WM_NCLBUTTONDOWN:
      if (Message.WParam == HTCLOSE)
        FreeMenu();
      else
        OpenMenu();
      TForm::Dispatch(Message);
      return;
    default: TForm::Dispatch(Message); return;
  }
}

void ShowSubMenuEditor(TdxBarItemLinks* Links) {
  if (!Links || !Links->BarManager()) return;
  TdxBarManager* m = Links->BarManager();
  m->SetCustomizing(true);
  if (m->IsCustomizing())
    if (TdxBarCustomizingForm* f = dxBarCustomizingForm())
      if (f->PageControl && f->TabSheet2) f->PageControl->SetActivePage(f->TabSheet2);
  if (!g_subMenuEditor) {
    auto* e = CreateForm<TdxBarSubMenuEditor>(nullptr);
    g_subMenuEditor = e;
    TakeCustomizingFont(e);
    e->SetCaption(kSubMenuEditorCaption);
  }
  TdxBarSubMenuEditor* e = g_subMenuEditor;
  e->SetClientHeight(0);
  e->AttachLinks(Links);
  Application->ProcessMessages();
  if (g_subMenuEditor == e) e->Show();
}

// --- Add-item dialog ---------------------------------------------------------------

TdxBarItemAddEditor::TdxBarItemAddEditor(TComponent* AOwner) : TForm(AOwner) { RegisterEditorDialogClasses(); }

void TdxBarItemAddEditor::ComboBox1Click(TObject*) {
  Integer i = ComboBox1->ItemIndex();
  if (i < 0 || !Manager) return;
  std::string base = ComboBox1->Items()->Strings(i).substr(1);
  std::string name;
  for (Integer n = 1;; ++n) {
    name = base + std::to_string(n);
    if (!Manager->ItemByName(name)) break;
  }
  Edit1->SetText(name);
}

void TdxBarItemAddEditor::FormShow(TObject*) {
  if (Edit1) SetActiveControl(Edit1);
}

void TdxBarItemAddEditor::BOkClick(TObject*) {
  CreatedItem = nullptr;
  TdxBarItem* item = nullptr;
  try {
    Integer i = ComboBox1->ItemIndex();
    const TClassInfo* info = i >= 0 ? GetClass(ComboBox1->Items()->Strings(i)) : nullptr;
    if (!info || !info->Factory) throw Exception("No item class is chosen");
    TComponent* c = info->Factory(Manager->OwnerForm());
    item = dynamic_cast<TdxBarItem*>(c);
    if (!item) {
      delete c;
      throw Exception("The chosen class makes no item");
    }
    item->SetName(Edit1->Text());
    item->SetCategory(ComboBox2->ItemIndex());
    item->SetCaption(Edit2->Text());
    Manager->DesignerModified();
    CreatedItem = item;
  } catch (const Exception&) {
    // A name the form refuses: the dialog stays with a fresh proposal.
    delete item;
    ComboBox1Click(nullptr);
    SetModalResult(mrNone);
  }
}

TdxBarItem* ShowAddItemDialog(TdxBarManager* Manager, Integer Category) {
  if (!Manager || !Manager->OwnerForm()) return nullptr;
  std::unique_ptr<TdxBarItemAddEditor> f(CreateForm<TdxBarItemAddEditor>(nullptr));
  RequireComponents(f.get(), {f->ComboBox1, f->ComboBox2, f->Edit1, f->Edit2, f->BOk, f->BCancel});
  f->Manager = Manager;
  TakeCustomizingFont(f.get());
  TStrings* categories = Manager->Categories();
  for (Integer i = 0; i < categories->Count(); ++i) f->ComboBox2->Items()->Add(categories->Strings(i));
  f->ComboBox2->SetItemIndex(Category >= 0 && Category < categories->Count() ? Category : 0);
  for (Integer i = 0; i < ListedItemClassCount(); ++i) f->ComboBox1->Items()->Add(GetListedItemClass(i));
  f->ComboBox1->SetItemIndex(0);
  f->ComboBox1Click(nullptr);
  if (f->ShowModal() != mrOk) return nullptr;
  return f->CreatedItem;
}

// --- Group picker ------------------------------------------------------------------

TfrmAddGroupItems::TfrmAddGroupItems(TComponent* AOwner) : TForm(AOwner) { RegisterEditorDialogClasses(); }

void TfrmAddGroupItems::Fill(TdxBarGroup* AGroup) {
  Group = AGroup;
  TStrings* rows = lbGroupItems->Items();
  rows->Clear();
  TdxBarManager* m = Group ? Group->BarManager() : nullptr;
  if (!m) return;
  if (m->GroupCount() > 1) {
    rows->Add("~< Groups >");
    for (Integer i = 0; i < m->GroupCount(); ++i)
      if (m->Groups(i) != Group) rows->AddObject(m->Groups(i)->Name(), m->Groups(i));
  }
  std::vector<TdxBarItem*> items;
  for (Integer c = 0; c < m->Categories()->Count(); ++c) {
    if (m->GetVisibleItemsOfCategory(c, items) == 0) continue;
    rows->Add("~" + m->Categories()->Strings(c));
    for (TdxBarItem* it : items) rows->AddObject(it->Caption(), it);
  }
}

void TfrmAddGroupItems::lbGroupItemsMeasureItem(TWinControl*, Integer, Integer& Height) {
  Height = dxBarFontTextExtent(lbGroupItems->Font(), "Qq").cy + 2;
}

void TfrmAddGroupItems::lbGroupItemsDrawItem(TWinControl*, Integer Index, TRect Rect, TOwnerDrawState State) {
  TCanvas* c = lbGroupItems->Canvas();
  TStrings* rows = lbGroupItems->Items();
  if (Index < 0 || Index >= rows->Count()) return;
  std::string text = rows->Strings(Index);
  if (!text.empty() && text[0] == '~') {
    c->Brush()->SetColor(clBtnFace);
    c->Font()->SetColor(clBtnText);
    c->TextRect(Rect, Rect.Left + 2, Rect.Top + 1, text.substr(1));
    return;
  }
  TObject* obj = rows->Objects(Index);
  auto* member = dynamic_cast<TComponent*>(obj);
  if (member && Group && Group->IndexOf(member) >= 0) {
    c->Brush()->SetColor(clWindow);
    c->Font()->SetColor(clBtnFace);
  }
  c->FillRect(Rect);
  HDC dc = c->Handle();
  SetBkMode(dc, TRANSPARENT);
  auto drawCell = [&](TRect R, const std::string& S) {
    RECT r = *R.AsRECT();
    std::wstring w = Utf8ToWide("   " + S);
    SetTextColor(dc, ColorToRGB(c->Font()->Color()));
    DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), &r, DT_SINGLELINE | DT_VCENTER);
  };
  auto* item = dynamic_cast<TdxBarItem*>(obj);
  if (!item) {
    drawCell(Rect, text);
    return;
  }
  Integer mid = (Rect.Left + Rect.Right) / 2;
  drawCell(TRect{Rect.Left, Rect.Top, mid, Rect.Bottom}, text);
  RECT line{mid, Rect.Top, mid + 1, Rect.Bottom};
  FillRect(dc, &line, GetSysColorBrush(State.Contains(odSelected) ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  drawCell(TRect{mid + 1, Rect.Top, Rect.Right, Rect.Bottom}, item->Name());
}

bool PickGroupMembers(TdxBarGroup* Group, std::vector<TComponent*>& List) {
  if (!Group) return false;
  std::unique_ptr<TfrmAddGroupItems> f(CreateForm<TfrmAddGroupItems>(nullptr));
  RequireComponents(f.get(), {f->lbGroupItems, f->btnOk, f->btnCancel});
  TakeCustomizingFont(f.get());
  f->Fill(Group);
  if (f->ShowModal() != mrOk) return false;
  List.clear();
  TStrings* rows = f->lbGroupItems->Items();
  for (Integer i = 0; i < rows->Count(); ++i)
    if (f->lbGroupItems->Selected(i))
      if (auto* c = dynamic_cast<TComponent*>(rows->Objects(i))) List.push_back(c);
  return true;
}
