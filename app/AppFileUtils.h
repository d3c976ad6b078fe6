// File and shell routines the editor's forms share: the program's folder,
// temporary files, file sizes, and opening a document with the program the
// shell associates with it (reporting why that failed).
#pragma once

#include <string>

#include "platform/System.h"
#include "platform/Win.h"

// The folder of the program's module file with a trailing backslash; empty
// when the module file name cannot be had.
std::string ModuleFolder();
// ModuleFolder, else the folder of the application's executable name; always
// ends with a backslash.
std::string AppFolder();
// Text with "\" appended when it is not empty and does not end with one.
std::string WithTrailingBackslash(const std::string& Text);
// Size in bytes of the first directory entry matching Path (wildcards allowed);
// 0 when nothing matches.
Int64 FileSizeOf(const std::string& Path);
// The system's temporary folder as the platform reports it.
std::string TempFolder();
// A new unique file name in Folder starting with Prefix; the platform creates
// the empty file. Empty on failure.
std::string MakeTempFileName(const std::string& Folder, const std::string& Prefix);

// Opens File with the shell's "Open" verb (no owner window). A file name of
// 256 characters or more is refused with an information message and gives 2
// (file not found). Otherwise the shell's result code: above 32 is success.
Integer ShellOpen(const std::string& File, const std::string& Params, const std::string& Folder,
                  Integer ShowCommand);
// For a code of 32 or less, a warning box owned by Owner, captioned "Error":
// "Unable to execute file:\n\n" and the text for the code. Nothing above 32.
void ShowShellError(Integer Code, HWND Owner);
// ShellOpen(File, no parameters, no folder, SW_SHOWNOACTIVATE), then
// ShowShellError with its code.
void OpenDocument(const std::string& File, HWND Owner);
