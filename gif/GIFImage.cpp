// The GIF document: TGIFImage, its header and frames, the block lists, the
// library defaults, helpers and start-up registration.
#include "gif/GIFImage.h"

#include <algorithm>
#include <cstring>

TGIFDefaults GIFDefaults;
bool GIFPaletteDisplay = false;
Word CF_GIF = 0;

// ---------------------------------------------------------------------------
// Helpers.

void RaiseGIFError(const std::string& Message) { throw GIFException(Message); }

void ReadExact(TStream* Stream, void* Buffer, Integer Count) {
  if (Count <= 0) return;
  if (Stream->Read(Buffer, Count) != Count) RaiseGIFError("Premature end of data");
}

bool StreamReadByte(TStream* Stream, Byte& Value) { return Stream->Read(&Value, 1) == 1; }

void StreamWriteByte(TStream* Stream, Byte Value) { Stream->WriteBuffer(&Value, 1); }

void* CheckGDIHandleValue(void* Value) {
  if (Value) return Value;
  const DWORD err = ::GetLastError();
  std::string text = err ? SysErrorMessage(err) : std::string();
  if (text.empty()) text = "Out of system resources";
  throw EOutOfResources(text);
}

Integer BitsForColorCount(Integer Count) {
  if (Count <= 0) return 0;
  Integer b = 1;
  while ((1 << b) < Count) ++b;
  return b;
}

Integer AlignedRowBytes(Integer Pixels, Integer BitsPerPixel, Integer AlignmentBits) {
  const Int64 bits = Int64(Pixels) * BitsPerPixel + AlignmentBits - 1;
  return Integer(bits / AlignmentBits * AlignmentBits / 8);
}

TPixelFormat BitmapPixelFormat(TBitmap* Bitmap) { return Bitmap->PixelFormat(); }

void SetBitmapPixelFormat(TBitmap* Bitmap, TPixelFormat Format) { Bitmap->SetPixelFormat(Format); }

bool ScanForByte(const Byte* Buffer, Byte Value, Integer Count) {
  return Count > 0 && std::memchr(Buffer, Value, size_t(Count)) != nullptr;
}

// ---------------------------------------------------------------------------
// Items and lists.

void TGIFItem::ReportWarning(const std::string& Message) {
  if (image_) image_->ReportWarning(this, 1, Message);
}

void TGIFItem::WriteToFile(const std::string& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

void TGIFItem::ReadFromFile(const std::string& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

TGIFList::~TGIFList() { Clear(); }

void TGIFList::ReportWarning(const std::string& Message) {
  if (image_) image_->ReportWarning(this, 1, Message);
}

void TGIFList::WriteAll(TStream* Stream) {
  for (auto& item : items_) item->SaveToStream(Stream);
}

TGIFItem* TGIFList::ItemAt(Integer Index) const {
  if (Index < 0 || Index >= ItemCount()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return items_[size_t(Index)].get();
}

Integer TGIFList::Append(std::unique_ptr<TGIFItem> Item) {
  items_.push_back(std::move(Item));
  return ItemCount() - 1;
}

void TGIFList::InsertAt(Integer Index, std::unique_ptr<TGIFItem> Item) {
  if (Index < 0 || Index > ItemCount()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  items_.insert(items_.begin() + Index, std::move(Item));
}

void TGIFList::MoveItem(Integer From, Integer To) {
  if (From == To) return;
  if (From < 0 || From >= ItemCount() || To < 0 || To >= ItemCount())
    throw EListError("List index out of bounds (" + std::to_string(From < 0 || From >= ItemCount() ? From : To) + ")");
  auto item = std::move(items_[size_t(From)]);
  items_.erase(items_.begin() + From);
  items_.insert(items_.begin() + To, std::move(item));
}

Integer TGIFList::IndexOf(const TGIFItem* Item) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == Item) return Integer(i);
  return -1;
}

std::unique_ptr<TGIFItem> TGIFList::RemoveItem(TGIFItem* Item) {
  const Integer i = IndexOf(Item);
  if (i < 0) return nullptr;
  auto item = std::move(items_[size_t(i)]);
  items_.erase(items_.begin() + i);
  return item;
}

void TGIFList::RemoveAndFree(TGIFItem* Item) { RemoveItem(Item).reset(); }

void TGIFList::Clear() {
  while (!items_.empty()) {
    auto item = std::move(items_.front());
    items_.erase(items_.begin());
    item.reset();
  }
}

void TGIFList::Detach(TGIFItem* Item) {
  const Integer i = IndexOf(Item);
  if (i < 0) return;
  (void)items_[size_t(i)].release();
  items_.erase(items_.begin() + i);
}

TGIFSubImage* TGIFImageList::FrameAt(Integer Index) const { return static_cast<TGIFSubImage*>(ItemAt(Index)); }

TGIFExtension* TGIFExtensionList::ExtensionAt(Integer Index) const {
  return static_cast<TGIFExtension*>(ItemAt(Index));
}

// ---------------------------------------------------------------------------
// Header.

TGIFHeader::TGIFHeader(TGIFImage* Image) : TGIFItem(Image), colorMap_(std::make_unique<TGIFGlobalColorMap>(this)) {
  Clear();
}

TGIFHeader::~TGIFHeader() { colorMap_.reset(); }

void TGIFHeader::Clear() {
  colorMap_->Clear();
  Screen = TGIFScreenRecord{};
}

void TGIFHeader::SetBackgroundIndex(Integer Index) {
  if (colorMap_->Count() > 0 && (Index < 0 || Index >= colorMap_->Count())) {
    ReportWarning("Invalid color index");
    Index = 0;
  }
  Screen.BackgroundIndex = Byte(Index);
}

void TGIFHeader::SetBackgroundFromColor(TColor Color) { SetBackgroundIndex(colorMap_->AddUniqueColor(Color)); }

void TGIFHeader::Assign(TPersistent* Source) {
  if (auto* h = dynamic_cast<TGIFHeader*>(Source)) {
    if (h == this) return;
    colorMap_->Assign(h->ColorMap());
    Screen.Width = h->Screen.Width;
    Screen.Height = h->Screen.Height;
    Screen.Packed = h->Screen.Packed;
    Screen.BackgroundIndex = h->Screen.BackgroundIndex;
    Screen.AspectRatio = h->Screen.AspectRatio;
  } else if (auto* m = dynamic_cast<TGIFColorMap*>(Source)) {
    Clear();
    colorMap_->Assign(m);
  } else {
    TGIFItem::Assign(Source);
  }
}

void TGIFHeader::PreparePacked() {
  Byte packed = 0;
  if (colorMap_->Count() > 0) {
    packed = 0x80;
    if (colorMap_->Sorted()) packed |= 0x08;
  }
  // A loaded header keeps the resolution it was read with.
  const Integer resolution =
      readResolution_ >= 0 ? readResolution_ : (image_ ? image_->ColorResolution() : ColorResolution());
  packed |= Byte((resolution << 4) & 0x70);
  if (colorMap_->Count() > 0)
    packed |= Byte((colorMap_->BitsPerEntry() - 1) & 7);
  else
    packed |= Byte(((image_ ? image_->BitsPerPixel() : 0) - 1) & 7);
  Screen.Packed = packed;
}

// ---------------------------------------------------------------------------
// Frame.

TGIFSubImage::TGIFSubImage(TGIFImage* Image)
    : TGIFItem(Image),
      colorMap_(std::make_unique<TGIFLocalColorMap>(this)),
      extensions_(std::make_unique<TGIFExtensionList>(Image)) {
  Descriptor.Separator = 0x2C;
}

TGIFSubImage::~TGIFSubImage() {
  extensions_->Clear();
  graphicControl_ = nullptr;
  FreeMask();
  bitmap_.reset();
  if (paletteCache_) ::DeleteObject(paletteCache_);
  paletteCache_ = nullptr;
  colorMap_.reset();
  extensions_.reset();
  if (image_ && image_->Frames()) image_->Frames()->Detach(this);
}

void TGIFSubImage::Clear() {
  extensions_->Clear();
  colorMap_->Clear();
  FreePixels();
  SetPlacement(Left(), Top(), 0, Width());
  SetPlacement(Left(), Top(), 0, 0);
  transparent_ = false;
  graphicControl_ = nullptr;
  FreeBitmap();
  FreeMask();
}

Integer TGIFSubImage::PlacementValue(Integer Selector) const {
  switch (Selector) {
    case 1: return Descriptor.Left;
    case 2: return Descriptor.Top;
    case 3: return Descriptor.Width;
    case 4: return Descriptor.Height;
    default: return 0;
  }
}

TRect TGIFSubImage::BoundsRect() const {
  return Rect(Left(), Top(), Left() + Width(), Top() + Height());
}

void TGIFSubImage::SetPlacement(Integer ALeft, Integer ATop, Integer AHeight, Integer AWidth) {
  const bool sizeChanged = AWidth != Width() || AHeight != Height();
  Descriptor.Left = Word(ALeft);
  Descriptor.Top = Word(ATop);
  Descriptor.Width = Word(AWidth);
  Descriptor.Height = Word(AHeight);
  if (sizeChanged) {
    FreeBitmap();
    FreeMask();
    NewPixels();
  }
  if (!image_) return;
  bool tooLarge = false;
  const Integer right = Left() + Width();
  const Integer bottom = Top() + Height();
  if (image_->LogicalWidth() < right) {
    if (image_->LogicalWidth() > 0) {
      ReportWarning("Image width too small for contained frames");
      tooLarge = true;
    }
    image_->SetLogicalWidth(right);
  }
  if (image_->LogicalHeight() < bottom) {
    if (image_->LogicalHeight() > 0) {
      ReportWarning("Image height too small for contained frames");
      tooLarge = true;
    }
    image_->SetLogicalHeight(bottom);
  }
  if (tooLarge) ReportWarning("Image exceeds Logical Screen size");
}

void TGIFSubImage::NewPixels() {
  data_.reset();
  dataSize_ = 0;
  const Int64 size = Int64(Width()) * Height();
  if (size > 0) {
    data_.reset(new Byte[size_t(size)]());
    dataSize_ = Integer(std::min<Int64>(size, 0x7FFFFFFF));
  }
}

void TGIFSubImage::FreePixels() {
  data_.reset();
  dataSize_ = 0;
}

void TGIFSubImage::NeedPixels() {
  if (data_) return;
  NewPixels();
  if (dataSize_ == 0) RaiseGIFError("Image is empty");
}

Byte* TGIFSubImage::Scanline(Integer Y) {
  if (Y < 0 || Y > Height() - 1) RaiseGIFError("Invalid pixel coordinates");
  NeedPixels();
  return data_.get() + size_t(Y) * Width();
}

Byte TGIFSubImage::PixelAt(Integer X, Integer Y) {
  if (X < 0 || X > Width() - 1) RaiseGIFError("Invalid pixel coordinates");
  return Scanline(Y)[X];
}

bool TGIFSubImage::IsEmpty() const { return !data_ || dataSize_ == 0 || Width() == 0 || Height() == 0; }

void TGIFSubImage::SetInterlaced(bool Value) {
  if (Value)
    Descriptor.Packed |= 0x40;
  else
    Descriptor.Packed &= Byte(~0x40);
}

TGIFColorMap* TGIFSubImage::EffectiveColorMap() const {
  if (colorMap_->Count() > 0) return colorMap_.get();
  if (image_ && image_->GlobalColorMap()->Count() > 0) return image_->GlobalColorMap();
  return colorMap_.get();
}

TGIFFormatVersion TGIFSubImage::RequiredVersion() {
  if (colorMap_->Sorted() || extensions_->ItemCount() > 0) return fv89a;
  return fv87a;
}

void TGIFSubImage::PreparePacked() {
  if (colorMap_->Count() > 0) {
    Byte packed = 0x80;
    if (colorMap_->Sorted()) packed |= 0x20;
    packed |= Byte((colorMap_->BitsPerEntry() - 1) & 7);
    Descriptor.Packed = packed;
  } else {
    Descriptor.Packed &= 0x58;
  }
}

void TGIFSubImage::FreeBitmap() { bitmap_.reset(); }

TBitmap* TGIFSubImage::NewBitmap() {
  bitmap_ = std::make_unique<TBitmap>();
  return bitmap_.get();
}

void TGIFSubImage::SetHasBitmap(bool Value) {
  if (Value == HasBitmap()) return;
  if (Value)
    RenderedBitmap();
  else
    FreeBitmap();
}

bool TGIFSubImage::HasMask() {
  if (needMask_ && transparent_) {
    FreeBitmap();
    RenderedBitmap();
  }
  return mask_ != nullptr;
}

void TGIFSubImage::FreeMask() {
  if (mask_) ::DeleteObject(mask_);
  mask_ = nullptr;
  needMask_ = true;
}

void TGIFSubImage::SetBitmap(TBitmap* Value) {
  FreeBitmap();
  FreeMask();
  if (Value) Assign(Value);
}

void TGIFSubImage::AssignTo(TPersistent* Dest) {
  if (auto* bmp = dynamic_cast<TBitmap*>(Dest)) {
    bmp->Assign(RenderedBitmap());
    return;
  }
  TGIFItem::AssignTo(Dest);
}

HPALETTE TGIFSubImage::PaletteHandle() {
  if (bitmap_ && bitmap_->Palette()) return bitmap_->Palette();
  if (paletteCache_) return paletteCache_;
  HPALETTE p = nullptr;
  if (image_ && image_->UsesDither())
    p = MakeNetscapePalette();
  else if (colorMap_->Count() > 0)
    p = colorMap_->CreatePaletteHandle();
  else
    return image_ ? image_->PaletteHandle() : nullptr;
  paletteCache_ = p;
  return p;
}

void TGIFSubImage::SetPaletteHandle(HPALETTE Value) {
  if (Value == paletteCache_) return;
  if (paletteCache_) ::DeleteObject(paletteCache_);
  paletteCache_ = nullptr;
  if (bitmap_ && bitmap_->Palette() != Value) {
    FreeBitmap();
    if (image_) {
      image_->SetPaletteModified(true);
      image_->NotifyChanged();
    }
  }
  paletteCache_ = Value;
}

// ---------------------------------------------------------------------------
// Trailer.

void TGIFTrailer::SaveToStream(TStream* Stream) { StreamWriteByte(Stream, 0x3B); }

void TGIFTrailer::LoadFromStream(TStream* Stream) {
  Byte b;
  if (StreamReadByte(Stream, b) && b != 0x3B) ReportWarning("Invalid Image trailer");
}

// ---------------------------------------------------------------------------
// Document.

TGIFImage::TGIFImage()
    : frames_(std::make_unique<TGIFImageList>(this)),
      header_(std::make_unique<TGIFHeader>(this)),
      painters_(std::make_unique<TThreadList>()),
      paintFlags_(GIFDefaults.PaintFlags),
      colorReduction_(GIFDefaults.ColorReduction),
      colorDepthLimit_(GIFDefaults.ColorDepthLimit),
      ditherKind_(GIFDefaults.DitherKind),
      compressionKind_(GIFDefaults.CompressionKind),
      painterPriority_(GIFDefaults.PainterPriority),
      animationSpeed_(GIFDefaults.AnimationSpeed) {
  ClearDocument();
}

TGIFImage::~TGIFImage() {
  StopAllPainters();
  DetachPainters();
  ClearDocument();
  if (globalPalette_) ::DeleteObject(globalPalette_);
  globalPalette_ = nullptr;
  frames_.reset();
  header_.reset();
  painters_.reset();
}

void TGIFImage::ClearDocument() {
  StopAllPainters();
  DropComposite();
  frames_->Clear();
  header_->ColorMap()->Clear();
  header_->Screen.Width = 0;
  header_->Screen.Height = 0;
  header_->ForgetReadFields();
  header_->PreparePacked();
  SetPaletteHandle(nullptr);
}

TGIFFormatVersion TGIFImage::RequiredVersion() {
  // A document read without images is written back as it was read.
  if (frames_->ItemCount() == 0) return header_->ReadVersion();
  TGIFFormatVersion v = fvUnknown;
  for (Integer i = 0; i < frames_->ItemCount(); ++i) {
    const TGIFFormatVersion f = frames_->FrameAt(i)->RequiredVersion();
    if (f > v) v = f;
    if (v >= fv89a) break;
  }
  return v;
}

Integer TGIFImage::BitsPerPixel() const {
  Integer bits = header_->ColorMap()->BitsPerEntry();
  for (Integer i = 0; i < frames_->ItemCount(); ++i) bits = std::max(bits, frames_->FrameAt(i)->BitsPerPixel());
  return bits;
}

void TGIFImage::ReportWarning(TObject* Sender, Integer Severity, const std::string& Message) {
  if (OnGIFWarning) OnGIFWarning(Sender, Severity, Message);
}

Integer TGIFImage::AddFrame(std::unique_ptr<TGIFSubImage> Frame) {
  const Integer index = frames_->Append(std::move(Frame));
  DropComposite();
  NotifyChanged();
  return index;
}

Integer TGIFImage::AddFrame(TPersistent* Object) {
  if (auto* frame = dynamic_cast<TGIFSubImage*>(Object)) return AddFrame(std::unique_ptr<TGIFSubImage>(frame));
  if (auto* graphic = dynamic_cast<TGraphic*>(Object)) {
    auto frame = std::make_unique<TGIFSubImage>(this);
    frame->Assign(graphic);
    return AddFrame(std::move(frame));
  }
  RaiseGIFError("Object type not supported for operation");
}

bool TGIFImage::AnyFrameTransparent() const {
  for (Integer i = 0; i < frames_->ItemCount(); ++i) {
    auto* gce = frames_->FrameAt(i)->GraphicControl();
    if (gce && gce->UsesTransparentIndex()) return true;
  }
  return false;
}

void TGIFImage::SetLogicalWidth(Integer Value) {
  for (Integer i = 0; i < frames_->ItemCount(); ++i) {
    TGIFSubImage* f = frames_->FrameAt(i);
    if (f->Left() + f->Width() > Value) RaiseGIFError("Image width too small for contained frames");
  }
  if (Value == LogicalWidth()) return;
  header_->Screen.Width = Word(Value);
  DropComposite();
  NotifyChanged();
}

void TGIFImage::SetLogicalHeight(Integer Value) {
  for (Integer i = 0; i < frames_->ItemCount(); ++i) {
    TGIFSubImage* f = frames_->FrameAt(i);
    if (f->Top() + f->Height() > Value) RaiseGIFError("Image height too small for contained frames");
  }
  if (Value == LogicalHeight()) return;
  header_->Screen.Height = Word(Value);
  DropComposite();
  NotifyChanged();
}

void TGIFImage::SetColorDepthLimit(Integer Value) {
  if (Value < 3 || Value > 8) RaiseGIFError("Invalid Bits Per Pixel value");
  colorDepthLimit_ = Value;
}

bool TGIFImage::UsesDither() const {
  if (!(paintFlags_ & pfDither)) return false;
  if (!(paintFlags_ & pfAutoDither)) return true;
  return GIFPaletteDisplay;
}

HPALETTE TGIFImage::PaletteHandle() {
  // Re-entered from frame 0 when neither it nor the document has a colour table.
  if (BuildingPalette) RaiseGIFError("No global or local color table defined");
  if (composite_ && composite_->Palette()) return composite_->Palette();
  if (globalPalette_) return globalPalette_;
  HPALETTE p = nullptr;
  if (UsesDither()) {
    p = MakeNetscapePalette();
  } else if (GlobalColorMap()->Count() > 0) {
    p = GlobalColorMap()->CreatePaletteHandle();
  } else {
    if (frames_->ItemCount() == 0) return nullptr;
    // Frame 0's palette: its bitmap's, its cached one or its local map's.
    BuildingPalette = true;
    try {
      p = frames_->FrameAt(0)->PaletteHandle();
    } catch (...) {
      BuildingPalette = false;
      throw;
    }
    BuildingPalette = false;
    return p;
  }
  globalPalette_ = p;
  return p;
}

void TGIFImage::SetPaletteHandle(HPALETTE Value) {
  if (Value == globalPalette_) return;
  if (globalPalette_) ::DeleteObject(globalPalette_);
  globalPalette_ = nullptr;
  if (composite_ && composite_->Palette() != Value) {
    DropComposite();
    SetPaletteModified(true);
    NotifyChanged();
  }
  globalPalette_ = Value;
}

// ---------------------------------------------------------------------------
// Start-up: register the file extension and the clipboard format.

namespace {
struct TGIFUnitInit {
  TGIFUnitInit() {
    TPicture::RegisterFileFormat("gif", "GIF Image", TGIFImage::StaticGraphicClass());
    CF_GIF = Word(::RegisterClipboardFormatW(L"GIF Image"));
    if (CF_GIF) TPicture::RegisterClipboardFormat(CF_GIF, TGIFImage::StaticGraphicClass());
    if (HDC dc = ::GetDC(nullptr)) {
      GIFPaletteDisplay = ::GetDeviceCaps(dc, BITSPIXEL) * ::GetDeviceCaps(dc, PLANES) < 9;
      ::ReleaseDC(nullptr, dc);
    }
  }
  ~TGIFUnitInit() { TPicture::UnregisterGraphicClass(TGIFImage::StaticGraphicClass()); }
};

TGIFUnitInit gifUnitInit;
}  // namespace
