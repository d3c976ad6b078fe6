// Streams, lists, string lists, collections, components and threads of the
// class library.
#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/System.h"

T_DECLARE_EXCEPTION(EResNotFound, Exception)

// ---------------------------------------------------------------------------
// Streams.

enum TSeekOrigin : Word { soBeginning = 0, soCurrent = 1, soEnd = 2 };
constexpr TSeekOrigin soFromBeginning = soBeginning;
constexpr TSeekOrigin soFromCurrent = soCurrent;
constexpr TSeekOrigin soFromEnd = soEnd;

class TStream : public TObject {
 public:
  T_CLASSNAME(TStream)
  // Reads up to Count bytes; returns the number read (fewer at the end).
  virtual Integer Read(void* Buffer, Integer Count) = 0;
  // Writes up to Count bytes; returns the number written.
  virtual Integer Write(const void* Buffer, Integer Count) = 0;
  // Moves the position; returns the new position from the beginning.
  virtual Int64 Seek(Int64 Offset, TSeekOrigin Origin) = 0;

  Int64 Position() { return Seek(0, soCurrent); }
  void SetPosition(Int64 Pos) { Seek(Pos, soBeginning); }
  virtual Int64 Size();
  virtual void SetSize(Int64 NewSize);

  // Read/Write all of Count bytes or raise EReadError/EWriteError.
  void ReadBuffer(void* Buffer, Integer Count);
  void WriteBuffer(const void* Buffer, Integer Count);
  // Copies Count bytes from Source; Count 0 copies all of Source from its start.
  Int64 CopyFrom(TStream* Source, Int64 Count);
};

// Open modes and share modes of TFileStream.
constexpr Word fmCreate = 0xFF00;
constexpr Word fmOpenRead = 0x0000;
constexpr Word fmOpenWrite = 0x0001;
constexpr Word fmOpenReadWrite = 0x0002;
constexpr Word fmShareCompat = 0x0000;
constexpr Word fmShareExclusive = 0x0010;
constexpr Word fmShareDenyWrite = 0x0020;
constexpr Word fmShareDenyRead = 0x0030;
constexpr Word fmShareDenyNone = 0x0040;

// A stream over a Windows file handle; the handle is not closed.
class THandleStream : public TStream {
 public:
  T_CLASSNAME(THandleStream)
  explicit THandleStream(HANDLE AHandle) : handle_(AHandle) {}
  Integer Read(void* Buffer, Integer Count) override;
  Integer Write(const void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  // The file's size in one call, without moving the position.
  Int64 Size() override;
  void SetSize(Int64 NewSize) override;
  HANDLE Handle() const { return handle_; }

 protected:
  HANDLE handle_;
};

// A stream over a named file (UTF-8 name). Opening a missing file raises
// EFOpenError; failing to create one raises EFCreateError.
class TFileStream : public THandleStream {
 public:
  T_CLASSNAME(TFileStream)
  TFileStream(const std::string& FileName, Word Mode);
  ~TFileStream() override;
  const std::string& FileName() const { return fileName_; }

 private:
  std::string fileName_;
};

// A stream over a block of memory it does not own (set by SetPointer).
class TCustomMemoryStream : public TStream {
 public:
  T_CLASSNAME(TCustomMemoryStream)
  Integer Read(void* Buffer, Integer Count) override;
  Integer Write(const void* Buffer, Integer Count) override;  // raises: fixed memory
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  Int64 Size() override { return size_; }
  void* Memory() const { return memory_; }
  void SaveToStream(TStream* Stream);
  void SaveToFile(const std::string& FileName);

 protected:
  void SetPointer(void* Ptr, Int64 Size) {
    memory_ = static_cast<Byte*>(Ptr);
    size_ = Size;
  }
  Byte* memory_ = nullptr;
  Int64 size_ = 0;
  Int64 position_ = 0;
};

// A growable stream in memory.
class TMemoryStream : public TCustomMemoryStream {
 public:
  T_CLASSNAME(TMemoryStream)
  TMemoryStream() = default;
  ~TMemoryStream() override;
  Integer Write(const void* Buffer, Integer Count) override;
  void SetSize(Int64 NewSize) override;
  void Clear();
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const std::string& FileName);
  Int64 Capacity() const { return capacity_; }
  void SetCapacity(Int64 NewCapacity);

 private:
  Int64 capacity_ = 0;
};

// A read-only stream over a resource of a module (RCDATA and the like).
class TResourceStream : public TCustomMemoryStream {
 public:
  T_CLASSNAME(TResourceStream)
  TResourceStream(HINSTANCE Instance, const std::string& ResName, const wchar_t* ResType);
  TResourceStream(HINSTANCE Instance, Integer ResID, const wchar_t* ResType);
  Integer Write(const void* Buffer, Integer Count) override;  // raises EStreamError

 private:
  void Initialize(HINSTANCE Instance, const wchar_t* Name, const wchar_t* ResType,
                  const std::string& Shown);
};

// A stream over a byte string.
class TStringStream : public TStream {
 public:
  T_CLASSNAME(TStringStream)
  explicit TStringStream(std::string AString = std::string()) : data_(std::move(AString)) {}
  Integer Read(void* Buffer, Integer Count) override;
  Integer Write(const void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  Int64 Size() override { return static_cast<Int64>(data_.size()); }
  void SetSize(Int64 NewSize) override;
  const std::string& DataString() const { return data_; }
  // Reads up to Count bytes from the position.
  std::string ReadString(Integer Count);
  void WriteString(const std::string& AString);

 private:
  std::string data_;
  Int64 position_ = 0;
};

// ---------------------------------------------------------------------------
// TList: a list of untyped pointers.

enum TListNotification { lnAdded, lnExtracted, lnDeleted };
using TListSortCompare = std::function<int(void* Item1, void* Item2)>;

constexpr Integer MaxListSize = 0x7FFFFFF;

class TList : public TObject {
 public:
  T_CLASSNAME(TList)
  TList() = default;
  ~TList() override;
  Integer Add(void* Item);
  void Insert(Integer Index, void* Item);
  void Delete(Integer Index);
  // Removes the first occurrence; returns its former index or -1.
  Integer Remove(void* Item);
  // Removes the first occurrence without the lnDeleted notification.
  void* Extract(void* Item);
  Integer IndexOf(void* Item) const;
  virtual void Clear();
  void Exchange(Integer Index1, Integer Index2);
  void Move(Integer CurIndex, Integer NewIndex);
  // Removes the nil entries.
  void Pack();
  void Sort(const TListSortCompare& Compare);
  void* First() const { return Get(0); }
  void* Last() const { return Get(Count() - 1); }
  TList* Expand() { return this; }
  void Assign(TList* Source);

  Integer Count() const { return static_cast<Integer>(items_.size()); }
  void SetCount(Integer NewCount);
  Integer Capacity() const { return static_cast<Integer>(items_.capacity()); }
  void SetCapacity(Integer NewCapacity);
  void* Items(Integer Index) const { return Get(Index); }
  void SetItems(Integer Index, void* Item);
  void* operator[](Integer Index) const { return Get(Index); }
  void** List() { return items_.data(); }

  [[noreturn]] static void Error(const char* Msg, Integer Data);

 protected:
  void* Get(Integer Index) const;
  virtual void Notify(void* /*Ptr*/, TListNotification /*Action*/) {}

 private:
  std::vector<void*> items_;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

// A TList behind a lock, shared between threads. LockList returns the list
// and must be paired with UnlockList.
class TThreadList : public TObject {
 public:
  T_CLASSNAME(TThreadList)
  TThreadList();
  ~TThreadList() override;
  void Add(void* Item);  // honours Duplicates (default dupIgnore)
  void Remove(void* Item);
  void Clear();
  TList* LockList();
  void UnlockList();
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }

 private:
  TList list_;
  CRITICAL_SECTION lock_;
  TDuplicates duplicates_ = dupIgnore;
};

// ---------------------------------------------------------------------------
// TStrings: the abstract list of strings with associated objects. Subclasses
// (TStringList, the items of list and combo boxes, memo lines) implement Get,
// GetCount, Insert, Delete and Clear, and usually GetObject/PutObject/Put.

class TStrings : public TPersistent {
 public:
  T_CLASSNAME(TStrings)
  static constexpr const char* LineBreak = "\r\n";

  Integer Count() const { return GetCount(); }
  std::string Strings(Integer Index) const { return Get(Index); }
  void SetStrings(Integer Index, const std::string& S) { Put(Index, S); }
  std::string operator[](Integer Index) const { return Get(Index); }
  TObject* Objects(Integer Index) const { return GetObject(Index); }
  void SetObjects(Integer Index, TObject* AObject) { PutObject(Index, AObject); }

  virtual Integer Add(const std::string& S);
  virtual Integer AddObject(const std::string& S, TObject* AObject);
  void Append(const std::string& S) { Add(S); }
  virtual void AddStrings(TStrings* Strings);
  virtual void Insert(Integer Index, const std::string& S) = 0;
  void InsertObject(Integer Index, const std::string& S, TObject* AObject);
  virtual void Delete(Integer Index) = 0;
  virtual void Clear() = 0;
  virtual void Exchange(Integer Index1, Integer Index2);
  virtual void Move(Integer CurIndex, Integer NewIndex);
  virtual Integer IndexOf(const std::string& S) const;
  Integer IndexOfName(const std::string& Name) const;
  Integer IndexOfObject(TObject* AObject) const;
  bool Equals(TStrings* Strings) const;
  void Assign(TPersistent* Source) override;

  void BeginUpdate();
  void EndUpdate();
  Integer UpdateCount() const { return updateCount_; }

  // Every string followed by CRLF.
  std::string Text() const { return GetTextStr(); }
  // Splits at CR, LF and CRLF; a final line break adds no empty string.
  void SetText(const std::string& Value) { SetTextStr(Value); }
  // Strings separated by Delimiter; a string with blanks, control characters,
  // the delimiter or the quote character is quoted (QuoteChar, doubled inside).
  std::string DelimitedText() const;
  void SetDelimitedText(const std::string& Value);
  // DelimitedText with ',' and '"'.
  std::string CommaText() const;
  void SetCommaText(const std::string& Value);
  char Delimiter() const { return delimiter_; }
  void SetDelimiter(char Value) { delimiter_ = Value; }
  char QuoteChar() const { return quoteChar_; }
  void SetQuoteChar(char Value) { quoteChar_ = Value; }
  char NameValueSeparator() const { return nameValueSeparator_; }
  void SetNameValueSeparator(char Value) { nameValueSeparator_ = Value; }

  // "name=value" entries.
  std::string Names(Integer Index) const;
  std::string Values(const std::string& Name) const;
  // An empty value deletes the entry.
  void SetValues(const std::string& Name, const std::string& Value);
  std::string ValueFromIndex(Integer Index) const;

  // Text in UTF-8 (a UTF-8 or UTF-16 byte-order mark is understood on load).
  virtual void LoadFromStream(TStream* Stream);
  virtual void SaveToStream(TStream* Stream) const;
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName) const;

  virtual Integer Capacity() const { return GetCount(); }
  virtual void SetCapacity(Integer) {}

 protected:
  virtual std::string Get(Integer Index) const = 0;
  virtual Integer GetCount() const = 0;
  virtual TObject* GetObject(Integer) const { return nullptr; }
  virtual void Put(Integer Index, const std::string& S);
  virtual void PutObject(Integer, TObject*) {}
  // Called by BeginUpdate (true) and the last EndUpdate (false).
  virtual void SetUpdateState(bool) {}
  virtual std::string GetTextStr() const;
  virtual void SetTextStr(const std::string& Value);
  // Case-insensitive as the user's locale compares; TStringList may be case-sensitive.
  virtual Integer CompareStrings(const std::string& S1, const std::string& S2) const;
  [[noreturn]] static void Error(const char* Msg, Integer Data);

 private:
  std::string JoinDelimited(char Delimiter, char Quote) const;
  void SplitDelimited(const std::string& Value, char Delimiter, char Quote);
  Integer updateCount_ = 0;
  char delimiter_ = ',';
  char quoteChar_ = '"';
  char nameValueSeparator_ = '=';
};

class TStringList;
using TStringListSortCompare = std::function<Integer(TStringList* List, Integer Index1, Integer Index2)>;

// Strings with objects (not owned) in a vector; optionally sorted.
class TStringList : public TStrings {
 public:
  T_CLASSNAME(TStringList)
  TStringList() = default;
  ~TStringList() override;

  Integer Add(const std::string& S) override;
  Integer AddObject(const std::string& S, TObject* AObject) override;
  void Insert(Integer Index, const std::string& S) override;  // not on a sorted list
  void Delete(Integer Index) override;
  void Clear() override;
  void Exchange(Integer Index1, Integer Index2) override;
  Integer IndexOf(const std::string& S) const override;
  // Binary search of a sorted list: true when found; Index is the match or
  // where S would be inserted.
  virtual bool Find(const std::string& S, Integer& Index) const;
  virtual void Sort();
  virtual void CustomSort(const TStringListSortCompare& Compare);

  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool Value);
  Integer Capacity() const override { return static_cast<Integer>(items_.capacity()); }
  void SetCapacity(Integer NewCapacity) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  std::string Get(Integer Index) const override;
  Integer GetCount() const override { return static_cast<Integer>(items_.size()); }
  TObject* GetObject(Integer Index) const override;
  void Put(Integer Index, const std::string& S) override;
  void PutObject(Integer Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;
  Integer CompareStrings(const std::string& S1, const std::string& S2) const override;
  virtual void Changed();
  virtual void Changing();
  virtual void InsertItem(Integer Index, const std::string& S, TObject* AObject);

 private:
  struct Item {
    std::string S;
    TObject* O = nullptr;
  };
  void CheckIndex(Integer Index) const;
  void QuickSort(Integer L, Integer R, const TStringListSortCompare& Compare);
  std::vector<Item> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  TDuplicates duplicates_ = dupIgnore;
};

// ---------------------------------------------------------------------------
// TCollection: a list of items of one class, owned by the collection. An item
// created with a collection enters it; deleting an item removes it.

class TCollection;
class TCollectionItem;
// Creates an item of the collection's item class inside the collection.
using TCollectionItemClass = std::function<TCollectionItem*(TCollection* Collection)>;
template <class T>
TCollectionItemClass CollectionItemClass() {
  return [](TCollection* c) -> TCollectionItem* { return new T(c); };
}

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
 public:
  T_CLASSNAME(TCollectionItem)
  explicit TCollectionItem(TCollection* Collection);
  ~TCollectionItem() override;
  TCollection* Collection() const { return collection_; }
  void SetCollection(TCollection* Value);
  Integer Index() const;
  void SetIndex(Integer Value);
  Integer ID() const { return id_; }
  virtual std::string DisplayName() const;
  virtual void SetDisplayName(const std::string&) { Changed(false); }
  std::string GetNamePath() const override;
  virtual TPersistent* GetOwner() const;

 protected:
  // Reports a change of this item (or of all items) to the collection's Update.
  void Changed(bool AllItems);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  Integer id_ = 0;
};

class TCollection : public TPersistent {
 public:
  T_CLASSNAME(TCollection)
  explicit TCollection(TCollectionItemClass ItemClass);
  ~TCollection() override;
  TCollectionItem* Add();
  TCollectionItem* Insert(Integer Index);
  void Delete(Integer Index);
  void Clear();
  virtual void BeginUpdate() { ++updateCount_; }
  virtual void EndUpdate();
  Integer UpdateCount() const { return updateCount_; }
  Integer Count() const { return static_cast<Integer>(items_.size()); }
  TCollectionItem* Items(Integer Index) const;
  // Assigns Value to the item at Index.
  void SetItems(Integer Index, TCollectionItem* Value) { Items(Index)->Assign(Value); }
  TCollectionItem* FindItemID(Integer ID) const;
  const TCollectionItemClass& ItemClass() const { return itemClass_; }
  void Assign(TPersistent* Source) override;
  virtual TPersistent* GetOwner() const { return nullptr; }
  std::string GetNamePath() const override;

 protected:
  // Called after changes (Item nullptr: the whole collection).
  virtual void Update(TCollectionItem*) {}
  virtual void Notify(TCollectionItem*, TCollectionNotification) {}
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);
  TCollectionItemClass itemClass_;
  std::vector<TCollectionItem*> items_;  // owned; see the destructor
  Integer nextID_ = 0;
  Integer updateCount_ = 0;
};

// A collection whose GetOwner is the given persistent (a component, usually).
class TOwnedCollection : public TCollection {
 public:
  T_CLASSNAME(TOwnedCollection)
  TOwnedCollection(TPersistent* AOwner, TCollectionItemClass ItemClass)
      : TCollection(std::move(ItemClass)), owner_(AOwner) {}
  TPersistent* GetOwner() const override { return owner_; }

 private:
  TPersistent* owner_;
};

// ---------------------------------------------------------------------------
// TComponent: ownership (a component frees the components it owns), names
// unique among the owner's components, state, and notifications.
//
// C++ runs a base destructor after the derived parts are gone: a derived class
// whose owned components call back into it while they are destroyed calls
// Destroying() and DestroyComponents() at the start of its own destructor.

enum TOperation { opInsert, opRemove };

enum TComponentStateItem {
  csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating, csFixups,
  csFreeNotification, csInline, csDesignInstance
};

class TComponentState {
 public:
  constexpr TComponentState() = default;
  constexpr TComponentState(std::initializer_list<TComponentStateItem> items) {
    for (TComponentStateItem e : items) bits_ |= 1u << e;
  }
  constexpr bool Contains(TComponentStateItem e) const { return (bits_ & (1u << e)) != 0; }
  constexpr TComponentState& Include(TComponentStateItem e) { bits_ |= 1u << e; return *this; }
  constexpr TComponentState& Exclude(TComponentStateItem e) { bits_ &= ~(1u << e); return *this; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr Cardinal Bits() const { return bits_; }
  static constexpr TComponentState FromBits(Cardinal b) { TComponentState s; s.bits_ = b; return s; }
  constexpr bool operator==(const TComponentState&) const = default;

 private:
  Cardinal bits_ = 0;
};

using NativeInt = intptr_t;

class TReader;
class TWriter;

class TComponent : public TPersistent {
 public:
  T_CLASSNAME(TComponent)
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }
  Integer ComponentCount() const { return static_cast<Integer>(components_.size()); }
  TComponent* Components(Integer Index) const;
  Integer ComponentIndex() const;
  void SetComponentIndex(Integer Value);
  const std::string& Name() const { return name_; }
  // A valid identifier or empty; raises EComponentError for a name another
  // component of the owner has.
  virtual void SetName(const std::string& NewName);
  NativeInt Tag() const { return tag_; }
  void SetTag(NativeInt Value) { tag_ = Value; }
  TComponentState ComponentState() const { return state_; }

  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Frees the owned components, last first.
  void DestroyComponents();
  // Marks this component and its owned components csDestroying.
  void Destroying();
  // The owned component with this name (case-insensitive), or nullptr.
  TComponent* FindComponent(const std::string& AName) const;
  // AComponent's Notification(this, opRemove) runs when this component is
  // freed, and the other way round.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // After reading from a form resource; clears csLoading.
  virtual void Loaded();
  // Another component is inserted into or removed from the owner, or a
  // component this one asked for free notification goes away.
  virtual void Notification(TComponent* AComponent, TOperation Operation);

  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent*) {}
  using TGetChildProc = std::function<void(TComponent* Child)>;
  // Calls Proc for each child written with this component (none by default).
  virtual void GetChildren(const TGetChildProc&, TComponent* /*Root*/) {}
  virtual void SetChildOrder(TComponent*, Integer) {}
  // Reads this component's block of a form resource (defined with the form
  // reader); the default reads its properties, then its child blocks.
  virtual void ReadState(TReader* Reader);
  std::string GetNamePath() const override { return name_; }

  virtual void Updating() { state_.Include(csUpdating); }
  virtual void Updated() { state_.Exclude(csUpdating); }
  void SetDesigning(bool Value, bool SetChildren = true);

 protected:
  virtual void ValidateRename(TComponent* AComponent, const std::string& CurName, const std::string& NewName);
  virtual void ValidateInsert(TComponent*) {}
  void ChangeName(const std::string& NewName) { name_ = NewName; }
  void IncludeState(TComponentStateItem Item) { state_.Include(Item); }
  void ExcludeState(TComponentStateItem Item) { state_.Exclude(Item); }

 private:
  friend class TReader;
  friend class TWriter;
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void RemoveNotification(TComponent* AComponent);

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;   // owned
  std::vector<TComponent*> freeNotifies_;
  std::string name_;
  NativeInt tag_ = 0;
  TComponentState state_;
};

// True for a non-empty identifier: a letter or '_' then letters, digits, '_'.
bool IsValidIdent(const std::string& Ident);

// ---------------------------------------------------------------------------
// TThread on CreateThread.
//
// Synchronize(Method) called from a worker queues Method for the main thread
// and blocks until the main thread ran it in CheckSynchronize; an exception
// raised by Method is re-raised in the worker. Every message loop of the main
// thread (TApplication's, modal loops, waits) must call CheckSynchronize():
// either when SyncEventHandle() is signalled (MsgWaitForMultipleObjects) or
// after the WakeMainThread hook posted it a message. TApplication assigns
// WakeMainThread once at start-up to post a message to its hidden window.
//
// C++ cannot run code after the most-derived constructor, so a thread created
// not suspended starts in AfterConstruction(): call it at the end of the most
// derived constructor, or create the thread suspended and call Start().
// The body (Execute) must not outlive the object: a derived class whose body
// uses its own members calls TerminateAndWaitFor() in its own destructor, or
// uses FreeOnTerminate.

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };
using TThreadMethod = std::function<void()>;

// The main thread (the one that initialised the program).
extern DWORD MainThreadID;
// Called with the worker as sender whenever a call is queued for the main thread.
extern TNotifyEvent WakeMainThread;
// Manual-reset event signalled while calls are queued.
HANDLE SyncEventHandle();
// Runs the queued calls on the main thread; waits up to Timeout ms for one to
// arrive. True when at least one ran. Raises EThread on another thread.
bool CheckSynchronize(Integer Timeout = 0);

class TThread : public TObject {
 public:
  T_CLASSNAME(TThread)
  explicit TThread(bool CreateSuspended);
  ~TThread() override;

  // Starts a thread created not suspended (see above); idempotent.
  void AfterConstruction();
  void Resume();
  void Suspend();
  // Starts a thread created suspended; EThread when it already runs.
  void Start();
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  // Waits for the body to end (running queued synchronized calls meanwhile
  // when called on the main thread) and returns ReturnValue.
  Cardinal WaitFor();
  // Terminate, then wait for the end: a suspended thread is resumed, one that
  // never started ends without running Execute. Nothing on the thread itself.
  void TerminateAndWaitFor();

  bool Suspended() const { return suspended_; }
  void SetSuspended(bool Value);
  bool Finished() const { return finished_; }
  TThreadPriority Priority() const;
  void SetPriority(TThreadPriority Value);
  bool FreeOnTerminate() const { return freeOnTerminate_; }
  void SetFreeOnTerminate(bool Value) { freeOnTerminate_ = Value; }
  HANDLE Handle() const { return handle_; }
  DWORD ThreadID() const { return threadID_; }
  Integer ReturnValue() const { return returnValue_; }
  // The exception that ended Execute, if any.
  std::exception_ptr FatalException() const { return fatalException_; }
  // Its message ("" when there is none).
  std::string FatalExceptionMessage() const;

  // Runs Method on the main thread (directly when already there).
  void Synchronize(const TThreadMethod& Method) { Synchronize(this, Method); }
  template <class C>
  void Synchronize(void (C::*Method)()) {
    C* self = static_cast<C*>(this);
    Synchronize(this, [self, Method] { (self->*Method)(); });
  }
  static void Synchronize(TThread* Thread, const TThreadMethod& Method);

  // Called on the main thread (through Synchronize) after Execute ends.
  TNotifyEvent OnTerminate;

 protected:
  virtual void Execute() = 0;
  // Fires OnTerminate through Synchronize.
  virtual void DoTerminate();
  void SetReturnValue(Integer Value) { returnValue_ = Value; }

 private:
  static DWORD WINAPI ThreadProc(void* Param);
  HANDLE handle_ = nullptr;
  DWORD threadID_ = 0;
  bool createSuspended_;
  bool started_ = false;
  std::atomic<bool> suspended_{false};
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::atomic<bool> skipExecute_{false};
  bool freeOnTerminate_ = false;
  Integer returnValue_ = 0;
  std::exception_ptr fatalException_;
};
