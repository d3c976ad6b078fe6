// Library-wide definitions of the image library: filter and language
// enumerations, the library lock and the storage of the word table.
#pragma once

#include <string>

#include "platform/System.h"

// Resampling filters; the ordinals index ResampleFilterTable.
enum TResampleFilter : Byte {
  rfNone,
  rfTriangle,
  rfHermite,
  rfBell,
  rfBSpline,
  rfLanczos3,
  rfMitchell,
  rfNearest,
  rfLinear,
  rfFastLinear,
  rfBilinear,
  rfBicubic
};

// Languages of the library's user-interface words.
enum TMsgLanguage : Byte {
  msSystem,
  msEnglish,
  msItalian,
  msGerman,
  msSpanish,
  msFrench,
  msPortuguese,
  msGreek,
  msRussian,
  msDutch,
  msSwedish,
  msPolish,
  msUser
};

// One critical section for the whole image library. It exists from the
// start of the program to its end, so any thread may enter it.
class TIELibraryLock {
 public:
  TIELibraryLock() { ::InitializeCriticalSection(&cs_); }
  ~TIELibraryLock() { ::DeleteCriticalSection(&cs_); }
  TIELibraryLock(const TIELibraryLock&) = delete;
  TIELibraryLock& operator=(const TIELibraryLock&) = delete;
  void Enter() { ::EnterCriticalSection(&cs_); }
  void Leave() { ::LeaveCriticalSection(&cs_); }
  CRITICAL_SECTION* Handle() { return &cs_; }

 private:
  CRITICAL_SECTION cs_;
};

TIELibraryLock& ImageLibraryLock();

// Word table: one row per language after msSystem (msUser's row stays
// empty) and 124 words per language. Filled once at start, read afterwards.
constexpr int IEWordTableLanguages = 12;
constexpr int IEWordTableWords = 124;
extern std::string IEWordTable[IEWordTableLanguages][IEWordTableWords];
// Stores the words of every language (imaging/views/iewords.cpp); run once by
// the start-up of the image library's utilities.
void FillWordTable();
