// The editor's string, file and shell helpers.
#include <gtest/gtest.h>

#include "app/AppFileUtils.h"
#include "app/AppStringUtils.h"
#include "tests/app/routines_support.h"

using routinestest::TMessageLog;
using routinestest::TScratchFolder;

namespace {

TEST(UtilsStrings, PosFromTable) {
  const std::string caption = "Frame 3 - anim.gif";
  struct {
    std::string text, sub;
    Integer start, pos;
  } cases[] = {
      {caption, " - ", 0, 8},   {caption, " - ", 1, 8},  {caption, " - ", -4, 8},
      {caption, " - ", 3, 6},   // counted from the start character
      {caption, " - ", 8, 1},   {caption, " - ", 9, 0},  {caption, "gif", 18, 0},
      {caption, "f", 18, 1},    {caption, "f", 19, 0},   {caption, "x", 1, 0},
      {"abcabc", "a", 2, 3},    {"", "a", 1, 0},         {"abc", "", 1, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PosFrom(c.text, c.sub, c.start), c.pos) << c.text << " / '" << c.sub << "' from " << c.start;
}

TEST(UtilsStrings, RightCharsTable) {
  const std::string caption = "Frame 3 - anim.gif";
  struct {
    Integer n;
    std::string result;
  } cases[] = {{8, "anim.gif"}, {0, ""}, {30, ""}, {-1, ""}, {18, caption}, {19, ""}, {1, "f"}};
  for (const auto& c : cases) EXPECT_EQ(RightChars(caption, c.n), c.result) << c.n;
}

TEST(UtilsFiles, ProgramFolder) {
  wchar_t module[MAX_PATH];
  DWORD n = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::string exe = WideToUtf8(module, static_cast<int>(n));
  std::string expected = exe.substr(0, exe.find_last_of('\\') + 1);
  EXPECT_EQ(ModuleFolder(), expected);
  EXPECT_EQ(AppFolder(), expected);
  EXPECT_EQ(AppFolder().back(), '\\');

  struct {
    const char* text;
    const char* result;
  } cases[] = {{"", ""}, {"C:\\data", "C:\\data\\"}, {"C:\\data\\", "C:\\data\\"}, {"x", "x\\"}};
  for (const auto& c : cases) EXPECT_EQ(WithTrailingBackslash(c.text), c.result) << c.text;
}

TEST(UtilsFiles, TemporaryFilesAndSizes) {
  std::string temp = TempFolder();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');
  EXPECT_TRUE(DirectoryExists(temp));

  TScratchFolder folder("tmp");
  std::string a = MakeTempFileName(folder.Path(), "~GF");
  std::string b = MakeTempFileName(folder.Path(), "~GF");
  ASSERT_FALSE(a.empty());
  EXPECT_NE(a, b);
  EXPECT_EQ(ExtractFilePath(a), folder.Path());
  EXPECT_EQ(ExtractFileName(a).substr(0, 3), "~GF");
  EXPECT_TRUE(FileExists(a));  // made, empty
  EXPECT_EQ(FileSizeOf(a), 0);
  EXPECT_EQ(MakeTempFileName(folder / "no such folder", "~GF"), "");

  routinestest::WriteBytes(folder / "data.bin", std::string(1234, 'x'));
  struct {
    std::string path;
    Int64 size;
  } cases[] = {{folder / "data.bin", 1234}, {folder / "data.*", 1234}, {folder / "gone.bin", 0}, {"", 0}};
  for (const auto& c : cases) EXPECT_EQ(FileSizeOf(c.path), c.size) << c.path;
  // Hidden and read-only entries match as well.
  ::SetFileAttributesW(Utf8ToWide(folder / "data.bin").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(FileSizeOf(folder / "data.bin"), 1234);
}

TEST(UtilsShell, ErrorTextsByCode) {
  const HWND owner = reinterpret_cast<HWND>(0x1234);
  struct {
    Integer code;
    const char* text;  // nullptr: no message
  } cases[] = {
      {0, "The operating system is out of memory or resources."},
      {2, "The specified file was not found."},
      {3, "The specified path was not found."},
      {5, "The operating system denied access to the specified file."},
      {8, "There was not enough memory to complete the operation."},
      {11, "The .EXE file is invalid (non-Win32 .EXE or error in .EXE image)."},
      {26, "A sharing violation occurred."},
      {27, "The filename association is incomplete or invalid."},
      {28, "The DDE transaction could not be completed because the request timed out."},
      {29, "The DDE transaction failed."},
      {30, "The DDE transaction could not be completed because other DDE transactions were being processed."},
      {31, "There is no application associated with the given filename extension."},
      {32, "The specified dynamic-link library was not found."},
      {1, "An unknown error occurred when trying to load file in associated application."},
      {12, "An unknown error occurred when trying to load file in associated application."},
      {-5, "An unknown error occurred when trying to load file in associated application."},
      {33, nullptr},
      {42, nullptr},
  };
  for (const auto& c : cases) {
    TMessageLog log;
    ShowShellError(c.code, owner);
    if (!c.text) {
      EXPECT_TRUE(log.Boxes.empty()) << c.code;
      continue;
    }
    ASSERT_EQ(log.Boxes.size(), 1u) << c.code;
    EXPECT_EQ(log.Boxes[0].Text, std::string("Unable to execute file:\n\n") + c.text) << c.code;
    EXPECT_EQ(log.Boxes[0].Caption, "Error");
    EXPECT_EQ(log.Boxes[0].Owner, owner);
    EXPECT_EQ(log.Boxes[0].Flags & (MB_ICONMASK | MB_TYPEMASK), static_cast<UINT>(MB_ICONWARNING | MB_OK));
  }
}

TEST(UtilsShell, OpeningMissingAndOverlongPaths) {
  TScratchFolder folder("shell");
  const HWND owner = reinterpret_cast<HWND>(0x4321);
  // 300 characters: the path message, then the message for code 2.
  std::string longPath = folder.Path() + std::string(300 - folder.Path().size() - 5, 'p') + ".html";
  ASSERT_EQ(longPath.size(), 300u);
  {
    TMessageLog log;
    OpenDocument(longPath, owner);
    ASSERT_EQ(log.Boxes.size(), 2u);
    EXPECT_EQ(log.Boxes[0].Text,
              "The path to the file is too long, please ensure the path is less than 255 characters.");
    EXPECT_EQ(log.Boxes[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(log.Boxes[1].Text, "Unable to execute file:\n\nThe specified file was not found.");
    EXPECT_EQ(log.Boxes[1].Owner, owner);
  }
  // The limit counts characters, not bytes: 255 accented letters pass it.
  {
    std::string accented;
    for (int i = 0; i < 120; ++i) accented += "\xC3\xA9";
    std::string path = folder.Path() + accented;
    ASSERT_LT(Utf8ToWide(path).size(), 256u);
    TMessageLog log;
    Integer code = ShellOpen(path, "", "", SW_SHOWNOACTIVATE);
    EXPECT_LE(code, 32);
    for (const auto& box : log.Boxes) EXPECT_EQ(box.Text.find("too long"), std::string::npos);
  }
  // A missing file of normal length: only the shell's answer.
  {
    TMessageLog log;
    OpenDocument(folder / "missing.html", owner);
    ASSERT_EQ(log.Boxes.size(), 1u);
    EXPECT_EQ(log.Boxes[0].Text.find("Unable to execute file:\n\n"), 0u);
  }
}

}  // namespace
