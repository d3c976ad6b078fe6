// The frame controller pushing its settings to registered controls (by
// published property names, or through the frame-client interface), its
// obsolete form-resource names, and the blink list's phases.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/RzCommon.h"
#include "platform/ExtCtrls.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/TypInfo.h"
#include "tests/support/ui.h"

namespace {

// A control publishing every setting a controller pushes; each write is logged by name.
class TFramedProbe : public TCustomPanel {
 public:
  T_CLASSNAME(TFramedProbe)
  explicit TFramedProbe(TComponent* AOwner) : TCustomPanel(AOwner) {}
  ~TFramedProbe() override {
    if (controller_) controller_->UnregisterControl(this);
  }
  std::vector<std::string> log;
  TColor color = 0, focusColor = 0, disabledColor = 0, flatButtonColor = 0, frameColor = 0, frameHotColor = 0;
  bool parentColor = false, flatButtons = false, frameHotTrack = false, frameVisible = false;
  TFrameStyle frameHotStyle = fsNone, frameStyle = fsNone;
  TSides frameSides;
  TFramingPreference framing = fpCustomFraming;

  TRzFrameController* FrameController() const { return controller_; }
  void SetFrameController(TRzFrameController* Value) {
    if (controller_) controller_->UnregisterControl(this);
    controller_ = Value;
    if (Value) {
      Value->RegisterControl(this);
      Value->FreeNotification(this);
    }
  }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TCustomPanel::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == controller_) controller_ = nullptr;
  }

 private:
  TRzFrameController* controller_ = nullptr;
};

class TFrameClientProbe : public TCustomPanel, public IRzFrameClient {
 public:
  T_CLASSNAME(TFrameClientProbe)
  explicit TFrameClientProbe(TComponent* AOwner) : TCustomPanel(AOwner) {}
  Integer applied = 0;
  void ApplyFrameLook() override { ++applied; }
};

void RegisterProbes() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterRzCommonClasses();
  using P = TFramedProbe;
#define PROBE_PROP(Kind, Name, Field, Type)                                   \
  .Kind(                                                                      \
      Name, [](P* p) { return p->Field; },                                    \
      [](P* p, Type v) {                                                      \
        p->Field = v;                                                         \
        p->log.push_back(Name);                                               \
      })
  RegisterClassInfo<P, TCustomPanel>("TFramedProbe")
      PROBE_PROP(Color, "Color", color, TColor)
      PROBE_PROP(Color, "FocusColor", focusColor, TColor)
      PROBE_PROP(Color, "DisabledColor", disabledColor, TColor)
      PROBE_PROP(Bool, "ParentColor", parentColor, bool)
      PROBE_PROP(Color, "FlatButtonColor", flatButtonColor, TColor)
      PROBE_PROP(Bool, "FlatButtons", flatButtons, bool)
      PROBE_PROP(Color, "FrameColor", frameColor, TColor)
      PROBE_PROP(Color, "FrameHotColor", frameHotColor, TColor)
      PROBE_PROP(Bool, "FrameHotTrack", frameHotTrack, bool)
      PROBE_PROP(Enum, "FrameHotStyle", frameHotStyle, TFrameStyle)
      PROBE_PROP(Enum, "FrameStyle", frameStyle, TFrameStyle)
      PROBE_PROP(Bool, "FrameVisible", frameVisible, bool)
      PROBE_PROP(Enum, "FramingPreference", framing, TFramingPreference)
      .Set<TSide>(
          "FrameSides", [](P* p) { return p->frameSides; },
          [](P* p, TSides v) {
            p->frameSides = v;
            p->log.push_back("FrameSides");
          })
      .Ref("FrameController", &P::FrameController, &P::SetFrameController);
#undef PROBE_PROP
  RegisterClassInfo<TFrameClientProbe, TCustomPanel>("TFrameClientProbe");
}

const std::vector<std::string> kAllInOrder = {
    "ParentColor", "Color",         "DisabledColor", "FocusColor",    "FlatButtonColor", "FlatButtons",
    "FrameColor",  "FrameHotColor", "FrameHotTrack", "FrameHotStyle", "FrameSides",      "FrameStyle",
    "FrameVisible", "FramingPreference"};

class RzFrameController : public ::testing::Test {
 protected:
  void SetUp() override { RegisterProbes(); }
};

}  // namespace

TEST_F(RzFrameController, RegistrationPushesEverythingOnceInOrder) {
  TRzFrameController fc(nullptr);
  fc.SetFrameVisible(true);
  TFramedProbe probe(nullptr);
  TFrameClientProbe client(nullptr);
  probe.SetFrameController(&fc);
  EXPECT_EQ(probe.log, kAllInOrder);
  EXPECT_TRUE(probe.frameVisible);
  EXPECT_EQ(probe.color, clWindow);
  EXPECT_EQ(probe.frameHotStyle, fsFlatBold);
  EXPECT_EQ(probe.frameSides, sdAllSides);
  EXPECT_EQ(probe.framing, fpXPThemes);
  // The same control again: nothing more.
  probe.log.clear();
  fc.RegisterControl(&probe);
  EXPECT_TRUE(probe.log.empty());
  // A frame client is told once and copies for itself.
  fc.RegisterControl(&client);
  EXPECT_EQ(client.applied, 1);
  fc.SetFrameColor(clRed);
  EXPECT_EQ(client.applied, 2);
  EXPECT_EQ(probe.log, std::vector<std::string>{"FrameColor"});
  // Only controls take settings: another controller (which publishes the
  // same names) registered by mistake keeps its own.
  TRzFrameController plain(nullptr);
  fc.RegisterControl(&plain);
  EXPECT_FALSE(plain.FrameVisible());
  EXPECT_EQ(plain.FrameColor(), clBtnShadow);
  EXPECT_EQ(fc.ControlCount(), 3);

  // With ParentColor the controller's Color is not pushed.
  TRzFrameController parented(nullptr);
  parented.SetParentColor(true);
  TFramedProbe second(nullptr);
  second.SetFrameController(&parented);
  std::vector<std::string> noColor = kAllInOrder;
  noColor.erase(noColor.begin() + 1);
  EXPECT_EQ(second.log, noColor);
  second.SetFrameController(nullptr);
  EXPECT_FALSE(parented.HasControlList());
  fc.UnregisterControl(&second);  // never registered there
  EXPECT_EQ(fc.ControlCount(), 3);
  fc.UnregisterControl(&plain);
  fc.UnregisterControl(&client);
  probe.SetFrameController(nullptr);
}

TEST_F(RzFrameController, WritersPushTheirOwnCode) {
  TRzFrameController fc(nullptr);
  TFramedProbe probe(nullptr);
  probe.SetFrameController(&fc);
  struct Case {
    std::function<void()> Write;
    std::vector<std::string> Pushed;
  } cases[] = {
      {[&] { fc.SetFocusColor(clYellow); }, {"FocusColor"}},
      {[&] { fc.SetFocusColor(clYellow); }, {}},  // unchanged: nothing
      {[&] { fc.SetDisabledColor(clGray); }, {"DisabledColor"}},
      {[&] { fc.SetFlatButtonColor(clAqua); }, {"FlatButtonColor"}},
      {[&] { fc.SetFlatButtons(false); }, {"FlatButtons"}},
      {[&] { fc.SetFrameHotColor(clNavy); }, {"FrameHotColor"}},
      {[&] { fc.SetFrameHotStyle(fsLowered); }, {"FrameHotStyle"}},
      {[&] { fc.SetFrameSides(TSides{sdLeft}); }, {"FrameSides"}},
      {[&] { fc.SetFrameStyle(fsGroove); }, {"FrameStyle"}},
      {[&] { fc.SetFramingPreference(fpCustomFraming); }, {"FramingPreference"}},
      // Hot tracking makes the frame visible first; the sides become all four without a push.
      {[&] { fc.SetFrameHotTrack(true); }, {"FrameVisible", "FrameHotTrack"}},
      {[&] { fc.SetParentColor(true); }, {"ParentColor"}},
      {[&] { fc.SetParentColor(false); }, {"ParentColor", "Color"}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    probe.log.clear();
    cases[i].Write();
    EXPECT_EQ(probe.log, cases[i].Pushed) << "case " << i;
  }
  EXPECT_EQ(fc.FrameSides(), sdAllSides);
  EXPECT_EQ(probe.frameSides, TSides{sdLeft});

  // Color drags FocusColor along when they were equal, and clears ParentColor.
  TRzFrameController c2(nullptr);
  TFramedProbe p2(nullptr);
  p2.SetFrameController(&c2);
  c2.SetParentColor(true);
  p2.log.clear();
  c2.SetColor(clInfoBk);
  EXPECT_EQ(c2.FocusColor(), clInfoBk);
  EXPECT_FALSE(c2.ParentColor());
  EXPECT_EQ(p2.log, std::vector<std::string>{"Color"});
  c2.SetFocusColor(clWhite);
  c2.SetColor(clCream);
  EXPECT_EQ(c2.FocusColor(), clWhite);
  p2.SetFrameController(nullptr);
  probe.SetFrameController(nullptr);
}

TEST_F(RzFrameController, HeldUpdatesEndInOneFullPush) {
  TRzFrameController fc(nullptr);
  TFramedProbe probe(nullptr);
  probe.SetFrameController(&fc);
  probe.log.clear();
  fc.HoldUpdates();
  fc.SetFrameColor(clRed);
  fc.SetFrameStyle(fsBump);
  fc.SetDisabledColor(clSilver);
  EXPECT_TRUE(probe.log.empty());
  fc.ResumeUpdates();
  EXPECT_EQ(probe.log, kAllInOrder);
  EXPECT_EQ(probe.frameStyle, fsBump);
  // An extra resume keeps the counter at 0 (and pushes again).
  probe.log.clear();
  fc.ResumeUpdates();
  fc.SetFrameColor(clBlue);
  EXPECT_EQ(probe.log.back(), "FrameColor");

  // Assign copies everything and pushes once.
  TRzFrameController source(nullptr);
  source.SetFrameVisible(true);
  source.SetFrameHotTrack(true);
  source.SetColor(clLime);
  probe.log.clear();
  fc.Assign(&source);
  EXPECT_EQ(probe.log, kAllInOrder);
  EXPECT_EQ(probe.color, clLime);
  EXPECT_TRUE(probe.frameHotTrack);
  TFont notAController;
  EXPECT_THROW(fc.Assign(&notAController), Exception);
  probe.SetFrameController(nullptr);
}

TEST_F(RzFrameController, ControllerGoneOrStoreGoneIsForgotten) {
  auto* fc = new TRzFrameController(nullptr);
  auto* store = new TRzRegIniFile(nullptr);
  fc->SetRegIniFile(store);
  EXPECT_EQ(fc->RegIniFile(), store);
  delete store;
  EXPECT_EQ(fc->RegIniFile(), nullptr);
  TFramedProbe probe(nullptr);
  probe.SetFrameController(fc);
  delete fc;
  EXPECT_EQ(probe.FrameController(), nullptr);
}

TEST_F(RzFrameController, FormResourceReadsOldNamesAndWritesOnlyNewOnes) {
  const std::string text =
      "object Form1: TForm\n"
      "  object fc: TRzFrameController\n"
      "    FrameFlat = True\n"
      "    FrameFocusStyle = fsButtonUp\n"
      "    FrameFlatStyle = fsGroove\n"
      "    FrameVisible = True\n"
      "    FrameColor = clMaroon\n"
      "  end\n"
      "  object probe: TFramedProbe\n"
      "    FrameController = fc\n"
      "  end\n"
      "  object old: TRzFrameController\n"
      "    FrameFlat = False\n"
      "    FrameFocusStyle = fsNoSuchStyle\n"
      "  end\n"
      "end\n";
  std::unique_ptr<TForm> form(testui::NewForm());
  ReadComponentFromText(text, form.get());
  auto* fc = dynamic_cast<TRzFrameController*>(form->FindComponent("fc"));
  auto* probe = dynamic_cast<TFramedProbe*>(form->FindComponent("probe"));
  auto* old = dynamic_cast<TRzFrameController*>(form->FindComponent("old"));
  ASSERT_TRUE(fc && probe && old);
  EXPECT_TRUE(fc->FrameHotTrack());
  EXPECT_EQ(fc->FrameStyle(), fsStatus);
  EXPECT_EQ(fc->FrameHotStyle(), fsButtonUp);  // read after FrameFlat
  EXPECT_EQ(fc->FrameColor(), clMaroon);
  EXPECT_FALSE(old->FrameHotTrack());
  EXPECT_EQ(old->FrameStyle(), fsFlat);
  EXPECT_EQ(old->FrameHotStyle(), fsFlatBold);  // an unknown style keeps the current one
  // The control was pushed at registration and again by the controller's Loaded.
  Integer fulls = 0;
  for (const std::string& s : probe->log) fulls += s == "FramingPreference";
  EXPECT_EQ(fulls, 2);
  EXPECT_EQ(probe->frameColor, clMaroon);
  EXPECT_EQ(probe->frameStyle, fsStatus);

  std::string written = WriteComponentToText(form.get());
  EXPECT_EQ(written.find("FrameFlat"), std::string::npos) << written;
  EXPECT_EQ(written.find("FrameFocusStyle"), std::string::npos);
  EXPECT_NE(written.find("FrameHotTrack = True"), std::string::npos) << written;
  EXPECT_NE(written.find("FrameHotStyle = fsButtonUp"), std::string::npos);
  EXPECT_NE(written.find("FrameStyle = fsStatus"), std::string::npos);
  EXPECT_NE(written.find("FrameController = fc"), std::string::npos);
  // Color is stored only while ParentColor is off.
  auto fcBlock = [&] {
    std::string all = WriteComponentToText(form.get());
    size_t at = all.find("object fc: TRzFrameController");
    return all.substr(at, all.find("end", at) - at);
  };
  fc->SetColor(clInfoBk);
  EXPECT_NE(fcBlock().find(" Color = clInfoBk"), std::string::npos);
  fc->SetParentColor(true);
  EXPECT_EQ(fcBlock().find(" Color = clInfoBk"), std::string::npos) << fcBlock();
}

// ---------------------------------------------------------------------------
namespace {

// A windowless control answering the blink query as told and logging phases.
class TBlinkProbe : public TGraphicControl {
 public:
  explicit TBlinkProbe(TComponent* AOwner) : TGraphicControl(AOwner) {}
  bool blinking = false;
  std::vector<Integer> phases;

 protected:
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == CM_BLINKQUERY) {
      Message.Result = blinking ? 1 : 0;
      return;
    }
    if (Message.Msg == CM_BLINKPHASE) {
      phases.push_back(static_cast<Integer>(Message.WParam));
      return;
    }
    TGraphicControl::Dispatch(Message);
  }
};

}  // namespace

TEST(RzBlinkList, PhasesAlternateAndReachOnlyBlinkingControls) {
  ASSERT_EQ(BlinkingControlsList(), nullptr);
  TRzBlinkingControlsList* list = NeedBlinkingControlsList();
  EXPECT_EQ(NeedBlinkingControlsList(), list);
  EXPECT_EQ(list->Phase(), 1);
  EXPECT_EQ(list->OffInterval(), 500);
  TBlinkProbe on(nullptr), off(nullptr);
  on.blinking = true;
  list->Enlist(&on);
  list->Enlist(&off);
  EXPECT_EQ(list->Size(), 2);

  list->BlinkTick(nullptr);
  EXPECT_EQ(list->Phase(), 0);
  EXPECT_EQ(list->Timer()->Interval(), 500u);
  list->SetOnInterval(30);
  list->SetOffInterval(20);
  list->BlinkTick(nullptr);
  EXPECT_EQ(list->Timer()->Interval(), 30u);  // the on phase lasts the on interval
  EXPECT_EQ(on.phases, (std::vector<Integer>{0, 1}));
  EXPECT_TRUE(off.phases.empty());

  // The timer drives the phases by itself.
  on.phases.clear();
  EXPECT_TRUE(testui::PumpUntil([&] { return on.phases.size() >= 3; }, 3000));
  EXPECT_EQ(on.phases[0], 0);
  EXPECT_EQ(on.phases[1], 1);
  EXPECT_EQ(on.phases[2], 0);

  list->Delist(&on);
  ReleaseBlinkListWhenEmpty();
  EXPECT_EQ(BlinkingControlsList(), list);
  list->Delist(&off);
  ReleaseBlinkListWhenEmpty();
  EXPECT_EQ(BlinkingControlsList(), nullptr);
}
