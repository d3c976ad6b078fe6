// The user's bar layout kept in the registry and in an ini file: a changed
// layout comes back after the form is freed and made again, a damaged or
// foreign stored layout leaves the designed one, and a failed store keeps the
// layout stored before.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "bars/dxBar.h"
#include "platform/FormReader.h"
#include "platform/IniFiles.h"
#include "platform/Registry.h"
#include "platform/SysUtils.h"
#include "tests/support/ui.h"

namespace {

const char* const kRegPath = "Software\\LarkspireTests\\BarLayout";

std::string TempPath(const char* Name) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + Name;
}

std::string ReadFile(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFile(const std::string& Path, const std::string& Text) {
  std::ofstream(Path, std::ios::binary | std::ios::trunc) << Text;
}

// The fixture form, storing where asked.
std::string FormText(const std::string& Storage) {
  std::string text = ReadFile(std::string(TEST_DATA_DIR).substr(2) + "/bars/layout_form.dfm");
  const std::string marker = "    UseSystemFont = True\n";
  text.replace(text.find(marker), marker.size(), marker + Storage);
  return text;
}

std::string InRegistry() { return std::string("    StoreInRegistry = True\n    RegistryPath = '") + kRegPath + "'\n"; }
std::string InIni(const std::string& File) { return "    StoreInIniFile = True\n    IniFileName = '" + File + "'\n"; }

struct TLayoutForm {
  std::unique_ptr<TForm> form;
  TdxBarManager* manager = nullptr;
  explicit TLayoutForm(const std::string& Storage) {
    form = std::make_unique<TForm>(nullptr);
    ReadComponentFromText(FormText(Storage), form.get());
    manager = FindBarManagerOfForm(form.get());
    form->Show();
    Application->ProcessMessages();
  }
  TdxBar* Bar(const char* Caption) { return manager->BarByCaption(Caption); }
  TdxBarItem* Item(const char* Name) { return manager->ItemByName(Name); }
  TdxBarItemLinks* SubLinks() { return static_cast<TCustomdxBarSubItem*>(Item("subMore"))->ItemLinks(); }
};

std::string LinksText(TdxBarItemLinks* L) {
  std::string s;
  for (Integer i = 0; i < L->Count(); ++i) {
    TdxBarItemLink* k = L->Items(i);
    s += " " + (k->Item() ? k->Item()->Name() : std::string("?"));
    if (k->BeginGroup()) s += "|g";
    if (k->UserDefine().Contains(udCaption)) s += "|c=" + k->UserCaption();
    if (k->UserDefine().Contains(udWidth)) s += "|w=" + std::to_string(k->UserWidth());
    if (!k->Visible()) s += "|hidden";
  }
  return s;
}

// What a person sees of the layout: bars, where they are, their links.
std::string Snapshot(TdxBarManager* M) {
  std::string s = "bars=" + std::to_string(M->Bars()->Count()) + (M->LargeIcons() ? " large" : "") + "\n";
  for (Integer n = 0; n < M->Bars()->Count(); ++n) {
    TdxBar* b = M->Bars()->Items(n);
    s += b->Caption() + " style=" + std::to_string(b->DockingStyle()) +
         (b->DockControl() ? " in=" + b->DockControl()->Name() : "") + (b->Visible() ? " shown" : " hidden");
    if (b->Visible() && b->DockingStyle() != dsNone) s += " row=" + std::to_string(b->Row());
    if (b->Visible() && b->DockingStyle() == dsNone && b->Control())
      s += " at=" + std::to_string(b->Control()->Left()) + "," + std::to_string(b->Control()->Top());
    s += " links:" + LinksText(b->ItemLinks()) + "\n";
  }
  auto* sub = static_cast<TCustomdxBarSubItem*>(M->ItemByName("subMore"));
  return s + "subMore:" + LinksText(sub->ItemLinks()) + "\n";
}

void ClearRegistry() {
  TRegistry reg;
  reg.DeleteKey(std::string("\\") + kRegPath);
  reg.DeleteKey(std::string("\\") + kRegPath + ".new");
}

std::string DesignedSnapshot() {
  TLayoutForm f("");
  return Snapshot(f.manager);
}

// A user's changes of every kind the layout keeps.
void ChangeLayout(TLayoutForm& F) {
  F.manager->SetLargeIcons(true);
  TdxBar* file = F.Bar("File");
  TdxBar* edit = F.Bar("Edit");
  edit->SetFloatLeft(150);
  edit->SetFloatTop(120);
  edit->SetDockingStyle(dsNone);
  file->SetDockControl(static_cast<TdxDockControl*>(F.form->FindComponent("dcSide")));
  TdxBarItemLink* added = file->ItemLinks()->Add();
  added->SetItem(F.Item("btnPaste"));
  added->SetBeginGroup(true);
  file->ItemLinks()->Items(0)->SetUserCaption("Fresh");
  file->ItemLinks()->Items(1)->SetVisible(false);
  delete edit->ItemLinks()->Items(0);
  delete F.SubLinks()->Items(1);
  TdxBar* extra = F.manager->Bars()->Add();
  extra->SetCaption("Extra");
  extra->ItemLinks()->Add()->SetItem(F.Item("btnOpen"));
  extra->SetDockingStyle(dsBottom);
  extra->SetVisible(true);
  extra->SetVisible(false);
  Application->ProcessMessages();
}

struct TStorageKind {
  const char* name;
  std::function<std::string()> storage;
  std::function<void(TdxBarManager*)> store;
};

std::vector<TStorageKind> Kinds() {
  const std::string ini = TempPath("bars_layout_test.ini");
  return {
      {"registry", [] { return InRegistry(); }, [](TdxBarManager* M) { M->StoreLayoutInRegistry(kRegPath); }},
      {"ini", [ini] { return InIni(ini); }, [ini](TdxBarManager* M) { M->StoreLayoutInIni(ini); }},
  };
}

void ClearStores() {
  ClearRegistry();
  DeleteFileA(TempPath("bars_layout_test.ini").c_str());
}

TEST(BarLayoutStorage, ChangedLayoutComesBackAfterTheFormIsMadeAgain) {
  const std::string designed = DesignedSnapshot();
  for (const TStorageKind& kind : Kinds()) {
    SCOPED_TRACE(kind.name);
    ClearStores();
    std::string changed;
    {
      TLayoutForm f(kind.storage());
      EXPECT_EQ(Snapshot(f.manager), designed) << "nothing stored yet";
      ChangeLayout(f);
      changed = Snapshot(f.manager);
      f.manager->StoreLayout();
    }
    EXPECT_NE(changed, designed);
    {
      TLayoutForm f(kind.storage());
      EXPECT_EQ(Snapshot(f.manager), changed);
      // Stored again unchanged, it reads back the same.
      f.manager->StoreLayout();
    }
    TLayoutForm f(kind.storage());
    EXPECT_EQ(Snapshot(f.manager), changed);
  }
  ClearStores();
}

TEST(BarLayoutStorage, FreeingTheFormStoresTheLayoutWhereTheManagerAsks) {
  const std::string designed = DesignedSnapshot();
  for (const TStorageKind& kind : Kinds()) {
    SCOPED_TRACE(kind.name);
    ClearStores();
    // A manager that stores nowhere leaves nothing behind.
    {
      TLayoutForm f("");
      ChangeLayout(f);
    }
    EXPECT_EQ(Snapshot(TLayoutForm(kind.storage()).manager), designed);
    // One that stores keeps the layout its form had when it was freed,
    // the floating bar's place included, without being asked.
    std::string changed;
    {
      TLayoutForm f(kind.storage());
      ChangeLayout(f);
      changed = Snapshot(f.manager);
    }
    TLayoutForm f(kind.storage());
    EXPECT_EQ(Snapshot(f.manager), changed);
    EXPECT_NE(changed, designed);
  }
  ClearStores();
}

TEST(BarLayoutStorage, RegistryValuesAndNoStaleKeysAfterABarIsDeleted) {
  ClearStores();
  {
    TLayoutForm f("");
    TdxBar* extra = f.manager->Bars()->Add();
    extra->SetCaption("Extra");
    TdxBarItemLink* k = extra->ItemLinks()->Add();
    k->SetItem(f.Item("btnNew"));
    k->SetUserWidth(64);
    f.manager->SetStyle(bmsEnhanced);
    f.manager->StoreLayoutInRegistry(kRegPath);
    TRegistry reg(KEY_READ);
    ASSERT_TRUE(reg.OpenKeyReadOnly(std::string("\\") + kRegPath));
    EXPECT_TRUE(reg.ValueExists("MenusShowRecentItemsFirst"));
    reg.CloseKey();
    f.manager->SetStyle(bmsStandard);
    f.manager->StoreLayoutInRegistry(std::string(kRegPath) + "\\");
    ASSERT_TRUE(reg.OpenKeyReadOnly(std::string("\\") + kRegPath));
    EXPECT_EQ(reg.ReadInteger("BarCount"), 3);
    EXPECT_FALSE(reg.ValueExists("MenusShowRecentItemsFirst")) << "standard style keeps no menu usage values";
    EXPECT_FALSE(reg.ValueExists("ShowFullMenusAfterDelay"));
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKeyReadOnly(std::string("\\") + kRegPath + "\\Bar2\\ItemLink0"));
    EXPECT_EQ(reg.ReadString("ItemName"), "btnNew");
    EXPECT_EQ(reg.GetDataType("UserDefine"), rdBinary);
    EXPECT_EQ(reg.GetDataSize("UserDefine"), 1);
    EXPECT_EQ(reg.ReadInteger("UserWidth"), 64);
    reg.CloseKey();
    EXPECT_FALSE(reg.KeyExists(std::string("\\") + kRegPath + ".new")) << "the staging key is gone";

    delete f.manager->Bars()->Items(2);
    f.manager->StoreLayoutInRegistry(kRegPath);
    EXPECT_FALSE(reg.KeyExists(std::string("\\") + kRegPath + "\\Bar2"));
    ASSERT_TRUE(reg.OpenKeyReadOnly(std::string("\\") + kRegPath));
    EXPECT_EQ(reg.ReadInteger("BarCount"), 2);
  }
  ClearStores();
}

TEST(BarLayoutStorage, ThirdStoredBarIsAddedToAFormThatDeclaresTwo) {
  for (const TStorageKind& kind : Kinds()) {
    SCOPED_TRACE(kind.name);
    ClearStores();
    {
      TLayoutForm f("");
      TdxBar* extra = f.manager->Bars()->Add();
      extra->SetCaption("Extra");
      extra->ItemLinks()->Add()->SetItem(f.Item("btnCut"));
      extra->SetDockingStyle(dsBottom);
      extra->SetVisible(true);
      kind.store(f.manager);
    }
    TLayoutForm f(kind.storage());
    ASSERT_EQ(f.manager->Bars()->Count(), 3);
    TdxBar* extra = f.manager->Bars()->Items(2);
    EXPECT_EQ(extra->Caption(), "Extra");
    EXPECT_EQ(extra->DockingStyle(), dsBottom);
    EXPECT_TRUE(extra->Visible());
    EXPECT_EQ(LinksText(extra->ItemLinks()), " btnCut");
  }
  ClearStores();
}

TEST(BarLayoutStorage, IniKeepsOtherFormsSectionsAndCarriesNoGlyphs) {
  ClearStores();
  const std::string ini = TempPath("bars_layout_test.ini");
  WriteFile(ini, "[frmOther.BarManager1.Main]\nBarCount=7\n[frmLayout.BarManager1.Stale]\nX=1\n");
  {
    TLayoutForm f("");
    TBitmap glyph;
    glyph.SetSize(16, 16);
    f.Bar("File")->ItemLinks()->Items(0)->SetUserGlyph(&glyph);
    f.manager->StoreLayoutInIni(ini);
  }
  TMemIniFile file(ini);
  EXPECT_EQ(file.ReadString("frmOther.BarManager1.Main", "BarCount", ""), "7");
  EXPECT_FALSE(file.SectionExists("frmLayout.BarManager1.Stale")) << "the form's old sections are replaced";
  EXPECT_EQ(file.ReadString("frmLayout.BarManager1.Main", "BarCount", ""), "2");
  EXPECT_EQ(file.ReadString("frmLayout.BarManager1.Bar0.ItemLink0", "UserDefine", ""), "2");
  EXPECT_FALSE(file.ValueExists("frmLayout.BarManager1.Bar0.ItemLink0", "UserGlyph"));
  EXPECT_FALSE(FileExists(ini + ".new"));
  ClearStores();
}

// Damage done to a stored layout after a changed layout was stored.
struct TDamage {
  const char* name;
  std::function<void()> registry;
  std::function<void(std::string&)> ini;  // edits the file's text
};

void RegSet(const std::string& Key, const std::function<void(TRegistry&)>& Op) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(std::string("\\") + kRegPath + Key, false)) << Key;
  Op(reg);
}

void Replace(std::string& Text, const std::string& From, const std::string& To) {
  const size_t at = Text.find(From);
  ASSERT_NE(at, std::string::npos) << From;
  Text.replace(at, From.size(), To);
}

TEST(BarLayoutStorage, DamagedOrForeignLayoutLeavesTheDesignedOne) {
  const std::string designed = DesignedSnapshot();
  const std::string ini = TempPath("bars_layout_test.ini");
  const std::vector<TDamage> damages = {
      {"truncated: a bar missing",
       [] {
         TRegistry reg;
         reg.DeleteKey(std::string("\\") + kRegPath + "\\Bar1");
       },
       [](std::string& t) { t.resize(t.find("[frmLayout.BarManager1.Bar1]")); }},
      {"truncated: a bar cut short",
       [] { RegSet("\\Bar0", [](TRegistry& r) { r.DeleteValue("DockingStyle"); }); },
       [](std::string& t) { t.resize(t.find("Row=", t.find("[frmLayout.BarManager1.Bar0]"))); }},
      {"wrong type: row as text",
       [] { RegSet("\\Bar0", [](TRegistry& r) { r.WriteString("Row", "1"); }); },
       [](std::string& t) { Replace(t, "Row=0", "Row=first"); }},
      {"wrong type: count as text",
       [] { RegSet("", [](TRegistry& r) { r.WriteString("BarCount", "3"); }); },
       [](std::string& t) { Replace(t, "BarCount=3", "BarCount=three"); }},
      {"wrong type: user define as a number",
       [] { RegSet("\\Bar0\\ItemLink0", [](TRegistry& r) { r.WriteInteger("UserDefine", 1); }); },
       [](std::string& t) { Replace(t, "UserDefine=1", "UserDefine=x"); }},
      {"out of range docking style",
       [] { RegSet("\\Bar1", [](TRegistry& r) { r.WriteInteger("DockingStyle", 9); }); },
       [](std::string& t) { Replace(t, "DockingStyle=0", "DockingStyle=9"); }},
      {"unknown item name",
       [] { RegSet("\\Bar0\\ItemLink1", [](TRegistry& r) { r.WriteString("ItemName", "btnGone"); }); },
       [](std::string& t) { Replace(t, "ItemName=btnOpen", "ItemName=btnGone"); }},
      {"unknown dock site name",
       [] { RegSet("\\Bar0", [](TRegistry& r) { r.WriteString("DockControl", "dcGone"); }); },
       [](std::string& t) { Replace(t, "DockControl=dcSide", "DockControl=dcGone"); }},
  };
  for (const TStorageKind& kind : Kinds())
    for (const TDamage& d : damages) {
      SCOPED_TRACE(std::string(kind.name) + ": " + d.name);
      ClearStores();
      {
        TLayoutForm f("");
        ChangeLayout(f);
        kind.store(f.manager);
      }
      if (std::string(kind.name) == "registry")
        d.registry();
      else {
        std::string text = ReadFile(ini);
        d.ini(text);
        WriteFile(ini, text);
      }
      TLayoutForm f(kind.storage());
      EXPECT_EQ(Snapshot(f.manager), designed);
    }
  ClearStores();
}

TEST(BarLayoutStorage, FailedIniStoreKeepsTheStoredLayout) {
  ClearStores();
  const std::string ini = TempPath("bars_layout_test.ini");
  std::string stored;
  {
    TLayoutForm f("");
    ChangeLayout(f);
    stored = Snapshot(f.manager);
    f.manager->StoreLayoutInIni(ini);
  }
  const std::string before = ReadFile(ini);
  {
    TLayoutForm f(InIni(ini));
    delete f.Bar("File")->ItemLinks()->Items(0);
    CreateDirectoryA((ini + ".new").c_str(), nullptr);  // the new file cannot be written
    EXPECT_THROW(f.manager->StoreLayoutInIni(ini), Exception);
    RemoveDirectoryA((ini + ".new").c_str());
    f.manager->SetStoreInIniFile(false);  // freeing the form would store the changed layout
  }
  EXPECT_EQ(ReadFile(ini), before);
  TLayoutForm f(InIni(ini));
  EXPECT_EQ(Snapshot(f.manager), stored);
  ClearStores();
}

TEST(BarLayoutStorage, EmptyPathsDoNothing) {
  ClearStores();
  TLayoutForm f("");
  const std::string designed = Snapshot(f.manager);
  f.manager->StoreLayoutInRegistry("");
  f.manager->StoreLayoutInIni("");
  EXPECT_FALSE(f.manager->RestoreLayoutFromRegistry(""));
  EXPECT_FALSE(f.manager->RestoreLayoutFromIni(""));
  EXPECT_FALSE(f.manager->RestoreLayoutFromRegistry(kRegPath)) << "nothing stored";
  EXPECT_EQ(Snapshot(f.manager), designed);
}

}  // namespace
