// TGraphic, TPicture and the registry of graphic file and clipboard formats.
#include <algorithm>
#include <cctype>

#include "platform/Graphics.h"
#include "platform/Jpeg.h"

namespace {

std::string LowerAscii(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

struct FileFormat {
  std::string Extension;  // lower case, without dot
  std::string Description;
  TGraphicClass Class;
};

struct ClipFormat {
  Word Format;
  TGraphicClass Class;
};

struct Registry {
  std::vector<FileFormat> files;
  std::vector<ClipFormat> clips;
  CRITICAL_SECTION lock;
  Registry() {
    ::InitializeCriticalSection(&lock);
    // Later registrations come first in filters and win on lookup.
    files.push_back({"wmf", "Metafiles", GraphicClassOf<TMetafile>()});
    files.push_back({"emf", "Enhanced Metafiles", GraphicClassOf<TMetafile>()});
    files.push_back({"ico", "Icons", GraphicClassOf<TIcon>()});
    files.push_back({"bmp", "Bitmaps", GraphicClassOf<TBitmap>()});
    files.push_back({"jpeg", "JPEG Image File", GraphicClassOf<TJPEGImage>()});
    files.push_back({"jpg", "JPEG Image File", GraphicClassOf<TJPEGImage>()});
    clips.push_back({CF_BITMAP, GraphicClassOf<TBitmap>()});
    clips.push_back({CF_ENHMETAFILE, GraphicClassOf<TMetafile>()});
  }
};

Registry& GetRegistry() {
  static Registry r;
  return r;
}

struct RegistryLock {
  RegistryLock() { ::EnterCriticalSection(&GetRegistry().lock); }
  ~RegistryLock() { ::LeaveCriticalSection(&GetRegistry().lock); }
};

TGraphicClass FindClassByName(const std::string& name) {
  RegistryLock guard;
  Registry& r = GetRegistry();
  for (auto it = r.files.rbegin(); it != r.files.rend(); ++it)
    if (it->Class->Name == name) return it->Class;
  for (auto it = r.clips.rbegin(); it != r.clips.rend(); ++it)
    if (it->Class->Name == name) return it->Class;
  return nullptr;
}

}  // namespace

bool InheritsFromGraphicClass(TGraphicClass C, TGraphicClass Base) {
  if (Base == nullptr) return true;
  if (C == nullptr) return false;
  if (C == Base) return true;
  std::unique_ptr<TGraphic> probe = C->Create();
  return Base->IsInstance(probe.get());
}

// ---------------------------------------------------------------------------
void TGraphic::SetTransparent(bool Value) {
  if (Value == transparent_) return;
  transparent_ = Value;
  Changed(this);
}

void TGraphic::SetModified(bool Value) {
  if (Value) Changed(this);
  else modified_ = false;
}

void TGraphic::Changed(TObject* /*Sender*/) {
  modified_ = true;
  OnChange(this);
}

void TGraphic::Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                        const std::string& Msg) {
  OnProgress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

void TGraphic::LoadFromFile(const std::string& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const std::string& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

void TGraphic::LoadFromClipboardFormat(Word, HANDLE, HPALETTE) {
  throw EInvalidGraphic("Unsupported clipboard format");
}

void TGraphic::SaveToClipboardFormat(Word&, HANDLE&, HPALETTE&) {
  throw EInvalidGraphic("Unsupported clipboard format");
}

bool TGraphic::Equals(TGraphic* Graphic) {
  if (Graphic == nullptr || Graphic->GraphicClass() != GraphicClass()) return false;
  if (Graphic == this) return true;
  if (Empty() || Graphic->Empty()) return Empty() && Graphic->Empty();
  TMemoryStream a, b;
  SaveToStream(&a);
  Graphic->SaveToStream(&b);
  return a.Size() == b.Size() && std::memcmp(a.Memory(), b.Memory(), static_cast<size_t>(a.Size())) == 0;
}

void TGraphic::ReadData(TStream* Stream) { LoadFromStream(Stream); }
void TGraphic::WriteData(TStream* Stream) { SaveToStream(Stream); }

// ---------------------------------------------------------------------------
TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::SetOwnedGraphic(std::unique_ptr<TGraphic> G) {
  if (G) {
    G->OnChange = TNotifyEvent(this, &TPicture::Changed);
    G->OnProgress = TProgressEvent(this, &TPicture::Progress);
  }
  graphic_ = std::move(G);
  Changed(this);
}

void TPicture::SetGraphic(TGraphic* Value) {
  if (Value == graphic_.get() && Value != nullptr) return;
  std::unique_ptr<TGraphic> copy;
  if (Value != nullptr) {
    copy = Value->GraphicClass()->Create();
    copy->Assign(Value);
  }
  SetOwnedGraphic(std::move(copy));
}

template <class T>
T* TPicture::ForceGraphic() {
  if (auto* g = dynamic_cast<T*>(graphic_.get())) return g;
  auto g = std::make_unique<T>();
  T* raw = g.get();
  SetOwnedGraphic(std::move(g));
  return raw;
}

TBitmap* TPicture::Bitmap() { return ForceGraphic<TBitmap>(); }
TIcon* TPicture::Icon() { return ForceGraphic<TIcon>(); }
TMetafile* TPicture::Metafile() { return ForceGraphic<TMetafile>(); }

void TPicture::Assign(TPersistent* Source) {
  if (Source == nullptr) {
    SetGraphic(nullptr);
  } else if (auto* p = dynamic_cast<TPicture*>(Source)) {
    if (p != this) SetGraphic(p->Graphic());
  } else if (auto* g = dynamic_cast<TGraphic*>(Source)) {
    SetGraphic(g);
  } else {
    TPersistent::Assign(Source);
  }
}

void TPicture::AssignTo(TPersistent* Dest) {
  auto* dg = dynamic_cast<TGraphic*>(Dest);
  if (graphic_ && dg != nullptr && dg->GraphicClass()->IsInstance(graphic_.get())) {
    Dest->Assign(graphic_.get());
    return;
  }
  TPersistent::AssignTo(Dest);
}

// Listeners hear from the picture, whichever graphic changed.
void TPicture::Changed(TObject* /*Sender*/) { OnChange(this); }

void TPicture::Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                        const std::string& Msg) {
  OnProgress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

TGraphicClass TPicture::FileFormatClass(const std::string& AExtension) {
  std::string ext = LowerAscii(AExtension);
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  RegistryLock guard;
  Registry& r = GetRegistry();
  for (auto it = r.files.rbegin(); it != r.files.rend(); ++it)
    if (it->Extension == ext) return it->Class;
  return nullptr;
}

void TPicture::LoadFromFile(const std::string& FileName) {
  std::string ext;
  const size_t dot = FileName.find_last_of(".\\/:");
  if (dot != std::string::npos && FileName[dot] == '.') ext = FileName.substr(dot + 1);
  TGraphicClass cls = FileFormatClass(ext);
  if (cls == nullptr) throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
  std::unique_ptr<TGraphic> g = cls->Create();
  g->OnProgress = TProgressEvent(this, &TPicture::Progress);
  g->LoadFromFile(FileName);
  SetOwnedGraphic(std::move(g));
}

void TPicture::SaveToFile(const std::string& FileName) {
  if (graphic_) graphic_->SaveToFile(FileName);
}

void TPicture::LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE APalette) {
  TGraphicClass cls = nullptr;
  {
    RegistryLock guard;
    Registry& r = GetRegistry();
    for (auto it = r.clips.rbegin(); it != r.clips.rend(); ++it)
      if (it->Format == AFormat) {
        cls = it->Class;
        break;
      }
  }
  if (cls == nullptr) throw EInvalidGraphic("Unsupported clipboard format");
  std::unique_ptr<TGraphic> g = cls->Create();
  g->OnProgress = TProgressEvent(this, &TPicture::Progress);
  g->LoadFromClipboardFormat(AFormat, AData, APalette);
  SetOwnedGraphic(std::move(g));
}

void TPicture::SaveToClipboardFormat(Word& AFormat, HANDLE& AData, HPALETTE& APalette) {
  if (graphic_) graphic_->SaveToClipboardFormat(AFormat, AData, APalette);
}

void TPicture::RegisterFileFormat(const std::string& AExtension, const std::string& ADescription,
                                  TGraphicClass AGraphicClass) {
  std::string ext = LowerAscii(AExtension);
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  RegistryLock guard;
  GetRegistry().files.push_back({ext, ADescription, AGraphicClass});
}

void TPicture::RegisterClipboardFormat(Word AFormat, TGraphicClass AGraphicClass) {
  RegistryLock guard;
  GetRegistry().clips.push_back({AFormat, AGraphicClass});
}

void TPicture::UnregisterGraphicClass(TGraphicClass AClass) {
  RegistryLock guard;
  Registry& r = GetRegistry();
  std::erase_if(r.files, [&](const FileFormat& f) { return InheritsFromGraphicClass(f.Class, AClass); });
  std::erase_if(r.clips, [&](const ClipFormat& f) { return InheritsFromGraphicClass(f.Class, AClass); });
}

bool TPicture::SupportsClipboardFormat(Word AFormat) {
  RegistryLock guard;
  for (const ClipFormat& c : GetRegistry().clips)
    if (c.Format == AFormat) return true;
  return false;
}

void TPicture::ReadData(TStream* Stream) {
  Byte len = 0;
  Stream->ReadBuffer(&len, 1);
  std::string name(len, '\0');
  if (len > 0) Stream->ReadBuffer(name.data(), len);
  if (name.empty()) {
    SetGraphic(nullptr);
    return;
  }
  TGraphicClass cls = FindClassByName(name);
  if (cls == nullptr) throw EInvalidGraphic("Class " + name + " not found");
  std::unique_ptr<TGraphic> g = cls->Create();
  g->ReadData(Stream);
  SetOwnedGraphic(std::move(g));
}

void TPicture::WriteData(TStream* Stream) {
  const std::string name = graphic_ ? graphic_->ClassName() : std::string();
  const Byte len = static_cast<Byte>(std::min<size_t>(name.size(), 255));
  Stream->WriteBuffer(&len, 1);
  if (len > 0) Stream->WriteBuffer(name.data(), len);
  if (graphic_) graphic_->WriteData(Stream);
}

// ---------------------------------------------------------------------------
namespace {
std::vector<const FileFormat*> FormatsOf(TGraphicClass GraphicClass, const Registry& r) {
  std::vector<const FileFormat*> out;
  for (auto it = r.files.rbegin(); it != r.files.rend(); ++it)
    if (InheritsFromGraphicClass(it->Class, GraphicClass)) out.push_back(&*it);
  return out;
}
}  // namespace

std::string GraphicFilter(TGraphicClass GraphicClass) {
  RegistryLock guard;
  const auto formats = FormatsOf(GraphicClass, GetRegistry());
  std::string masks, entries;
  for (const FileFormat* f : formats) {
    const std::string mask = "*." + f->Extension;
    if (!masks.empty()) masks += ';';
    masks += mask;
    entries += '|' + f->Description + " (" + mask + ")|" + mask;
  }
  if (formats.size() > 1) return "All (" + masks + ")|" + masks + entries;
  return entries.empty() ? std::string() : entries.substr(1);
}

std::string GraphicExtension(TGraphicClass GraphicClass) {
  RegistryLock guard;
  const auto formats = FormatsOf(GraphicClass, GetRegistry());
  for (const FileFormat* f : formats)
    if (f->Class == GraphicClass) return f->Extension;
  return formats.empty() ? std::string() : formats.front()->Extension;
}

std::string GraphicFileMask(TGraphicClass GraphicClass) {
  RegistryLock guard;
  std::string masks;
  for (const FileFormat* f : FormatsOf(GraphicClass, GetRegistry())) {
    if (!masks.empty()) masks += ';';
    masks += "*." + f->Extension;
  }
  return masks;
}

// ---------------------------------------------------------------------------
Integer PaletteEntryCount(HPALETTE Palette) {
  if (Palette == nullptr) return 0;
  WORD n = 0;
  if (::GetObjectW(Palette, sizeof n, &n) == 0) return 0;
  return n;
}

HPALETTE CreatePaletteFromEntries(const std::vector<PALETTEENTRY>& Entries) {
  if (Entries.empty()) return nullptr;
  std::vector<Byte> buf(sizeof(LOGPALETTE) + Entries.size() * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(buf.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = static_cast<WORD>(Entries.size());
  std::memcpy(lp->palPalEntry, Entries.data(), Entries.size() * sizeof(PALETTEENTRY));
  HPALETTE h = ::CreatePalette(lp);
  GDICheck(h);
  return h;
}

HPALETTE CopyPalette(HPALETTE Palette) {
  const Integer n = PaletteEntryCount(Palette);
  if (n == 0) return nullptr;
  std::vector<PALETTEENTRY> e(static_cast<size_t>(n));
  ::GetPaletteEntries(Palette, 0, static_cast<UINT>(n), e.data());
  return CreatePaletteFromEntries(e);
}
