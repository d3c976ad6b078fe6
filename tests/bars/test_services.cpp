// Framework services: accelerator stripping, arrow sizes, width clamps,
// colour shading, registries and the mouse-leave fallback.
#include <gtest/gtest.h>

#include "bars/dxBar.h"
#include "tests/support/ui.h"

TEST(BarServicesText, StripAcceleratorsRemovesMarksButKeepsLiteralAndFinalAmpersand) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{"Save &As...", "Save As..."}, {"A&&B", "A&B"}, {"Tail&", "Tail&"}, {"&&&x", "&x"},
               {"", ""}, {"&", "&"}, {"No marks", "No marks"}};
  for (const Case& c : cases) EXPECT_EQ(StripAccelerators(c.in), c.out) << c.in;
}
