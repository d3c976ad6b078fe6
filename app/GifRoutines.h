// The editor's routines on a TGIFImage document: picture file types, loading
// pictures and GIF files with the editor's messages, saving with the editor's
// tidying, adding bitmaps as frames under the palette settings kept in the
// registry, the graphic-control, comment and loop extensions the editor
// manages, moving frames, frame-size reconciliation, the encoded size, a
// free-standing colour map, and helpers for edit fields and scroll boxes.
//
// Failures are reported here, with message dialogs (through MessageBoxFunc,
// so tests answer them), and returned as a failure value; nothing raises but
// ValidateIntegerField (texts the integer conversion refuses) and the
// routines that pass document errors on (AddBitmapAsFrame, ReconcileFrameSize).
#pragma once

#include <functional>
#include <string>

#include "gif/GIFImage.h"
#include "platform/Graphics.h"
#include "platform/System.h"

class TRuzozAd;
class TWinControl;
class TControl;
class TScrollBox;

// ---------------------------------------------------------------------------
// Hooks into the main window.

// The hidden image component through which pictures other than GIF and BMP are
// loaded (LoadImageAsBitmap). The main window sets it when it is created and
// clears it when it goes; while it is null each such load uses a hidden
// component of its own, made for that load.
extern TRuzozAd* GifRoutinesImageComponent;
// The colour of the main window's transparent-colour swatch, which becomes the
// header's background when a transparent animation is played
// (PrepareGifForOutput in play mode). The default returns clNone.
extern std::function<TColor()> GifRoutinesTransparentColor;

// ---------------------------------------------------------------------------
// File types.

// File type numbers: the index of the extension in GifFileTypeExtensions.
enum : Integer {
  gftGif = 0,
  gftJpg = 1,
  gftBmp = 2,
  gftIco = 5,
  gftPng = 11,
  gftWmf = 16,
  gftAvi = 18,
  gftUnknown = 20
};
// ".gif" ... ".avi" (indices 0 to 18), then "*.*", which is never compared.
extern const char* const GifFileTypeExtensions[20];
// The frame export's filters: GIF, JPEG and bitmap images.
extern const char* const GifExportFilters[3];

// The index of the file's lower-cased extension among entries 0 to 18, else
// gftUnknown.
Integer FileTypeFromExtension(const std::string& FileName);

// ---------------------------------------------------------------------------
// Documents.

// Loads File into Bitmap by Type (a FileTypeFromExtension value); 0 on
// success, -1 on failure. A GIF gives its composite picture when WholeImage is
// set or it does not hold several non-empty frames, else leaves Bitmap as it
// was. A missing file (as LoadGifFile does), an unrecognised type and a GIF
// that fails to load are reported with a message; the other failures are silent.
Integer LoadImageAsBitmap(const std::string& File, TBitmap* Bitmap, Integer Type, bool WholeImage);
// Loads File into Document under the hourglass cursor; a missing or unreadable
// file beeps, shows "Error loading %s! ..." followed by a blank line and the
// cause (the file was not found, or the reader's or the system's message) and
// gives false. A failed load leaves Document as it was.
bool LoadGifFile(TGIFImage* Document, const std::string& File);
// Tidies Document (PrepareGifForOutput: save mode when SaveModeTidy, else
// play mode; loop count 0) and writes it to File, only when Force is set or
// File exists already. The new content is written to a temporary file in the
// same folder, which replaces File only once it is complete; on any failure
// File is left as it was, the partial file is deleted, "Error saving file!
// Unable to save %s to disk." is shown followed by a blank line and the cause
// (the writer's message, the system's message for the failing file call, or
// that the file is read-only or was not found) and the result is false.
bool SaveGifFile(TGIFImage* Document, const std::string& File, bool SaveModeTidy, bool Force);
// The number of bytes Document takes written as a GIF stream.
Int64 EncodedSize(TGIFImage* Document);
// The editor's tidying before saving (PlayMode false) or playing: a filled
// global map, one graphic control extension per frame (the last one of its
// list), loop extensions only on frame 0 (LoopCount is the count of the one
// put back there when another frame carried one); in save mode, transparent
// frames after the first that cover the logical screen get disposal 2.
void PrepareGifForOutput(TGIFImage* Document, bool PlayMode, Integer LoopCount);

// ---------------------------------------------------------------------------
// Frames and palette settings.

// The settings key under HKEY_CURRENT_USER; every value is a string.
extern const char* const GifSettingsKey;

struct TPaletteSettings {
  Integer PaletteType = 2;  // 0 quantise with a colour count, 1 the 216-colour palette, 2 quantise (local maps)
  Integer MaxColorCount = 256;
  Integer DitherMethod = 0;  // 0 nearest colour, 1 Floyd-Steinberg
  Integer MaxImportCount = 256;
  bool PaletteDefaults = false;
};

// One settings value: a flag is on exactly when its string is "1"; an integer
// is its string as a decimal number. A value that is missing, not a number or
// unreadable, or a key that cannot be opened, gives Default.
bool ReadSettingFlag(const std::string& Name, bool Default);
Integer ReadSettingInt(const std::string& Name, Integer Default);
// Writing ("1"/"0" for flags, decimal for integers); the key is created when
// missing; a key that cannot be opened skips the write silently.
void WriteSettingFlag(const std::string& Name, bool Value);
void WriteSettingInt(const std::string& Name, Integer Value);

// The five palette values with their defaults.
TPaletteSettings LoadPaletteSettings();
// Sets the document's colour reduction: type 0 or 2 quantise with the depth of
// Colors (8 .. 256; other counts leave the depth), 1 the 216-colour palette;
// Dither 0 nearest, 1 Floyd-Steinberg. True when the colour maps are to be
// optimised afterwards (types 0 and 1).
bool ApplyPaletteSettings(TGIFImage* Document, Integer PaletteType, Integer Dither, Integer Colors);
// Adds Bitmap as a new frame at Position (appended when Position is not below
// the frame count); returns its index. The first frame of a document gets the
// loop and graphic control extensions and fills the global map.
Integer AddBitmapAsFrame(TGIFImage* Document, TBitmap* Bitmap, Integer Position);
// Only while the document has no loop extension: a loop extension on frame 0,
// a graphic control extension with Delay on Frame, Frame's local map compacted
// and copied into an empty global map (else the 216-colour palette).
void InitAnimationFromFrame(TGIFSubImage* Frame, Integer LoopCount, Integer Delay);
// Compacts every colour map and merges them into one global map.
void OptimizeColorMaps(TGIFImage* Document);
// More than one frame that is not empty.
bool HasSeveralFrames(TGIFImage* Document);
// Cuts every frame reaching beyond Reference's width or height to it.
void ClipFramesToSize(TGIFImage* Document, TBitmap* Reference);
// Mode 0: frames cut to Bitmap and the logical screen takes its size; mode 1:
// Bitmap cut to the logical screen; other modes, or no frames: nothing.
void ReconcileFrameSize(TGIFImage* Document, TBitmap* Bitmap, Integer Mode);
// Bitmap keeps its top-left Width x Height part.
void CropBitmap(TBitmap* Bitmap, Integer Height, Integer Width);

// ---------------------------------------------------------------------------
// Extensions.

// Gives Frame a graphic control extension (disposal 2) when it has none, then
// stores Delay (16 bits, hundredths of a second) in it.
void EnsureGraphicControl(TGIFSubImage* Frame, Integer Delay);
// Stores Disposal in Frame's graphic control extension, made when missing.
void SetFrameDisposal(TGIFSubImage* Frame, Integer Disposal);
// Appends a comment extension holding Text's lines.
void AddCommentExtension(TGIFSubImage* Frame, const std::string& Text);
// Frame 0 carries a loop extension.
bool HasLoopExtension(TGIFImage* Document);
// The count of the last loop extension of frame 0; 1 without one.
Integer GetLoopCount(TGIFImage* Document);
// Count 0 loops forever, 1 plays once (no loop extension), n plays n passes.
void SetLoopCount(TGIFImage* Document, Integer Count);
// Puts a loop extension with Count first on frame FrameIndex; nothing for
// count 1 or a frame that does not exist.
void AddLoopExtension(TGIFImage* Document, Integer FrameIndex, Integer Count);
// Moves frame From to To, keeping the loop extension on frame 0.
void MoveFrame(Integer From, Integer To, TGIFImage* Document);

// ---------------------------------------------------------------------------
// A colour map owned by no frame or header: it counts and remaps no pixels,
// reports nothing and does not compact.
class TCmdColorMap : public TGIFColorMap {
 public:
  T_CLASSNAME(TCmdColorMap)
  void ReportWarning(const std::string&) override {}
  void CountUsage(TGIFUsageTable&) override {}
  void ApplyIndexMap(const TGIFIndexMap&) override {}
  bool Compact() override { return false; }
  void NotifyChanged() override {}
};

// ---------------------------------------------------------------------------
// Edit fields and scroll boxes.

// Not empty and made of digits and spaces only.
bool IsNumericText(const std::string& Text);
// True when Control's text is numeric and at most 32767 (Small) or 65535.
// Otherwise an error message "'%s' is not a valid integer value.", the text
// goes back to the control's Tag, the control takes the focus; false. A text
// the integer conversion refuses raises its EConvertError.
bool ValidateIntegerField(TWinControl* Control, bool Small);
// Suspend: the box stops redrawing; otherwise it redraws again and is
// repainted with all its children. Nothing without a box or window.
void SetScrollBoxRedraw(TScrollBox* Box, bool Suspend);
// Scrolls Box to its origin and centres Image in its client area (or puts it
// at the scroll bar's margin on an axis where it is larger).
void CenterInScrollBox(TScrollBox* Box, TControl* Image);
