// List view: sorting, check boxes, caption editing, image lists and custom
// drawing. Items, columns and selection are in ComCtrls.cpp.
#include <algorithm>
#include <unordered_map>

#include "platform/ComCtrls.h"

#include <commctrl.h>

namespace {

// A stable merge sort that stays within bounds whatever the comparison answers
// (an application's comparison need not be a consistent ordering).
void MergeSort(std::vector<TListItem*>& Items, const std::function<bool(TListItem*, TListItem*)>& Less) {
  const size_t n = Items.size();
  std::vector<TListItem*> merged(n);
  for (size_t width = 1; width < n; width *= 2) {
    for (size_t lo = 0; lo < n; lo += 2 * width) {
      const size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
      size_t i = lo, j = mid, k = lo;
      while (i < mid && j < hi) merged[k++] = Less(Items[j], Items[i]) ? Items[j++] : Items[i++];
      while (i < mid) merged[k++] = Items[i++];
      while (j < hi) merged[k++] = Items[j++];
    }
    Items.swap(merged);
  }
}

using TRankMap = std::unordered_map<LPARAM, Integer>;

// Puts the window's items into the order already decided (item lParam -> rank).
int CALLBACK RankCompare(LPARAM Item1, LPARAM Item2, LPARAM Ranks) noexcept {
  const auto& ranks = *reinterpret_cast<const TRankMap*>(Ranks);
  const auto a = ranks.find(Item1), b = ranks.find(Item2);
  const Integer ra = a == ranks.end() ? 0 : a->second, rb = b == ranks.end() ? 0 : b->second;
  return ra < rb ? -1 : ra > rb ? 1 : 0;
}

constexpr UINT kUnchecked = INDEXTOSTATEIMAGEMASK(1);
constexpr UINT kChecked = INDEXTOSTATEIMAGEMASK(2);

}  // namespace

// ---------------------------------------------------------------------------
// Columns and items

void TListColumn::SetImageIndex(Integer Value) {
  if (imageIndex_ == Value) return;
  imageIndex_ = Value;
  Changed(false);
}

void TListItem::SetData(void* Value) {
  data_ = Value;
  if (Index() >= 0) ListView()->AutoSort(false, true);
}

void TListItem::SetStateBits(UINT Mask, UINT Bits) {
  state_ = (state_ & ~Mask) | (Bits & Mask);
  TCustomListView* lv = ListView();
  Integer i = Index();
  if (lv->HandleAllocated() && i >= 0) {
    LVITEMW item{};
    item.mask = LVIF_STATE;
    item.stateMask = Mask;
    item.state = Bits & Mask;
    ::SendMessageW(lv->Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
}

bool TListItem::Checked() const {
  TCustomListView* lv = ListView();
  Integer i = Index();
  UINT state = state_;
  if (lv->HandleAllocated() && i >= 0)
    state = static_cast<UINT>(
        ::SendMessageW(lv->Handle(), LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_STATEIMAGEMASK));
  return (state & LVIS_STATEIMAGEMASK) == kChecked;
}

void TListItem::SetChecked(bool Value) { SetStateBits(LVIS_STATEIMAGEMASK, Value ? kChecked : kUnchecked); }

bool TListItem::EditCaption() {
  Integer i = Index();
  if (i < 0) return false;
  return ::SendMessageW(ListView()->Handle(), LVM_EDITLABELW, static_cast<WPARAM>(i), 0) != 0;
}

// ---------------------------------------------------------------------------
// Properties

void TCustomListView::SetColumnClick(bool Value) {
  if (columnClick_ == Value) return;
  columnClick_ = Value;
  if (handle_) RecreateWnd();
}

void TCustomListView::SetCheckboxes(bool Value) {
  if (checkboxes_ == Value) return;
  checkboxes_ = Value;
  UpdateCheckStates();
}

// Puts the check-box style into the window afresh. The control resets every
// item's state image when the style changes, so the marks are put back.
void TCustomListView::UpdateCheckStates() {
  if (!handle_) return;
  std::vector<UINT> marks;
  for (Integer i = 0; i < items_->Count(); ++i)
    marks.push_back(static_cast<UINT>(
        ::SendMessageW(handle_, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_STATEIMAGEMASK)));
  ::SendMessageW(handle_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, 0);
  UpdateExStyles();
  for (Integer i = 0; i < items_->Count(); ++i) {
    UINT mark = marks[static_cast<size_t>(i)] & LVIS_STATEIMAGEMASK;
    if (checkboxes_ && mark != kChecked) mark = kUnchecked;
    TListItem* item = items_->Item(i);
    if (static_cast<UINT>(::SendMessageW(handle_, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_STATEIMAGEMASK)) !=
        mark)
      item->SetStateBits(LVIS_STATEIMAGEMASK, mark);
    else
      item->state_ = (item->state_ & ~LVIS_STATEIMAGEMASK) | mark;
  }
}

void TCustomListView::SetSortType(TSortType Value) {
  if (sortType_ == Value) return;
  sortType_ = Value;
  if (((sortType_ == stData || sortType_ == stBoth) && OnCompare) || sortType_ == stText || sortType_ == stBoth)
    AlphaSort();
}

void TCustomListView::AutoSort(bool TextChanged, bool DataChanged) {
  if ((TextChanged && (sortType_ == stText || sortType_ == stBoth)) ||
      (DataChanged && (sortType_ == stData || sortType_ == stBoth)))
    AlphaSort();
}

TCanvas* TCustomListView::Canvas() const { return canvas_.get(); }

HWND TCustomListView::HeaderHandle() const {
  return handle_ ? reinterpret_cast<HWND>(::SendMessageW(handle_, LVM_GETHEADER, 0, 0)) : nullptr;
}

// ---------------------------------------------------------------------------
// Image lists

void TCustomListView::SetSmallImages(TCustomImageList* Value) { SetImageList(smallImages_, smallLink_.get(), Value); }
void TCustomListView::SetLargeImages(TCustomImageList* Value) { SetImageList(largeImages_, largeLink_.get(), Value); }
void TCustomListView::SetStateImages(TCustomImageList* Value) { SetImageList(stateImages_, stateLink_.get(), Value); }

void TCustomListView::SetImageList(TCustomImageList*& Field, TChangeLink* Link, TCustomImageList* Value) {
  if (Field == Value) return;
  TCustomImageList* old = Field;
  if (old) old->UnRegisterChanges(Link);
  Field = Value;
  // One list may serve in several places; its free notification stays while it does.
  if (old && old != smallImages_ && old != largeImages_ && old != stateImages_) old->RemoveFreeNotification(this);
  if (Value) {
    Value->RegisterChanges(Link);
    Value->FreeNotification(this);
  }
  const bool stateListGone = &Field == &stateImages_ && old && !Value;
  UpdateImageLists();
  // The application's state images leave; the check boxes' own come back.
  if (stateListGone && checkboxes_) UpdateCheckStates();
}

void TCustomListView::UpdateImageLists() {
  if (!handle_) return;
  auto list = [](TCustomImageList* l) { return reinterpret_cast<LPARAM>(l ? l->Handle() : nullptr); };
  ::SendMessageW(handle_, LVM_SETIMAGELIST, LVSIL_SMALL, list(smallImages_));
  ::SendMessageW(handle_, LVM_SETIMAGELIST, LVSIL_NORMAL, list(largeImages_));
  // Without images of its own the state list is the check boxes'.
  if (stateImages_ || !checkboxes_) ::SendMessageW(handle_, LVM_SETIMAGELIST, LVSIL_STATE, list(stateImages_));
}

void TCustomListView::ImageListChange(TObject*) { UpdateImageLists(); }

void TCustomListView::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove || !AComponent) return;
  bool gone = false, stateGone = false;
  for (auto [field, link] : {std::pair{&smallImages_, smallLink_.get()}, std::pair{&largeImages_, largeLink_.get()},
                             std::pair{&stateImages_, stateLink_.get()}}) {
    if (*field != AComponent) continue;
    // A list being destroyed has already let go of the link (Sender is nil).
    if (link->Sender()) link->Sender()->UnRegisterChanges(link);
    *field = nullptr;
    gone = true;
    stateGone = stateGone || field == &stateImages_;
  }
  if (!gone || destroying_) return;
  UpdateImageLists();
  if (stateGone && checkboxes_) UpdateCheckStates();
}

// ---------------------------------------------------------------------------
// Sorting

bool TCustomListView::AlphaSort() { return CustomSort(nullptr, 0); }

bool TCustomListView::CustomSort(TLVCompare SortProc, LPARAM Data) {
  auto& owned = items_->items_;
  if (owned.size() < 2) return true;
  auto compare = [&](TListItem* A, TListItem* B) -> Integer {
    if (SortProc) return SortProc(A, B, Data);
    Integer result = 0;
    if (OnCompare)
      OnCompare(this, A, B, static_cast<Integer>(Data), result);
    else
      result = lstrcmpW(Utf8ToWide(A->caption_).c_str(), Utf8ToWide(B->caption_).c_str());
    return result;
  };
  // Decide the order first: a comparison that throws leaves items and window as they were.
  std::vector<TListItem*> order;
  order.reserve(owned.size());
  for (auto& p : owned) order.push_back(p.get());
  MergeSort(order, [&](TListItem* A, TListItem* B) { return compare(A, B) < 0; });

  TRankMap ranks;
  for (size_t i = 0; i < order.size(); ++i) ranks[reinterpret_cast<LPARAM>(order[i])] = static_cast<Integer>(i);
  std::vector<std::unique_ptr<TListItem>> sorted(owned.size());
  for (auto& p : owned) sorted[static_cast<size_t>(ranks[reinterpret_cast<LPARAM>(p.get())])] = std::move(p);
  owned.swap(sorted);
  // The window moves its own items (with their selection, focus and check
  // marks) into the same order.
  if (handle_)
    ::SendMessageW(handle_, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&ranks), reinterpret_cast<LPARAM>(&RankCompare));
  return true;
}

// ---------------------------------------------------------------------------
// Notifications

bool TCustomListView::CanChange(TListItem* Item, Integer AChange) {
  TItemChange change;
  switch (AChange) {
    case LVIF_TEXT: change = ctText; break;
    case LVIF_IMAGE: change = ctImage; break;
    case LVIF_STATE: change = ctState; break;
    default: return true;
  }
  bool allow = true;
  OnChanging(this, Item, change, allow);
  return allow;
}

void TCustomListView::ColClick(TListColumn* Column) { OnColumnClick(this, Column); }

bool TCustomListView::CanEdit(TListItem* Item) {
  bool allow = true;
  OnEditing(this, Item, allow);
  return allow;
}

void TCustomListView::Edit(TListItem* Item, const std::string& Text) {
  std::string s = Text;
  OnEdited(this, Item, s);
  // The handler may have deleted the item.
  if (items_->IndexOf(Item) >= 0) Item->SetCaption(s);
}

// ---------------------------------------------------------------------------
// Custom drawing

bool TCustomListView::IsCustomDrawn(TCustomDrawTarget Target, TCustomDrawStage Stage) {
  // Only the first stage has events; the others are there for descendants.
  if (Stage != cdPrePaint) return false;
  switch (Target) {
    case dtSubItem: return OnCustomDrawSubItem.Assigned();
    case dtItem: return OnCustomDrawItem.Assigned() || OnCustomDrawSubItem.Assigned();
    default: return OnCustomDraw.Assigned() || OnCustomDrawItem.Assigned() || OnCustomDrawSubItem.Assigned();
  }
}

bool TCustomListView::CustomDraw(const TRect& ARect, TCustomDrawStage Stage) {
  bool defaultDraw = true;
  if (Stage == cdPrePaint) OnCustomDraw(this, ARect, defaultDraw);
  return defaultDraw;
}

bool TCustomListView::CustomDrawItem(TListItem* Item, TCustomDrawState State, TCustomDrawStage Stage) {
  bool defaultDraw = true;
  if (Stage == cdPrePaint) OnCustomDrawItem(this, Item, State, defaultDraw);
  return defaultDraw;
}

bool TCustomListView::CustomDrawSubItem(TListItem* Item, Integer SubItem, TCustomDrawState State,
                                        TCustomDrawStage Stage) {
  bool defaultDraw = true;
  if (Stage == cdPrePaint) OnCustomDrawSubItem(this, Item, SubItem, State, defaultDraw);
  return defaultDraw;
}

// The canvas on the control's device context for one drawing stage, with the
// control's font and brush; notes whether the handler changed them. The
// context gets its own objects back afterwards.
struct TCustomListView::TDrawScope {
  TControlCanvas* canvas;
  HDC dc;
  int saved;
  bool fontChanged = false, brushChanged = false;
  TNotifyEvent oldFont, oldBrush;

  TDrawScope(TCustomListView* ListView, HDC DC) : canvas(ListView->canvas_.get()), dc(DC), saved(SaveDC(DC)) {
    canvas->FreeHandle();
    canvas->SetHandle(dc);
    canvas->SetFont(ListView->Font());
    canvas->SetBrush(ListView->Brush());
    oldFont = canvas->Font()->OnChange;
    oldBrush = canvas->Brush()->OnChange;
    canvas->Font()->OnChange = [this](TObject* Sender) {
      oldFont(Sender);
      fontChanged = true;
    };
    canvas->Brush()->OnChange = [this](TObject* Sender) {
      oldBrush(Sender);
      brushChanged = true;
    };
  }
  ~TDrawScope() {
    canvas->Font()->OnChange = oldFont;
    canvas->Brush()->OnChange = oldBrush;
    canvas->SetHandle(nullptr);
    RestoreDC(dc, saved);
  }
  TDrawScope(const TDrawScope&) = delete;
  TDrawScope& operator=(const TDrawScope&) = delete;
};

void TCustomListView::ReleaseCustomDrawFont(HDC DC) {
  if (!customDrawFont_) return;
  if (DC && GetCurrentObject(DC, OBJ_FONT) == customDrawFont_) {
    auto font = reinterpret_cast<HGDIOBJ>(handle_ ? ::SendMessageW(handle_, WM_GETFONT, 0, 0) : 0);
    SelectObject(DC, font ? font : GetStockObject(DEFAULT_GUI_FONT));
  }
  DeleteObject(customDrawFont_);
  customDrawFont_ = nullptr;
}

LRESULT TCustomListView::CustomDrawNotify(void* Draw) {
  auto* cd = static_cast<NMLVCUSTOMDRAW*>(Draw);
  const DWORD stage = cd->nmcd.dwDrawStage;
  HDC dc = cd->nmcd.hdc;
  static const TCustomDrawStage Stages[] = {cdPrePaint, cdPostPaint, cdPreErase, cdPostErase};
  const DWORD step = stage & 0xF;  // CDDS_PREPAINT .. CDDS_POSTERASE
  if (step < CDDS_PREPAINT || step > CDDS_POSTERASE) return CDRF_DODEFAULT;
  const TCustomDrawStage drawStage = Stages[step - CDDS_PREPAINT];

  if (!(stage & CDDS_ITEM)) {
    if (step == CDDS_PREPAINT) ReleaseCustomDrawFont(dc);
    if (IsCustomDrawn(dtControl, drawStage)) {
      bool defaultDraw;
      {
        TDrawScope scope(this, dc);
        defaultDraw = CustomDraw(ClientRect(), drawStage);
      }
      if (!defaultDraw && step == CDDS_PREPAINT) return CDRF_SKIPDEFAULT;
    }
    if (step != CDDS_PREPAINT) return CDRF_DODEFAULT;
    LRESULT result = CDRF_DODEFAULT;
    if (IsCustomDrawn(dtItem, cdPrePaint) || IsCustomDrawn(dtItem, cdPostPaint) ||
        IsCustomDrawn(dtSubItem, cdPrePaint) || IsCustomDrawn(dtSubItem, cdPostPaint))
      result |= CDRF_NOTIFYITEMDRAW;
    if (IsCustomDrawn(dtControl, cdPostPaint)) result |= CDRF_NOTIFYPOSTPAINT;
    if (IsCustomDrawn(dtControl, cdPostErase)) result |= CDRF_NOTIFYPOSTERASE;
    return result;
  }

  const auto index = static_cast<Integer>(cd->nmcd.dwItemSpec);
  if (index < 0 || index >= items_->Count()) return CDRF_DODEFAULT;
  TListItem* item = items_->Item(index);
  const auto state = TCustomDrawState::FromBits(cd->nmcd.uItemState & 0x1FF);
  const bool sub = (stage & CDDS_SUBITEM) != 0;
  const TCustomDrawTarget target = sub ? dtSubItem : dtItem;
  // A sub-item stage for column 0 stands for the item's caption.
  auto call = [&](TCustomDrawStage S) {
    return sub ? CustomDrawSubItem(item, cd->iSubItem, state, S) : CustomDrawItem(item, state, S);
  };

  if (step != CDDS_PREPAINT) {
    if (IsCustomDrawn(target, drawStage)) {
      TDrawScope scope(this, dc);
      call(drawStage);
    }
    return CDRF_DODEFAULT;
  }

  if (!sub) ReleaseCustomDrawFont(dc);
  LRESULT result = CDRF_DODEFAULT;
  if (IsCustomDrawn(target, cdPrePaint)) {
    bool defaultDraw;
    HFONT newFont = nullptr;
    {
      TDrawScope scope(this, dc);
      defaultDraw = call(cdPrePaint);
      if (defaultDraw && (scope.fontChanged || scope.brushChanged)) {
        // What the handler set on the canvas is how the control draws the item.
        cd->clrText = static_cast<COLORREF>(ColorToRGB(canvas_->Font()->Color()));
        TBrush* brush = canvas_->Brush();
        cd->clrTextBk = brush->Style() == bsClear || brush->Color() == clNone
                            ? CLR_NONE
                            : static_cast<COLORREF>(ColorToRGB(brush->Color()));
        LOGFONTW lf{};
        if (scope.fontChanged && GetObjectW(canvas_->Font()->Handle(), sizeof(lf), &lf) != 0)
          newFont = CreateFontIndirectW(&lf);
      }
    }
    if (!defaultDraw) return CDRF_SKIPDEFAULT;
    if (newFont) {
      // The previous sub-item's font is no longer selected once the new one is.
      SelectObject(dc, newFont);
      if (customDrawFont_) DeleteObject(customDrawFont_);
      customDrawFont_ = newFont;
      result |= CDRF_NEWFONT;
    }
  }
  if (!sub && (IsCustomDrawn(dtSubItem, cdPrePaint) || IsCustomDrawn(dtSubItem, cdPostPaint)))
    result |= CDRF_NOTIFYSUBITEMDRAW;
  if (IsCustomDrawn(target, cdPostPaint)) result |= CDRF_NOTIFYPOSTPAINT;
  return result;
}
