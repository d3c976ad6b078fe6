// Reading component trees from text forms and writing them back.
#include <gtest/gtest.h>

#include <fstream>
#include <limits>
#include <sstream>

#include "platform/Classes.h"
#include "platform/FormReader.h"
#include "platform/Graphics.h"
#include "platform/TypInfo.h"
#include "platform/Win.h"

namespace {

enum TTestKind { kdSmall, kdBig, kdHuge };
enum TTestOption { toFirst, toSecond, toThird };
using TTestOptions = TEnumSet<TTestOption>;

// What happened during a read, in order.
std::vector<std::string> gLog;

// A nested object with binary data kept through its own DefineProperties.
class TTestGlyph : public TPersistent {
 public:
  T_CLASSNAME(TTestGlyph)
  std::string Bytes;
  void DefineProperties(TFiler* Filer) override {
    Filer->DefineBinaryProperty(
        "Data",
        [this](TStream* s) {
          Bytes.resize(static_cast<size_t>(s->Size()));
          if (!Bytes.empty()) s->ReadBuffer(Bytes.data(), static_cast<Integer>(Bytes.size()));
        },
        [this](TStream* s) { s->WriteBuffer(Bytes.data(), static_cast<Integer>(Bytes.size())); }, !Bytes.empty());
  }
};

class TTestItem : public TCollectionItem {
 public:
  T_CLASSNAME(TTestItem)
  using TCollectionItem::TCollectionItem;
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v) { caption_ = v; }
  Integer Width() const { return width_; }
  void SetWidth(Integer v) { width_ = v; }

 private:
  std::string caption_;
  Integer width_ = 0;
};

class TTestComp : public TComponent {
 public:
  T_CLASSNAME(TTestComp)
  explicit TTestComp(TComponent* AOwner)
      : TComponent(AOwner), items_(std::make_unique<TCollection>(ItemClass())), lines_(std::make_unique<TStringList>()) {}
  ~TTestComp() override {
    if (parent_) parent_->kids_.erase(std::remove(parent_->kids_.begin(), parent_->kids_.end(), this), parent_->kids_.end());
    for (TTestComp* k : kids_) k->parent_ = nullptr;
  }

  Integer Left() const { return left_; }
  void SetLeft(Integer v) { left_ = v; }
  Integer Top() const { return top_; }
  void SetTop(Integer v) { top_ = v; }
  std::string Caption() const { return caption_; }
  void SetCaption(const std::string& v) {
    caption_ = v;
    gLog.push_back("Caption " + Name() + (ComponentState().Contains(csLoading) ? " loading" : "") +
                   (ComponentState().Contains(csReading) ? " reading" : ""));
  }
  TTestKind Kind() const { return kind_; }
  void SetKind(TTestKind v) { kind_ = v; }
  TTestOptions Options() const { return options_; }
  void SetOptions(TTestOptions v) { options_ = v; }
  double Ratio() const { return ratio_; }
  void SetRatio(double v) { ratio_ = v; }
  TColor Color() const { return color_; }
  void SetColor(TColor v) { color_ = v; }
  bool Active() const { return active_; }
  void SetActive(bool v) { active_ = v; }
  TFont* Font() const { return font_.get(); }
  TCollection* Items() const { return items_.get(); }
  TStrings* Lines() const { return lines_.get(); }
  TTestGlyph* Glyph() const { return glyph_.get(); }
  TTestComp* Buddy() const { return buddy_; }
  void SetBuddy(TTestComp* v) {
    if (buddy_) buddy_->RemoveFreeNotification(this);
    buddy_ = v;
    if (v) v->FreeNotification(this);
  }
  TTestComp* ParentComp() const { return parent_; }
  const std::vector<TTestComp*>& Kids() const { return kids_; }
  std::vector<Integer> Extra;

  TNotifyEvent OnClick;
  TEvent<TObject*, Integer&> OnChange;
  // How often the component's block was read, and the reader's parent then.
  Integer readCount = 0;
  std::string readParent;
  void ReadState(TReader* Reader) override {
    ++readCount;
    readParent = Reader->Parent() ? Reader->Parent()->Name() : "-";
    TComponent::ReadState(Reader);
  }

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override { return parent_; }
  void SetParentComponent(TComponent* Value) override {
    if (parent_) parent_->kids_.erase(std::remove(parent_->kids_.begin(), parent_->kids_.end(), this), parent_->kids_.end());
    parent_ = dynamic_cast<TTestComp*>(Value);
    if (parent_) parent_->kids_.push_back(this);
  }
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override {
    for (TTestComp* k : kids_)
      if (k->Owner() == Root) Proc(k);
  }

 protected:
  static TCollectionItemClass ItemClass();
  void Loaded() override {
    TComponent::Loaded();
    gLog.push_back("Loaded " + Name() + (ComponentState().Contains(csReading) ? " reading" : ""));
  }
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == buddy_) buddy_ = nullptr;
  }
  // "Extra" is a list of integers stored under a name that is no property.
  void DefineProperties(TFiler* Filer) override {
    TComponent::DefineProperties(Filer);
    Filer->DefineProperty(
        "Extra",
        [this](TReader* r) {
          Extra.clear();
          r->ReadListBegin();
          while (!r->EndOfList()) Extra.push_back(r->ReadInteger());
          r->ReadListEnd();
        },
        [this](TWriter* w) {
          w->WriteListBegin();
          for (Integer v : Extra) w->WriteInteger(v);
          w->WriteListEnd();
        },
        !Extra.empty());
  }

 private:
  Integer left_ = 0, top_ = 0;
  std::string caption_;
  TTestKind kind_ = kdSmall;
  TTestOptions options_;
  double ratio_ = 1.0;
  TColor color_ = clWindow;
  bool active_ = false;
  std::unique_ptr<TFont> font_ = std::make_unique<TFont>();
  std::unique_ptr<TCollection> items_;
  std::unique_ptr<TStringList> lines_;
  std::unique_ptr<TTestGlyph> glyph_ = std::make_unique<TTestGlyph>();
  TTestComp* buddy_ = nullptr;
  TTestComp* parent_ = nullptr;
  std::vector<TTestComp*> kids_;
};

class TTestForm : public TTestComp {
 public:
  T_CLASSNAME(TTestForm)
  using TTestComp::TTestComp;
  TTestComp* pnlTop = nullptr;
  TTestComp* btnOK = nullptr;
  TTestComp* lstNames = nullptr;
  std::vector<std::string> calls;
  void FormClick(TObject* Sender) { calls.push_back("FormClick " + static_cast<TComponent*>(Sender)->Name()); }
  void btnOKClick(TObject* Sender) { calls.push_back("btnOKClick " + static_cast<TComponent*>(Sender)->Name()); }
  void btnOKChange(TObject*, Integer& Value) { Value *= 2; }
};

// Forms whose designs come from resources, one inheriting the other's.
class TResBaseForm : public TTestForm {
 public:
  T_CLASSNAME(TResBaseForm)
  using TTestForm::TTestForm;
};
class TResChildForm : public TResBaseForm {
 public:
  T_CLASSNAME(TResChildForm)
  using TResBaseForm::TResBaseForm;
};

TCollectionItemClass TTestComp::ItemClass() { return CollectionItemClass<TTestItem>(); }

const bool formreaderClassesRegistered = [] {
  RegisterEnum<TTestKind>("TTestKind", {"kdSmall", "kdBig", "kdHuge"});
  RegisterEnum<TTestOption>("TTestOption", {"toFirst", "toSecond", "toThird"});
  RegisterClassInfo<TTestGlyph, TPersistent>("TTestGlyph");
  RegisterClassInfo<TTestItem, TCollectionItem>("TTestItem")
      .Str("Caption", &TTestItem::Caption, &TTestItem::SetCaption)
      .Int("Width", &TTestItem::Width, &TTestItem::SetWidth, 0);
  RegisterClassInfo<TTestComp, TComponent>("TTestComp")
      .Int("Left", &TTestComp::Left, &TTestComp::SetLeft, 0)
      .Int("Top", &TTestComp::Top, &TTestComp::SetTop, 0)
      .Str("Caption", &TTestComp::Caption, &TTestComp::SetCaption)
      .Enum("Kind", &TTestComp::Kind, &TTestComp::SetKind, kdSmall)
      .Set<TTestOption>("Options", &TTestComp::Options, &TTestComp::SetOptions, TTestOptions{})
      .Float("Ratio", &TTestComp::Ratio, &TTestComp::SetRatio, 1.0)
      .Color("Color", &TTestComp::Color, &TTestComp::SetColor, clWindow)
      .Bool("Active", &TTestComp::Active, &TTestComp::SetActive, false)
      .Object("Font", &TTestComp::Font)
      .Object("Items", &TTestComp::Items)
      .Object("Lines", &TTestComp::Lines)
      .Object("Glyph", &TTestComp::Glyph)
      .Ref("Buddy", &TTestComp::Buddy, &TTestComp::SetBuddy)
      .Event("OnClick", &TTestComp::OnClick)
      .Event("OnChange", &TTestComp::OnChange);
  RegisterClassInfo<TTestForm, TTestComp>("TTestForm");
  RegisterClassInfo<TResBaseForm, TTestForm>("TResBaseForm");
  RegisterClassInfo<TResChildForm, TResBaseForm>("TResChildForm");
  RegisterHandlers<TTestForm>({{"FormClick", &TTestForm::FormClick},
                               {"btnOKClick", &TTestForm::btnOKClick},
                               {"btnOKChange", &TTestForm::btnOKChange}});
  RegisterFields<TTestForm>({{"pnlTop", &TTestForm::pnlTop},
                             {"btnOK", &TTestForm::btnOK},
                             {"lstNames", &TTestForm::lstNames}});
  return true;
}();

// The example form next to this file.
#define EXAMPLE_DFM TEST_DATA_DIR "/../platform/example.dfm"

std::string ExampleText() {
  std::ifstream f(EXAMPLE_DFM, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

}  // namespace


class FormReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { gLog.clear(); }
};

TEST_F(FormReaderTest, ExampleFormBuildsTheTree) {
  TTestForm form(nullptr);
  ReadComponentFromText(ExampleText(), &form);

  EXPECT_EQ(form.Name(), "frmExample");
  EXPECT_EQ(form.Left(), 120);
  EXPECT_EQ(form.Caption(), "Example\r\nform");
  EXPECT_EQ(form.Kind(), kdBig);
  EXPECT_EQ(form.Options(), (TTestOptions{toFirst, toThird}));
  EXPECT_DOUBLE_EQ(form.Ratio(), 1.25);
  EXPECT_EQ(form.Color(), clBtnFace);
  EXPECT_EQ(form.Font()->Name(), "Tahoma");
  EXPECT_EQ(form.Font()->Style(), (TFontStyles{fsBold, fsItalic}));
  EXPECT_EQ(form.Extra, (std::vector<Integer>{0, 0, 49, 0}));

  // Children: owned by the root, nested by their blocks, bound to the fields.
  ASSERT_NE(form.pnlTop, nullptr);
  ASSERT_NE(form.btnOK, nullptr);
  ASSERT_NE(form.lstNames, nullptr);
  EXPECT_EQ(form.ComponentCount(), 3);
  EXPECT_EQ(form.btnOK->Owner(), &form);
  EXPECT_EQ(form.btnOK->ParentComp(), form.pnlTop);
  EXPECT_EQ(form.pnlTop->ParentComp(), &form);
  EXPECT_EQ(form.Kids(), (std::vector<TTestComp*>{form.pnlTop, form.lstNames}));

  EXPECT_EQ(form.pnlTop->Left(), -4);
  EXPECT_EQ(form.pnlTop->Top(), 16);
  EXPECT_EQ(form.pnlTop->Color(), static_cast<TColor>(0x00FF8000));
  EXPECT_EQ(form.pnlTop->Caption(),
            "It's a panel with a long caption that is split into two pieces because it is longer than sixty-four characters");
  // Collection items.
  ASSERT_EQ(form.pnlTop->Items()->Count(), 2);
  auto* first = static_cast<TTestItem*>(form.pnlTop->Items()->Items(0));
  EXPECT_EQ(first->Caption(), "First");
  EXPECT_EQ(first->Width(), 50);
  EXPECT_EQ(static_cast<TTestItem*>(form.pnlTop->Items()->Items(1))->Caption(), "Second");
  // References, also forward ones and to the root.
  EXPECT_EQ(form.pnlTop->Buddy(), form.btnOK);
  EXPECT_EQ(form.btnOK->Buddy(), &form);
  // Binary data and string lists.
  EXPECT_EQ(form.btnOK->Glyph()->Bytes, std::string("\x42\x4D\x0A\x00\x00\x00\xDE\xAD\xBE\xEF\x00\xFF", 12));
  ASSERT_EQ(form.lstNames->Lines()->Count(), 2);
  EXPECT_EQ(form.lstNames->Lines()->Strings(1), "beta\ttab");

  // Events bound to the root's handlers.
  form.OnClick(&form);
  form.btnOK->OnClick(form.btnOK);
  EXPECT_EQ(form.calls, (std::vector<std::string>{"FormClick frmExample", "btnOKClick btnOK"}));
  Integer v = 21;
  form.btnOK->OnChange(form.btnOK, v);
  EXPECT_EQ(v, 42);
  EXPECT_EQ(form.btnOK->OnClick, TNotifyEvent(&form, &TTestForm::btnOKClick));

  // ReadState ran once per block, with the enclosing component as the reader's parent.
  EXPECT_EQ(form.readCount, 1);
  EXPECT_EQ(form.readParent, "-");
  EXPECT_EQ(form.btnOK->readCount, 1);
  EXPECT_EQ(form.btnOK->readParent, "pnlTop");
  EXPECT_EQ(form.lstNames->readParent, "frmExample");
}

TEST_F(FormReaderTest, TruncatedOrCorruptTextFailsCleanly) {
  const std::string text = ExampleText();
  // Every truncation is an error naming a line; none crashes or half-builds the form.
  const size_t complete = text.find_last_not_of("\r\n ");  // the final 'd' of "end"
  for (size_t n = 0; n < complete; ++n) {
    TTestForm form(nullptr);
    EXPECT_THROW(ReadComponentFromText(text.substr(0, n), &form), EReadError) << n;
    EXPECT_EQ(form.ComponentCount(), 0) << n;
  }
  // Single characters replaced: either a valid form or a read error.
  const char junk[] = {'\'', '{', '(', '<', '[', '#', '$', '=', 'x', '\n', '-', '.'};
  int errors = 0;
  for (size_t i = 0; i < text.size(); i += 3) {
    std::string bad = text;
    bad[i] = junk[i % sizeof junk];
    TTestForm form(nullptr);
    try {
      ReadComponentFromText(bad, &form);
    } catch (const EReadError& e) {
      ++errors;
      EXPECT_EQ(std::string(e.what()).rfind("Line ", 0), 0u) << e.what();
      EXPECT_EQ(form.ComponentCount(), 0);
    }
  }
  EXPECT_GT(errors, 0);
}

TEST_F(FormReaderTest, LoadingStateIsVisibleToWritersAndLoadedRunsInCreationOrder) {
  TTestForm form(nullptr);
  ReadComponentFromText(ExampleText(), &form);
  std::vector<std::string> expected = {
      "Caption frmExample loading reading", "Caption pnlTop loading reading", "Caption btnOK loading reading",
      "Loaded frmExample", "Loaded pnlTop", "Loaded btnOK", "Loaded lstNames"};
  EXPECT_EQ(gLog, expected);
  for (TComponent* c : std::vector<TComponent*>{&form, form.pnlTop, form.btnOK, form.lstNames}) {
    EXPECT_FALSE(c->ComponentState().Contains(csLoading)) << c->Name();
    EXPECT_FALSE(c->ComponentState().Contains(csReading)) << c->Name();
  }
  // Outside a read the writer sees no loading state.
  gLog.clear();
  form.SetCaption("x");
  EXPECT_EQ(gLog, std::vector<std::string>{"Caption frmExample"});
}

TEST_F(FormReaderTest, WrittenFormReadsBackToTheSameText) {
  TTestForm form(nullptr);
  ReadComponentFromText(ExampleText(), &form);
  std::string once = WriteComponentToText(&form);

  TTestForm copy(nullptr);
  ReadComponentFromText(once, &copy);
  std::string twice = WriteComponentToText(&copy);
  EXPECT_EQ(once, twice);

  // The copy is a tree of its own with the same values and wiring.
  ASSERT_NE(copy.btnOK, nullptr);
  EXPECT_EQ(copy.pnlTop->Buddy(), copy.btnOK);
  EXPECT_EQ(copy.btnOK->Buddy(), &copy);
  EXPECT_EQ(copy.btnOK->Glyph()->Bytes, form.btnOK->Glyph()->Bytes);
  EXPECT_EQ(copy.btnOK->OnClick, TNotifyEvent(&copy, &TTestForm::btnOKClick));
  EXPECT_EQ(copy.Extra, form.Extra);
  EXPECT_EQ(copy.pnlTop->Caption(), form.pnlTop->Caption());

  // Stored are values that differ from the defaults, by name where they have one.
  EXPECT_NE(once.find("  Kind = kdBig\n"), std::string::npos) << once;
  EXPECT_NE(once.find("  Options = [toFirst, toThird]\n"), std::string::npos);
  EXPECT_NE(once.find("  Color = clBtnFace\n"), std::string::npos);
  EXPECT_NE(once.find("  Font.Style = [fsBold, fsItalic]\n"), std::string::npos);
  EXPECT_NE(once.find("  OnClick = FormClick\n"), std::string::npos);
  EXPECT_NE(once.find("    Buddy = btnOK\n"), std::string::npos);
  EXPECT_NE(once.find("  Extra = (\n    0\n    0\n    49\n    0)\n"), std::string::npos);
  EXPECT_NE(once.find("      Glyph.Data = {\n        424D0A000000DEADBEEF00FF}\n"), std::string::npos);
  EXPECT_EQ(once.find("Active"), std::string::npos);
  EXPECT_EQ(once.find("Ratio = 1.0"), std::string::npos);
  EXPECT_EQ(once.rfind("object frmExample: TTestForm\n", 0), 0u);
}

TEST_F(FormReaderTest, DefinePropertiesWorksBothWays) {
  TTestForm form(nullptr);
  form.SetName("F");
  auto* c = new TTestComp(&form);
  c->SetName("C");
  c->SetParentComponent(&form);
  c->Extra = {7, -1};
  std::string text = WriteComponentToText(&form);
  EXPECT_NE(text.find("    Extra = (\n      7\n      -1)\n"), std::string::npos) << text;

  TTestForm back(nullptr);
  ReadComponentFromText(text, &back);
  auto* c2 = dynamic_cast<TTestComp*>(back.FindComponent("C"));
  ASSERT_NE(c2, nullptr);
  EXPECT_EQ(c2->Extra, (std::vector<Integer>{7, -1}));
  // Nothing is written when there is no data.
  c->Extra.clear();
  EXPECT_EQ(WriteComponentToText(&form).find("Extra"), std::string::npos);
}

namespace {

// Stores one value of every kind under a name that is not a property.
class TMixedComp : public TComponent {
 public:
  T_CLASSNAME(TMixedComp)
  using TComponent::TComponent;
  bool flag = false;
  std::string text, ident;
  Extended number = 0;
  Int64 big = 0;
  std::vector<std::string> set;
  std::vector<std::vector<Integer>> nested;
  void DefineProperties(TFiler* Filer) override {
    Filer->DefineProperty(
        "Mixed",
        [this](TReader* r) {
          r->ReadListBegin();
          flag = r->ReadBoolean();
          text = r->ReadString();
          number = r->ReadFloat();
          big = r->ReadInt64();
          ident = r->ReadIdent();
          set = r->ReadSet();
          EXPECT_EQ(r->NextValue(), vaList);
          nested.clear();
          r->ReadListBegin();
          while (!r->EndOfList()) {
            nested.emplace_back();
            r->ReadListBegin();
            while (!r->EndOfList()) nested.back().push_back(r->ReadInteger());
            r->ReadListEnd();
          }
          r->ReadListEnd();
          r->SkipValue();  // an obsolete trailing value
          r->ReadListEnd();
        },
        [this](TWriter* w) {
          w->WriteListBegin();
          w->WriteBoolean(flag);
          w->WriteString(text);
          w->WriteFloat(number);
          w->WriteInteger(big);
          w->WriteIdent(ident);
          w->WriteSet(set);
          w->WriteListBegin();
          for (const auto& row : nested) {
            w->WriteListBegin();
            for (Integer v : row) w->WriteInteger(v);
            w->WriteListEnd();
          }
          w->WriteListEnd();
          w->WriteIdent("Obsolete");
          w->WriteListEnd();
        },
        true);
  }
};

const bool mixedRegistered = [] {
  RegisterClassInfo<TMixedComp, TComponent>("TMixedComp");
  return true;
}();

}  // namespace

TEST_F(FormReaderTest, DefinedValuesOfEveryKindRoundTrip) {
  TMixedComp a(nullptr);
  a.SetName("M");
  a.flag = true;
  a.text = "two\r\nlines";
  a.number = -0.375L;
  a.big = int64_t(1) << 40;
  a.ident = "bmsFlat";
  a.set = {"akLeft", "akBottom"};
  a.nested = {{1, 2}, {}, {-3}};
  std::string text = WriteComponentToText(&a);
  TMixedComp b(nullptr);
  ReadComponentFromText(text, &b);
  EXPECT_TRUE(b.flag);
  EXPECT_EQ(b.text, a.text);
  EXPECT_EQ(b.number, a.number);
  EXPECT_EQ(b.big, a.big);
  EXPECT_EQ(b.ident, "bmsFlat");
  EXPECT_EQ(b.set, a.set);
  EXPECT_EQ(b.nested, a.nested);
  EXPECT_EQ(WriteComponentToText(&b), text);

  // A value of the wrong kind, or one left unread, is an error.
  TMixedComp c(nullptr);
  std::string wrongKind = text;
  wrongKind.replace(wrongKind.find("True"), 4, "7");
  EXPECT_THROW(ReadComponentFromText(wrongKind, &c), EReadError);
  std::string extra = text;
  extra.replace(extra.find("Obsolete"), 8, "Obsolete 1");
  try {
    ReadComponentFromText(extra, &c);
    ADD_FAILURE() << "no error";
  } catch (const EReadError& e) {
    EXPECT_NE(std::string(e.what()).find("End of list expected"), std::string::npos) << e.what();
  }
  // Numbers that have no text form are refused when writing.
  a.number = std::numeric_limits<Extended>::infinity();
  EXPECT_THROW(WriteComponentToText(&a), EWriteError);
}

TEST_F(FormReaderTest, BadInputRaisesReadErrorsNamingTheLine) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"object F: TTestForm\n  Caption = 'open\nend\n", "Line 2: Unterminated string"},
      {"object F: TTestForm\n  object A: TTestComp\n  end\n", "Line 4: 'end' expected"},
      {"object F: TTestForm\n  object A: TNoSuchClass\n  end\nend\n", "Line 2: Class TNoSuchClass not found"},
      {"object F: TTestForm\n  Left = 1\n  Bogus = 3\nend\n", "Line 3: Error reading F.Bogus: property Bogus does not exist"},
      {"object F: TTestForm\n  object A: TTestComp\n    OnClick = NoSuchHandler\n  end\nend\n",
       "Line 3: Error reading A.OnClick: handler NoSuchHandler not found in TTestForm"},
      {"object F: TTestForm\n  OnClick = btnOKChange\nend\n", "Line 2: Error reading F.OnClick: handler btnOKChange does not fit"},
      {"object F: TTestForm\n  Kind = kdTiny\nend\n", "Line 2: Error reading F.Kind: invalid property value"},
      {"object F: TTestForm\n  Options = [toFirst, toFourth]\nend\n", "Line 2: Error reading F.Options: toFourth is not a TTestOption value"},
      {"object F: TTestForm\n  Left = 'text'\nend\n", "Line 2: Error reading F.Left: invalid property value"},
      {"object F: TTestForm\n  Color = clNoSuchColour\nend\n", "Line 2: Error reading F.Color: invalid property value"},
      {"object F: TTestForm\n  Font.Bogus = 1\nend\n", "Line 2: Error reading F.Font.Bogus: property Bogus does not exist"},
      {"object F: TTestForm\n  Items = <\n    item\n      Width = x\n    end>\nend\n", "Line 4: "},
      {"object F: TTestForm\n  Extra = (1 'two')\nend\n", "Line 2: Integer expected but string found"},
      {"object F: TTestForm\n  Extra = 5\nend\n", "Line 2: List expected but integer found"},
      {"object F: TTestForm\n  Glyph.Data = 'x'\nend\n", "Line 2: Error reading F.Glyph.Data: Binary data expected"},
      {"object F: TTestForm\n  object A: TTestComp\n  end\n  object A: TTestComp\n  end\nend\n", "Line 4: Error reading A: "},
  };
  for (const Case& c : cases) {
    TTestForm form(nullptr);
    try {
      ReadComponentFromText(c.text, &form);
      ADD_FAILURE() << "no error for:\n" << c.text;
    } catch (const EReadError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what() << "\nfor:\n" << c.text;
    }
    // A failed read leaves no half-built children and no loading state behind.
    EXPECT_EQ(form.ComponentCount(), 0) << c.text;
    EXPECT_FALSE(form.ComponentState().Contains(csLoading)) << c.text;
    EXPECT_TRUE(form.Kids().empty()) << c.text;
  }
}

TEST_F(FormReaderTest, ReferencesOutsideTheFormAndToFreedComponents) {
  // A reference to a form that does not exist stays unset; one that a global
  // finder knows resolves through it.
  TTestForm other(nullptr);
  other.SetName("OtherForm");
  auto* target = new TTestComp(&other);
  target->SetName("Target");
  static TTestForm* known = nullptr;
  known = &other;
  RegisterFindGlobalComponent([](const std::string& name) -> TComponent* {
    return known && name == known->Name() ? known : nullptr;
  });
  TTestForm form(nullptr);
  ReadComponentFromText(
      "object F: TTestForm\n  object A: TTestComp\n    Buddy = OtherForm.Target\n  end\n"
      "  object B: TTestComp\n    Buddy = Missing.Target\n  end\nend\n",
      &form);
  auto* a = dynamic_cast<TTestComp*>(form.FindComponent("A"));
  auto* b = dynamic_cast<TTestComp*>(form.FindComponent("B"));
  EXPECT_EQ(a->Buddy(), target);
  EXPECT_EQ(b->Buddy(), nullptr);
  EXPECT_NE(WriteComponentToText(&form).find("Buddy = OtherForm.Target"), std::string::npos);
  known = nullptr;
  delete target;
  EXPECT_EQ(a->Buddy(), nullptr);
}

TEST_F(FormReaderTest, NewRootByClassAndByNameAccess) {
  std::unique_ptr<TComponent> c(CreateComponentFromText(
      "object Solo: TTestComp\n  Left = 5\n  Kind = kdHuge\n  Caption = 'c'\nend\n", nullptr));
  ASSERT_NE(dynamic_cast<TTestComp*>(c.get()), nullptr);
  EXPECT_EQ(c->Name(), "Solo");
  EXPECT_EQ(GetOrdProp(c.get(), "left"), 5);
  EXPECT_EQ(GetEnumProp(c.get(), "Kind"), "kdHuge");
  SetEnumProp(c.get(), "Kind", "kdBig");
  EXPECT_EQ(static_cast<TTestComp*>(c.get())->Kind(), kdBig);
  SetStrProp(c.get(), "Caption", "changed");
  EXPECT_EQ(GetStrProp(c.get(), "Caption"), "changed");
  SetFloatProp(c.get(), "Ratio", 0.5);
  EXPECT_DOUBLE_EQ(static_cast<double>(GetFloatProp(c.get(), "Ratio")), 0.5);
  EXPECT_EQ(GetObjectProp(c.get(), "Font"), static_cast<TTestComp*>(c.get())->Font());
  EXPECT_THROW(GetOrdProp(c.get(), "Nope"), EPropertyError);
  EXPECT_THROW(GetStrProp(c.get(), "Left"), EPropertyError);
  EXPECT_THROW(SetEnumProp(c.get(), "Kind", "kdNone"), EPropertyError);
  // An unregistered subclass uses its nearest registered ancestor's table.
  struct TSub : TTestComp {
    using TTestComp::TTestComp;
  } sub(nullptr);
  EXPECT_EQ(GetClassInfo(&sub), ClassInfoOf<TTestComp>());
  EXPECT_NE(GetPropInfo(&sub, "Buddy"), nullptr);
  EXPECT_THROW(FindClass("TNoSuchClass"), EClassNotFound);
  // Handlers by name.
  TTestForm form(nullptr);
  SetMethodProp(&form, "OnClick", &form, "FormClick");
  EXPECT_EQ(GetMethodProp(&form, "OnClick", &form), "FormClick");
  EXPECT_THROW(SetMethodProp(&form, "OnClick", &form, "btnOKChange"), EPropertyError);
  SetMethodProp(&form, "OnClick", &form, "");
  EXPECT_FALSE(form.OnClick);
}

TEST_F(FormReaderTest, SecondInstanceOfAFormGetsAUniqueName) {
  TComponent app(nullptr);
  auto* first = new TTestForm(&app);
  auto* second = new TTestForm(&app);
  const char* text = "object frmOne: TTestForm\n  object A: TTestComp\n  end\nend\n";
  ReadComponentFromText(text, first);
  ReadComponentFromText(text, second);
  EXPECT_EQ(first->Name(), "frmOne");
  EXPECT_EQ(second->Name(), "frmOne_1");
  // The children's names are unique per form, so both keep theirs.
  EXPECT_NE(second->FindComponent("A"), nullptr);
}

TEST_F(FormReaderTest, UnregisteredClassesAreNotCreated) {
  UnRegisterClass("TTestComp");
  TTestForm form(nullptr);
  EXPECT_THROW(ReadComponentFromText("object F: TTestForm\n  object A: TTestComp\n  end\nend\n", &form), EReadError);
  RegisterClass("TTestComp");
  ReadComponentFromText("object F: TTestForm\n  object A: TTestComp\n  end\nend\n", &form);
  EXPECT_NE(form.FindComponent("A"), nullptr);
}

namespace {

// A copy of this test program with RCDATA resources added, loaded as data.
class TResourceModule {
 public:
  explicit TResourceModule(const std::vector<std::pair<std::wstring, std::string>>& resources) {
    wchar_t exe[MAX_PATH], dir[MAX_PATH];
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    ::GetTempPathW(MAX_PATH, dir);
    path_ = std::wstring(dir) + L"formreader_res_" + std::to_wstring(::GetCurrentProcessId()) + L".exe";
    EXPECT_TRUE(::CopyFileW(exe, path_.c_str(), FALSE));
    HANDLE h = ::BeginUpdateResourceW(path_.c_str(), FALSE);
    EXPECT_NE(h, nullptr);
    for (const auto& [name, text] : resources)
      EXPECT_TRUE(::UpdateResourceW(h, MAKEINTRESOURCEW(10), name.c_str(), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                    const_cast<char*>(text.data()), static_cast<DWORD>(text.size())));
    EXPECT_TRUE(::EndUpdateResourceW(h, FALSE));
    module_ = ::LoadLibraryExW(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_NE(module_, nullptr);
  }
  ~TResourceModule() {
    if (module_) ::FreeLibrary(module_);
    ::DeleteFileW(path_.c_str());
  }
  HINSTANCE Module() const { return module_; }

 private:
  std::wstring path_;
  HMODULE module_ = nullptr;
};

}  // namespace

TEST_F(FormReaderTest, FormsReadTheirResourcesAncestorFirst) {
  TResourceModule res({
      {L"TRESBASEFORM",
       "object ResBase: TResBaseForm\n  Caption = 'base'\n  Left = 3\n"
       "  object A: TTestComp\n    Left = 1\n  end\nend\n"},
      {L"TRESCHILDFORM",
       "inherited ResChild: TResChildForm\n  Left = 9\n"
       "  inherited A: TTestComp\n    Top = 2\n  end\n"
       "  object B: TTestComp\n    Buddy = A\n  end\nend\n"},
  });
  ASSERT_NE(res.Module(), nullptr);

  TResChildForm child(nullptr);
  ASSERT_TRUE(InitInheritedComponent(&child, res.Module()));
  EXPECT_EQ(child.Name(), "ResChild");
  EXPECT_EQ(child.Caption(), "base");
  EXPECT_EQ(child.Left(), 9);
  auto* a = dynamic_cast<TTestComp*>(child.FindComponent("A"));
  auto* b = dynamic_cast<TTestComp*>(child.FindComponent("B"));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(a->Left(), 1);
  EXPECT_EQ(a->Top(), 2);
  EXPECT_EQ(b->Buddy(), a);
  EXPECT_EQ(child.ComponentCount(), 2);

  TResBaseForm base(nullptr);
  ASSERT_TRUE(InitInheritedComponent(&base, res.Module()));
  EXPECT_EQ(base.Name(), "ResBase");
  EXPECT_EQ(base.ComponentCount(), 1);

  // By resource name (any case), and no resource at all.
  TTestForm plain(nullptr);
  EXPECT_TRUE(ReadComponentRes("tResBaseForm", &plain, res.Module()));
  EXPECT_EQ(plain.Caption(), "base");
  TTestForm none(nullptr);
  EXPECT_FALSE(InitInheritedComponent(&none, res.Module()));
  std::string text;
  EXPECT_FALSE(FindFormResourceText("TNOSUCHFORM", text, res.Module()));
}
