// TMemIniFile and TIniFile.
#include <gtest/gtest.h>

#include "platform/IniFiles.h"
#include "platform/SysUtils.h"

namespace {
std::string TempIni(const std::string& stem) {
  return GetTempPathStr() + stem + "-" + IntToStr(::GetCurrentProcessId()) + ".ini";
}

std::string FileText(const std::string& name) {
  TStringList l;
  l.LoadFromFile(name);
  return l.Text();
}
}  // namespace

TEST(MemIniFile, RoundTripKeepsOrderAndIgnoresCase) {
  const std::string name = TempIni("mem");
  {
    TStringList seed;
    seed.SetText(
        "; settings\n"
        "[Editor]\n"
        "Zoom = 200\n"
        "Grid=1\n"
        "\n"
        "[Recent]\n"
        "File1=C:\\a.gif\n"
        "File2=C:\\\xC3\xA4.gif\n");
    seed.SaveToFile(name);
  }
  {
    TMemIniFile ini(name);
    EXPECT_EQ(ini.ReadInteger("editor", "ZOOM", 0), 200) << "names compare without case; blanks around '=' go";
    EXPECT_TRUE(ini.ReadBool("Editor", "Grid", false));
    EXPECT_EQ(ini.ReadString("Recent", "File2", ""), "C:\\\xC3\xA4.gif");
    EXPECT_EQ(ini.ReadString("Recent", "File3", "none"), "none");
    EXPECT_EQ(ini.ReadString("Missing", "File1", "none"), "none");
    EXPECT_TRUE(ini.ValueExists("RECENT", "file1"));
    EXPECT_TRUE(ini.SectionExists("editor"));

    ini.WriteString("EDITOR", "zoom", "150");  // replaces in place, spelt as written
    ini.WriteInteger("Editor", "Delay", 0x20);
    ini.WriteBool("View", "Toolbar", false);
    ini.WriteFloat("View", "Gamma", 2.2);
    ini.DeleteKey("Recent", "File1");
    ini.UpdateFile();
  }
  EXPECT_EQ(FileText(name),
            "[Editor]\r\nzoom=150\r\nGrid=1\r\nDelay=32\r\n\r\n"
            "[Recent]\r\nFile2=C:\\\xC3\xA4.gif\r\n\r\n"
            "[View]\r\nToolbar=0\r\nGamma=2.2\r\n\r\n");
  TMemIniFile again(name);
  EXPECT_EQ(again.ReadFloat("View", "Gamma", 0), 2.2);
  EXPECT_FALSE(again.ReadBool("View", "Toolbar", true));
  TStringList list;
  again.ReadSections(&list);
  EXPECT_EQ(list.CommaText(), "Editor,Recent,View");
  again.ReadSection("Editor", &list);
  EXPECT_EQ(list.CommaText(), "zoom,Grid,Delay");
  again.ReadSectionValues("Recent", &list);
  EXPECT_EQ(list.Values("File2"), "C:\\\xC3\xA4.gif");
  again.EraseSection("recent");
  again.ReadSections(&list);
  EXPECT_EQ(list.CommaText(), "Editor,View");
  DeleteFile(name);

  TMemIniFile none(TempIni("never-written"));
  EXPECT_EQ(none.ReadInteger("a", "b", 5), 5) << "a missing file is an empty one";
}

TEST(MemIniFile, NumbersThatDoNotParseReadAsTheDefault) {
  TMemIniFile ini("");
  struct Case { const char* text; Integer value; };
  const Case cases[] = {{"12", 12}, {"-3", -3}, {"0x1F", 31}, {"$10", 16}, {"", 99}, {"1.5", 99}, {"ten", 99}};
  for (const Case& c : cases) {
    ini.WriteString("N", "v", c.text);
    EXPECT_EQ(ini.ReadInteger("N", "v", 99), c.value) << c.text;
  }
  ini.WriteString("N", "f", "abc");
  EXPECT_EQ(ini.ReadFloat("N", "f", 1.25), 1.25);
}

TEST(IniFile, WritesThroughTheSystemProfileFunctions) {
  const std::string name = TempIni("sys");
  {
    TIniFile ini(name);
    ini.WriteString("Export", "Folder", "C:\\Out");
    ini.WriteInteger("Export", "Quality", 85);
    ini.WriteBool("Options", "Loop", true);
  }
  ASSERT_TRUE(FileExists(name));
  TIniFile ini(name);
  EXPECT_EQ(ini.ReadString("export", "folder", ""), "C:\\Out");
  EXPECT_EQ(ini.ReadInteger("Export", "Quality", 0), 85);
  EXPECT_TRUE(ini.ReadBool("Options", "Loop", false));
  EXPECT_EQ(ini.ReadString("Export", "Missing", "dflt"), "dflt");
  const std::string longValue(5000, 'v');
  ini.WriteString("Export", "Long", longValue);
  EXPECT_EQ(ini.ReadString("Export", "Long", ""), longValue) << "values longer than the first buffer";

  TStringList list;
  ini.ReadSections(&list);
  EXPECT_EQ(list.CommaText(), "Export,Options");
  ini.ReadSection("Export", &list);
  EXPECT_EQ(list.CommaText(), "Folder,Quality,Long");
  ini.DeleteKey("Export", "Long");
  ini.ReadSectionValues("Export", &list);
  EXPECT_EQ(list.Text(), "Folder=C:\\Out\r\nQuality=85\r\n");
  ini.EraseSection("Options");
  EXPECT_FALSE(ini.SectionExists("Options"));
  EXPECT_TRUE(ini.ValueExists("Export", "quality"));
  DeleteFile(name);
}
