// Writing a document as a GIF stream, and the sub-block writer.
#include <algorithm>
#include <cstring>

#include "gif/GIFImage.h"

void WriteTextSubBlocks(TStream* Stream, TStringList* Lines) {
  for (Integer i = 0; i < Lines->Count(); ++i) {
    const std::string line = Lines->Strings(i);
    size_t pos = 0;
    while (pos < line.size()) {
      const size_t n = std::min<size_t>(255, line.size() - pos);
      StreamWriteByte(Stream, Byte(n));
      Stream->WriteBuffer(line.data() + pos, Integer(n));
      pos += n;
    }
  }
  StreamWriteByte(Stream, 0);
}

namespace {
// Gathers what is written in a block of its own and passes it on a block at a
// time: the writer's many small writes (a sub-block each) cost no call on
// the stream below, and no block the size of the file is allocated.
class TWriteBehindStream : public TStream {
 public:
  static constexpr Integer BlockSize = 256 * 1024;
  explicit TWriteBehindStream(TStream* Target) : target_(Target), block_(new Byte[BlockSize]) {}
  Integer Read(void*, Integer) override { throw EStreamError("Stream read error"); }
  Integer Write(const void* Buffer, Integer Count) override {
    const Byte* in = static_cast<const Byte*>(Buffer);
    for (Integer done = 0; done < Count;) {
      if (held_ == BlockSize) Flush();
      const Integer n = std::min(Count - done, BlockSize - held_);
      std::memcpy(block_.get() + held_, in + done, size_t(n));
      held_ += n;
      done += n;
    }
    return Count < 0 ? 0 : Count;
  }
  Int64 Seek(Int64, TSeekOrigin) override { throw EStreamError("Invalid stream operation"); }
  void Flush() {
    if (held_ > 0) target_->WriteBuffer(block_.get(), held_);
    held_ = 0;
  }

 private:
  TStream* target_;
  std::unique_ptr<Byte[]> block_;
  Integer held_ = 0;
};
}  // namespace

// ---------------------------------------------------------------------------
// Sub-block writer.

Integer TGIFStream::Read(void* /*Buffer*/, Integer /*Count*/) { throw Exception("Invalid stream operation"); }

Integer TGIFStream::Write(const void* /*Buffer*/, Integer /*Count*/) { throw Exception("Invalid stream operation"); }

Int64 TGIFStream::Seek(Int64 /*Offset*/, TSeekOrigin /*Origin*/) { throw Exception("Invalid stream operation"); }

TGIFWriter::~TGIFWriter() {
  // Normally flushed by its user; when an error is passing, what is held
  // still goes out, but a failing target must not throw from here.
  if (dirty_) {
    try {
      FlushBlock();
    } catch (...) {
    }
  }
}

Integer TGIFWriter::Write(const void* Buffer, Integer Count) {
  const Byte* p = static_cast<const Byte*>(Buffer);
  Integer left = Count;
  while (left > 0) {
    const Integer n = std::min(left, 256 - held_);
    std::memcpy(buffer_ + held_, p, size_t(n));
    // Marked after every copy: bytes held after a flush must still go out.
    dirty_ = true;
    held_ += n;
    p += n;
    left -= n;
    if (held_ > 255) FlushBlock();
  }
  return Count;
}

void TGIFWriter::FlushBlock() {
  if (held_ > 1) {
    buffer_[0] = Byte(held_ - 1);
    target_->WriteBuffer(buffer_, held_);
  }
  held_ = 1;
  dirty_ = false;
}

// ---------------------------------------------------------------------------
// Document.

void TGIFImage::SaveGIFStream(TStream* Stream) {
  DoProgress(psStarting, 0, false, "Saving...");
  try {
    auto* direct = dynamic_cast<TMemoryStream*>(Stream);
    // Any other stream (a file) is written a block at a time instead of one
    // call per sub-block.
    std::unique_ptr<TWriteBehindStream> behind;
    if (direct) {
      // Room for what the frames most likely take (LZW rarely codes a pixel in
      // more than 1.5 bytes), so the block is seldom moved while it grows.
      Int64 estimate = 1024;
      for (Integer i = 0; i < frames_->ItemCount(); ++i) estimate += frames_->FrameAt(i)->DataSize() * 3 / 2 + 1024;
      if (direct->Capacity() < direct->Position() + estimate) direct->SetCapacity(direct->Position() + estimate);
    } else {
      behind = std::make_unique<TWriteBehindStream>(Stream);
    }
    TStream* target = direct ? Stream : behind.get();
    header_->SaveToStream(target);
    frames_->WriteAll(target);
    TGIFTrailer trailer(this);
    trailer.SaveToStream(target);
    header_->EndWriting();
    if (behind) behind->Flush();
  } catch (...) {
    header_->EndWriting();
    DoProgress(psEnding, 0, true, "Saving...");
    throw;
  }
  DoProgress(psEnding, 100, true, "Saving...");
}

void TGIFHeader::SaveToStream(TStream* Stream) {
  const TGIFFormatVersion version = image_ ? image_->RequiredVersion() : fvUnknown;
  if (version == fvUnknown) RaiseGIFError("Unsupported GIF version");
  PreparePacked();
  // Pixel values must lie in the table as written: a map shorter than the
  // values of a frame that uses it is padded. Frames without a map of their
  // own are coded with the bits of the widest table as written, so that the
  // file reads back into a document that writes the same bytes again.
  Integer globalUse = 0, widest = colorMap_->BitsPerEntry();
  if (image_) {
    for (Integer i = 0; i < image_->Frames()->ItemCount(); ++i) {
      TGIFSubImage* f = image_->Frames()->FrameAt(i);
      const Integer bits = f->PixelBits();
      if (f->ColorMap()->Count() > 0)
        widest = std::max({widest, f->ColorMap()->BitsPerEntry(), bits});
      else
        globalUse = std::max(globalUse, bits);
    }
  }
  const Integer globalBits = std::max(colorMap_->BitsPerEntry(), globalUse);
  widest = std::max(widest, globalBits);
  writingBits_ = widest;
  if (colorMap_->Count() > 0)
    Screen.Packed = Byte((Screen.Packed & ~7) | ((globalBits - 1) & 7));
  else
    Screen.Packed = Byte((Screen.Packed & ~7) | ((widest - 1) & 7));
  std::string sig = "GIF" + GIFDefaults.VersionSignatures[version];
  sig.resize(6, ' ');
  Stream->WriteBuffer(sig.data(), 6);
  Stream->WriteBuffer(&Screen, sizeof(Screen));
  if (Screen.Packed & 0x80) colorMap_->WriteEntries(Stream, globalBits);
}

void TGIFImageList::WriteAll(TStream* Stream) {
  const Integer n = ItemCount();
  for (Integer i = 0; i < n; ++i) {
    FrameAt(i)->SaveToStream(Stream);
    image_->DoProgress(psRunning, Byte((i + 1) * 100 / n), false, "Saving...");
  }
}

void TGIFSubImage::SaveToStream(TStream* Stream) {
  extensions_->WriteAll(Stream);
  if (IsEmpty()) return;
  PreparePacked();
  Integer bits = 0;
  if (colorMap_->Count() > 0) {
    // A local map shorter than the pixel values is padded (see the header).
    bits = std::max(colorMap_->BitsPerEntry(), PixelBits());
    Descriptor.Packed = Byte((Descriptor.Packed & ~7) | ((bits - 1) & 7));
  }
  // The reader takes a descriptor after extensions whatever its first byte;
  // written back, anything but the separator would end the file's frames.
  Descriptor.Separator = 0x2C;
  Stream->WriteBuffer(&Descriptor, sizeof(Descriptor));
  colorMap_->WriteEntries(Stream, bits);
  WriteImageData(Stream);
}

// ---------------------------------------------------------------------------
// Extensions.

void TGIFExtension::SaveToStream(TStream* Stream) {
  const Byte intro[2] = {0x21, LabelByte()};
  Stream->WriteBuffer(intro, 2);
}

void TGIFGraphicControlExtension::SaveToStream(TStream* Stream) {
  TGIFExtension::SaveToStream(Stream);
  Stream->WriteBuffer(&Control, sizeof(Control));
}

void TGIFTextExtension::SaveToStream(TStream* Stream) {
  TGIFExtension::SaveToStream(Stream);
  Stream->WriteBuffer(&PlainText, sizeof(PlainText));
  WriteTextSubBlocks(Stream, lines_.get());
}

void TGIFCommentExtension::SaveToStream(TStream* Stream) {
  TGIFExtension::SaveToStream(Stream);
  WriteTextSubBlocks(Stream, lines_.get());
}

void TGIFApplicationExtension::SaveToStream(TStream* Stream) {
  TGIFExtension::SaveToStream(Stream);
  // A longer identification goes back as it was read: cut to 11 bytes it
  // could name a block whose data does not fit it.
  const size_t extra = std::min<size_t>(IdentExtra.size(), 255 - 11);
  StreamWriteByte(Stream, Byte(11 + extra));
  Stream->WriteBuffer(&Ident, sizeof(Ident));
  if (extra > 0) Stream->WriteBuffer(IdentExtra.data(), Integer(extra));
  WriteAppData(Stream);
}

void TGIFAppExtNSLoop::WriteAppData(TStream* Stream) {
  const Byte loops[3] = {3, 1, 0};
  Stream->WriteBuffer(loops, 2);
  Stream->WriteBuffer(&loops_, 2);
  if (bufferSize_ != 0) {
    const Byte buffer[2] = {5, 2};
    Stream->WriteBuffer(buffer, 2);
    Stream->WriteBuffer(&bufferSize_, 4);
  }
  StreamWriteByte(Stream, 0);
}

void TGIFUnknownAppExtension::WriteAppData(TStream* Stream) {
  for (auto& block : blocks_) block->WriteBlock(Stream);
  StreamWriteByte(Stream, 0);
}
