// wexbolt.dll: converts a GIF animation into a Flash movie (SWF). The editor
// loads the library at run time from the program's folder and calls gif2swf.
#pragma once

#include <windows.h>

// The library's own build exports gif2swf; a program that includes this
// header only for the declaration and the type declares nothing it imports.
#if defined(WEXBOLT_BUILD)
#define WEXBOLT_API __declspec(dllexport)
#else
#define WEXBOLT_API
#endif

extern "C" {

// Writes the movie of the GIF file at GifPath to SwfPath (both zero-terminated
// UTF-8 paths). Owner is the window the call is made for; nothing is shown.
// Returns 1 when the whole movie was written; otherwise 0, and nothing is left
// at SwfPath (a file that was there before is kept).
WEXBOLT_API int __stdcall gif2swf(const char* GifPath, const char* SwfPath, HWND Owner);

// The type of gif2swf, for GetProcAddress.
typedef int(__stdcall* TGif2SwfProc)(const char* GifPath, const char* SwfPath, HWND Owner);
}
