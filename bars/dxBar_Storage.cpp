// Bar layout storage: the user's bar layout in the current user's registry or
// in an ini file. A stored layout is read completely and checked before any of
// it is applied, so a damaged one or one written by another version of the form
// leaves the layout as it is; a new layout is written completely beside the old
// one before it replaces it.
#include <windows.h>

#include <cstdint>
#include <map>
#include <stdexcept>

#include "bars/dxBar.h"
#include "platform/Forms.h"
#include "platform/IniFiles.h"
#include "platform/Registry.h"
#include "platform/SysUtils.h"

namespace {

// A stored layout that cannot be applied as a whole.
struct ELayoutDamaged : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// --- Writing ------------------------------------------------------------------------------------
class LayoutSink {
 public:
  virtual ~LayoutSink() = default;
  virtual void Open(const std::string& Sub) = 0;  // "" = the manager's own values
  virtual void Int(const std::string& Name, Integer V) = 0;
  virtual void Str(const std::string& Name, const std::string& V) = 0;
  virtual void UserDefine(Cardinal Bits) = 0;
  virtual void Glyph(TBitmap* Bmp) = 0;
  virtual std::string Join(const std::string& Parent, const std::string& Child) const = 0;
  void Bool(const std::string& Name, bool V) { Int(Name, V ? 1 : 0); }
};

class RegistrySink : public LayoutSink {
 public:
  explicit RegistrySink(std::string Base) : base_(std::move(Base)) {}
  void Open(const std::string& Sub) override {
    reg_.CloseKey();
    if (!reg_.OpenKey(base_ + (Sub.empty() ? "" : "\\" + Sub), true))
      throw ERegistryException("Failed to create key " + base_ + "\\" + Sub);
  }
  void Int(const std::string& Name, Integer V) override { reg_.WriteInteger(Name, V); }
  void Str(const std::string& Name, const std::string& V) override { reg_.WriteString(Name, V); }
  void UserDefine(Cardinal Bits) override {
    const BYTE b = static_cast<BYTE>(Bits);
    reg_.WriteBinaryData("UserDefine", &b, 1);
  }
  void Glyph(TBitmap* Bmp) override {
    TMemoryStream s;
    Bmp->SaveToStream(&s);
    reg_.WriteBinaryData("UserGlyph", s.Memory(), static_cast<Integer>(s.Size()));
  }
  std::string Join(const std::string& P, const std::string& C) const override { return P + "\\" + C; }

 private:
  TRegistry reg_;
  std::string base_;
};

class IniSink : public LayoutSink {
 public:
  IniSink(TMemIniFile& Ini, std::string Prefix) : ini_(Ini), prefix_(std::move(Prefix)) {}
  void Open(const std::string& Sub) override { section_ = prefix_ + (Sub.empty() ? "Main" : Sub); }
  void Int(const std::string& Name, Integer V) override { ini_.WriteString(section_, Name, IntToStr(V)); }
  void Str(const std::string& Name, const std::string& V) override { ini_.WriteString(section_, Name, V); }
  void UserDefine(Cardinal Bits) override { Int("UserDefine", static_cast<Integer>(Bits)); }
  void Glyph(TBitmap*) override {}  // ini files carry no glyphs
  std::string Join(const std::string& P, const std::string& C) const override { return P + "." + C; }

 private:
  TMemIniFile& ini_;
  std::string prefix_, section_;
};

bool StoresRecent(TdxBarManager* M, TdxBarItemLinks* L) {
  return M->Style() != bmsStandard && L->UseRecentItems();
}

void WriteLinks(LayoutSink& S, TdxBarManager* M, const std::string& Sub, TdxBarItemLinks* L, bool BarLinks) {
  S.Open(Sub);
  S.Int("ItemLinkCount", L->Count());
  const bool recent = StoresRecent(M, L);
  for (Integer m = 0; m < L->Count(); ++m) {
    TdxBarItemLink* k = L->Items(m);
    if (!k->Item() || k->Item()->Name().empty()) continue;  // a gap in the numbering
    S.Open(S.Join(Sub, "ItemLink" + IntToStr(m)));
    S.Str("ItemName", k->Item()->Name());
    S.Bool("BeginGroup", k->BeginGroup());
    const TdxBarUserDefines ud = k->UserDefine();
    S.UserDefine(ud.Bits());
    if (ud.Contains(udCaption)) S.Str("UserCaption", k->UserCaption());
    if (ud.Contains(udGlyph)) S.Glyph(k->UserGlyph());
    if (ud.Contains(udPaintStyle)) S.Int("UserPaintStyle", k->UserPaintStyle());
    if (ud.Contains(udWidth)) S.Int("UserWidth", k->UserWidth());
    if (BarLinks) S.Bool("Visible", k->Visible());
    if (recent) {
      S.Int("UseCount", k->UseCount);
      S.Int("RecentIndex", k->RecentIndex());
    }
  }
}

// --- Reading ------------------------------------------------------------------------------------
class LayoutSource {
 public:
  virtual ~LayoutSource() = default;
  virtual bool Open(const std::string& Sub) = 0;
  virtual bool Has(const std::string& Name) = 0;
  // Each throws ELayoutDamaged when the value is missing or of another type.
  virtual Integer Int(const std::string& Name) = 0;
  virtual std::string Str(const std::string& Name) = 0;
  virtual Cardinal UserDefine() = 0;
  virtual std::vector<uint8_t> Glyph() = 0;  // empty: none stored
  virtual std::string Join(const std::string& Parent, const std::string& Child) const = 0;
  bool Bool(const std::string& Name) { return Int(Name) != 0; }
  Integer IntIn(const std::string& Name, Integer Lo, Integer Hi) {
    const Integer v = Int(Name);
    if (v < Lo || v > Hi) throw ELayoutDamaged(Name + " out of range");
    return v;
  }
};

class RegistrySource : public LayoutSource {
 public:
  explicit RegistrySource(std::string Base) : reg_(KEY_READ), base_(std::move(Base)) {}
  bool Open(const std::string& Sub) override {
    reg_.CloseKey();
    return reg_.OpenKeyReadOnly(base_ + (Sub.empty() ? "" : "\\" + Sub));
  }
  bool Has(const std::string& Name) override { return reg_.ValueExists(Name); }
  Integer Int(const std::string& Name) override {
    Expect(Name, rdInteger);
    return reg_.ReadInteger(Name);
  }
  std::string Str(const std::string& Name) override {
    Expect(Name, rdString);
    return reg_.ReadString(Name);
  }
  Cardinal UserDefine() override {
    Expect("UserDefine", rdBinary);
    if (reg_.GetDataSize("UserDefine") != 1) throw ELayoutDamaged("UserDefine is not one byte");
    BYTE b = 0;
    reg_.ReadBinaryData("UserDefine", &b, 1);
    return b;
  }
  std::vector<uint8_t> Glyph() override {
    Expect("UserGlyph", rdBinary);
    std::vector<uint8_t> data(static_cast<size_t>(reg_.GetDataSize("UserGlyph")));
    if (!data.empty()) reg_.ReadBinaryData("UserGlyph", data.data(), static_cast<Integer>(data.size()));
    return data;
  }
  std::string Join(const std::string& P, const std::string& C) const override { return P + "\\" + C; }

 private:
  void Expect(const std::string& Name, TRegDataType Type) {
    if (!reg_.ValueExists(Name)) throw ELayoutDamaged(Name + " missing");
    if (reg_.GetDataType(Name) != Type) throw ELayoutDamaged(Name + " has another type");
  }
  TRegistry reg_;
  std::string base_;
};

class IniSource : public LayoutSource {
 public:
  IniSource(const std::string& FileName, std::string Prefix) : ini_(FileName), prefix_(std::move(Prefix)) {}
  bool Open(const std::string& Sub) override {
    section_ = prefix_ + (Sub.empty() ? "Main" : Sub);
    return ini_.SectionExists(section_);
  }
  bool Has(const std::string& Name) override { return ini_.ValueExists(section_, Name); }
  Integer Int(const std::string& Name) override {
    Integer v = 0;
    if (!TryStrToInt(Str(Name), v)) throw ELayoutDamaged(Name + " is not a number");
    return v;
  }
  std::string Str(const std::string& Name) override {
    if (!Has(Name)) throw ELayoutDamaged(Name + " missing");
    return ini_.ReadString(section_, Name, "");
  }
  Cardinal UserDefine() override { return static_cast<Cardinal>(IntIn("UserDefine", 0, 255)); }
  std::vector<uint8_t> Glyph() override { return {}; }
  std::string Join(const std::string& P, const std::string& C) const override { return P + "." + C; }

 private:
  TMemIniFile ini_;
  std::string prefix_, section_;
};

struct LinkRec {
  TdxBarItem* item = nullptr;
  bool beginGroup = false;
  Cardinal userDefine = 0;
  std::string userCaption;
  std::vector<uint8_t> glyph;
  Integer paintStyle = psStandard, width = 100;
  bool visible = true;
  Integer useCount = 0, recentIndex = -1;
};

struct BarRec {
  std::vector<LinkRec> links;
  std::string caption;
  TdxDockControl* dockedDockControl = nullptr;
  TdxDockControl* dockControl = nullptr;
  Integer dockedStyle = dsTop, dockedLeft = 0, dockedTop = 0, row = 0;
  bool oneOnRow = false, visible = false;
  Integer floatLeft = 0, floatTop = 0, floatWidth = 0, floatHeight = 0, dockingStyle = dsNone;
};

struct Layout {
  std::map<std::string, Integer> values;  // manager values that were stored
  bool hasBars = false;
  std::vector<BarRec> bars;
  std::vector<std::pair<TCustomdxBarSubItem*, std::vector<LinkRec>>> subItems;
};

constexpr Integer kMaxCount = 100000;

std::vector<LinkRec> ReadLinks(LayoutSource& S, TdxBarManager* M, const std::string& Sub, bool BarLinks) {
  if (!S.Open(Sub)) throw ELayoutDamaged(Sub + " missing");
  const Integer count = S.IntIn("ItemLinkCount", 0, kMaxCount);
  std::vector<LinkRec> links;
  for (Integer m = 0; m < count; ++m) {
    // A missing link is one whose item had no name when it was stored.
    if (!S.Open(S.Join(Sub, "ItemLink" + IntToStr(m)))) continue;
    LinkRec r;
    const std::string name = S.Str("ItemName");
    r.item = M->ItemByName(name);
    if (!r.item) throw ELayoutDamaged("no item " + name);
    r.beginGroup = S.Bool("BeginGroup");
    r.userDefine = S.UserDefine();
    if (r.userDefine > 15) throw ELayoutDamaged("UserDefine out of range");
    const auto ud = TdxBarUserDefines::FromBits(r.userDefine);
    if (ud.Contains(udCaption)) r.userCaption = S.Str("UserCaption");
    if (ud.Contains(udGlyph)) r.glyph = S.Glyph();
    if (ud.Contains(udPaintStyle)) r.paintStyle = S.IntIn("UserPaintStyle", psStandard, psCaptionGlyph);
    if (ud.Contains(udWidth)) r.width = S.Int("UserWidth");
    if (BarLinks) r.visible = S.Bool("Visible");
    // Use data is optional: the manager's style may have changed since.
    if (S.Has("UseCount")) r.useCount = S.IntIn("UseCount", 0, INT32_MAX);
    if (S.Has("RecentIndex")) r.recentIndex = S.IntIn("RecentIndex", -1, kMaxCount);
    links.push_back(std::move(r));
  }
  return links;
}

TdxDockControl* DockSiteNamed(TdxBarManager* M, const std::string& Name) {
  for (Integer i = 0; i < M->DockControlCount(); ++i)
    if (SameText(M->DockControls(i)->Name(), Name)) return M->DockControls(i);
  throw ELayoutDamaged("no dock site " + Name);
}

const char* const kManagerValues[] = {"MenusShowRecentItemsFirst", "ShowFullMenusAfterDelay", "LargeIcons",
                                      "MenuAnimations", "ShowHint", "ShowShortCutInHint"};

Layout ReadLayout(LayoutSource& S, TdxBarManager* M) {
  Layout L;
  if (!S.Open("")) throw ELayoutDamaged("no layout");
  for (const char* v : kManagerValues) {
    if (M->Style() == bmsStandard && (v == kManagerValues[0] || v == kManagerValues[1])) continue;
    if (S.Has(v)) L.values[v] = v == kManagerValues[3] ? S.IntIn(v, maNone, maSlide) : S.IntIn(v, 0, 1);
  }
  if (S.Has("BarCount")) {
    L.hasBars = true;
    const Integer count = S.IntIn("BarCount", 0, kMaxCount);
    for (Integer n = 0; n < count; ++n) {
      const std::string sub = "Bar" + IntToStr(n);
      BarRec b;
      b.links = ReadLinks(S, M, sub, true);
      S.Open(sub);
      b.caption = S.Str("Caption");
      if (S.Has("DockedDockControl")) b.dockedDockControl = DockSiteNamed(M, S.Str("DockedDockControl"));
      b.dockedStyle = S.IntIn("DockedDockingStyle", dsNone, dsBottom);
      b.dockedLeft = S.Int("DockedLeft");
      b.dockedTop = S.Int("DockedTop");
      b.oneOnRow = S.Bool("OneOnRow");
      b.row = S.IntIn("Row", -999, kMaxCount);
      b.floatLeft = S.Int("FloatLeft");
      b.floatTop = S.Int("FloatTop");
      b.floatWidth = S.IntIn("FloatClientWidth", 0, kMaxCount);
      b.floatHeight = S.IntIn("FloatClientHeight", 0, kMaxCount);
      if (S.Has("DockControl")) b.dockControl = DockSiteNamed(M, S.Str("DockControl"));
      b.dockingStyle = S.IntIn("DockingStyle", dsNone, dsBottom);
      b.visible = S.Bool("Visible");
      L.bars.push_back(std::move(b));
    }
  }
  for (Integer i = 0; i < M->ItemCount(); ++i) {
    auto* sub = dynamic_cast<TCustomdxBarSubItem*>(M->Items(i));
    if (!sub || sub->Name().empty() || !S.Open("SubItem_" + sub->Name())) continue;
    L.subItems.emplace_back(sub, ReadLinks(S, M, "SubItem_" + sub->Name(), false));
  }
  return L;
}

void ApplyLinks(TdxBarItemLinks* L, const std::vector<LinkRec>& Recs, bool BarLinks) {
  L->BeginUpdate();
  try {
    L->Clear();
    for (const LinkRec& r : Recs) {
      TdxBarItemLink* k = L->Add();
      k->WriteItem(r.item);
      if (k->Item() != r.item) {  // the collection refused the item (a sub item inside itself)
        delete k;
        continue;
      }
      k->SetBeginGroup(r.beginGroup);
      const auto ud = TdxBarUserDefines::FromBits(r.userDefine);
      k->SetUserDefine(ud);
      if (ud.Contains(udCaption)) k->SetUserCaption(r.userCaption);
      if (ud.Contains(udGlyph) && !r.glyph.empty()) {
        TMemoryStream s;
        s.Write(r.glyph.data(), static_cast<Integer>(r.glyph.size()));
        s.SetPosition(0);
        TBitmap bmp;
        try {
          bmp.LoadFromStream(&s);
          k->SetUserGlyph(&bmp);
        } catch (const Exception&) {
          k->SetUserDefine(ud - TdxBarUserDefines{udGlyph});  // an unreadable glyph: the item's own
        }
      }
      if (ud.Contains(udPaintStyle)) k->SetUserPaintStyle(static_cast<TdxBarPaintStyle>(r.paintStyle));
      if (ud.Contains(udWidth)) k->SetUserWidth(r.width);
      if (BarLinks) k->PendingVisible = r.visible;
      k->StoredUseCount = r.useCount;
      k->StoredRecentIndex = r.recentIndex;
    }
  } catch (...) {
    L->EndUpdate();
    throw;
  }
  L->EndUpdate();
  L->ApplyLoadedState(BarLinks);
}

}  // namespace

// --- Manager ------------------------------------------------------------------------------------
std::string TdxBarManager::LayoutSectionPrefix() const {
  return (OwnerForm() ? OwnerForm()->Name() : std::string()) + "." + Name() + ".";
}

void TdxBarManager::WriteLayout(void* SinkPtr) {
  auto& S = *static_cast<LayoutSink*>(SinkPtr);
  // Bars on screen keep their place in their windows; take it into the bars.
  for (Integer n = 0; n < bars_->Count(); ++n) bars_->Items(n)->StorePosition();
  S.Open("");
  if (style_ != bmsStandard) {
    S.Bool("MenusShowRecentItemsFirst", menusShowRecentItemsFirst_);
    S.Bool("ShowFullMenusAfterDelay", showFullMenusAfterDelay_);
  }
  S.Bool("LargeIcons", largeIcons_);
  S.Int("MenuAnimations", menuAnimations_);
  S.Bool("ShowHint", showHint_);
  S.Bool("ShowShortCutInHint", showShortCutInHint_);
  // The quick-customizing window's own bar is no part of the user's layout.
  std::vector<TdxBar*> stored;
  for (Integer n = 0; n < bars_->Count(); ++n)
    if (!dynamic_cast<TdxBarQuickControl*>(bars_->Items(n)->Control())) stored.push_back(bars_->Items(n));
  S.Int("BarCount", static_cast<Integer>(stored.size()));
  for (Integer n = 0; n < static_cast<Integer>(stored.size()); ++n) {
    TdxBar* b = stored[static_cast<size_t>(n)];
    const std::string sub = "Bar" + IntToStr(n);
    S.Open(sub);
    S.Str("Caption", b->Caption());
    if (b->DockedDockControl()) S.Str("DockedDockControl", b->DockedDockControl()->Name());
    S.Int("DockedDockingStyle", b->DockedDockingStyle());
    S.Int("DockedLeft", b->DockedLeft());
    S.Int("DockedTop", b->DockedTop());
    S.Bool("OneOnRow", b->OneOnRow());
    S.Int("Row", b->Row());
    S.Int("FloatLeft", b->FloatLeft());
    S.Int("FloatTop", b->FloatTop());
    S.Int("FloatClientWidth", b->FloatClientWidth());
    S.Int("FloatClientHeight", b->FloatClientHeight());
    if (b->DockControl()) S.Str("DockControl", b->DockControl()->Name());
    S.Int("DockingStyle", b->DockingStyle());
    S.Bool("Visible", b->Visible());
    WriteLinks(S, this, sub, b->ItemLinks(), true);
  }
  for (TdxBarItem* it : items_)
    if (auto* sub = dynamic_cast<TCustomdxBarSubItem*>(it); sub && !sub->Name().empty())
      WriteLinks(S, this, "SubItem_" + sub->Name(), sub->ItemLinks(), false);
}

void TdxBarManager::StoreLayoutInRegistry(const std::string& Path) {
  if (Path.empty()) return;
  std::string path = Path[0] == '\\' ? Path : "\\" + Path;
  while (path.size() > 1 && path.back() == '\\') path.pop_back();
  // The new layout goes to a sibling key first; only a complete one replaces
  // the stored layout.
  const std::string fresh = path + ".new";
  TRegistry reg;
  reg.DeleteKey(fresh);
  try {
    RegistrySink sink(fresh);
    WriteLayout(&sink);
  } catch (...) {
    reg.DeleteKey(fresh);
    throw;
  }
  if (!reg.OpenKey(path, true)) throw ERegistryException("Failed to create key " + path);
  HKEY target = reg.CurrentKey();
  HKEY source = nullptr;
  LONG rc = ::RegOpenKeyExW(HKEY_CURRENT_USER, Utf8ToWide(fresh.substr(1)).c_str(), 0, KEY_READ, &source);
  if (rc == ERROR_SUCCESS) {
    ::RegDeleteTreeW(target, nullptr);  // the old values and subkeys; the key itself stays
    rc = ::RegCopyTreeW(source, nullptr, target);
    ::RegCloseKey(source);
  }
  reg.CloseKey();
  if (rc != ERROR_SUCCESS) throw ERegistryException("Failed to store the bar layout under " + path);
  reg.DeleteKey(fresh);
}

void TdxBarManager::StoreLayoutInIni(const std::string& FileName) {
  if (FileName.empty()) return;
  TMemIniFile ini(FileName);
  const std::string prefix = LayoutSectionPrefix();
  TStringList sections;
  ini.ReadSections(&sections);
  for (Integer i = 0; i < sections.Count(); ++i)
    if (sections.Strings(i).compare(0, prefix.size(), prefix) == 0) ini.EraseSection(sections.Strings(i));
  // An error on the way leaves the file as it was; the complete new file is
  // written beside it and then takes its place.
  IniSink sink(ini, prefix);
  WriteLayout(&sink);
  const std::string fresh = FileName + ".new";
  ini.Rename(fresh, false);
  ini.UpdateFile();
  if (!::MoveFileExW(Utf8ToWide(fresh).c_str(), Utf8ToWide(FileName).c_str(), MOVEFILE_REPLACE_EXISTING)) {
    ::DeleteFileW(Utf8ToWide(fresh).c_str());
    throw Exception("Cannot replace " + FileName);
  }
}

bool TdxBarManager::ApplyStoredLayout(void* SourcePtr) {
  Layout L;
  try {
    L = ReadLayout(*static_cast<LayoutSource*>(SourcePtr), this);
  } catch (const ELayoutDamaged&) {
    return false;
  } catch (const Exception&) {
    return false;
  }
  const bool saved = updateLock_;
  SuspendRedraw(true);
  try {
    auto flag = [&](const char* Name, auto Setter) {
      if (auto it = L.values.find(Name); it != L.values.end()) (this->*Setter)(it->second != 0);
    };
    flag("MenusShowRecentItemsFirst", &TdxBarManager::SetMenusShowRecentItemsFirst);
    flag("ShowFullMenusAfterDelay", &TdxBarManager::SetShowFullMenusAfterDelay);
    flag("LargeIcons", &TdxBarManager::SetLargeIcons);
    if (auto it = L.values.find("MenuAnimations"); it != L.values.end())
      SetMenuAnimations(static_cast<TdxBarMenuAnimations>(it->second));
    flag("ShowHint", &TdxBarManager::SetShowHint);
    flag("ShowShortCutInHint", &TdxBarManager::SetShowShortCutInHint);
    if (L.hasBars) {
      for (Integer n = 0; n < bars_->Count(); ++n) bars_->Items(n)->SetVisible(false);
      for (size_t n = 0; n < L.bars.size(); ++n) {
        const BarRec& r = L.bars[n];
        TdxBar* b = static_cast<Integer>(n) < bars_->Count() ? bars_->Items(static_cast<Integer>(n)) : bars_->Add();
        ApplyLinks(b->ItemLinks(), r.links, true);
        b->SetCaption(r.caption);
        b->SetDockedDockControl(r.dockedDockControl);
        b->dockedDockingStyle_ = static_cast<TdxBarDockingStyle>(r.dockedStyle);
        b->SetDockedLeft(r.dockedLeft);
        b->SetDockedTop(r.dockedTop);
        b->oneOnRow_ = r.oneOnRow;
        b->SetRow(r.row);
        b->SetFloatLeft(r.floatLeft);
        b->SetFloatTop(r.floatTop);
        b->SetFloatClientWidth(r.floatWidth);
        b->SetFloatClientHeight(r.floatHeight);
        if (r.dockControl)
          b->SetDockControl(r.dockControl);
        else {
          b->SetDockControl(nullptr);
          b->SetDockingStyle(static_cast<TdxBarDockingStyle>(r.dockingStyle));
        }
        bars_->loading_ = true;
        try {
          b->SetVisible(r.visible);
        } catch (...) {
          bars_->loading_ = false;
          throw;
        }
        bars_->loading_ = false;
      }
    }
    for (auto& [sub, links] : L.subItems) ApplyLinks(sub->ItemLinks(), links, false);
  } catch (...) {
    SuspendRedraw(saved);
    throw;
  }
  SuspendRedraw(saved);
  return true;
}

bool TdxBarManager::RestoreLayoutFromRegistry(const std::string& Path) {
  if (Path.empty()) return false;
  std::string path = Path[0] == '\\' ? Path : "\\" + Path;
  while (path.size() > 1 && path.back() == '\\') path.pop_back();
  RegistrySource source(path);
  return ApplyStoredLayout(&source);
}

bool TdxBarManager::RestoreLayoutFromIni(const std::string& FileName) {
  if (FileName.empty()) return false;
  IniSource source(FileName, LayoutSectionPrefix());
  return ApplyStoredLayout(&source);
}

void TdxBarManager::StoreLayout() {
  if (designing_) return;
  if (storeInRegistry_) StoreLayoutInRegistry(registryPath_);
  if (storeInIniFile_) StoreLayoutInIni(iniFileName_);
}

void TdxBarManager::RestoreLayout() {
  if (designing_) return;
  if (storeInRegistry_) RestoreLayoutFromRegistry(registryPath_);
  if (storeInIniFile_) RestoreLayoutFromIni(iniFileName_);
}
