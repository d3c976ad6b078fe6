// The look fixture itself: the manifest brings version 6 of the common
// controls, and each look turns the theme services' answer and the painting
// of a visual-style part the expected way.
#include <gtest/gtest.h>

#include "controls/RzThemeSrv.h"
#include "tests/controls/shots.h"
#include "tests/controls/theme_look.h"

namespace {

class ControlsThemeLook : public ThemeLookTest {};

TEST_P(ControlsThemeLook, ServicesFollowTheLook) {
  // The manifest redirects comctl32 to the side-by-side version 6 assembly.
  ACTCTX_SECTION_KEYED_DATA data{};
  data.cbSize = sizeof(data);
  EXPECT_TRUE(::FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll",
                                         &data));
  EXPECT_TRUE(::IsThemeActive());
  EXPECT_EQ(SharedThemeServices()->VisualStylesOn(), Themed());

  // The light style's parts paint (the handle of the button class opens).
  if (!Themed()) return;
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(40, 20);
  b.Canvas()->Brush()->SetColor(clRed);
  b.Canvas()->FillRect(Rect(0, 0, 40, 20));
  SharedThemeServices()->PaintElement(b.Canvas()->Handle(), TThemeServices::DetailsFor(tbPushButtonNormal),
                                      Rect(0, 0, 40, 20));
  EXPECT_NE(b.Canvas()->Pixels(20, 10), clRed);
}

INSTANTIATE_LOOKS(ControlsThemeLook);

}  // namespace
