// The one place that includes the Windows headers. Macros that would rename
// the class library's own identifiers (DeleteFile, TextOut, MessageBox, ...)
// are removed; platform code calls the wide (W) API functions by their full names.
#pragma once
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef DeleteFile
#undef GetTempPath
#undef GetTempFileName
#undef CopyFile
#undef MoveFile
#undef CreateFile
#undef FindFirstFile
#undef FindNextFile
#undef CreateDirectory
#undef RemoveDirectory
#undef GetCurrentDirectory
#undef SetCurrentDirectory
#undef GetModuleFileName
#undef TextOut
#undef DrawText
#undef MessageBox
#undef LoadIcon
#undef LoadCursor
#undef LoadBitmap
#undef LoadString
#undef GetObject
#undef CreateFont
#undef SendMessage
#undef PostMessage
#undef FindWindow
#undef GetClassName
#undef SetWindowText
#undef GetWindowText
#undef RegisterClipboardFormat
#undef GetClipboardFormatName
#undef FormatMessage
#undef GetCommandLine
#undef CreateWindow
#undef DefWindowProc
#undef CallWindowProc
#undef RegisterClass
#undef UnregisterClass
#undef GetMessage
#undef PeekMessage
#undef DispatchMessage
#undef CreateEvent
#undef CreateMutex
#undef GetUserName
#undef Rectangle
#undef Ellipse
#undef Polygon
#undef Polyline
#undef GetCurrentTime
#undef CreateDialog
#undef DialogBox
#undef GetFileAttributes
#undef SetFileAttributes
#undef AppendMenu
#undef InsertMenu
#undef ModifyMenu
#undef CreateMetaFile
#undef CopyMetaFile
#undef CopyEnhMetaFile
#undef GetEnhMetaFile
#undef GetMetaFile
