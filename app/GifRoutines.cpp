#include "app/GifRoutines.h"

#include <memory>
#include <vector>

#include "imaging/views/ruzozad.h"
#include "platform/Classes.h"
#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "platform/Registry.h"
#include "platform/SysUtils.h"

TRuzozAd* GifRoutinesImageComponent = nullptr;
std::function<TColor()> GifRoutinesTransparentColor = [] { return clNone; };

const char* const GifFileTypeExtensions[20] = {".gif", ".jpg", ".bmp", ".jif", ".dcx", ".ico", ".pbm",
                                               ".pcx", ".ljp", ".pgm", ".pic", ".png", ".ppm", ".rle",
                                               ".tga", ".tif", ".wmf", ".wpg", ".avi", "*.*"};
const char* const GifExportFilters[3] = {"GIF Images|*.gif", "Jpg Images|*.jpg", "Bitmap Images|*.bmp"};
const char* const GifSettingsKey = "Software\\Larkspire Software\\GIF Fluxmere\\Settings";

namespace {

const char* const kRoutineLoadError =
    "Error loading %s! GIF Fluxmere does not support the file type or it is a corrupted file.";
const char* const kRoutineSaveError = "Error saving file! Unable to save %s to disk.";

const char* const kRoutineNotFound = "The file was not found.";
const char* const kRoutineReadOnly = "The file is read-only.";

void RoutineWarning(const std::string& Text) { MessageDlg(Text, mtWarning, TMsgDlgButtons{mbOK}, 0); }

// The editor's fixed text, then a blank line and what went wrong, when known.
void RoutineWarning(const std::string& Text, const std::string& Cause) {
  RoutineWarning(Cause.empty() ? Text : Text + "\n\n" + Cause);
}

// The message of the exception being handled; empty for one that carries none.
std::string RoutineCurrentCause() {
  try {
    throw;
  } catch (const std::exception& E) {
    return E.what();
  } catch (...) {
    return std::string();
  }
}

// The hourglass while a routine works; the default cursor afterwards, also
// when the routine leaves by an exception.
class TRoutineHourglass {
 public:
  TRoutineHourglass() {
    if (Screen) Screen->SetCursor(crHourGlass);
  }
  ~TRoutineHourglass() {
    if (Screen) Screen->SetCursor(crDefault);
  }
  TRoutineHourglass(const TRoutineHourglass&) = delete;
  TRoutineHourglass& operator=(const TRoutineHourglass&) = delete;
};

TGIFSubImage* RoutineFrameAt(TGIFImage* Document, Integer Index) {
  if (!Document || Index < 0 || Index >= Document->Frames()->ItemCount()) return nullptr;
  return Document->Frames()->FrameAt(Index);
}

TGIFAppExtNSLoop* RoutineLoopOf(TGIFExtension* Ext) { return dynamic_cast<TGIFAppExtNSLoop*>(Ext); }

void RoutineFillWebPalette(TGIFColorMap* Map) {
  HPALETTE palette = MakeNetscapePalette();
  Map->LoadFromPaletteHandle(palette);
  ::DeleteObject(palette);
}

// A file stream that keeps the system's error code of a failed write, which
// the stream's own exception does not carry (a full disk, a lost share).
class TRoutineSaveStream : public TFileStream {
 public:
  using TFileStream::TFileStream;
  Integer Write(const void* Buffer, Integer Count) override {
    const Integer written = TFileStream::Write(Buffer, Count);
    if (written != Count && WriteError == 0) WriteError = ::GetLastError();
    return written;
  }
  DWORD WriteError = 0;
};

// Writes Document to a new file beside File and puts it in File's place once
// it is complete, so a failed write never costs the user the old file. On
// failure Cause says why.
bool RoutineWriteReplacing(TGIFImage* Document, const std::string& File, std::string& Cause) {
  const std::wstring target = Utf8ToWide(File);
  DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    Cause = SysErrorMessage(ERROR_ACCESS_DENIED);
    return false;
  }
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    Cause = kRoutineReadOnly;
    return false;
  }
  std::string folder = ExtractFilePath(File);
  if (folder.empty()) folder = ".\\";
  wchar_t temp[MAX_PATH];
  if (::GetTempFileNameW(Utf8ToWide(folder).c_str(), L"~gf", 0, temp) == 0) {
    Cause = SysErrorMessage(::GetLastError());
    return false;
  }
  bool written = false;
  try {
    TRoutineSaveStream stream(WideToUtf8(temp), fmCreate);
    try {
      Document->SaveToStream(&stream);
    } catch (...) {
      Cause = stream.WriteError != 0 ? SysErrorMessage(stream.WriteError) : RoutineCurrentCause();
      throw;
    }
    written = ::FlushFileBuffers(stream.Handle()) != 0;
    if (!written) Cause = SysErrorMessage(::GetLastError());
  } catch (...) {
    if (Cause.empty()) Cause = RoutineCurrentCause();
    written = false;
  }
  if (written) {
    if (::MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    Cause = SysErrorMessage(::GetLastError());
  }
  ::DeleteFileW(temp);
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// File types and documents.

Integer FileTypeFromExtension(const std::string& FileName) {
  const std::string ext = LowerCase(ExtractFileExt(FileName));
  for (Integer i = 0; i <= gftAvi; ++i)
    if (ext == GifFileTypeExtensions[i]) return i;
  return gftUnknown;
}

Integer LoadImageAsBitmap(const std::string& File, TBitmap* Bitmap, Integer Type, bool WholeImage) {
  if (!FileExists(File)) {
    RoutineWarning(Format(kRoutineLoadError, {File}), kRoutineNotFound);
    return -1;
  }
  if (Type == gftGif) {
    auto scratch = std::make_unique<TGIFImage>();
    if (!LoadGifFile(scratch.get(), File)) return -1;
    if (WholeImage || scratch->Frames()->ItemCount() < 2 || !HasSeveralFrames(scratch.get()))
      Bitmap->Assign(scratch->CompositeBitmap());
    return 0;
  }
  if (Type == gftBmp) {
    try {
      Bitmap->LoadFromFile(File);
      return 0;
    } catch (...) {
      return -1;
    }
  }
  if (Type == gftUnknown) {
    RoutineWarning(Format("%s is an unrecognized file type!", {ExtractFileName(File)}));
    return -1;
  }
  try {
    std::unique_ptr<TRuzozAd> own;
    TRuzozAd* component = GifRoutinesImageComponent;
    if (!component) {
      own = std::make_unique<TRuzozAd>(nullptr);
      own->SetVisible(false);
      component = own.get();
    }
    component->OwnIO()->Aborting = false;
    component->LoadImageFile(File);
    // A reader that gives up, or an extension the component has no reader for,
    // sets the abort flag and leaves the previous picture in place: that is no
    // picture of this file.
    if (component->OwnIO()->Aborting) return -1;
    component->ConvertTo(256, false);
    TBitmap* picture = component->CurrentBitmap();
    if (!picture || picture->Empty()) return -1;
    Bitmap->Assign(picture);
    return 0;
  } catch (...) {
    return -1;
  }
}

bool LoadGifFile(TGIFImage* Document, const std::string& File) {
  TRoutineHourglass hourglass;
  bool ok = false;
  std::string cause = kRoutineNotFound;
  if (FileExists(File)) {
    try {
      Document->LoadFromFile(File);
      ok = true;
    } catch (...) {
      cause = RoutineCurrentCause();
      ::MessageBeep(0);
    }
  }
  if (!ok) RoutineWarning(Format(kRoutineLoadError, {File}), cause);
  return ok;
}

bool SaveGifFile(TGIFImage* Document, const std::string& File, bool SaveModeTidy, bool Force) {
  bool ok = false;
  std::string cause = kRoutineNotFound;
  if (Force || FileExists(File)) {
    cause.clear();
    try {
      PrepareGifForOutput(Document, !SaveModeTidy, 0);
      ok = RoutineWriteReplacing(Document, File, cause);
    } catch (...) {
      cause = RoutineCurrentCause();
      ok = false;
    }
  }
  if (!ok) RoutineWarning(Format(kRoutineSaveError, {File}), cause);
  return ok;
}

Int64 EncodedSize(TGIFImage* Document) {
  TMemoryStream stream;
  Document->SaveToStream(&stream);
  return stream.Size();
}

void PrepareGifForOutput(TGIFImage* Document, bool PlayMode, Integer LoopCount) {
  if (!Document || Document->Frames()->ItemCount() == 0) return;
  TRoutineHourglass hourglass;
  if (Document->GlobalColorMap()->Count() == 0) RoutineFillWebPalette(Document->GlobalColorMap());
  const Integer screenWidth = Document->LogicalWidth(), screenHeight = Document->LogicalHeight();
  bool loopMoved = false;
  for (Integer i = 0; i < Document->Frames()->ItemCount(); ++i) {
    TGIFSubImage* frame = Document->Frames()->FrameAt(i);
    if (i == 0 && PlayMode && Document->AnyFrameTransparent() &&
        (frame->Height() < screenHeight || frame->Width() < screenWidth)) {
      // No swatch colour picked (clNone) is no colour to put into the map.
      TColor swatch = GifRoutinesTransparentColor ? GifRoutinesTransparentColor() : clNone;
      if (swatch != clNone) Document->Header()->SetBackgroundFromColor(swatch);
    }
    TGIFExtensionList* list = frame->Extensions();
    Integer controls = 0;
    for (Integer j = list->ItemCount() - 1; j >= 0; --j) {
      TGIFExtension* ext = list->ExtensionAt(j);
      if (RoutineLoopOf(ext)) {
        if (i != 0) {
          list->RemoveAndFree(ext);
          loopMoved = true;
        }
      } else if (auto* gce = dynamic_cast<TGIFGraphicControlExtension*>(ext)) {
        if (i != 0 && !PlayMode && frame->Transparent() && frame->Width() == screenWidth &&
            frame->Height() == screenHeight)
          gce->SetDisposalMethod(dpBackground);
        if (++controls > 1) list->RemoveAndFree(gce);
      }
    }
  }
  // A loop block found on a later frame goes to frame 0, unless frame 0 has
  // one already: two loop blocks would contradict each other in the file.
  if (loopMoved && !HasLoopExtension(Document)) AddLoopExtension(Document, 0, LoopCount);
}

// ---------------------------------------------------------------------------
// Settings.

namespace {
// The stored string of a settings value; false when the key cannot be opened,
// the value is missing or cannot be read as a string.
bool RoutineReadSetting(const std::string& Name, std::string& Value) {
  try {
    TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (!registry.OpenKey(GifSettingsKey, true)) return false;
    if (!registry.ValueExists(Name)) return false;
    Value = registry.ReadString(Name);
    return true;
  } catch (...) {
    return false;
  }
}

void RoutineWriteSetting(const std::string& Name, const std::string& Value) {
  try {
    TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (registry.OpenKey(GifSettingsKey, true)) registry.WriteString(Name, Value);
  } catch (...) {
  }
}
}  // namespace

bool ReadSettingFlag(const std::string& Name, bool Default) {
  std::string text;
  if (!RoutineReadSetting(Name, text)) return Default;
  return text == "1";
}

Integer ReadSettingInt(const std::string& Name, Integer Default) {
  std::string text;
  Integer value = 0;
  if (!RoutineReadSetting(Name, text) || !TryStrToInt(text, value)) return Default;
  return value;
}

void WriteSettingFlag(const std::string& Name, bool Value) { RoutineWriteSetting(Name, Value ? "1" : "0"); }

void WriteSettingInt(const std::string& Name, Integer Value) { RoutineWriteSetting(Name, std::to_string(Value)); }

TPaletteSettings LoadPaletteSettings() {
  TPaletteSettings s;
  s.PaletteType = ReadSettingInt("PaletteType", 2);
  s.MaxColorCount = ReadSettingInt("MaxColorCount", 256);
  s.DitherMethod = ReadSettingInt("DitherMethod", 0);
  s.MaxImportCount = ReadSettingInt("MaxImportCount", 256);
  s.PaletteDefaults = ReadSettingFlag("PaletteDefaults", false);
  return s;
}

bool ApplyPaletteSettings(TGIFImage* Document, Integer PaletteType, Integer Dither, Integer Colors) {
  bool optimize = false;
  if (PaletteType == 0 || PaletteType == 2) {
    Document->SetColorReduction(rdQuantize);
    static const Integer counts[] = {8, 16, 32, 64, 128, 256};
    for (Integer bits = 3; bits <= 8; ++bits)
      if (counts[bits - 3] == Colors) Document->SetColorDepthLimit(bits);
    optimize = PaletteType == 0;
  } else if (PaletteType == 1) {
    Document->SetColorReduction(rdNetscape);
    Document->SetColorDepthLimit(8);
    optimize = true;
  }
  if (Dither == 0)
    Document->SetDitherKind(dkNearest);
  else if (Dither == 1)
    Document->SetDitherKind(dkFloydSteinberg);
  return optimize;
}

// ---------------------------------------------------------------------------
// Frames.

Integer AddBitmapAsFrame(TGIFImage* Document, TBitmap* Bitmap, Integer Position) {
  const TPaletteSettings settings = LoadPaletteSettings();
  bool optimize;
  const TPixelFormat format = Bitmap->PixelFormat();
  if (format == pf8bit || format == pf15bit || format == pf16bit || format == pf24bit || format == pf32bit) {
    TRoutineHourglass hourglass;
    optimize = ApplyPaletteSettings(Document, 0, 1, 256);
  } else {
    optimize = settings.PaletteType == 0;
  }
  auto owned = std::make_unique<TGIFSubImage>(Document);
  owned->Assign(Bitmap);
  TGIFSubImage* frame = owned.get();
  Integer index;
  if (Position < Document->Frames()->ItemCount()) {
    index = Position < 0 ? 0 : Position;
    Document->Frames()->InsertAt(index, std::move(owned));
    Document->DropComposite();
    Document->NotifyChanged();
  } else {
    index = Document->AddFrame(std::move(owned));
  }
  InitAnimationFromFrame(frame, 0, 100);
  if (optimize && Document->Frames()->ItemCount() > 1) OptimizeColorMaps(Document);
  return index;
}

void InitAnimationFromFrame(TGIFSubImage* Frame, Integer LoopCount, Integer Delay) {
  TGIFImage* document = Frame->Image();
  if (!document || HasLoopExtension(document)) return;
  AddLoopExtension(document, 0, LoopCount);
  EnsureGraphicControl(Frame, Delay);
  if (Frame->ColorMap()->Count() > 0) Frame->ColorMap()->Compact();
  TGIFGlobalColorMap* global = document->GlobalColorMap();
  if (global->Count() == 0) {
    if (Frame->ColorMap()->Count() > 0)
      global->Assign(Frame->ColorMap());
    else
      RoutineFillWebPalette(global);
  }
}

void OptimizeColorMaps(TGIFImage* Document) {
  Document->OptimizeFrames(ofCompactColorMaps, rdNone, 8, dkNearest);
  Document->MergeColorMaps();
}

bool HasSeveralFrames(TGIFImage* Document) {
  Integer filled = 0;
  for (Integer i = 0; i < Document->Frames()->ItemCount(); ++i)
    if (!Document->Frames()->FrameAt(i)->IsEmpty() && ++filled > 1) return true;
  return false;
}

void ClipFramesToSize(TGIFImage* Document, TBitmap* Reference) {
  const Integer maxWidth = Reference->Width(), maxHeight = Reference->Height();
  for (Integer i = 0; i < Document->Frames()->ItemCount(); ++i) {
    TGIFSubImage* frame = Document->Frames()->FrameAt(i);
    Integer width = frame->Width(), height = frame->Height();
    if (frame->Left() + width > maxWidth) width = maxWidth - frame->Left();
    if (frame->Top() + height > maxHeight) height = maxHeight - frame->Top();
    if (width == frame->Width() && height == frame->Height()) continue;
    // A frame wholly outside keeps one pixel rather than becoming empty.
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    // The frame's own pixels are cut: its colour map, transparency, delay,
    // disposal and loop blocks stay as they were.
    frame->NeedPixels();
    const Integer oldWidth = frame->Width();
    std::vector<Byte> kept(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (Integer y = 0; y < height && y < frame->Height(); ++y) {
      const Byte* row = frame->Data() ? frame->Data() + static_cast<size_t>(y) * static_cast<size_t>(oldWidth) : nullptr;
      if (row) std::copy(row, row + std::min(width, oldWidth), kept.begin() + static_cast<ptrdiff_t>(y) * width);
    }
    frame->SetPlacement(frame->Left(), frame->Top(), height, width);
    for (Integer y = 0; y < height; ++y)
      std::copy(kept.begin() + static_cast<ptrdiff_t>(y) * width, kept.begin() + static_cast<ptrdiff_t>(y + 1) * width,
                frame->Scanline(y));
  }
  Document->DropComposite();
  Document->NotifyChanged();
}

void ReconcileFrameSize(TGIFImage* Document, TBitmap* Bitmap, Integer Mode) {
  if (Document->Frames()->ItemCount() == 0) return;
  if (Mode == 0) {
    ClipFramesToSize(Document, Bitmap);
    Document->SetLogicalWidth(Bitmap->Width());
    Document->SetLogicalHeight(Bitmap->Height());
  } else if (Mode == 1) {
    CropBitmap(Bitmap, std::min(Document->LogicalHeight(), Bitmap->Height()),
               std::min(Document->LogicalWidth(), Bitmap->Width()));
  }
}

void CropBitmap(TBitmap* Bitmap, Integer Height, Integer Width) {
  TBitmap cut;
  cut.Assign(Bitmap);
  cut.SetSize(Width, Height);
  Bitmap->Assign(&cut);
}

// ---------------------------------------------------------------------------
// Extensions.

void EnsureGraphicControl(TGIFSubImage* Frame, Integer Delay) {
  if (!Frame->GraphicControl()) {
    auto gce = std::make_unique<TGIFGraphicControlExtension>(Frame);
    gce->SetDisposalMethod(dpBackground);
    Frame->SetGraphicControl(gce.get());
    Frame->Extensions()->Append(std::move(gce));
  }
  Frame->GraphicControl()->SetFrameDelay(static_cast<Word>(Delay));
}

void SetFrameDisposal(TGIFSubImage* Frame, Integer Disposal) {
  if (!Frame->GraphicControl()) {
    auto gce = std::make_unique<TGIFGraphicControlExtension>(Frame);
    Frame->SetGraphicControl(gce.get());
    Frame->Extensions()->Append(std::move(gce));
  }
  Frame->GraphicControl()->SetDisposalMethod(Disposal);
}

void AddCommentExtension(TGIFSubImage* Frame, const std::string& Text) {
  auto comment = std::make_unique<TGIFCommentExtension>(Frame);
  comment->SetText(Text);
  Frame->Extensions()->Append(std::move(comment));
}

bool HasLoopExtension(TGIFImage* Document) {
  TGIFSubImage* first = RoutineFrameAt(Document, 0);
  if (!first) return false;
  for (Integer j = 0; j < first->Extensions()->ItemCount(); ++j)
    if (RoutineLoopOf(first->Extensions()->ExtensionAt(j))) return true;
  return false;
}

Integer GetLoopCount(TGIFImage* Document) {
  TGIFSubImage* first = RoutineFrameAt(Document, 0);
  Integer count = 1;
  if (!first) return count;
  for (Integer j = 0; j < first->Extensions()->ItemCount(); ++j)
    if (auto* loop = RoutineLoopOf(first->Extensions()->ExtensionAt(j))) count = loop->Loops();
  return count;
}

void SetLoopCount(TGIFImage* Document, Integer Count) {
  TGIFSubImage* first = RoutineFrameAt(Document, 0);
  if (!first) return;
  TGIFAppExtNSLoop* last = nullptr;
  for (Integer j = 0; j < first->Extensions()->ItemCount(); ++j)
    if (auto* loop = RoutineLoopOf(first->Extensions()->ExtensionAt(j))) {
      loop->SetLoops(static_cast<Word>(Count));
      last = loop;
    }
  if (last) {
    if (Count == 1) first->Extensions()->RemoveAndFree(last);
  } else {
    AddLoopExtension(Document, 0, Count);
  }
}

void AddLoopExtension(TGIFImage* Document, Integer FrameIndex, Integer Count) {
  if (Count == 1) return;
  TGIFSubImage* frame = RoutineFrameAt(Document, FrameIndex);
  if (!frame) return;
  auto loop = std::make_unique<TGIFAppExtNSLoop>(frame);
  loop->SetLoops(static_cast<Word>(Count));
  if (frame->Extensions()->ItemCount() == 0)
    frame->Extensions()->Append(std::move(loop));
  else
    frame->Extensions()->InsertAt(0, std::move(loop));
}

void MoveFrame(Integer From, Integer To, TGIFImage* Document) {
  if (From == -1 || !Document) return;
  bool moved = false;
  Integer count = 0;
  if (From == 0 || To == 0) {
    if (TGIFSubImage* first = RoutineFrameAt(Document, 0)) {
      for (Integer j = 0; j < first->Extensions()->ItemCount(); ++j)
        if (auto* loop = RoutineLoopOf(first->Extensions()->ExtensionAt(j))) {
          count = loop->Loops();
          first->Extensions()->RemoveAndFree(loop);
          moved = true;
          break;
        }
    }
  }
  try {
    Document->Frames()->MoveItem(From, To);
    Document->DropComposite();
    Document->NotifyChanged();
  } catch (const Exception&) {
    // A move outside the list leaves the frames as they were.
  }
  if (moved) AddLoopExtension(Document, 0, count);
}

// ---------------------------------------------------------------------------
// Edit fields and scroll boxes.

bool IsNumericText(const std::string& Text) {
  if (Text.empty()) return false;
  for (char c : Text)
    if (!(c == ' ' || (c >= '0' && c <= '9'))) return false;
  return true;
}

bool ValidateIntegerField(TWinControl* Control, bool Small) {
  const std::string text = Control->Text();
  if (IsNumericText(text) && StrToInt(text) <= (Small ? 32767 : 65535)) return true;
  MessageDlg(Format("'%s' is not a valid integer value.", {text}), mtError, TMsgDlgButtons{mbOK}, 0);
  Control->SetText(std::to_string(Control->Tag()));
  Control->SetFocus();
  return false;
}

void SetScrollBoxRedraw(TScrollBox* Box, bool Suspend) {
  if (!Box || !Box->HandleAllocated()) return;
  HWND window = Box->Handle();
  if (Suspend) {
    ::SendMessageW(window, WM_SETREDRAW, 0, 0);
  } else {
    ::SendMessageW(window, WM_SETREDRAW, 1, 0);
    ::RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
  }
}

void CenterInScrollBox(TScrollBox* Box, TControl* Image) {
  Box->ScrollTo(0, 0);
  const Integer clientWidth = Box->ClientWidth(), clientHeight = Box->ClientHeight();
  const Integer left =
      Image->Width() < clientWidth ? (clientWidth - Image->Width()) / 2 : Box->HorzScrollBar()->Margin();
  const Integer top =
      Image->Height() < clientHeight ? (clientHeight - Image->Height()) / 2 : Box->VertScrollBar()->Margin();
  Image->SetBounds(left, top, Image->Width(), Image->Height());
}
