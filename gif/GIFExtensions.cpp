// Extension blocks: life cycle, accessors, and the label and application
// identifier registries.
#include <cstring>

#include "gif/GIFImage.h"

namespace {
template <class T>
std::unique_ptr<TGIFExtension> CreateExtension(TGIFSubImage* Frame) {
  return std::make_unique<T>(Frame);
}
}  // namespace

// ---------------------------------------------------------------------------
// Base.

TGIFExtension::TGIFExtension(TGIFSubImage* Frame) : TGIFItem(Frame ? Frame->Image() : nullptr), frame_(Frame) {}

TGIFExtension::~TGIFExtension() {
  if (frame_ && frame_->Extensions()) frame_->Extensions()->Detach(this);
}

TGIFExtensionClass TGIFExtension::RefineClass(TGIFExtensionClass Self, TStream* /*Stream*/) { return Self; }

// ---------------------------------------------------------------------------
// Graphic control.

TGIFExtensionClass TGIFGraphicControlExtension::StaticClass() {
  static const TGIFExtensionClassInfo info{"TGIFGraphicControlExtension",
                                           &CreateExtension<TGIFGraphicControlExtension>,
                                           &TGIFExtension::RefineClass};
  return &info;
}

TGIFGraphicControlExtension::TGIFGraphicControlExtension(TGIFSubImage* Frame) : TGIFExtension(Frame) {
  Control.BlockSize = 4;
  if (frame_ && !frame_->GraphicControl()) frame_->SetGraphicControl(this);
}

TGIFGraphicControlExtension::~TGIFGraphicControlExtension() {
  if (frame_) {
    if (UsesTransparentIndex()) frame_->SetTransparent(false);
    if (frame_->GraphicControl() == this) frame_->SetGraphicControl(nullptr);
  }
}

void TGIFGraphicControlExtension::SetUsesTransparentIndex(bool Value) {
  if (frame_) frame_->SetTransparent(Value);
  if (Value)
    Control.Packed |= 0x01;
  else
    Control.Packed &= Byte(~0x01);
}

void TGIFGraphicControlExtension::SetTransparentIndex(Integer Index) {
  TGIFColorMap* map = frame_ ? frame_->EffectiveColorMap() : nullptr;
  if (map && map->Count() > 0 && (Index < 0 || Index >= map->Count())) {
    ReportWarning("Invalid color index");
    Index = 0;
  }
  Control.TransparentIndex = Byte(Index);
}

TColor TGIFGraphicControlExtension::TransparentColorValue() {
  if (!frame_) RaiseGIFError("Color table is empty");
  return frame_->EffectiveColorMap()->ColorAt(Control.TransparentIndex);
}

void TGIFGraphicControlExtension::SetTransparentColorValue(TColor Color) {
  if (!frame_) return;
  Control.TransparentIndex = Byte(frame_->EffectiveColorMap()->AddUniqueColor(Color));
}

void TGIFGraphicControlExtension::SetUserInputFlag(bool Value) {
  if (Value)
    Control.Packed |= 0x02;
  else
    Control.Packed &= Byte(~0x02);
}

void TGIFGraphicControlExtension::SetDisposalMethod(Integer Value) {
  Control.Packed = Byte((Control.Packed & 0xE3) | ((Value * 4) & 0x1C));
}

// ---------------------------------------------------------------------------
// Plain text and comment.

TGIFExtensionClass TGIFTextExtension::StaticClass() {
  static const TGIFExtensionClassInfo info{"TGIFTextExtension", &CreateExtension<TGIFTextExtension>,
                                           &TGIFExtension::RefineClass};
  return &info;
}

TGIFTextExtension::TGIFTextExtension(TGIFSubImage* Frame)
    : TGIFExtension(Frame), lines_(std::make_unique<TStringList>()) {
  PlainText.BlockSize = 12;
}

TGIFTextExtension::~TGIFTextExtension() = default;

void TGIFTextExtension::SetText(const std::string& Text) { lines_->SetText(Text); }

TGIFExtensionClass TGIFCommentExtension::StaticClass() {
  static const TGIFExtensionClassInfo info{"TGIFCommentExtension", &CreateExtension<TGIFCommentExtension>,
                                           &TGIFExtension::RefineClass};
  return &info;
}

TGIFCommentExtension::TGIFCommentExtension(TGIFSubImage* Frame)
    : TGIFExtension(Frame), lines_(std::make_unique<TStringList>()) {}

TGIFCommentExtension::~TGIFCommentExtension() = default;

void TGIFCommentExtension::SetText(const std::string& Text) { lines_->SetText(Text); }

// ---------------------------------------------------------------------------
// Application blocks.

TGIFApplicationExtension::TGIFApplicationExtension(TGIFSubImage* Frame) : TGIFExtension(Frame) {}

TGIFExtensionClass TGIFApplicationExtension::StaticClass() {
  // An application block whose identifier cannot be looked up is made a
  // generic one that keeps its data sub-blocks as they are.
  static const TGIFExtensionClassInfo info{"TGIFApplicationExtension",
                                           &CreateExtension<TGIFUnknownAppExtension>,
                                           &TGIFApplicationExtension::RefineClass};
  return &info;
}

std::string TGIFApplicationExtension::IdentText() const {
  return std::string(reinterpret_cast<const char*>(&Ident), sizeof(Ident));
}

void TGIFApplicationExtension::SetIdentText(const std::string& Text) {
  std::memset(&Ident, 0, sizeof(Ident));
  std::memcpy(&Ident, Text.data(), std::min(Text.size(), sizeof(Ident)));
}

TGIFBlock::TGIFBlock(Byte ASize) : size_(ASize), bytes_(new Byte[ASize ? ASize : 1]()) {}

void TGIFBlock::ReadData(TStream* Stream) { ReadExact(Stream, bytes_.get(), size_); }

void TGIFBlock::WriteBlock(TStream* Stream) const {
  StreamWriteByte(Stream, size_);
  if (size_) Stream->WriteBuffer(bytes_.get(), size_);
}

TGIFExtensionClass TGIFUnknownAppExtension::StaticClass() {
  static const TGIFExtensionClassInfo info{"TGIFUnknownAppExtension",
                                           &CreateExtension<TGIFUnknownAppExtension>,
                                           &TGIFApplicationExtension::RefineClass};
  return &info;
}

TGIFUnknownAppExtension::TGIFUnknownAppExtension(TGIFSubImage* Frame) : TGIFApplicationExtension(Frame) {}

TGIFUnknownAppExtension::~TGIFUnknownAppExtension() = default;

TGIFExtensionClass TGIFAppExtNSLoop::StaticClass() {
  static const TGIFExtensionClassInfo info{"TGIFAppExtNSLoop", &CreateExtension<TGIFAppExtNSLoop>,
                                           &TGIFApplicationExtension::RefineClass};
  return &info;
}

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage* Frame) : TGIFApplicationExtension(Frame) {
  SetIdentText("NETSCAPE2.0");
}

// ---------------------------------------------------------------------------
// Registries.

void TExtensionList::Register(Byte Label, TGIFExtensionClass Class) {
  entries_.push_back(std::make_unique<Entry>(Entry{Label, Class}));
}

TGIFExtensionClass TExtensionList::FindClass(Byte Label) const {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
    if ((*it)->Label == Label) return (*it)->Class;
  return nullptr;
}

void TAppExtensionList::Register(const TGIFAppIdent& Ident, TGIFExtensionClass Class) {
  entries_.push_back(std::make_unique<Entry>(Entry{Ident, Class}));
}

void TAppExtensionList::Register(const std::string& Ident, TGIFExtensionClass Class) {
  TGIFAppIdent id{};
  std::memcpy(&id, Ident.data(), std::min(Ident.size(), sizeof(id)));
  Register(id, Class);
}

TGIFExtensionClass TAppExtensionList::FindClass(const TGIFAppIdent& Ident) const {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
    if (std::memcmp(&(*it)->Ident, &Ident, sizeof(Ident)) == 0) return (*it)->Class;
  return nullptr;
}

TExtensionList* ExtensionRegistry() {
  static const std::unique_ptr<TExtensionList> registry = [] {
    auto r = std::make_unique<TExtensionList>();
    r->Register(0x01, TGIFTextExtension::StaticClass());
    r->Register(0xF9, TGIFGraphicControlExtension::StaticClass());
    r->Register(0xFE, TGIFCommentExtension::StaticClass());
    r->Register(0xFF, TGIFApplicationExtension::StaticClass());
    return r;
  }();
  return registry.get();
}

TAppExtensionList* AppExtensionRegistry() {
  static const std::unique_ptr<TAppExtensionList> registry = [] {
    auto r = std::make_unique<TAppExtensionList>();
    r->Register("NETSCAPE2.0", TGIFAppExtNSLoop::StaticClass());
    r->Register("ANIMEXTS1.0", TGIFAppExtNSLoop::StaticClass());
    return r;
  }();
  return registry.get();
}
