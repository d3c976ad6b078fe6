// Root types: rounding, bound-method events and exception classes.
#include <gtest/gtest.h>

#include "platform/System.h"

TEST(Rounding, HalvesGoToEvenAndTruncGoesTowardZero) {
  struct Case { Extended x; int64_t round, trunc; };
  const Case cases[] = {{0.5L, 0, 0},  {1.5L, 2, 1},   {2.5L, 2, 2},   {-0.5L, 0, 0},
                        {-1.5L, -2, -1}, {2.4999L, 2, 2}, {-2.7L, -3, -2}, {1e12L + 0.5L, 1000000000000, 1000000000000}};
  for (const Case& c : cases) {
    EXPECT_EQ(Round(c.x), c.round) << static_cast<double>(c.x);
    EXPECT_EQ(Trunc(c.x), c.trunc) << static_cast<double>(c.x);
  }
}

namespace {
struct Receiver : TObject {
  int hits = 0;
  TObject* last = nullptr;
  void OnA(TObject* s) { ++hits; last = s; }
  void OnB(TObject*) { hits += 10; }
};
}  // namespace

TEST(Events, BoundMethodsCallAndCompareLikeMethodPointers) {
  Receiver r1, r2;
  TNotifyEvent e;
  EXPECT_FALSE(e);
  e(nullptr);  // calling an empty event does nothing
  e = TNotifyEvent(&r1, &Receiver::OnA);
  ASSERT_TRUE(e);
  e(&r2);
  EXPECT_EQ(r1.hits, 1);
  EXPECT_EQ(r1.last, &r2);
  EXPECT_TRUE(e == TNotifyEvent(&r1, &Receiver::OnA));
  EXPECT_FALSE(e == TNotifyEvent(&r2, &Receiver::OnA));
  EXPECT_FALSE(e == TNotifyEvent(&r1, &Receiver::OnB));
  EXPECT_EQ(e.Data(), &r1);

  int calls = 0;
  TNotifyEvent lambda([&](TObject*) { ++calls; });
  TNotifyEvent copy = lambda;
  copy(nullptr);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(copy == lambda);
  EXPECT_FALSE(copy == e);
}

TEST(Events, ReferenceParametersReachTheHandler) {
  TEvent<TObject*, bool&> closeQuery([](TObject*, bool& canClose) { canClose = false; });
  bool canClose = true;
  closeQuery(nullptr, canClose);
  EXPECT_FALSE(canClose);
}

TEST(Exceptions, ClassNamesMessagesAndHierarchy) {
  try {
    throw EReadError("Stream read error");
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.Message(), "Stream read error");
    EXPECT_EQ(e.ClassName(), "EReadError");
  }
  TPersistent a, b;
  EXPECT_THROW(a.Assign(&b), EConvertError);
  try {
    a.Assign(&b);
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TPersistent to a TPersistent");
  }
}

TEST(Strings, Utf8SurvivesTheWideApi) {
  const std::string text = "Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC";
  EXPECT_EQ(WideToUtf8(Utf8ToWide(text)), text);
  EXPECT_EQ(Utf8ToWide(text).size(), 8u);
}
