// The system-menu entry of an MDI frame's main-menu bar: while a maximized
// child is merged in, the child's small icon stands first in the bar and
// opens the child's system menu, read afresh at every opening into temporary
// items that send their commands to the child.
#include "bars/dxBar.h"
#include "platform/Menus.h"
#include "platform/TypInfo.h"

namespace {

void EnsureSystemMenuClassRegistered() {
  if (!GetClassInfo(typeid(TSystemMenuSubItem)))
    RegisterClassInfo<TSystemMenuSubItem, TCustomdxBarSubItem>("TSystemMenuSubItem");
  if (!FindBarItemClass(typeid(TSystemMenuSubItem)))
    RegisterBarItemClass<TSystemMenuSubItem, TSystemMenuSubItemControl>("TSystemMenuSubItem", false);
}

// Frees temporary items until none without links is left (freeing a sub item
// leaves its own entries without links).
void FreeAllUnusedTempItems() {
  for (Integer before = -1; before != TempItemCount();) {
    before = TempItemCount();
    FreeUnusedTempItems();
  }
}

// The framework's glyph of a standard menu bitmap (HBMMENU_POPUP_*), or none.
const char* StandardMenuBitmapName(HBITMAP Bitmap) {
  switch (reinterpret_cast<UINT_PTR>(Bitmap)) {
    case 8: return "DXBARCLOSE";
    case 9: return "DXBARRESTORE";
    case 10: return "DXBARMAXIMIZE";
    case 11: return "DXBARMINIMIZE";
    default: return nullptr;
  }
}

bool IsRealBitmap(HBITMAP Bitmap) { return reinterpret_cast<UINT_PTR>(Bitmap) > 11 && Bitmap != HBMMENU_CALLBACK; }

void CopyBitmapInto(TBitmap* Glyph, HBITMAP Bitmap) {
  if (HANDLE copy = CopyImage(Bitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))
    Glyph->SetHandle(static_cast<HBITMAP>(copy));
}

}  // namespace

// --- The item --------------------------------------------------------------------------
TSystemMenuSubItem::TSystemMenuSubItem(TComponent* AOwner) : TCustomdxBarSubItem(AOwner) {
  EnsureSystemMenuClassRegistered();
}

void TSystemMenuSubItem::Rebuild() {
  ItemLinks()->Clear();
  FreeAllUnusedTempItems();
  if (child_ && IsWindow(child_)) BuildFromMenu(this, GetSystemMenu(child_, FALSE), child_);
}

void TSystemMenuSubItem::RunClick() {
  Rebuild();
  TCustomdxBarSubItem::RunClick();
}

void BuildFromMenu(TCustomdxBarSubItem* SubItem, HMENU Menu, HWND Target) {
  if (!SubItem || !Menu) return;
  TComponent* owner = SubItem->Owner();
  Integer count = GetMenuItemCount(Menu);
  bool beginGroup = false;
  for (Integer pos = 0; pos < count; ++pos) {
    wchar_t text[1024] = {};
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof(mi);
    mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_STRING | MIIM_BITMAP;
    mi.dwTypeData = text;
    mi.cch = 1023;
    if (!GetMenuItemInfoW(Menu, static_cast<UINT>(pos), TRUE, &mi)) continue;
    if (mi.fType & MFT_SEPARATOR) {
      beginGroup = true;
      continue;
    }
    if (mi.fType & MFT_BITMAP) {
      text[0] = 0;
      GetMenuStringW(Menu, static_cast<UINT>(pos), text, 1023, MF_BYPOSITION);
    }
    std::string all = WideToUtf8(text);
    size_t tab = all.find('\t');
    std::string caption = all.substr(0, tab);
    std::string shortcutText = tab == std::string::npos ? std::string() : all.substr(tab + 1);

    TdxBarItem* item;
    if (mi.hSubMenu) {
      auto* sub = new TdxBarSubItem(owner);
      BuildFromMenu(sub, mi.hSubMenu, Target);
      item = sub;
    } else {
      auto* button = new TdxBarButton(owner);
      button->SetTag(static_cast<Integer>(mi.wID));
      UINT command = mi.wID;
      button->OnClick = [Target, command](TObject*) {
        if (IsWindow(Target)) SendMessageW(Target, WM_SYSCOMMAND, command, 0);
      };
      if (mi.fState & MFS_CHECKED) {
        button->SetButtonStyle(bsChecked);
        button->SetDown(true);
      }
      item = button;
    }
    AddTempItem(item);
    item->SetCaption(caption);
    item->SetEnabled(!(mi.fState & (MFS_GRAYED | MFS_DISABLED)));

    if (const char* name = StandardMenuBitmapName(mi.hbmpItem)) {
      item->Glyph()->LoadFromResourceName(GetModuleHandleW(nullptr), name);
    } else {
      HBITMAP own = (mi.fState & MFS_CHECKED) ? mi.hbmpChecked : mi.hbmpUnchecked;
      if (own) CopyBitmapInto(item->Glyph(), own);
      if (item->Glyph()->Empty() && (mi.fType & MFT_BITMAP) && IsRealBitmap(mi.hbmpItem))
        CopyBitmapInto(item->Glyph(), mi.hbmpItem);
    }
    TShortCut shortcut = 0;
    try {
      shortcut = TextToShortCut(shortcutText);
    } catch (...) {
      shortcut = 0;
    }
    item->SetShortCut(shortcut);

    TdxBarItemLink* link = SubItem->ItemLinks()->Add();
    link->SetItem(item);
    link->SetBeginGroup(beginGroup);
    beginGroup = false;
  }
}

// --- Placing it in the frame's main menu -------------------------------------------------
void InsertSystemMenuItem(HWND Child, TdxBarManager* FrameManager) {
  if (!FrameManager || !Child || !GetSystemMenu(Child, FALSE)) return;
  TdxBar* menu = FrameManager->MainMenuBar();
  if (!menu) return;
  // One entry at a time: an earlier child's entry makes room.
  RemoveSystemMenuItem(FrameManager);
  bool saved = FrameManager->RedrawSuspended();
  FrameManager->SuspendRedraw(true);
  try {
    FreeAllUnusedTempItems();
    auto* item = new TSystemMenuSubItem(FrameManager->OwnerForm());
    AddTempItem(item);
    item->SetChildWindow(Child);
    TdxBarItemLink* link = menu->ItemLinks()->Add();
    link->SetItem(item);
    link->SetIndex(0);
  } catch (...) {
    FrameManager->SuspendRedraw(saved);
    throw;
  }
  FrameManager->SuspendRedraw(saved);
}

void RemoveSystemMenuItem(TdxBarManager* FrameManager) {
  TdxBar* menu = FrameManager ? FrameManager->MainMenuBar() : nullptr;
  if (!menu || menu->ItemLinks()->Count() == 0) return;
  auto* item = dynamic_cast<TSystemMenuSubItem*>(menu->ItemLinks()->Items(0)->Item());
  if (!item) return;
  bool saved = FrameManager->RedrawSuspended();
  FrameManager->SuspendRedraw(true);
  delete item;
  FreeAllUnusedTempItems();
  FrameManager->SuspendRedraw(saved);
}

// --- Its view: the child's icon ---------------------------------------------------------------
bool TSystemMenuSubItemControl::AllowedWhileCustomizing() const {
  TdxBarManager* m = BarManager();
  return !(m && m->IsCustomizing());
}

Integer TSystemMenuSubItemControl::GetHeight() const { return GetSystemMetrics(SM_CYSMICON); }
Integer TSystemMenuSubItemControl::GetWidth() const { return GetSystemMetrics(SM_CXSMICON); }

namespace {
HWND SystemMenuChild(const TdxBarItemControl* View) {
  auto* item = dynamic_cast<TSystemMenuSubItem*>(View->Item());
  return item && IsWindow(item->ChildWindow()) ? item->ChildWindow() : nullptr;
}
}  // namespace

void TSystemMenuSubItemControl::PaintView(const TRect& R, Integer) {
  HWND child = SystemMenuChild(this);
  if (!child || !window_ || R.Width() <= 0 || R.Height() <= 0) return;
  auto icon = reinterpret_cast<HICON>(SendMessageW(child, WM_GETICON, ICON_SMALL, 0));
  if (!icon) icon = reinterpret_cast<HICON>(SendMessageW(child, WM_GETICON, ICON_BIG, 0));
  if (!icon) return;
  auto small = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, 16, 16, LR_COPYFROMRESOURCE));
  if (!small) return;
  DrawIconEx(window_->Canvas()->Handle(), R.Left, R.Top, small, R.Width(), R.Height(), 0, window_->BackgroundBrush(),
             DI_NORMAL);
  DestroyIcon(small);
}

void TSystemMenuSubItemControl::DoubleClick() {
  TdxBarSubItemControl::DoubleClick();
  HWND child = SystemMenuChild(this);
  // The chain from its top: the menu the first click opened goes too.
  TCustomdxBarControl* top = ActiveBarControl();
  if (top && window_ && RootBarWindow(top) == window_)
    top->CloseChain();
  else if (window_ && IsLiveBarControl(window_))
    window_->CloseChain();
  if (!child) return;
  UINT command = GetMenuDefaultItem(GetSystemMenu(child, FALSE), FALSE, 0);
  if (command != static_cast<UINT>(-1)) SendMessageW(child, WM_SYSCOMMAND, command, 0);
}
