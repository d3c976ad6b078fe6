#include <algorithm>

#include "platform/Classes.h"
#include "platform/SysUtils.h"

// ---------------------------------------------------------------------------
// TList

TList::~TList() { TList::Clear(); }

void TList::Error(const char* Msg, Integer Data) { throw EListError(Format(Msg, {Data})); }

void* TList::Get(Integer Index) const {
  if (Index < 0 || Index >= Count()) Error("List index out of bounds (%d)", Index);
  return items_[static_cast<size_t>(Index)];
}

Integer TList::Add(void* Item) {
  const Integer index = Count();
  items_.push_back(Item);
  if (Item != nullptr) Notify(Item, lnAdded);
  return index;
}

void TList::Insert(Integer Index, void* Item) {
  if (Index < 0 || Index > Count()) Error("List index out of bounds (%d)", Index);
  items_.insert(items_.begin() + Index, Item);
  if (Item != nullptr) Notify(Item, lnAdded);
}

void TList::Delete(Integer Index) {
  void* item = Get(Index);
  items_.erase(items_.begin() + Index);
  if (item != nullptr) Notify(item, lnDeleted);
}

Integer TList::Remove(void* Item) {
  const Integer index = IndexOf(Item);
  if (index >= 0) Delete(index);
  return index;
}

void* TList::Extract(void* Item) {
  const Integer index = IndexOf(Item);
  if (index < 0) return nullptr;
  items_.erase(items_.begin() + index);
  Notify(Item, lnExtracted);
  return Item;
}

Integer TList::IndexOf(void* Item) const {
  const auto it = std::find(items_.begin(), items_.end(), Item);
  return it == items_.end() ? -1 : static_cast<Integer>(it - items_.begin());
}

void TList::Clear() {
  SetCount(0);
  SetCapacity(0);
}

void TList::Exchange(Integer Index1, Integer Index2) {
  Get(Index1);
  Get(Index2);
  std::swap(items_[static_cast<size_t>(Index1)], items_[static_cast<size_t>(Index2)]);
}

void TList::Move(Integer CurIndex, Integer NewIndex) {
  if (CurIndex == NewIndex) return;
  Get(CurIndex);
  if (NewIndex < 0 || NewIndex >= Count()) Error("List index out of bounds (%d)", NewIndex);
  if (CurIndex < NewIndex) {
    std::rotate(items_.begin() + CurIndex, items_.begin() + CurIndex + 1, items_.begin() + NewIndex + 1);
  } else {
    std::rotate(items_.begin() + NewIndex, items_.begin() + CurIndex, items_.begin() + CurIndex + 1);
  }
}

void TList::Pack() { items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end()); }

void TList::Sort(const TListSortCompare& Compare) {
  // A stable merge sort stays within bounds even with an inconsistent comparer.
  std::stable_sort(items_.begin(), items_.end(), [&](void* a, void* b) { return Compare(a, b) < 0; });
}

void TList::Assign(TList* Source) {
  Clear();
  for (Integer i = 0; i < Source->Count(); ++i) Add(Source->Items(i));
}

void TList::SetCount(Integer NewCount) {
  if (NewCount < 0 || NewCount > MaxListSize) Error("List count out of bounds (%d)", NewCount);
  if (NewCount > Count()) {
    items_.resize(static_cast<size_t>(NewCount), nullptr);
  } else {
    for (Integer i = Count() - 1; i >= NewCount; --i) Delete(i);
  }
}

void TList::SetCapacity(Integer NewCapacity) {
  if (NewCapacity < Count() || NewCapacity > MaxListSize) Error("List capacity out of bounds (%d)", NewCapacity);
  if (NewCapacity > Capacity()) {
    items_.reserve(static_cast<size_t>(NewCapacity));
  } else if (NewCapacity < Capacity()) {
    items_.shrink_to_fit();
  }
}

void TList::SetItems(Integer Index, void* Item) {
  void* old = Get(Index);
  if (Item == old) return;
  items_[static_cast<size_t>(Index)] = Item;
  if (old != nullptr) Notify(old, lnDeleted);
  if (Item != nullptr) Notify(Item, lnAdded);
}

// ---------------------------------------------------------------------------
// TThreadList

TThreadList::TThreadList() { ::InitializeCriticalSection(&lock_); }

TThreadList::~TThreadList() {
  LockList();
  UnlockList();
  ::DeleteCriticalSection(&lock_);
}

TList* TThreadList::LockList() {
  ::EnterCriticalSection(&lock_);
  return &list_;
}

void TThreadList::UnlockList() { ::LeaveCriticalSection(&lock_); }

void TThreadList::Add(void* Item) {
  LockList();
  struct Unlock { TThreadList* l; ~Unlock() { l->UnlockList(); } } unlock{this};
  if (duplicates_ == dupAccept || list_.IndexOf(Item) < 0) {
    list_.Add(Item);
  } else if (duplicates_ == dupError) {
    throw EListError(Format("List does not allow duplicates ($0%x)", {reinterpret_cast<uintptr_t>(Item)}));
  }
}

void TThreadList::Remove(void* Item) {
  LockList();
  list_.Remove(Item);
  UnlockList();
}

void TThreadList::Clear() {
  LockList();
  list_.Clear();
  UnlockList();
}

// ---------------------------------------------------------------------------
// TStrings

void TStrings::Error(const char* Msg, Integer Data) { throw EStringListError(Format(Msg, {Data})); }

Integer TStrings::Add(const std::string& S) {
  const Integer index = GetCount();
  Insert(index, S);
  return index;
}

Integer TStrings::AddObject(const std::string& S, TObject* AObject) {
  const Integer index = Add(S);
  PutObject(index, AObject);
  return index;
}

void TStrings::AddStrings(TStrings* Strings) {
  BeginUpdate();
  struct End { TStrings* s; ~End() { s->EndUpdate(); } } end{this};
  for (Integer i = 0; i < Strings->Count(); ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
}

void TStrings::InsertObject(Integer Index, const std::string& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TStrings::Put(Integer Index, const std::string& S) {
  TObject* o = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, o);
}

void TStrings::Exchange(Integer Index1, Integer Index2) {
  BeginUpdate();
  struct End { TStrings* s; ~End() { s->EndUpdate(); } } end{this};
  const std::string s1 = Get(Index1);
  TObject* o1 = GetObject(Index1);
  Put(Index1, Get(Index2));
  PutObject(Index1, GetObject(Index2));
  Put(Index2, s1);
  PutObject(Index2, o1);
}

void TStrings::Move(Integer CurIndex, Integer NewIndex) {
  if (CurIndex == NewIndex) return;
  BeginUpdate();
  struct End { TStrings* s; ~End() { s->EndUpdate(); } } end{this};
  const std::string s = Get(CurIndex);
  TObject* o = GetObject(CurIndex);
  Delete(CurIndex);
  InsertObject(NewIndex, s, o);
}

Integer TStrings::CompareStrings(const std::string& S1, const std::string& S2) const {
  return AnsiCompareText(S1, S2);
}

Integer TStrings::IndexOf(const std::string& S) const {
  for (Integer i = 0; i < GetCount(); ++i)
    if (CompareStrings(Get(i), S) == 0) return i;
  return -1;
}

Integer TStrings::IndexOfName(const std::string& Name) const {
  for (Integer i = 0; i < GetCount(); ++i) {
    const std::string s = Get(i);
    const size_t p = s.find(nameValueSeparator_);
    if (p != std::string::npos && CompareStrings(s.substr(0, p), Name) == 0) return i;
  }
  return -1;
}

Integer TStrings::IndexOfObject(TObject* AObject) const {
  for (Integer i = 0; i < GetCount(); ++i)
    if (GetObject(i) == AObject) return i;
  return -1;
}

bool TStrings::Equals(TStrings* Strings) const {
  if (Strings->Count() != GetCount()) return false;
  for (Integer i = 0; i < GetCount(); ++i)
    if (Get(i) != Strings->Get(i)) return false;
  return true;
}

void TStrings::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TStrings*>(Source)) {
    if (s == this) return;
    BeginUpdate();
    struct End { TStrings* t; ~End() { t->EndUpdate(); } } end{this};
    Clear();
    AddStrings(s);
    return;
  }
  TPersistent::Assign(Source);
}

void TStrings::BeginUpdate() {
  if (updateCount_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) SetUpdateState(false);
}

std::string TStrings::GetTextStr() const {
  std::string out;
  const Integer n = GetCount();
  for (Integer i = 0; i < n; ++i) {
    out += Get(i);
    out += LineBreak;
  }
  return out;
}

void TStrings::SetTextStr(const std::string& Value) {
  BeginUpdate();
  struct End { TStrings* s; ~End() { s->EndUpdate(); } } end{this};
  Clear();
  const size_t n = Value.size();
  size_t i = 0;
  while (i < n) {
    const size_t start = i;
    while (i < n && Value[i] != '\r' && Value[i] != '\n') ++i;
    Add(Value.substr(start, i - start));
    if (i < n && Value[i] == '\r') {
      ++i;
      if (i < n && Value[i] == '\n') ++i;
    } else if (i < n) {
      ++i;  // LF
    }
  }
}

namespace {
bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }
}  // namespace

std::string TStrings::DelimitedText() const { return JoinDelimited(delimiter_, quoteChar_); }

void TStrings::SetDelimitedText(const std::string& Value) { SplitDelimited(Value, delimiter_, quoteChar_); }

std::string TStrings::CommaText() const { return JoinDelimited(',', '"'); }

void TStrings::SetCommaText(const std::string& Value) { SplitDelimited(Value, ',', '"'); }

std::string TStrings::JoinDelimited(char delim, char quote) const {
  const Integer n = GetCount();
  if (n == 1 && Get(0).empty()) return std::string(2, quote);
  std::string out;
  for (Integer i = 0; i < n; ++i) {
    const std::string s = Get(i);
    const bool needsQuotes = std::any_of(s.begin(), s.end(), [&](char c) {
      return IsBlankOrControl(c) || c == quote || c == delim;
    });
    if (i > 0) out += delim;
    out += needsQuotes ? AnsiQuotedStr(s, quote) : s;
  }
  return out;
}

void TStrings::SplitDelimited(const std::string& Value, char delim, char quote) {
  BeginUpdate();
  struct End { TStrings* s; ~End() { s->EndUpdate(); } } end{this};
  Clear();
  const size_t n = Value.size();
  size_t i = 0;
  auto skipBlanks = [&] {
    while (i < n && IsBlankOrControl(Value[i])) ++i;
  };
  skipBlanks();
  while (i < n) {
    std::string s;
    if (Value[i] == quote) {
      // Quoted: doubled quotes stand for one; an unclosed quote runs to the end.
      ++i;
      while (i < n) {
        if (Value[i] == quote) {
          if (i + 1 < n && Value[i + 1] == quote) {
            s += quote;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        s += Value[i++];
      }
    } else {
      const size_t start = i;
      while (i < n && !IsBlankOrControl(Value[i]) && Value[i] != delim) ++i;
      s = Value.substr(start, i - start);
    }
    Add(s);
    skipBlanks();
    if (i < n && Value[i] == delim) {
      if (i + 1 == n) Add(std::string());
      ++i;
      skipBlanks();
    }
  }
}

std::string TStrings::Names(Integer Index) const {
  const std::string s = Get(Index);
  const size_t p = s.find(nameValueSeparator_);
  return p == std::string::npos ? std::string() : s.substr(0, p);
}

std::string TStrings::Values(const std::string& Name) const {
  const Integer i = IndexOfName(Name);
  return i < 0 ? std::string() : ValueFromIndex(i);
}

std::string TStrings::ValueFromIndex(Integer Index) const {
  const std::string s = Get(Index);
  const size_t p = s.find(nameValueSeparator_);
  return p == std::string::npos ? std::string() : s.substr(p + 1);
}

void TStrings::SetValues(const std::string& Name, const std::string& Value) {
  Integer i = IndexOfName(Name);
  if (!Value.empty()) {
    if (i < 0) i = Add(std::string());
    Put(i, Name + nameValueSeparator_ + Value);
  } else if (i >= 0) {
    Delete(i);
  }
}

void TStrings::LoadFromStream(TStream* Stream) {
  BeginUpdate();
  struct End { TStrings* s; ~End() { s->EndUpdate(); } } end{this};
  const Int64 size = Stream->Size() - Stream->Position();
  std::string data(static_cast<size_t>(std::max<Int64>(size, 0)), '\0');
  data.resize(static_cast<size_t>(Stream->Read(data.data(), static_cast<Integer>(data.size()))));
  if (data.size() >= 3 && data.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    data.erase(0, 3);
  } else if (data.size() >= 2 && data[0] == '\xFF' && data[1] == '\xFE') {
    std::wstring w((data.size() - 2) / 2, L'\0');
    std::memcpy(w.data(), data.data() + 2, w.size() * 2);
    data = WideToUtf8(w);
  }
  SetTextStr(data);
}

void TStrings::SaveToStream(TStream* Stream) const {
  const std::string s = GetTextStr();
  Stream->WriteBuffer(s.data(), static_cast<Integer>(s.size()));
}

void TStrings::LoadFromFile(const std::string& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TStrings::SaveToFile(const std::string& FileName) const {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

// ---------------------------------------------------------------------------
// TStringList

namespace {
constexpr const char* kListIndexError = "List index out of bounds (%d)";
constexpr const char* kSortedListError = "Operation not allowed on sorted list";
}  // namespace

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
}

void TStringList::CheckIndex(Integer Index) const {
  if (Index < 0 || Index >= GetCount()) Error(kListIndexError, Index);
}

std::string TStringList::Get(Integer Index) const {
  CheckIndex(Index);
  return items_[static_cast<size_t>(Index)].S;
}

TObject* TStringList::GetObject(Integer Index) const {
  CheckIndex(Index);
  return items_[static_cast<size_t>(Index)].O;
}

void TStringList::Changed() {
  if (UpdateCount() == 0) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0) OnChanging(this);
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating) {
    OnChanging(this);
  } else {
    OnChange(this);
  }
}

Integer TStringList::CompareStrings(const std::string& S1, const std::string& S2) const {
  return caseSensitive_ ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

Integer TStringList::Add(const std::string& S) { return AddObject(S, nullptr); }

Integer TStringList::AddObject(const std::string& S, TObject* AObject) {
  Integer index = GetCount();
  if (sorted_ && Find(S, index)) {
    if (duplicates_ == dupIgnore) return index;
    if (duplicates_ == dupError) throw EStringListError("String list does not allow duplicates");
  }
  InsertItem(index, S, AObject);
  return index;
}

void TStringList::Insert(Integer Index, const std::string& S) {
  if (sorted_) throw EStringListError(kSortedListError);
  if (Index < 0 || Index > GetCount()) Error(kListIndexError, Index);
  InsertItem(Index, S, nullptr);
}

void TStringList::InsertItem(Integer Index, const std::string& S, TObject* AObject) {
  Changing();
  items_.insert(items_.begin() + Index, Item{S, AObject});
  Changed();
}

void TStringList::Delete(Integer Index) {
  CheckIndex(Index);
  Changing();
  items_.erase(items_.begin() + Index);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  items_.clear();
  Changed();
}

void TStringList::Exchange(Integer Index1, Integer Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(items_[static_cast<size_t>(Index1)], items_[static_cast<size_t>(Index2)]);
  Changed();
}

void TStringList::Put(Integer Index, const std::string& S) {
  if (sorted_) throw EStringListError(kSortedListError);
  CheckIndex(Index);
  Changing();
  items_[static_cast<size_t>(Index)].S = S;
  Changed();
}

void TStringList::PutObject(Integer Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  items_[static_cast<size_t>(Index)].O = AObject;
  Changed();
}

bool TStringList::Find(const std::string& S, Integer& Index) const {
  // The first of equal strings, so that duplicates stay together in order.
  Integer lo = 0, hi = GetCount() - 1;
  bool found = false;
  while (lo <= hi) {
    const Integer mid = (lo + hi) / 2;
    const Integer c = CompareStrings(items_[static_cast<size_t>(mid)].S, S);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) found = true;
    }
  }
  Index = lo;
  return found;
}

Integer TStringList::IndexOf(const std::string& S) const {
  if (!sorted_) return TStrings::IndexOf(S);
  Integer index;
  return Find(S, index) ? index : -1;
}

void TStringList::QuickSort(Integer L, Integer R, const TStringListSortCompare& Compare) {
  // Hoare partitioning with bounds on the scans, so a comparer that is not a
  // strict order cannot walk out of the list.
  while (L < R) {
    Integer i = L, j = R, p = (L + R) / 2;
    do {
      while (i < R && Compare(this, i, p) < 0) ++i;
      while (j > L && Compare(this, j, p) > 0) --j;
      if (i <= j) {
        if (i != j) std::swap(items_[static_cast<size_t>(i)], items_[static_cast<size_t>(j)]);
        if (p == i) {
          p = j;
        } else if (p == j) {
          p = i;
        }
        ++i;
        --j;
      }
    } while (i <= j);
    if (L < j) QuickSort(L, j, Compare);
    L = i;
  }
}

void TStringList::CustomSort(const TStringListSortCompare& Compare) {
  if (sorted_ || GetCount() <= 1) return;
  Changing();
  QuickSort(0, GetCount() - 1, Compare);
  Changed();
}

void TStringList::Sort() {
  CustomSort([](TStringList* l, Integer a, Integer b) {
    return l->CompareStrings(l->items_[static_cast<size_t>(a)].S, l->items_[static_cast<size_t>(b)].S);
  });
}

void TStringList::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  if (Value) Sort();
  sorted_ = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (caseSensitive_ == Value) return;
  caseSensitive_ = Value;
  if (sorted_) {
    sorted_ = false;
    Sort();
    sorted_ = true;
  }
}

void TStringList::SetCapacity(Integer NewCapacity) {
  if (NewCapacity > Capacity()) items_.reserve(static_cast<size_t>(NewCapacity));
}

// ---------------------------------------------------------------------------
// TCollection

TCollectionItem::TCollectionItem(TCollection* Collection) { SetCollection(Collection); }

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* Value) {
  if (collection_ == Value) return;
  if (collection_ != nullptr) collection_->RemoveItem(this);
  if (Value != nullptr) Value->InsertItem(this);
}

Integer TCollectionItem::Index() const {
  if (collection_ == nullptr) return -1;
  const auto& items = collection_->items_;
  const auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : static_cast<Integer>(it - items.begin());
}

void TCollectionItem::SetIndex(Integer Value) {
  const Integer cur = Index();
  if (cur < 0 || cur == Value) return;
  auto& items = collection_->items_;
  if (Value < 0 || Value >= static_cast<Integer>(items.size())) TList::Error("List index out of bounds (%d)", Value);
  items.erase(items.begin() + cur);
  items.insert(items.begin() + Value, this);
  Changed(true);
}

std::string TCollectionItem::DisplayName() const { return ClassName(); }

std::string TCollectionItem::GetNamePath() const {
  if (collection_ == nullptr) return ClassName();
  return collection_->GetNamePath() + "[" + std::to_string(Index()) + "]";
}

TPersistent* TCollectionItem::GetOwner() const { return collection_; }

void TCollectionItem::Changed(bool AllItems) {
  if (collection_ != nullptr && collection_->updateCount_ == 0) collection_->Update(AllItems ? nullptr : this);
}

TCollection::TCollection(TCollectionItemClass ItemClass) : itemClass_(std::move(ItemClass)) {}

TCollection::~TCollection() {
  updateCount_ = 1;  // no Update calls into a class being destroyed
  while (!items_.empty()) delete items_.back();
}

void TCollection::InsertItem(TCollectionItem* Item) {
  items_.push_back(Item);
  Item->collection_ = this;
  Item->id_ = nextID_++;
  Notify(Item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
  Notify(Item, cnExtracting);
  const auto it = std::find(items_.begin(), items_.end(), Item);
  if (it != items_.end()) items_.erase(it);
  Item->collection_ = nullptr;
  Changed();
}

TCollectionItem* TCollection::Add() { return itemClass_(this); }

TCollectionItem* TCollection::Insert(Integer Index) {
  TCollectionItem* item = Add();
  item->SetIndex(Index);
  return item;
}

TCollectionItem* TCollection::Items(Integer Index) const {
  if (Index < 0 || Index >= Count()) TList::Error("List index out of bounds (%d)", Index);
  return items_[static_cast<size_t>(Index)];
}

void TCollection::Delete(Integer Index) {
  TCollectionItem* item = Items(Index);
  Notify(item, cnDeleting);
  delete item;
}

void TCollection::Clear() {
  if (items_.empty()) return;
  BeginUpdate();
  struct End { TCollection* c; ~End() { c->EndUpdate(); } } end{this};
  while (!items_.empty()) Delete(Count() - 1);
}

void TCollection::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TCollection::Changed() {
  if (updateCount_ == 0) Update(nullptr);
}

TCollectionItem* TCollection::FindItemID(Integer ID) const {
  for (TCollectionItem* item : items_)
    if (item->id_ == ID) return item;
  return nullptr;
}

void TCollection::Assign(TPersistent* Source) {
  if (auto* c = dynamic_cast<TCollection*>(Source)) {
    if (c == this) return;
    BeginUpdate();
    struct End { TCollection* t; ~End() { t->EndUpdate(); } } end{this};
    Clear();
    for (TCollectionItem* item : c->items_) Add()->Assign(item);
    return;
  }
  TPersistent::Assign(Source);
}

std::string TCollection::GetNamePath() const {
  TPersistent* owner = GetOwner();
  return owner != nullptr ? owner->GetNamePath() : ClassName();
}
