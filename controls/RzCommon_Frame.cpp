// The frame controller, the blink list, the readers of obsolete properties
// and the settings store component.
#include <algorithm>

#include "controls/RzCommon.h"
#include "platform/FormReader.h"
#include "platform/Timer.h"
#include "platform/TypInfo.h"

void RegisterRzCommonClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterRzCommonTypes();
  RegisterEnum<TRzPathType>("TRzPathType", {"ptIniFile", "ptRegistry"});
  RegisterEnum<TRzRegKey>("TRzRegKey", {"hkeyClassesRoot", "hkeyCurrentUser", "hkeyLocalMachine", "hkeyUsers",
                                        "hkeyPerformanceData", "hkeyCurrentConfig", "hkeyDynData"});
  RegisterEnum<TRzRegAccessKey>("TRzRegAccessKey",
                                {"keyQueryValue", "keySetValue", "keyCreateSubKey", "keyEnumerateSubKeys",
                                 "keyNotify", "keyCreateLink", "keyRead", "keyWrite", "keyExecute", "keyAllAccess"});
  using C = TRzFrameController;
  RegisterClassInfo<C, TComponent>("TRzFrameController")
      .Color("Color", &C::Color, &C::SetColor, clWindow)
      .Stored([](C* c) { return !c->ParentColor(); })
      .Bool("ParentColor", &C::ParentColor, &C::SetParentColor, false)
      .Color("FlatButtonColor", &C::FlatButtonColor, &C::SetFlatButtonColor, clBtnFace)
      .Bool("FlatButtons", &C::FlatButtons, &C::SetFlatButtons, true)
      .Color("DisabledColor", &C::DisabledColor, &C::SetDisabledColor, clBtnFace)
      .Color("FocusColor", &C::FocusColor, &C::SetFocusColor, clWindow)
      .Color("FrameColor", &C::FrameColor, &C::SetFrameColor, clBtnShadow)
      .Color("FrameHotColor", &C::FrameHotColor, &C::SetFrameHotColor, clBtnShadow)
      .Bool("FrameHotTrack", &C::FrameHotTrack, &C::SetFrameHotTrack, false)
      .Enum("FrameHotStyle", &C::FrameHotStyle, &C::SetFrameHotStyle, fsFlatBold)
      .Set<TSide>("FrameSides", &C::FrameSides, &C::SetFrameSides, sdAllSides)
      .Enum("FrameStyle", &C::FrameStyle, &C::SetFrameStyle, fsFlat)
      .Bool("FrameVisible", &C::FrameVisible, &C::SetFrameVisible, false)
      .Enum("FramingPreference", &C::FramingPreference, &C::SetFramingPreference, fpXPThemes)
      .Ref("RegIniFile", &C::RegIniFile, &C::SetRegIniFile);
  using R = TRzRegIniFile;
  RegisterClassInfo<R, TComponent>("TRzRegIniFile")
      .Str("Path", &R::Path, &R::SetPath)
      .Enum("PathType", &R::PathType, &R::SetPathType, ptIniFile)
      .Enum("RegKey", &R::RegKey, &R::SetRegKey, hkeyCurrentUser)
      .Set<TRzRegAccessKey>("RegAccess", &R::RegAccess, &R::SetRegAccess, TRzRegAccess{keyAllAccess});
}

// ---------------------------------------------------------------------------
// Frame controller.

TRzFrameController::TRzFrameController(TComponent* AOwner) : TComponent(AOwner) { RegisterRzCommonClasses(); }

TRzFrameController::~TRzFrameController() {
  // The controls hear of the controller's going through their free notification.
  controls_.reset();
}

void TRzFrameController::Link(TComponent* Control, TRzFrameController*& Slot, TRzFrameController* Value) {
  if (Value == Slot) return;
  if (Slot) Slot->UnregisterControl(Control);
  Slot = Value;
  if (Value) {
    Value->RegisterControl(Control);
    Value->FreeNotification(Control);
  }
}

void TRzFrameController::RegisterControl(TComponent* Control) {
  if (!controls_) controls_ = std::make_unique<std::vector<TComponent*>>();
  if (std::find(controls_->begin(), controls_->end(), Control) != controls_->end()) return;
  controls_->push_back(Control);
  ApplyToControl(Control, fcAll);
}

void TRzFrameController::UnregisterControl(TComponent* Control) {
  if (!controls_) return;
  controls_->erase(std::remove(controls_->begin(), controls_->end(), Control), controls_->end());
  if (controls_->empty()) controls_.reset();
}

void TRzFrameController::ResumeUpdates() {
  if (--updates_ <= 0) {
    updates_ = 0;
    PushSettings(fcAll);
  }
}

void TRzFrameController::PushSettings(Integer Code) {
  if (updates_ > 0 || !controls_) return;
  // A control may leave the list while it applies a setting.
  std::vector<TComponent*> list = *controls_;
  for (TComponent* c : list)
    if (controls_ && std::find(controls_->begin(), controls_->end(), c) != controls_->end()) ApplyToControl(c, Code);
}

namespace {

void SetOrdIfPublished(TComponent* Control, const char* Name, Int64 Value) {
  const TPropInfo* p = GetPropInfo(Control, Name);
  if (p && p->SetOrd && p->Kind != tkSet) p->SetOrd(Control, Value);
}

void SetSidesIfPublished(TComponent* Control, TSides Value) {
  const TPropInfo* p = GetPropInfo(Control, "FrameSides");
  if (p && p->SetOrd && p->Kind == tkSet) p->SetOrd(Control, static_cast<Int64>(Value.Bits()));
}

}  // namespace

void TRzFrameController::ApplyToControl(TComponent* Control, Integer Code) {
  if (!Control || !dynamic_cast<TControl*>(Control)) return;
  if (auto* client = dynamic_cast<IRzFrameClient*>(Control)) {
    client->ApplyFrameLook();
    return;
  }
  auto apply = [&](Integer code) {
    switch (code) {
      case fcColor: SetOrdIfPublished(Control, "Color", color_); break;
      case fcFocusColor: SetOrdIfPublished(Control, "FocusColor", focusColor_); break;
      case fcDisabledColor: SetOrdIfPublished(Control, "DisabledColor", disabledColor_); break;
      case fcParentColor: SetOrdIfPublished(Control, "ParentColor", parentColor_); break;
      case fcFlatButtonColor: SetOrdIfPublished(Control, "FlatButtonColor", flatButtonColor_); break;
      case fcFlatButtons: SetOrdIfPublished(Control, "FlatButtons", flatButtons_); break;
      case fcFrameColor: SetOrdIfPublished(Control, "FrameColor", frameColor_); break;
      case fcFrameHotColor: SetOrdIfPublished(Control, "FrameHotColor", frameHotColor_); break;
      case fcFrameHotTrack: SetOrdIfPublished(Control, "FrameHotTrack", frameHotTrack_); break;
      case fcFrameHotStyle: SetOrdIfPublished(Control, "FrameHotStyle", frameHotStyle_); break;
      case fcFrameSides: SetSidesIfPublished(Control, frameSides_); break;
      case fcFrameStyle: SetOrdIfPublished(Control, "FrameStyle", frameStyle_); break;
      case fcFrameVisible: SetOrdIfPublished(Control, "FrameVisible", frameVisible_); break;
      case fcFramingPreference: SetOrdIfPublished(Control, "FramingPreference", framingPreference_); break;
      default: break;
    }
  };
  if (Code != fcAll) {
    apply(Code);
    return;
  }
  apply(fcParentColor);
  if (!parentColor_) apply(fcColor);
  for (Integer code : {fcDisabledColor, fcFocusColor, fcFlatButtonColor, fcFlatButtons, fcFrameColor,
                       fcFrameHotColor, fcFrameHotTrack, fcFrameHotStyle, fcFrameSides, fcFrameStyle,
                       fcFrameVisible, fcFramingPreference})
    apply(code);
}

void TRzFrameController::SetColor(TColor Value) {
  if (Value == color_) return;
  if (color_ == focusColor_) focusColor_ = Value;
  color_ = Value;
  parentColor_ = false;
  PushSettings(fcColor);
}

void TRzFrameController::SetParentColor(bool Value) {
  if (Value == parentColor_) return;
  parentColor_ = Value;
  PushSettings(fcParentColor);
  if (!Value) PushSettings(fcColor);
}

#define RZ_SIMPLE_WRITER(Setter, Type, Field, Code) \
  void TRzFrameController::Setter(Type Value) {     \
    if (Value == Field) return;                     \
    Field = Value;                                  \
    PushSettings(Code);                             \
  }

RZ_SIMPLE_WRITER(SetFlatButtonColor, TColor, flatButtonColor_, fcFlatButtonColor)
RZ_SIMPLE_WRITER(SetFlatButtons, bool, flatButtons_, fcFlatButtons)
RZ_SIMPLE_WRITER(SetDisabledColor, TColor, disabledColor_, fcDisabledColor)
RZ_SIMPLE_WRITER(SetFocusColor, TColor, focusColor_, fcFocusColor)
RZ_SIMPLE_WRITER(SetFrameVisible, bool, frameVisible_, fcFrameVisible)
RZ_SIMPLE_WRITER(SetFramingPreference, TFramingPreference, framingPreference_, fcFramingPreference)
#undef RZ_SIMPLE_WRITER

void TRzFrameController::SetFrameHotTrack(bool Value) {
  if (Value == frameHotTrack_) return;
  frameHotTrack_ = Value;
  if (Value) {
    SetFrameVisible(true);
    if (!ComponentState().Contains(csLoading)) frameSides_ = sdAllSides;
  }
  PushSettings(fcFrameHotTrack);
}

void TRzFrameController::SetRegIniFile(TRzRegIniFile* Value) {
  if (Value == regIniFile_) return;
  regIniFile_ = Value;
  if (Value) Value->FreeNotification(this);
}

void TRzFrameController::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TRzFrameController*>(Source);
  if (!src) {
    TComponent::Assign(Source);
    return;
  }
  HoldUpdates();
  color_ = src->color_;
  disabledColor_ = src->disabledColor_;
  flatButtonColor_ = src->flatButtonColor_;
  flatButtons_ = src->flatButtons_;
  focusColor_ = src->focusColor_;
  frameColor_ = src->frameColor_;
  frameHotColor_ = src->frameHotColor_;
  frameHotStyle_ = src->frameHotStyle_;
  frameHotTrack_ = src->frameHotTrack_;
  frameSides_ = src->frameSides_;
  frameStyle_ = src->frameStyle_;
  frameVisible_ = src->frameVisible_;
  framingPreference_ = src->framingPreference_;
  parentColor_ = src->parentColor_;
  ResumeUpdates();
}

void TRzFrameController::Loaded() {
  TComponent::Loaded();
  RefreshAll();
}

void TRzFrameController::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == regIniFile_) regIniFile_ = nullptr;
}

void TRzFrameController::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  // Names of older form resources: read, never written.
  Filer->DefineProperty(
      "FrameFlat",
      [this](TReader* R) {
        frameHotTrack_ = R->ReadBoolean();
        if (frameHotTrack_) {
          frameStyle_ = fsStatus;
          frameHotStyle_ = fsLowered;
        }
      },
      nullptr, false);
  Filer->DefineProperty(
      "FrameFocusStyle",
      [this](TReader* R) {
        std::string name = R->ReadIdent();
        const TEnumInfo* info = FindEnumInfo(typeid(TFrameStyleEx));
        Integer v = info ? info->ValueOf(name) : -1;
        // A name that is no frame style keeps the current one.
        if (v >= fsNone && v <= fsFlatBold) frameHotStyle_ = static_cast<TFrameStyle>(v);
      },
      nullptr, false);
  Filer->DefineProperty("FrameFlatStyle", &TRzOldPropReader::SkipIdentifier, nullptr, false);
}

// ---------------------------------------------------------------------------
void TRzOldPropReader::SkipBoolean(TReader* Reader) { Reader->ReadBoolean(); }
void TRzOldPropReader::SkipIdentifier(TReader* Reader) { Reader->ReadIdent(); }
void TRzOldPropReader::SkipSet(TReader* Reader) { Reader->ReadSet(); }

// ---------------------------------------------------------------------------
// Blink list.

namespace {
std::unique_ptr<TRzBlinkingControlsList>& BlinkSlot() {
  static std::unique_ptr<TRzBlinkingControlsList> list;
  return list;
}
}  // namespace

TRzBlinkingControlsList::TRzBlinkingControlsList() : timer_(std::make_unique<TTimer>(nullptr)) {
  timer_->SetInterval(offInterval_);
  timer_->OnTimer = TNotifyEvent(this, &TRzBlinkingControlsList::BlinkTick);
  timer_->SetEnabled(true);
}

TRzBlinkingControlsList::~TRzBlinkingControlsList() = default;

void TRzBlinkingControlsList::Enlist(TControl* Control) { controls_.push_back(Control); }

void TRzBlinkingControlsList::Delist(TControl* Control) {
  auto it = std::find(controls_.begin(), controls_.end(), Control);
  if (it != controls_.end()) controls_.erase(it);
}

void TRzBlinkingControlsList::BlinkTick(TObject* /*Sender*/) {
  if (phase_ == 1) {
    phase_ = 0;
    timer_->SetInterval(offInterval_);
  } else {
    phase_ = 1;
    timer_->SetInterval(onInterval_);
  }
  std::vector<TControl*> list = controls_;
  for (TControl* c : list) {
    if (std::find(controls_.begin(), controls_.end(), c) == controls_.end()) continue;
    if (c->Perform(CM_BLINKQUERY, 0, 0) == 1) c->Perform(CM_BLINKPHASE, phase_, 0);
  }
}

TRzBlinkingControlsList* BlinkingControlsList() { return BlinkSlot().get(); }

TRzBlinkingControlsList* NeedBlinkingControlsList() {
  if (!BlinkSlot()) BlinkSlot() = std::make_unique<TRzBlinkingControlsList>();
  return BlinkSlot().get();
}

void ReleaseBlinkListWhenEmpty() {
  if (BlinkSlot() && BlinkSlot()->Size() == 0) BlinkSlot().reset();
}

// ---------------------------------------------------------------------------
void TRzRegIniFile::SetPath(const std::string& Value) {
  if (Value == path_) return;
  path_ = Value;
  refreshNeeded_ = true;
}
void TRzRegIniFile::SetPathType(TRzPathType Value) {
  if (Value == pathType_) return;
  pathType_ = Value;
  refreshNeeded_ = true;
}
void TRzRegIniFile::SetRegKey(TRzRegKey Value) {
  if (Value == regKey_) return;
  regKey_ = Value;
  refreshNeeded_ = true;
}
void TRzRegIniFile::SetRegAccess(TRzRegAccess Value) {
  if (Value == regAccess_) return;
  regAccess_ = Value;
  refreshNeeded_ = true;
}
