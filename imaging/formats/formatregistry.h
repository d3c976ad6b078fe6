// The library-wide table of file formats: the 14 built-in formats with their
// type numbers and extensions, formats registered later with their own read,
// write and probe hooks, and recognition of a stream's or file's format by
// its content.
#pragma once

#include <string>

#include "imaging/buffer/hyieutils.h"
#include "imaging/formats/ioparams.h"
#include "platform/Classes.h"

// File-type numbers of the built-in formats; registered formats pick their own.
enum : Integer {
  ioUnknown = 0,
  ioTIFF = 1,
  ioGIF = 2,
  ioJPEG = 3,
  ioPCX = 4,
  ioBMP = 5,
  ioICO = 6,
  ioCUR = 7,
  ioPNG = 8,
  ioWMF = 9,
  ioEMF = 10,
  ioTGA = 11,
  ioPXM = 12,
  ioJP2 = 13,
  ioJ2K = 14,
};

// A hook receives the stream positioned where the image begins. ParamsOnly:
// fill the parameters without decoding pixels.
using TIEReadHook = void (*)(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly,
                             TIEProgressRecord& Progress);
using TIEWriteHook = void (*)(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params,
                              TIEProgressRecord& Progress);
using TIEProbeHook = bool (*)(TStream* Stream);

struct TIEFormatRegistration {
  Integer FormatType = 0;
  // Both texts hold at most IEFormatTextLimit characters; longer ones are cut.
  std::string DisplayName;
  // Extensions without dots, separated by ";".
  std::string ExtensionList;
  TIEReadHook ReadHook = nullptr;
  TIEWriteHook WriteHook = nullptr;  // nil: the format cannot be written
  TIEProbeHook ProbeHook = nullptr;
};

constexpr size_t IEFormatTextLimit = 80;

// The built-in entries' hooks: the built-in formats are read, written and
// recognised by the I/O component and DetectStreamType, not through these.
void PlaceholderReadHook(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly,
                         TIEProgressRecord& Progress);
void PlaceholderWriteHook(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress);
bool PlaceholderProbeHook(TStream* Stream);

// Appends a copy of the record; returns its index. Records are never removed
// or changed, so a pointer returned by a lookup stays valid for the program's
// life. Registration and lookups may run on different threads.
Integer RegisterFileFormat(const TIEFormatRegistration& Record);
// Number of records (the 14 built-ins first).
Integer FormatRegistryCount();
// Record at an index of registration order, or nil.
const TIEFormatRegistration* FormatRegistryAt(Integer Index);
// First record with that type number, or nil.
const TIEFormatRegistration* FindFormatByType(Integer Type);
// The N-th extension (from 0) of that type's list; empty when there is none.
std::string GetFormatExtension(Integer Type, Integer N);
// Extensions of the type up to the first empty piece.
Integer CountFormatExtensions(Integer Type);
// First record, in registration order, with that extension (no dot), any case.
const TIEFormatRegistration* FindFormatByExtension(const std::string& Extension);

// Type number of the image beginning at the stream's position, 0 when none is
// recognised. The position is restored; never raises.
Integer DetectStreamType(TStream* Stream);
// Type of a file by its content; with CheckExtension the extension must name
// the same format (icon and cursor content take the extension's type). An
// unopenable file gives 0; never raises.
Integer DetectFileType(const std::string& FileName, bool CheckExtension);
