// The small virtual operations descendants override: the content alignment,
// scaling to the screen's resolution, the mouse entering and leaving, and the
// text a label draws.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "platform/TypInfo.h"

namespace {

class TCentred : public TCustomControl {
 public:
  T_CLASSNAME(TCentred)
  using TCustomControl::TCustomControl;
  TAlignment GetControlsAlignment() override { return taCenter; }
};

// Records each scaling it is asked for, and scales as the base does.
class TScaleProbe : public TCustomControl {
 public:
  T_CLASSNAME(TScaleProbe)
  using TCustomControl::TCustomControl;
  std::string log;

 protected:
  void ChangeScale(Integer M, Integer D) override {
    log += std::to_string(M) + "/" + std::to_string(D) + " ";
    TCustomControl::ChangeScale(M, D);
  }
};

class TMouseProbe : public TGraphicControl {
 public:
  T_CLASSNAME(TMouseProbe)
  using TGraphicControl::TGraphicControl;
  std::string log;

 protected:
  void MouseEnter() override { log += "enter "; }
  void MouseLeave() override { log += "leave "; }
};

class TUpperLabel : public TLabel {
 public:
  T_CLASSNAME(TUpperLabel)
  using TLabel::TLabel;

 protected:
  std::string GetLabelText() override {
    std::string s = Caption();
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
  }
};

const bool overridesClassesRegistered = [] {
  RegisterClassInfo<TScaleProbe, TCustomControl>("TScaleProbe");
  return true;
}();

TEST(Overrides, DescendantsChangeWhatTheBaseDoes) {
  struct TCase {
    const char* Name;
    std::function<std::string()> Run;
    std::string Expected;
  };
  const TCase cases[] = {
      {"GetControlsAlignment",
       [] {
         TForm form(nullptr);
         TCentred centred(nullptr);
         TLabel label(nullptr);
         label.SetAlignment(taRightJustify);
         TMemo memo(nullptr);
         memo.SetAlignment(taCenter);
         TEdit edit(nullptr);
         std::string r;
         for (TControl* c : std::initializer_list<TControl*>{&centred, &label, &memo, &edit, &form})
           r += std::to_string(c->GetControlsAlignment());
         return r;
       },
       "21200"},
      {"ChangeScale",
       [] {
         // Designed at half this screen's resolution: everything doubles.
         Integer screen = Screen->PixelsPerInch();
         TForm form(nullptr);
         ReadComponentFromText("object F: TForm\n"
                               "  ClientHeight = 100\n"
                               "  ClientWidth = 150\n"
                               "  Font.Height = -11\n"
                               "  PixelsPerInch = " +
                                   std::to_string(screen / 2) +
                                   "\n"
                                   "  object P: TScaleProbe\n"
                                   "    Left = 10\n"
                                   "    Top = 20\n"
                                   "    Width = 30\n"
                                   "    Height = 40\n"
                                   "  end\n"
                                   "end\n",
                               &form);
         auto* p = static_cast<TScaleProbe*>(form.FindComponent("P"));
         TRect b = p->BoundsRect();
         return p->log + std::to_string(b.Left) + "," + std::to_string(b.Top) + "," + std::to_string(b.Width()) + "," +
                std::to_string(b.Height()) + " " + std::to_string(form.ClientWidth()) + "x" +
                std::to_string(form.ClientHeight()) + " " + std::to_string(form.Font()->Size()) + " " +
                std::to_string(form.PixelsPerInch() == screen);
       },
       std::to_string(Screen->PixelsPerInch()) + "/" + std::to_string(Screen->PixelsPerInch() / 2) +
           " 20,40,60,80 300x200 16 1"},
      {"MouseEnter/MouseLeave",
       [] {
         TMouseProbe a(nullptr), b(nullptr);
         TWinControl::SetMouseControl(&a);
         TWinControl::SetMouseControl(&b);
         TWinControl::SetMouseControl(nullptr);
         // A child's notice passed on to its parent is not the parent's own.
         a.Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(&b));
         return a.log + "| " + b.log;
       },
       "enter leave | enter leave "},
      {"GetLabelText",
       [] {
         TForm form(nullptr);
         TLabel lower(nullptr), upper(nullptr);
         TUpperLabel probe(nullptr);
         for (TLabel* l : {&lower, &upper, static_cast<TLabel*>(&probe)}) l->SetParent(&form);
         lower.SetCaption("mmm iii");
         upper.SetCaption("MMM III");
         probe.SetCaption("mmm iii");
         return std::to_string(probe.Width() == upper.Width()) + std::to_string(probe.Width() != lower.Width());
       },
       "11"},
  };
  for (const TCase& c : cases) EXPECT_EQ(c.Run(), c.Expected) << c.Name;
}

}  // namespace
