// Reading GIF streams into a document.
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
    ClearDocument();
    const Int64 start = Stream->Position();
    try {
      header_->LoadFromStream(Stream);
      frames_->ReadAll(Stream, this);
      TGIFTrailer trailer(this);
      trailer.LoadFromStream(Stream);
    } catch (...) {
      Stream->SetPosition(start);
      throw;
    }
  } catch (...) {
    DoProgress(psEnding, 0, true, "Loading...");
    throw;
  }
  DoProgress(psEnding, 100, true, "Loading...");
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
  if (Screen.Packed & 0x80)
    colorMap_->ReadEntries(Stream, 2 << (Screen.Packed & 7));
  else
    colorMap_->Clear();
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
  if (Descriptor.Packed & 0x80) colorMap_->ReadEntries(Stream, 2 << (Descriptor.Packed & 7));
  DecodePixels(Stream);
  if (GIFDefaults.RenderWhileLoading) RenderedBitmap();
}

void TGIFExtensionList::ReadAll(TStream* Stream, TPersistent* Owner) {
  auto* frame = dynamic_cast<TGIFSubImage*>(Owner);
  for (;;) {
    Byte b;
    if (!StreamReadByte(Stream, b)) return;
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
    if (!cls) RaiseGIFError("Unknown extension type");
    Stream->Seek(-1, soCurrent);
    std::unique_ptr<TGIFExtension> ext = cls->Create(frame);
    ext->LoadFromStream(Stream);
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
    SkipBytes(Stream, size - 11);
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
        if (size < 3) RaiseGIFError("Invalid GIF data");
        ReadExact(Stream, &loops_, 2);
        SkipBytes(Stream, size - 3);
        break;
      case 2:
        if (size < 5) RaiseGIFError("Invalid GIF data");
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
