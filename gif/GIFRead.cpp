// Reading GIF streams into a document.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "gif/GIFImage.h"

namespace {
// Skips Count bytes without moving past the end of the stream.
void SkipBytes(TStream* Stream, Integer Count) {
  Byte scratch[256];
  while (Count > 0) {
    const Integer n = Count < 256 ? Count : 256;
    ReadExact(Stream, scratch, n);
    Count -= n;
  }
}

// Passes over data sub-blocks up to the zero-size one or the end of the stream.
void SkipSubBlocks(TStream* Stream) {
  Byte size;
  Byte scratch[255];
  while (StreamReadByte(Stream, size) && size != 0)
    if (Stream->Read(scratch, size) < size) return;
}

// Reads another stream through a block of its own, at the other stream's
// positions: the reader's many small reads (a length byte, then a sub-block)
// cost no call on the stream below, and no block the size of the file has to
// be allocated and touched. Size and position are answered without asking the
// stream below, which must not change while it is read.
class TReadAheadStream : public TStream {
 public:
  static constexpr Integer BlockSize = 256 * 1024;
  explicit TReadAheadStream(TStream* Source)
      : source_(Source), position_(Source->Position()), size_(Source->Size()), sourceAt_(position_),
        block_(new Byte[BlockSize]) {}

  Integer Read(void* Buffer, Integer Count) override {
    Byte* out = static_cast<Byte*>(Buffer);
    Integer done = 0;
    while (done < Count && position_ >= 0) {
      if (position_ >= blockStart_ && position_ < blockStart_ + blockLength_) {
        const Integer n = Integer(std::min<Int64>(Count - done, blockStart_ + blockLength_ - position_));
        std::memcpy(out + done, block_.get() + (position_ - blockStart_), size_t(n));
        position_ += n;
        done += n;
      } else if (!Fill()) {
        break;
      }
    }
    return done;
  }
  Integer Write(const void*, Integer) override { throw EStreamError("Stream write error"); }
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override {
    if (Origin == soBeginning)
      position_ = Offset;
    else if (Origin == soCurrent)
      position_ += Offset;
    else
      position_ = size_ + Offset;
    return position_;
  }
  Int64 Size() override { return size_; }

 private:
  bool Fill() {
    if (sourceAt_ != position_) sourceAt_ = source_->Seek(position_, soBeginning);
    blockStart_ = sourceAt_;
    blockLength_ = 0;
    if (sourceAt_ != position_) return false;
    blockLength_ = std::max(source_->Read(block_.get(), BlockSize), 0);
    sourceAt_ += blockLength_;
    return blockLength_ > 0;
  }

  TStream* source_;
  Int64 position_;
  Int64 size_;
  Int64 sourceAt_;
  Int64 blockStart_ = 0;
  Integer blockLength_ = 0;
  std::unique_ptr<Byte[]> block_;
};

bool IsGIFSignature(const Byte* Sig) {
  return std::toupper(Sig[0]) == 'G' && std::toupper(Sig[1]) == 'I' && std::toupper(Sig[2]) == 'F';
}
}  // namespace

void ReadTextSubBlocks(TStream* Stream, TStringList* Lines) {
  Lines->Clear();
  Byte size;
  char buffer[255];
  while (StreamReadByte(Stream, size) && size != 0) {
    ReadExact(Stream, buffer, size);
    Lines->Add(std::string(buffer, size));
  }
}

// ---------------------------------------------------------------------------
// Document.

void TGIFImage::LoadGIFStream(TStream* Stream) {
  DoProgress(psStarting, 0, false, "Loading...");
  try {
    if (dynamic_cast<TCustomMemoryStream*>(Stream)) {
      ReadDocument(Stream);
    } else {
      const Int64 start = Stream->Position();
      TReadAheadStream reader(Stream);
      try {
        ReadDocument(&reader);
      } catch (...) {
        Stream->SetPosition(start);
        throw;
      }
      Stream->SetPosition(reader.Position());
    }
  } catch (...) {
    DoProgress(psEnding, 0, true, "Loading...");
    throw;
  }
  DoProgress(psEnding, 100, true, "Loading...");
}

void TGIFImage::ReadDocument(TStream* Stream) {
  StopAllPainters();
  DropComposite();
  // The new content is read beside the old one, which comes back when reading fails.
  std::unique_ptr<TGIFImageList> oldFrames = std::move(frames_);
  std::unique_ptr<TGIFHeader> oldHeader = std::move(header_);
  frames_ = std::make_unique<TGIFImageList>(this);
  header_ = std::make_unique<TGIFHeader>(this);
  header_->Screen.BackgroundIndex = oldHeader->Screen.BackgroundIndex;
  header_->Screen.AspectRatio = oldHeader->Screen.AspectRatio;
  header_->PreparePacked();
  SetPaletteHandle(nullptr);
  const Int64 start = Stream->Position();
  // However the frames declare their sizes, the document never holds more
  // pixels than its data can encode.
  const Int64 available = std::max<Int64>(Stream->Size() - start, 0);
  pixelBudget_ = GIFFreePixelAllowance + available * GIFMaxPixelsPerDataByte;
  try {
    header_->LoadFromStream(Stream);
    frames_->ReadAll(Stream, this);
    TGIFTrailer trailer(this);
    trailer.LoadFromStream(Stream);
  } catch (...) {
    pixelBudget_ = -1;
    Stream->SetPosition(start);
    StopAllPainters();
    DropComposite();
    std::swap(frames_, oldFrames);
    std::swap(header_, oldHeader);
    oldFrames.reset();
    oldHeader.reset();
    if (globalPalette_) ::DeleteObject(globalPalette_);
    globalPalette_ = nullptr;
    throw;
  }
  pixelBudget_ = -1;
  oldFrames.reset();
  oldHeader.reset();
}

void TGIFImage::ChargePixels(Int64 Pixels) {
  if (pixelBudget_ < 0) return;
  if (Pixels > pixelBudget_) RaiseGIFError("Image size exceeds what the GIF data can encode");
  pixelBudget_ -= Pixels;
}

void TGIFHeader::LoadFromStream(TStream* Stream) {
  const Int64 start = Stream->Position();
  Byte sig[6];
  ReadExact(Stream, sig, 6);
  if (!IsGIFSignature(sig)) {
    // Data stored behind a 4-byte length, as embedded graphic data is.
    Stream->SetPosition(start + 4);
    if (Stream->Read(sig, 6) != 6 || !IsGIFSignature(sig)) RaiseGIFError("Invalid GIF signature");
  }
  ReadExact(Stream, &Screen, sizeof(Screen));
  if (Screen.Packed & 0x80) {
    colorMap_->ReadEntries(Stream, 2 << (Screen.Packed & 7));
    colorMap_->SetSorted((Screen.Packed & 0x08) != 0);
  } else {
    colorMap_->Clear();
  }
  // Kept to be written back as read.
  readResolution_ = (Screen.Packed >> 4) & 7;
  readVersion_ = (sig[3] == '8' && sig[4] == '7' && (sig[5] | 0x20) == 'a') ? fv87a : fv89a;
}

void TGIFImageList::ReadAll(TStream* Stream, TPersistent* /*Owner*/) {
  const Int64 size = Stream->Size();
  for (;;) {
    Byte b;
    do {
      if (!StreamReadByte(Stream, b)) return;
    } while (b == 0);
    Stream->Seek(-1, soCurrent);
    if (b == 0x3B) return;
    if (b != 0x21 && b != 0x2C) {
      ReportWarning("Unknown GIF block type");
      return;
    }
    auto frame = std::make_unique<TGIFSubImage>(image_);
    frame->LoadFromStream(Stream);
    // Extensions passed over can leave a frame with nothing to keep.
    if (frame->IsEmpty() && frame->Extensions()->ItemCount() == 0) continue;
    Append(std::move(frame));
    const Int64 pos = Stream->Position();
    const Byte percent = size > 0 ? Byte(pos * 100 / size) : 100;
    image_->DoProgress(psRunning, percent, GIFDefaults.RenderWhileLoading, "Loading...");
  }
}

void TGIFSubImage::LoadFromStream(TStream* Stream) {
  Clear();
  extensions_->ReadAll(Stream, this);
  Byte b;
  if (!StreamReadByte(Stream, b)) return;
  Stream->Seek(-1, soCurrent);
  if (b == 0x3B || b == 0x00) return;
  ReadExact(Stream, &Descriptor, sizeof(Descriptor));
  if (Descriptor.Width == 0 || Descriptor.Height == 0) {
    if (image_) {
      Descriptor.Height = Word(image_->LogicalHeight());
      Descriptor.Width = Word(image_->LogicalWidth());
    }
    ReportWarning("Image exceeds Logical Screen size");
  }
  if (Descriptor.Packed & 0x80) {
    colorMap_->ReadEntries(Stream, 2 << (Descriptor.Packed & 7));
    colorMap_->SetSorted((Descriptor.Packed & 0x20) != 0);
  }
  DecodePixels(Stream);
  if (colorMap_->Count() == 0 && image_ && image_->GlobalColorMap()->Count() == 0 && !IsEmpty()) {
    // No colour table anywhere: the frame gets one of its own, a grey ramp
    // over the values it uses, so that it shows and saves as it is read.
    const Integer n = 1 << PixelBits();
    colorMap_->EnsureCapacity(n);
    for (Integer i = 0; i < n; ++i) {
      const Integer v = i * 255 / (n - 1);
      colorMap_->AppendColor(TColor(v | (v << 8) | (v << 16)));
    }
  }
  if (GIFDefaults.RenderWhileLoading) RenderedBitmap();
}

void TGIFExtensionList::ReadAll(TStream* Stream, TPersistent* Owner) {
  auto* frame = dynamic_cast<TGIFSubImage*>(Owner);
  for (;;) {
    Byte b;
    if (!StreamReadByte(Stream, b)) return;
    // Stray zero bytes between blocks are passed over here as between frames:
    // ending the frame at them would split one frame in two that the writer
    // then writes as one.
    if (b == 0x00) continue;
    if (b == 0x2C || b == 0x3B) {
      Stream->Seek(-1, soCurrent);
      return;
    }
    if (b != 0x21) {
      ReportWarning("Invalid extension introducer");
      Stream->Seek(-1, soCurrent);
      return;
    }
    TGIFExtensionClass cls = ResolveExtensionClass(Stream);
    if (!cls) {
      // An extension of a kind not known here is passed over, as other readers do.
      Byte label;
      if (!StreamReadByte(Stream, label)) RaiseGIFError("Premature end of data");
      ReportWarning("Unknown extension type");
      SkipSubBlocks(Stream);
      continue;
    }
    Stream->Seek(-1, soCurrent);
    std::unique_ptr<TGIFExtension> ext = cls->Create(frame);
    ext->LoadFromStream(Stream);
    if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(ext.get()); loop && loop->Malformed()) {
      // A loop block whose value does not fit its sub-block costs the loop, not the file.
      ReportWarning("Invalid GIF data");
      continue;
    }
    Append(std::move(ext));
  }
}

// ---------------------------------------------------------------------------
// Extension class lookup.

TGIFExtensionClass ResolveExtensionClass(TStream* Stream) {
  const Int64 start = Stream->Position();
  Byte label;
  TGIFExtensionClass cls = nullptr;
  if (StreamReadByte(Stream, label)) {
    cls = ExtensionRegistry()->FindClass(label);
    while (cls) {
      TGIFExtensionClass refined = cls->RefineClass(cls, Stream);
      if (refined == cls) break;
      cls = refined;
    }
  }
  Stream->SetPosition(start);
  return cls;
}

TGIFExtensionClass TGIFApplicationExtension::RefineClass(TGIFExtensionClass Self, TStream* Stream) {
  const Int64 start = Stream->Position();
  Byte size;
  if (!StreamReadByte(Stream, size)) return nullptr;
  if (size == 10) {
    Byte ident[10];
    if (Stream->Read(ident, 10) < 10) return nullptr;
    return TGIFUnknownAppExtension::StaticClass();
  }
  if (size == 11) {
    TGIFAppIdent ident;
    if (Stream->Read(&ident, 11) == 11) {
      TGIFExtensionClass cls = AppExtensionRegistry()->FindClass(ident);
      return cls ? cls : TGIFUnknownAppExtension::StaticClass();
    }
  }
  Stream->SetPosition(start);
  return Self;
}

// ---------------------------------------------------------------------------
// Extension bodies.

Byte TGIFExtension::ReadIntroducer(TStream* Stream) {
  Byte intro[2];
  ReadExact(Stream, intro, 2);
  if (intro[0] != 0x21) RaiseGIFError("Invalid extension introducer");
  if (intro[1] != LabelByte()) RaiseGIFError("Internal error: Extension Instance does not match Extension Label");
  return intro[1];
}

void TGIFExtension::LoadFromStream(TStream* Stream) { ReadIntroducer(Stream); }

void TGIFGraphicControlExtension::LoadFromStream(TStream* Stream) {
  ReadIntroducer(Stream);
  Byte record[sizeof(Control)];
  const Integer got = Stream->Read(record, sizeof(record));
  std::memcpy(&Control, record, got > 0 ? size_t(got) : 0);
  if (got < Integer(sizeof(record))) {
    ReportWarning("Premature end of data");
  } else if ((Control.Packed & 0x01) && frame_) {
    frame_->SetTransparent(true);
  }
}

void TGIFTextExtension::LoadFromStream(TStream* Stream) {
  ReadIntroducer(Stream);
  ReadExact(Stream, &PlainText, sizeof(PlainText));
  ReadTextSubBlocks(Stream, lines_.get());
}

void TGIFCommentExtension::LoadFromStream(TStream* Stream) {
  ReadIntroducer(Stream);
  ReadTextSubBlocks(Stream, lines_.get());
}

void TGIFApplicationExtension::LoadFromStream(TStream* Stream) {
  ReadIntroducer(Stream);
  Byte size;
  ReadExact(Stream, &size, 1);
  if (size < 10) RaiseGIFError("Unsupported Application Extension block size");
  if (size == 10) {
    ReadExact(Stream, &Ident, 10);
    reinterpret_cast<Byte*>(&Ident)[10] = 0;
  } else {
    ReadExact(Stream, &Ident, sizeof(Ident));
    IdentExtra.assign(size_t(size - 11), 0);
    ReadExact(Stream, IdentExtra.data(), size - 11);
  }
  ReadAppData(Stream);
}

void TGIFAppExtNSLoop::ReadAppData(TStream* Stream) {
  Byte size;
  while (StreamReadByte(Stream, size) && size != 0) {
    Byte id;
    ReadExact(Stream, &id, 1);
    switch (id & 7) {
      case 1:
        if (size < 3) {
          malformed_ = true;
          SkipBytes(Stream, size - 1);
          break;
        }
        ReadExact(Stream, &loops_, 2);
        SkipBytes(Stream, size - 3);
        break;
      case 2:
        if (size < 5) {
          malformed_ = true;
          SkipBytes(Stream, size - 1);
          break;
        }
        ReadExact(Stream, &bufferSize_, 4);
        SkipBytes(Stream, size - 5);
        break;
      default:
        SkipBytes(Stream, size - 1);
        break;
    }
  }
}

void TGIFUnknownAppExtension::ReadAppData(TStream* Stream) {
  blocks_.clear();
  Byte size;
  while (StreamReadByte(Stream, size) && size != 0) {
    auto block = std::make_unique<TGIFBlock>(size);
    block->ReadData(Stream);
    blocks_.push_back(std::move(block));
  }
}
