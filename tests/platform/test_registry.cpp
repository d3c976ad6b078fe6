// TRegistry and TRegIniFile under HKEY_CURRENT_USER\Software\LarkspireTests.
#include <gtest/gtest.h>

#include "platform/Registry.h"
#include "platform/SysUtils.h"

namespace {

const std::string kRoot = "\\Software\\LarkspireTests";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override {
    Clean();
    TRegistry r;
    EXPECT_FALSE(r.KeyExists(kRoot)) << "the test key is removed";
  }
  static void Clean() {
    TRegistry r;
    r.DeleteKey(kRoot);
  }
};

std::string Joined(TStrings& s) {
  TStringList sorted;
  sorted.Assign(&s);
  sorted.Sort();
  return sorted.CommaText();
}

}  // namespace

TEST_F(RegistryTest, TypedValuesRoundTrip) {
  TRegistry r;
  EXPECT_EQ(r.RootKey(), HKEY_CURRENT_USER);
  EXPECT_FALSE(r.OpenKey(kRoot + "\\Editor", false)) << "missing key, no create";
  ASSERT_TRUE(r.OpenKey(kRoot + "\\Editor", true));
  EXPECT_EQ(r.CurrentPath(), "Software\\LarkspireTests\\Editor");

  const std::string unicode = "Bild \xC3\xA4\xC3\xB6 \xE6\xBC\xA2\xE5\xAD\x97";
  r.WriteString("Last File", unicode);
  r.WriteString("Empty", "");
  r.WriteInteger("Width", -640);
  r.WriteBool("Maximized", true);
  const Byte blob[] = {0, 1, 2, 0xFE, 0xFF};
  r.WriteBinaryData("Colors", blob, sizeof blob);
  r.WriteString(unicode, "named in any language");

  EXPECT_EQ(r.ReadString("Last File"), unicode);
  EXPECT_EQ(r.ReadString("Empty"), "");
  EXPECT_EQ(r.ReadInteger("Width"), -640);
  EXPECT_TRUE(r.ReadBool("Maximized"));
  Byte back[8] = {};
  EXPECT_EQ(r.ReadBinaryData("Colors", back, sizeof back), 5);
  EXPECT_EQ(std::memcmp(back, blob, sizeof blob), 0);
  EXPECT_EQ(r.ReadString(unicode), "named in any language");

  struct Info { const char* name; TRegDataType type; Integer size; };
  const Info infos[] = {{"Width", rdInteger, 4}, {"Colors", rdBinary, 5}, {"Empty", rdString, 2},
                        {"Missing", rdUnknown, -1}};
  for (const Info& i : infos) {
    EXPECT_EQ(r.GetDataType(i.name), i.type) << i.name;
    EXPECT_EQ(r.GetDataSize(i.name), i.size) << i.name;
    EXPECT_EQ(r.ValueExists(i.name), i.size >= 0) << i.name;
  }

  TStringList names;
  r.GetValueNames(&names);
  EXPECT_EQ(names.Count(), 6);
  EXPECT_GE(names.IndexOf(unicode), 0);

  EXPECT_TRUE(r.DeleteValue("Empty"));
  EXPECT_FALSE(r.DeleteValue("Empty"));
  EXPECT_FALSE(r.ValueExists("Empty"));
  r.RenameValue("Width", "Height");
  EXPECT_EQ(r.ReadInteger("Height"), -640);
  EXPECT_FALSE(r.ValueExists("Width"));
}

TEST_F(RegistryTest, MissingAndMistypedValuesRaiseWithTheirName) {
  TRegistry r;
  ASSERT_TRUE(r.OpenKey(kRoot, true));
  r.WriteString("Text", "12");
  r.WriteInteger("Number", 12);
  Byte buf[2];
  struct Case { const char* what; std::function<void()> read; const char* message; };
  const Case cases[] = {
      {"missing integer", [&] { r.ReadInteger("Nope"); }, "Failed to get data for 'Nope'"},
      {"missing bool", [&] { r.ReadBool("Nope"); }, "Failed to get data for 'Nope'"},
      {"string as integer", [&] { r.ReadInteger("Text"); }, "Invalid data type for 'Text'"},
      {"integer as string", [&] { r.ReadString("Number"); }, "Invalid data type for 'Number'"},
      {"binary too large", [&] { r.WriteBinaryData("Blob", "abcd", 4); r.ReadBinaryData("Blob", buf, 2); },
       "Invalid data type for 'Blob'"},
      {"missing binary", [&] { r.ReadBinaryData("Nope", buf, 2); }, "Failed to get data for 'Nope'"},
  };
  for (const Case& c : cases) {
    try {
      c.read();
      ADD_FAILURE() << c.what;
    } catch (const ERegistryException& e) {
      EXPECT_EQ(e.Message(), c.message) << c.what;
    }
  }
  EXPECT_EQ(r.ReadString("Nope"), "") << "a missing string reads as empty";
  r.CloseKey();
  EXPECT_THROW(r.WriteString("x", "y"), ERegistryException) << "no key open";
}

TEST_F(RegistryTest, KeysRelativeAbsoluteReadOnlyAndDeletedWithSubkeys) {
  TRegistry r;
  EXPECT_TRUE(r.CreateKey(kRoot + "\\A\\B\\C"));
  EXPECT_TRUE(r.KeyExists(kRoot + "\\A\\B"));
  ASSERT_TRUE(r.OpenKey(kRoot, false));
  EXPECT_TRUE(r.HasSubKeys());
  ASSERT_TRUE(r.OpenKey("A", false)) << "relative to the open key";
  EXPECT_EQ(r.CurrentPath(), "Software\\LarkspireTests\\A");
  EXPECT_TRUE(r.KeyExists("B\\C"));
  ASSERT_TRUE(r.OpenKey("New", true));
  r.WriteInteger("v", 1);
  ASSERT_TRUE(r.OpenKey(kRoot + "\\A", false));
  TStringList keys;
  r.GetKeyNames(&keys);
  EXPECT_EQ(Joined(keys), "B,New");

  TRegistry ro;
  ASSERT_TRUE(ro.OpenKeyReadOnly(kRoot + "\\A\\New"));
  EXPECT_EQ(ro.ReadInteger("v"), 1);
  EXPECT_THROW(ro.WriteInteger("v", 2), ERegistryException) << "read-only access";
  ro.CloseKey();

  EXPECT_TRUE(r.DeleteKey("B"));
  EXPECT_FALSE(r.KeyExists("B"));
  EXPECT_FALSE(r.DeleteKey("B"));
  EXPECT_FALSE(r.DeleteKey("")) << "never the open key itself";
}

TEST_F(RegistryTest, RegIniFileKeepsSectionsAsSubkeysAndNumbersAsText) {
  {
    TRegIniFile ini("Software\\LarkspireTests\\Ini");
    ini.WriteString("Paths", "Open", "C:\\Images");
    ini.WriteInteger("Window", "Left", 120);
    ini.WriteBool("Window", "Visible", true);
    ini.WriteString("", "Top level", "x");
  }
  TRegIniFile ini("Software\\LarkspireTests\\Ini");
  EXPECT_EQ(ini.ReadString("Paths", "Open", ""), "C:\\Images");
  EXPECT_EQ(ini.ReadString("Paths", "Save", "default"), "default");
  EXPECT_EQ(ini.ReadString("NoSection", "Open", "d"), "d");
  EXPECT_EQ(ini.ReadInteger("Window", "Left", 0), 120);
  EXPECT_TRUE(ini.ReadBool("Window", "Visible", false));
  EXPECT_FALSE(ini.ReadBool("Window", "Missing", false));
  EXPECT_EQ(ini.ReadString("", "Top level", ""), "x");
  EXPECT_EQ(ini.ReadString("Window", "Left", ""), "120") << "integers are stored as text";
  ini.WriteString("Window", "Bad", "12x");
  EXPECT_EQ(ini.ReadInteger("Window", "Bad", 7), 7);

  TStringList list;
  ini.ReadSections(&list);
  EXPECT_EQ(Joined(list), "Paths,Window");
  ini.ReadSection("Window", &list);
  EXPECT_EQ(Joined(list), "Bad,Left,Visible");
  ini.ReadSectionValues("Paths", &list);
  EXPECT_EQ(list.Text(), "Open=C:\\Images\r\n");
  ini.DeleteKey("Window", "Bad");
  ini.ReadSection("Window", &list);
  EXPECT_EQ(list.Count(), 2);
  ini.EraseSection("Window");
  ini.ReadSections(&list);
  EXPECT_EQ(Joined(list), "Paths");
  EXPECT_EQ(ini.CurrentPath(), "Software\\LarkspireTests\\Ini") << "the file's key is open again";
}
