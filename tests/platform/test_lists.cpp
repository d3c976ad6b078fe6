// TList, TThreadList, TStrings/TStringList and TCollection.
#include <gtest/gtest.h>

#include "platform/Classes.h"
#include "platform/SysUtils.h"

namespace {
int v[8];
void* P(int i) { return &v[i]; }

std::string Dump(TList& l) {
  std::string s;
  for (Integer i = 0; i < l.Count(); ++i) s += l[i] == nullptr ? '-' : static_cast<char>('0' + (static_cast<int*>(l[i]) - v));
  return s;
}

struct RecordingList : TList {
  std::string log;
  ~RecordingList() override { Clear(); }
 protected:
  void Notify(void* p, TListNotification a) override {
    log += "aed"[a];
    log += static_cast<char>('0' + (static_cast<int*>(p) - v));
  }
};
}  // namespace

TEST(List, EditingOperationsKeepOrder) {
  TList l;
  for (int i = 0; i < 5; ++i) EXPECT_EQ(l.Add(P(i)), i);
  l.Insert(0, P(7));
  l.Insert(6, P(6));
  EXPECT_EQ(Dump(l), "7012346");
  l.Delete(1);
  EXPECT_EQ(l.Remove(P(3)), 3);
  EXPECT_EQ(l.Remove(P(3)), -1);
  EXPECT_EQ(Dump(l), "71246");
  l.Exchange(0, 4);
  EXPECT_EQ(Dump(l), "61247");
  l.Move(0, 3);
  EXPECT_EQ(Dump(l), "12467");
  l.Move(4, 1);
  EXPECT_EQ(Dump(l), "17246");
  EXPECT_EQ(l.IndexOf(P(4)), 3);
  EXPECT_EQ(l.Extract(P(2)), P(2));
  EXPECT_EQ(l.Extract(P(2)), nullptr);
  l.SetItems(1, nullptr);
  l.Add(nullptr);
  EXPECT_EQ(Dump(l), "1-46-");
  l.Pack();
  EXPECT_EQ(Dump(l), "146");
  l.Sort([](void* a, void* b) { return static_cast<int>(static_cast<int*>(b) - static_cast<int*>(a)); });
  EXPECT_EQ(Dump(l), "641");
  EXPECT_EQ(l.First(), P(6));
  EXPECT_EQ(l.Last(), P(1));
  l.Clear();
  EXPECT_EQ(l.Count(), 0);
}

TEST(List, IndexErrorsNameTheIndex) {
  TList l;
  l.Add(P(0));
  struct Case { const char* what; std::function<void()> op; const char* message; };
  const Case cases[] = {
      {"Items", [&] { l.Items(1); }, "List index out of bounds (1)"},
      {"Items negative", [&] { l.Items(-1); }, "List index out of bounds (-1)"},
      {"Insert", [&] { l.Insert(2, nullptr); }, "List index out of bounds (2)"},
      {"Delete", [&] { l.Delete(5); }, "List index out of bounds (5)"},
      {"Exchange", [&] { l.Exchange(0, 3); }, "List index out of bounds (3)"},
      {"Move", [&] { l.Move(0, 1); }, "List index out of bounds (1)"},
      {"First of empty", [&] { TList e; e.First(); }, "List index out of bounds (0)"},
      {"SetCount", [&] { l.SetCount(-1); }, "List count out of bounds (-1)"},
  };
  for (const Case& c : cases) {
    try {
      c.op();
      ADD_FAILURE() << c.what << " did not raise";
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message(), c.message) << c.what;
    }
  }
  EXPECT_EQ(l.Count(), 1);
}

TEST(List, NotifiesAddsDeletesAndExtractions) {
  RecordingList l;
  l.Add(P(1));
  l.Add(P(2));
  l.Add(nullptr);
  l.Insert(0, P(3));
  l.Extract(P(1));
  l.SetItems(0, P(4));
  l.Delete(0);
  l.Clear();
  EXPECT_EQ(l.log, "a1a2a3e1d3a4d4d2");
}

// ---------------------------------------------------------------------------
// TStringList

namespace {
std::string Joined(const TStrings& s) {
  std::string r;
  for (Integer i = 0; i < s.Count(); ++i) r += (i ? "|" : "") + s[i];
  return r;
}
}  // namespace

TEST(StringList, TextSplitsAtEveryLineBreakAndDropsOnlyTheFinalOne) {
  struct Case { const char* text; const char* lines; Integer count; };
  const Case cases[] = {
      {"", "", 0},
      {"a", "a", 1},
      {"a\r\nb", "a|b", 2},
      {"a\rb\nc\r\nd", "a|b|c|d", 4},
      {"a\r\n", "a", 1},
      {"a\n\n", "a|", 2},
      {"\r\n", "", 1},
      {"a\n\rb", "a||b", 3},      // LF CR is two breaks
      {"a\r\r\nb", "a||b", 3},
      {"\n\nx\n", "||x", 3},
      {"tab\there \r\n", "tab\there ", 1},
  };
  for (const Case& c : cases) {
    TStringList l;
    l.SetText(c.text);
    EXPECT_EQ(l.Count(), c.count) << c.text;
    EXPECT_EQ(Joined(l), c.lines) << c.text;
  }
  TStringList l;
  l.SetText("one\ntwo\r\n\r\nfour");
  EXPECT_EQ(l.Text(), "one\r\ntwo\r\n\r\nfour\r\n") << "every line ends in CRLF when joined";
  TStringList back;
  back.SetText(l.Text());
  EXPECT_TRUE(back.Equals(&l));
}

TEST(StringList, CommaAndDelimitedTextQuoteAndRoundTrip) {
  const std::vector<std::vector<std::string>> lists = {
      {"plain", "two words", "with,comma", "say \"hi\"", "", "x"},
      {""},
      {"", ""},
      {"a", ""},
      {"  lead", "trail  ", "\ttab"},
      {"\xC3\xA4\xC3\xB6", "\xE6\xBC\xA2 \xE5\xAD\x97"},
  };
  for (const auto& items : lists) {
    TStringList l;
    for (const auto& s : items) l.Add(s);
    TStringList back;
    back.SetCommaText(l.CommaText());
    EXPECT_TRUE(back.Equals(&l)) << l.CommaText();
  }
  TStringList l;
  for (const char* s : {"plain", "two words", "with,comma", "say \"hi\"", ""}) l.Add(s);
  EXPECT_EQ(l.CommaText(), "plain,\"two words\",\"with,comma\",\"say \"\"hi\"\"\",");

  struct Case { const char* text; const char* lines; };
  const Case parses[] = {{"a,b , c", "a|b|c"},
                         {"a b", "a|b"},  // unquoted blanks separate too
                         {"\"a b\",'c'", "a b|'c'"},
                         {",a", "|a"},
                         {"a,", "a|"},
                         {"\"unclosed, text", "unclosed, text"},
                         {"  ", ""}};
  for (const Case& c : parses) {
    l.SetCommaText(c.text);
    EXPECT_EQ(Joined(l), c.lines) << c.text;
  }
  l.SetDelimiter(';');
  l.SetQuoteChar('\'');
  l.SetDelimitedText("x;'y;z';'it''s'");
  EXPECT_EQ(Joined(l), "x|y;z|it's");
  EXPECT_EQ(l.DelimitedText(), "x;'y;z';'it''s'");
  EXPECT_EQ(l.Delimiter(), ';') << "CommaText leaves the list's own delimiter alone";
}

TEST(StringList, SortedListsHonourDuplicatesAndCompareWithoutCase) {
  struct Case { TDuplicates dup; const char* result; bool raises; };
  const Case cases[] = {{dupIgnore, "apple|Banana|cherry", false},
                        {dupAccept, "apple|banana|Banana|cherry", false},  // a new equal string goes first
                        {dupError, "apple|Banana|cherry", true}};
  for (const Case& c : cases) {
    TStringList l;
    l.SetSorted(true);
    l.SetDuplicates(c.dup);
    l.Add("cherry");
    l.Add("Banana");
    l.Add("apple");
    bool raised = false;
    try {
      const Integer at = l.Add("banana");
      if (c.dup == dupIgnore) {
        EXPECT_EQ(at, 1) << "the existing entry's index";
      }
    } catch (const EStringListError& e) {
      raised = true;
      EXPECT_EQ(e.Message(), "String list does not allow duplicates");
    }
    EXPECT_EQ(raised, c.raises) << c.dup;
    EXPECT_EQ(Joined(l), c.result) << c.dup;
    EXPECT_EQ(l.IndexOf("BANANA"), 1);
    Integer where = -1;
    EXPECT_FALSE(l.Find("blueberry", where));
    EXPECT_EQ(where, c.dup == dupAccept ? 3 : 2) << "insertion point";
    EXPECT_THROW(l.Insert(0, "x"), EStringListError);
    EXPECT_THROW(l.SetStrings(0, "x"), EStringListError);
  }

  TStringList l;
  for (const char* s : {"b", "\xC3\x84rger", "a", "C", "z"}) l.Add(s);
  l.Sort();
  EXPECT_EQ(Joined(l), "a|\xC3\x84rger|b|C|z") << "letters with accents sort with their base letter";
  l.SetCaseSensitive(true);
  EXPECT_EQ(l.IndexOf("c"), -1);
  EXPECT_EQ(l.IndexOf("C"), 3);
  l.CustomSort([](TStringList* list, Integer a, Integer b) {
    return static_cast<Integer>(list->Strings(a).size()) - static_cast<Integer>(list->Strings(b).size());
  });
  EXPECT_EQ(l.Strings(4), "\xC3\x84rger");
  l.SetSorted(true);
  EXPECT_EQ(Joined(l), "a|\xC3\x84rger|b|C|z");
}

TEST(StringList, ObjectsNamesValuesAndEditing) {
  TObject o1, o2;
  TStringList l;
  l.AddObject("width=10", &o1);
  l.Add("height=20");
  l.InsertObject(0, "name=anim", &o2);
  EXPECT_EQ(l.Objects(1), &o1);
  EXPECT_EQ(l.IndexOfObject(&o2), 0);
  EXPECT_EQ(l.Names(2), "height");
  EXPECT_EQ(l.Values("WIDTH"), "10");
  EXPECT_EQ(l.Values("depth"), "");
  l.SetValues("depth", "8");
  l.SetValues("width", "12");
  l.SetValues("height", "");
  EXPECT_EQ(Joined(l), "name=anim|width=12|depth=8");
  EXPECT_EQ(l.Objects(1), &o1) << "replacing a string keeps its object";
  EXPECT_EQ(l.IndexOfName("Depth"), 2);
  EXPECT_EQ(l.ValueFromIndex(0), "anim");

  l.Exchange(0, 2);
  l.Move(0, 1);
  EXPECT_EQ(Joined(l), "width=12|depth=8|name=anim");
  EXPECT_EQ(l.Objects(2), &o2);
  try {
    l.Strings(3);
    ADD_FAILURE();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (3)");
  }

  TStringList copy;
  copy.Add("old");
  copy.Assign(&l);
  EXPECT_TRUE(copy.Equals(&l));
  copy.AddStrings(&l);
  EXPECT_EQ(copy.Count(), 6);
  EXPECT_EQ(copy.Objects(5), &o2);
}

TEST(StringList, ChangeEventsFireOncePerEditOrUpdateBlock) {
  TStringList l;
  std::string log;
  l.OnChanging = [&](TObject* s) { log += s == &l ? "<" : "?"; };
  l.OnChange = [&](TObject*) { log += ">"; };
  l.Add("a");
  l.Delete(0);
  EXPECT_EQ(log, "<><>");
  log.clear();
  l.BeginUpdate();
  l.Add("x");
  l.Add("y");
  l.BeginUpdate();
  l.Clear();
  l.EndUpdate();
  EXPECT_EQ(log, "<");
  l.EndUpdate();
  EXPECT_EQ(log, "<>");
  log.clear();
  l.SetText("1\n2\n3");
  EXPECT_EQ(log, "<>") << "setting Text is one change";
}

TEST(StringList, FilesAndStreamsKeepTextAndUnderstandByteOrderMarks) {
  TStringList l;
  l.Add("first \xE2\x82\xAC");
  l.Add("");
  l.Add("last");
  const std::string name = GetTempPathStr() + "lines-" + IntToStr(::GetCurrentProcessId()) + ".txt";
  l.SaveToFile(name);
  EXPECT_EQ(FileGetSize(name), static_cast<Int64>(l.Text().size()));
  TStringList back;
  back.LoadFromFile(name);
  EXPECT_TRUE(back.Equals(&l));
  DeleteFile(name);

  TStringStream bom("\xEF\xBB\xBFone\r\ntwo");
  back.LoadFromStream(&bom);
  EXPECT_EQ(Joined(back), "one|two");
  const char utf16[] = "\xFF\xFEh\0i\0\n\0\xAC\x20";
  TStringStream wide(std::string(utf16, sizeof utf16 - 1));
  back.LoadFromStream(&wide);
  EXPECT_EQ(Joined(back), "hi|\xE2\x82\xAC");
}

// ---------------------------------------------------------------------------
// TThreadList

TEST(ThreadList, DuplicatesModesAndLocking) {
  struct Case { TDuplicates dup; Integer count; bool raises; };
  for (const Case& c : {Case{dupIgnore, 1, false}, Case{dupAccept, 2, false}, Case{dupError, 1, true}}) {
    TThreadList l;
    l.SetDuplicates(c.dup);
    l.Add(P(1));
    bool raised = false;
    try {
      l.Add(P(1));
    } catch (const EListError&) {
      raised = true;
    }
    EXPECT_EQ(raised, c.raises);
    TList* list = l.LockList();
    EXPECT_EQ(list->Count(), c.count);
    l.UnlockList();
    // The lock was released even when Add raised.
    l.Remove(P(1));
    EXPECT_EQ(l.LockList()->Count(), c.count - 1);
    l.UnlockList();
  }

  TThreadList shared;
  shared.SetDuplicates(dupAccept);
  struct Worker {
    static DWORD WINAPI Run(void* p) {
      for (int i = 0; i < 2000; ++i) static_cast<TThreadList*>(p)->Add(P(i % 8));
      return 0;
    }
  };
  HANDLE threads[4];
  for (HANDLE& h : threads) h = ::CreateThread(nullptr, 0, &Worker::Run, &shared, 0, nullptr);
  ::WaitForMultipleObjects(4, threads, TRUE, INFINITE);
  for (HANDLE h : threads) ::CloseHandle(h);
  EXPECT_EQ(shared.LockList()->Count(), 8000);
  shared.UnlockList();
  shared.Clear();
  EXPECT_EQ(shared.LockList()->Count(), 0);
  shared.UnlockList();
}

// ---------------------------------------------------------------------------
// TCollection

namespace {
struct TFrameItem : TCollectionItem {
  explicit TFrameItem(TCollection* c) : TCollectionItem(c) { ++alive; }
  ~TFrameItem() override { --alive; }
  Integer Delay = 0;
  void Assign(TPersistent* Source) override {
    if (auto* f = dynamic_cast<TFrameItem*>(Source)) {
      Delay = f->Delay;
      return;
    }
    TCollectionItem::Assign(Source);
  }
  void Touch() { Changed(false); }
  static inline int alive = 0;
};

struct TFrames : TOwnedCollection {
  using TOwnedCollection::TOwnedCollection;
  std::string log;
  void Update(TCollectionItem* Item) override { log += Item ? "i" + std::to_string(Item->Index()) : std::string("*"); }
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override {
    log += "+xd"[Action];
    (void)Item;
  }
};

std::string Delays(TCollection& c) {
  std::string s;
  for (Integer i = 0; i < c.Count(); ++i) s += std::to_string(static_cast<TFrameItem*>(c.Items(i))->Delay) + ";";
  return s;
}
}  // namespace

TEST(Collection, ItemsAreCreatedByTheItemClassOwnedAndRenumbered) {
  TFrameItem::alive = 0;
  {
    TStringList owner;
    TFrames frames(&owner, CollectionItemClass<TFrameItem>());
    EXPECT_EQ(frames.GetOwner(), &owner);
    for (int i = 0; i < 3; ++i) static_cast<TFrameItem*>(frames.Add())->Delay = 10 * (i + 1);
    EXPECT_EQ(frames.log, "+*+*+*");
    EXPECT_EQ(Delays(frames), "10;20;30;");
    auto* inserted = static_cast<TFrameItem*>(frames.Insert(1));
    inserted->Delay = 15;
    EXPECT_EQ(Delays(frames), "10;15;20;30;");
    EXPECT_EQ(inserted->Index(), 1);
    EXPECT_EQ(inserted->ID(), 3);
    EXPECT_EQ(frames.FindItemID(3), inserted);
    EXPECT_EQ(frames.FindItemID(99), nullptr);

    frames.log.clear();
    static_cast<TFrameItem*>(frames.Items(2))->Touch();
    EXPECT_EQ(frames.log, "i2");
    frames.log.clear();
    frames.Delete(0);
    EXPECT_EQ(frames.log, "dx*");
    EXPECT_EQ(inserted->Index(), 0);
    delete frames.Items(0);  // an item freed directly leaves its collection
    EXPECT_EQ(Delays(frames), "20;30;");
    frames.Items(1)->SetIndex(0);
    EXPECT_EQ(Delays(frames), "30;20;");
    EXPECT_THROW(frames.Items(2), EListError);

    frames.log.clear();
    frames.BeginUpdate();
    frames.Add();
    frames.Add();
    frames.EndUpdate();
    EXPECT_EQ(frames.log, "++*") << "one update after the block";

    TFrames copy(nullptr, CollectionItemClass<TFrameItem>());
    copy.Add();
    copy.Assign(&frames);
    EXPECT_EQ(Delays(copy), Delays(frames));
    EXPECT_EQ(TFrameItem::alive, 8);
    copy.Clear();
    EXPECT_EQ(copy.Count(), 0);
    EXPECT_EQ(TFrameItem::alive, 4);
  }
  EXPECT_EQ(TFrameItem::alive, 0) << "the collection frees its items";
}
