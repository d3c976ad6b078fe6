#include "app/AppFileUtils.h"

#include <shellapi.h>

#include "platform/Dialogs.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"

std::string ModuleFolder() {
  try {
    wchar_t buffer[261];
    DWORD length = ::GetModuleFileNameW(nullptr, buffer, 261);
    if (length == 0 || length >= 261) return {};
    return WithTrailingBackslash(ExtractFilePath(WideToUtf8(buffer, static_cast<int>(length))));
  } catch (...) {
    return {};
  }
}

std::string AppFolder() {
  std::string folder = ModuleFolder();
  if (folder.empty() && Application) folder = WithTrailingBackslash(ExtractFilePath(Application->ExeName()));
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

std::string WithTrailingBackslash(const std::string& Text) {
  if (Text.empty() || Text.back() == '\\') return Text;
  return Text + "\\";
}

Int64 FileSizeOf(const std::string& Path) {
  TSearchRec found;
  if (FindFirst(Path, 0x5F, found) != 0) return 0;
  Int64 size = found.Size;
  FindClose(found);
  return size;
}

std::string TempFolder() {
  wchar_t buffer[MAX_PATH];
  DWORD length = ::GetTempPathW(MAX_PATH, buffer);
  if (length == 0 || length >= MAX_PATH) return {};
  return WideToUtf8(buffer, static_cast<int>(length));
}

std::string MakeTempFileName(const std::string& Folder, const std::string& Prefix) {
  wchar_t buffer[MAX_PATH];
  if (::GetTempFileNameW(Utf8ToWide(Folder).c_str(), Utf8ToWide(Prefix).c_str(), 0, buffer) == 0) return {};
  return WideToUtf8(buffer);
}

Integer ShellOpen(const std::string& File, const std::string& Params, const std::string& Folder,
                  Integer ShowCommand) {
  std::wstring file = Utf8ToWide(File);
  if (file.size() >= 256) {
    MessageDlg("The path to the file is too long, please ensure the path is less than 255 characters.",
               mtInformation, TMsgDlgButtons{mbOK}, 0);
    return 2;
  }
  // Parameters and folder go to the shell whole: a cut folder or argument
  // would open something else than the caller meant.
  std::wstring params = Utf8ToWide(Params), folder = Utf8ToWide(Folder);
  HINSTANCE result = ::ShellExecuteW(nullptr, L"Open", file.c_str(), params.empty() ? nullptr : params.c_str(),
                                     folder.empty() ? nullptr : folder.c_str(), ShowCommand);
  return static_cast<Integer>(reinterpret_cast<INT_PTR>(result));
}

namespace {
const char* AppShellErrorText(Integer Code) {
  switch (Code) {
    case 0: return "The operating system is out of memory or resources.";
    case 2: return "The specified file was not found.";
    case 3: return "The specified path was not found.";
    case 5: return "The operating system denied access to the specified file.";
    case 8: return "There was not enough memory to complete the operation.";
    case 11: return "The .EXE file is invalid (non-Win32 .EXE or error in .EXE image).";
    case 26: return "A sharing violation occurred.";
    case 27: return "The filename association is incomplete or invalid.";
    case 28: return "The DDE transaction could not be completed because the request timed out.";
    case 29: return "The DDE transaction failed.";
    case 30: return "The DDE transaction could not be completed because other DDE transactions were being processed.";
    case 31: return "There is no application associated with the given filename extension.";
    case 32: return "The specified dynamic-link library was not found.";
    default: return "An unknown error occurred when trying to load file in associated application.";
  }
}
}  // namespace

void ShowShellError(Integer Code, HWND Owner) {
  if (Code > 32) return;
  MessageBox(Owner, std::string("Unable to execute file:\n\n") + AppShellErrorText(Code), "Error",
             MB_ICONWARNING | MB_OK);
}

void OpenDocument(const std::string& File, HWND Owner) {
  ShowShellError(ShellOpen(File, "", "", SW_SHOWNOACTIVATE), Owner);
}
