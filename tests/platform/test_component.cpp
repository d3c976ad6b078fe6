// TComponent: ownership, names, state and notifications.
#include <gtest/gtest.h>

#include <map>

#include "platform/Classes.h"

namespace {
// Notifications as "receiver+subject;" or "receiver-subject;". A subject is
// named by its address: while it is constructed or destroyed only its
// TComponent part exists, so only its identity can be relied on.
std::string gLog;
std::map<const TComponent*, std::string> gNames;

std::string NameOf(const TComponent* c) {
  const auto it = gNames.find(c);
  return it == gNames.end() ? "?" : it->second;
}

// Registers the name before the TComponent part announces itself to the owner.
struct TNamed {
  TNamed(const void* self, const std::string& name) { gNames[static_cast<const TComponent*>(self)] = name; }
};

struct TProbe : TNamed, TComponent {
  TProbe(TComponent* owner, const std::string& name) : TNamed(static_cast<TComponent*>(this), name), TComponent(owner), label(name) {}
  ~TProbe() override { gLog += "~" + label + ";"; }
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    gLog += label + (op == opInsert ? "+" : "-") + NameOf(c) + ";";
    if (op == opRemove && c == watched) watched = nullptr;
  }
  void Loaded() override {
    TComponent::Loaded();
    gLog += "loaded " + label + ";";
  }
  void Watch(TComponent* c) {
    watched = c;
    c->FreeNotification(this);
  }
  std::string label;
  TComponent* watched = nullptr;
};
}  // namespace

TEST(Component, OwnerFreesItsComponentsLastFirstAndIsNotified) {
  gLog.clear();
  auto* form = new TProbe(nullptr, "form");
  auto* a = new TProbe(form, "a");
  auto* b = new TProbe(form, "b");
  auto* c = new TProbe(a, "c");
  EXPECT_EQ(gLog, "form+a;a+b;form+b;a+c;") << "the owner passes insertions on to its components";
  EXPECT_EQ(form->ComponentCount(), 2);
  EXPECT_EQ(form->Components(1), b);
  EXPECT_EQ(c->Owner(), a);
  EXPECT_EQ(b->ComponentIndex(), 1);
  b->SetComponentIndex(0);
  EXPECT_EQ(form->Components(0), b);
  EXPECT_THROW(form->Components(2), EListError);

  gLog.clear();
  delete b;
  EXPECT_EQ(gLog, "~b;c-b;a-b;form-b;") << "the owner passes the removal on to its components";
  EXPECT_EQ(form->ComponentCount(), 1);

  gLog.clear();
  delete form;
  EXPECT_EQ(gLog, "~form;~a;~c;");
}

TEST(Component, StateAndMovingBetweenOwners) {
  TComponent root(nullptr);
  auto* child = new TComponent(&root);
  auto* grandchild = new TComponent(child);
  EXPECT_TRUE(child->ComponentState().Empty());
  root.SetDesigning(true);
  EXPECT_TRUE(grandchild->ComponentState().Contains(csDesigning));
  root.SetDesigning(false);
  root.Destroying();
  EXPECT_TRUE(grandchild->ComponentState().Contains(csDestroying));

  TComponent other(nullptr);
  other.InsertComponent(grandchild);
  EXPECT_EQ(grandchild->Owner(), &other);
  EXPECT_EQ(child->ComponentCount(), 0);
  other.RemoveComponent(grandchild);
  EXPECT_EQ(grandchild->Owner(), nullptr);
  delete grandchild;
  child->SetTag(-1);
  EXPECT_EQ(child->Tag(), -1);
}

TEST(Component, NamesAreIdentifiersUniqueWithinTheOwner) {
  TComponent form(nullptr);
  auto* a = new TComponent(&form);
  auto* b = new TComponent(&form);
  a->SetName("btnOK");
  EXPECT_EQ(form.FindComponent("BTNOK"), a);
  EXPECT_EQ(form.FindComponent(""), nullptr);

  try {
    b->SetName("BtnOk");
    FAIL() << "duplicate accepted";
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), "A component named BtnOk already exists");
  }
  EXPECT_EQ(b->Name(), "");
  a->SetName("BTNOK");  // renaming itself with other case is allowed
  EXPECT_EQ(a->Name(), "BTNOK");

  for (const char* bad : {"1st", "has space", "dash-ed", "\xC3\xA4"}) {
    EXPECT_THROW(b->SetName(bad), EComponentError) << bad;
  }
  for (const char* good : {"_x", "Frame12", "a"}) {
    b->SetName(good);
    EXPECT_EQ(b->Name(), good);
  }
  b->SetName("");
  auto* c = new TComponent(nullptr);
  c->SetName("btnOK");
  EXPECT_THROW(form.InsertComponent(c), EComponentError) << "inserting a duplicate name";
  EXPECT_EQ(c->Owner(), nullptr);
  delete c;
}

TEST(Component, FreeNotificationReachesComponentsOfOtherOwners) {
  gLog.clear();
  auto* formA = new TProbe(nullptr, "A");
  auto* formB = new TProbe(nullptr, "B");
  auto* menu = new TProbe(formA, "menu");
  auto* user = new TProbe(formB, "user");
  auto* user2 = new TProbe(formB, "user2");
  user->Watch(menu);
  user2->Watch(menu);
  EXPECT_TRUE(menu->ComponentState().Contains(csFreeNotification));
  user2->RemoveFreeNotification(menu);
  gLog.clear();
  delete menu;
  EXPECT_EQ(user->watched, nullptr) << "the reference was cleared";
  EXPECT_EQ(user2->watched, menu) << "removed free notification is not sent";
  EXPECT_NE(gLog.find("user-menu;"), std::string::npos) << gLog;
  EXPECT_EQ(gLog.find("user2-menu"), std::string::npos) << gLog;

  // The watcher goes first: the watched component forgets it, nothing dangles.
  auto* menu2 = new TProbe(formA, "menu2");
  user->Watch(menu2);
  delete user;
  gLog.clear();
  delete menu2;
  EXPECT_EQ(gLog.find("user-"), std::string::npos) << gLog;
  delete formA;
  delete formB;
}

TEST(Component, LoadedClearsLoadingState) {
  gLog.clear();
  struct TReadable : TProbe {
    using TProbe::TProbe;
    void BeginRead() { IncludeState(csLoading); IncludeState(csReading); }
  } p(nullptr, "p");
  p.BeginRead();
  EXPECT_TRUE(p.ComponentState().Contains(csLoading));
  p.Loaded();
  EXPECT_FALSE(p.ComponentState().Contains(csLoading));
  EXPECT_EQ(gLog, "loaded p;");
}
