// Property tables, enumeration names, identifier tables, handler tables and
// by-name property access.
#include <gtest/gtest.h>

#include "platform/Graphics.h"
#include "platform/TypInfo.h"

namespace {

enum TShade { shLight, shMedium, shDark };
enum TMark { mkA, mkB, mkC, mkD };
using TMarks = TEnumSet<TMark>;

class TSample : public TPersistent {
 public:
  T_CLASSNAME(TSample)
  Integer Count() const { return count_; }
  void SetCount(Integer v) { count_ = v; }
  Int64 Big() const { return big_; }
  void SetBig(Int64 v) { big_ = v; }
  TShade Shade() const { return shade_; }
  void SetShade(TShade v) { shade_ = v; }
  TMarks Marks() const { return marks_; }
  void SetMarks(TMarks v) { marks_ = v; }
  Word Flags() const { return flags_; }  // a set kept as a plain bit mask
  void SetFlags(Word v) { flags_ = v; }
  bool On() const { return on_; }
  void SetOn(bool v) { on_ = v; }
  Single Scale() const { return scale_; }
  void SetScale(Single v) { scale_ = v; }
  const std::string& Text() const { return text_; }
  void SetText(const std::string& v) { text_ = v; }
  TColor Color() const { return color_; }
  void SetColor(TColor v) { color_ = v; }
  TFont* Font() const { return font_.get(); }
  Integer ReadOnlyValue() const { return 7; }
  TNotifyEvent OnPing;
  TEvent<TObject*, Integer&> OnAdjust;

 private:
  Integer count_ = 0;
  Int64 big_ = 0;
  TShade shade_ = shMedium;
  TMarks marks_{mkA};
  Word flags_ = 0;
  bool on_ = true;
  Single scale_ = 1;
  std::string text_;
  TColor color_ = clWindow;
  std::unique_ptr<TFont> font_ = std::make_unique<TFont>();
};

class TSampleChild : public TSample {
 public:
  T_CLASSNAME(TSampleChild)
  Integer Extra() const { return extra_; }
  void SetExtra(Integer v) { extra_ = v; }

 private:
  Integer extra_ = 0;
};

// Not registered: found through its nearest registered ancestor.
class TSampleGrandChild : public TSampleChild {
 public:
  T_CLASSNAME(TSampleGrandChild)
};

class TOwnerForm : public TObject {
 public:
  T_CLASSNAME(TOwnerForm)
  std::vector<std::string> calls;
  void Ping(TObject*) { calls.push_back("Ping"); }
  void Other(TObject*) { calls.push_back("Other"); }
  void Adjust(TObject*, Integer& v) { v += 100; }
};

const bool typinfoClassesRegistered = [] {
  RegisterEnum<TShade>("TShade", {"shLight", "shMedium", "shDark"});
  RegisterEnum<TMark>("TMark", {"mkA", "mkB", "mkC", "mkD"});
  RegisterClassInfo<TSample, TPersistent>("TSample")
      .Int("Count", &TSample::Count, &TSample::SetCount, 0)
      .Int("Big", &TSample::Big, &TSample::SetBig)
      .Enum("Shade", &TSample::Shade, &TSample::SetShade, shMedium)
      .Set<TMark>("Marks", &TSample::Marks, &TSample::SetMarks, TMarks{mkA})
      .Set<TMark>("Flags", &TSample::Flags, &TSample::SetFlags, Word(0))
      .Bool("On", &TSample::On, &TSample::SetOn, true)
      .Float("Scale", &TSample::Scale, &TSample::SetScale, 1.0)
      .Str("Text", &TSample::Text, &TSample::SetText)
      .Color("Color", &TSample::Color, &TSample::SetColor, clWindow)
      .Object("Font", &TSample::Font)
      .Int("ReadOnlyValue", &TSample::ReadOnlyValue)
      .Event("OnPing", &TSample::OnPing)
      .Event("OnAdjust", &TSample::OnAdjust);
  RegisterClassInfo<TSampleChild, TSample>("TSampleChild")
      .Int("Extra", &TSampleChild::Extra, &TSampleChild::SetExtra, 0)
      // A descendant may change a default; the property keeps its place.
      .Int("Count", &TSample::Count, &TSample::SetCount, 5);
  RegisterHandlers<TOwnerForm>(
      {{"Ping", &TOwnerForm::Ping}, {"Other", &TOwnerForm::Other}, {"Adjust", &TOwnerForm::Adjust}});
  return true;
}();

}  // namespace

TEST(TypInfo, ClassLookupByNameAndByInstance) {
  EXPECT_EQ(FindClass("tsample"), ClassInfoOf<TSample>());
  EXPECT_EQ(GetClass("TNoSuch"), nullptr);
  EXPECT_THROW(FindClass("TNoSuch"), EClassNotFound);
  TSampleGrandChild g;
  EXPECT_EQ(GetClassInfo(&g), ClassInfoOf<TSampleChild>());
  EXPECT_TRUE(ClassInfoOf<TSampleChild>()->InheritsFrom(ClassInfoOf<TSample>()));
  EXPECT_EQ(ClassInfoOf<TSampleChild>()->Parent(), ClassInfoOf<TSample>());
  // Non-components have no factory.
  EXPECT_FALSE(ClassInfoOf<TSample>()->Factory);
  // Platform classes are entered on first use.
  ASSERT_NE(GetClass("TFont"), nullptr);
  TFont font;
  EXPECT_EQ(GetClassInfo(&font), GetClass("TFont"));

  std::vector<std::string> names;
  for (const TPropInfo* p : ClassInfoOf<TSampleChild>()->AllProps()) names.push_back(p->Name);
  EXPECT_EQ(names.front(), "Count");
  EXPECT_EQ(names.back(), "Extra");
  EXPECT_EQ(*ClassInfoOf<TSampleChild>()->FindProp("count")->OrdDefault, 5);
  EXPECT_EQ(*ClassInfoOf<TSample>()->FindProp("Count")->OrdDefault, 0);
}

TEST(TypInfo, ByNameAccessOfEveryKind) {
  TSampleChild s;
  SetOrdProp(&s, "Count", 12);
  SetOrdProp(&s, "Big", int64_t(1) << 40);
  SetEnumProp(&s, "shade", "shDark");
  SetOrdProp(&s, "Marks", (1 << mkB) | (1 << mkD));
  SetOrdProp(&s, "Flags", 0x5);
  SetEnumProp(&s, "On", "False");
  SetFloatProp(&s, "Scale", 2.5);
  SetStrProp(&s, "Text", "h\xC3\xA9");
  SetOrdProp(&s, "Extra", -3);
  EXPECT_EQ(s.Count(), 12);
  EXPECT_EQ(s.Big(), int64_t(1) << 40);
  EXPECT_EQ(s.Shade(), shDark);
  EXPECT_EQ(s.Marks(), (TMarks{mkB, mkD}));
  EXPECT_EQ(s.Flags(), 5);
  EXPECT_FALSE(s.On());
  EXPECT_EQ(s.Scale(), 2.5f);
  EXPECT_EQ(GetStrProp(&s, "Text"), "h\xC3\xA9");
  EXPECT_EQ(GetEnumProp(&s, "Shade"), "shDark");
  EXPECT_EQ(GetOrdProp(&s, "Extra"), -3);
  EXPECT_EQ(GetObjectProp(&s, "Font"), s.Font());
  SetOrdProp(GetObjectProp(&s, "Font"), "Style", 1 << fsItalic);
  EXPECT_EQ(s.Font()->Style(), TFontStyles{fsItalic});

  struct Bad {
    std::function<void()> call;
    const char* what;
  };
  const Bad bad[] = {
      {[&] { GetOrdProp(&s, "Missing"); }, "missing property"},
      {[&] { GetStrProp(&s, "Count"); }, "wrong kind"},
      {[&] { SetOrdProp(&s, "ReadOnlyValue", 1); }, "read-only"},
      {[&] { SetEnumProp(&s, "Shade", "shPurple"); }, "unknown name"},
      {[&] { SetObjectProp(&s, "Font", nullptr); }, "object without setter"},
  };
  for (const Bad& b : bad) EXPECT_THROW(b.call(), EPropertyError) << b.what;
  EXPECT_EQ(GetOrdProp(&s, "ReadOnlyValue"), 7);
}

TEST(TypInfo, EnumerationNamesAndColourIdentifiers) {
  EXPECT_EQ(GetEnumName(shLight), "shLight");
  EXPECT_EQ(GetEnumValue<TShade>("SHDARK"), shDark);
  EXPECT_THROW(GetEnumValue<TShade>("shNone"), EConvertError);
  EXPECT_EQ(GetEnumName(static_cast<TShade>(9)), "");

  const TIdentMapper* colors = FindIntegerConsts("TColor");
  ASSERT_NE(colors, nullptr);
  Int64 v = 0;
  EXPECT_TRUE(colors->ToInt("clBtnFace", v));
  EXPECT_EQ(v, clBtnFace);
  EXPECT_FALSE(colors->ToInt("clNoSuch", v));
  std::string name;
  EXPECT_TRUE(colors->ToIdent(clRed, name));
  EXPECT_EQ(name, "clRed");
  EXPECT_FALSE(colors->ToIdent(0x123456, name));
}

TEST(TypInfo, DefaultsDecideWhatIsStored) {
  TSample s;
  const TClassInfo* info = ClassInfoOf<TSample>();
  auto stored = [&](const char* n) { return info->FindProp(n)->IsStored(&s); };
  EXPECT_FALSE(stored("Count"));
  EXPECT_TRUE(stored("Big"));  // no default: always stored
  EXPECT_FALSE(stored("Shade"));
  EXPECT_FALSE(stored("Marks"));
  EXPECT_FALSE(stored("On"));
  EXPECT_FALSE(stored("Scale"));
  EXPECT_FALSE(stored("Text"));
  EXPECT_FALSE(stored("ReadOnlyValue"));  // read-only values are never stored
  EXPECT_FALSE(stored("OnPing"));
  s.SetCount(1);
  s.SetShade(shLight);
  s.SetMarks({});
  s.SetOn(false);
  s.SetScale(0.5f);
  s.SetText("x");
  EXPECT_TRUE(stored("Count"));
  EXPECT_TRUE(stored("Shade"));
  EXPECT_TRUE(stored("Marks"));
  EXPECT_TRUE(stored("On"));
  EXPECT_TRUE(stored("Scale"));
  EXPECT_TRUE(stored("Text"));
  // A lambda bound to an event is assigned but has no handler name.
  s.OnPing = [](TObject*) {};
  EXPECT_TRUE(stored("OnPing"));
  TOwnerForm root;
  EXPECT_EQ(GetMethodProp(&s, "OnPing", &root), "");
}

TEST(TypInfo, HandlersBindByNameAndCheckTheSignature) {
  TOwnerForm root;
  TSample s;
  SetMethodProp(&s, "OnPing", &root, "ping");
  s.OnPing(&s);
  EXPECT_EQ(root.calls, std::vector<std::string>{"Ping"});
  EXPECT_EQ(GetMethodProp(&s, "OnPing", &root), "Ping");
  SetMethodProp(&s, "OnPing", &root, "Other");
  EXPECT_EQ(GetMethodProp(&s, "OnPing", &root), "Other");
  // Bound to another instance of the same class: not this root's handler.
  TOwnerForm another;
  EXPECT_EQ(GetMethodProp(&s, "OnPing", &another), "");

  SetMethodProp(&s, "OnAdjust", &root, "Adjust");
  Integer v = 1;
  s.OnAdjust(&s, v);
  EXPECT_EQ(v, 101);

  EXPECT_THROW(SetMethodProp(&s, "OnPing", &root, "Adjust"), EPropertyError);   // other parameters
  EXPECT_THROW(SetMethodProp(&s, "OnPing", &root, "Missing"), EPropertyError);  // unknown
  TSample notAForm;
  EXPECT_THROW(SetMethodProp(&s, "OnPing", &notAForm, "Ping"), EPropertyError);  // root without the table
  SetMethodProp(&s, "OnPing", &root, "");
  EXPECT_FALSE(s.OnPing);
}
