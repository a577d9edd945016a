// The pictures our build draws, loaded as the programs load them: the icons, the bitmaps at
// their sizes and depths, and both animations opened and played by the Animate control.
#include "tests/wine/ui/UiTestRes.h"
#include "ui/Controls.h"
#include "ui/Dialog.h"

#include <gtest/gtest.h>

namespace bw::ui {
namespace {

HINSTANCE Instance() {
  return ::GetModuleHandleA(nullptr);
}

void ExpectBitmap(int id, LONG width, LONG height, WORD bits) {
  SCOPED_TRACE(id);
  HANDLE picture =
      ::LoadImageA(Instance(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
  ASSERT_NE(picture, nullptr);
  DIBSECTION section = {};
  ASSERT_EQ(::GetObjectA(picture, sizeof(section), &section), static_cast<int>(sizeof(section)));
  EXPECT_EQ(section.dsBm.bmWidth, width);
  EXPECT_EQ(section.dsBm.bmHeight, height);
  EXPECT_EQ(section.dsBmih.biBitCount, bits);
  ::DeleteObject(picture);
}

TEST(ArtTest, IconsAndBitmapsLoad) {
  for (int size : {16, 32}) {
    HANDLE icon = ::LoadImageA(Instance(), MAKEINTRESOURCEA(139), IMAGE_ICON, size, size, 0);
    EXPECT_NE(icon, nullptr) << size;
    ::DestroyIcon(static_cast<HICON>(icon));
  }
  ExpectBitmap(130, 96, 16, 4); // six 16 x 16 menu pictures
  ExpectBitmap(232, 320, 160, 4);
  ExpectBitmap(234, 320, 160, 8);
}

class CAnimationDialog final : public CDialog {
protected:
  bool OnInit() override { return true; }
};

TEST(ArtTest, TheAnimationsPlayInTheAnimateControl) {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_ANIMATE_CLASS};
  ::InitCommonControlsEx(&controls);
  CAnimationDialog dialog;
  ASSERT_TRUE(dialog.Create(Instance(), IDD_UI_TEST));
  for (int id : {157, 169}) {
    SCOPED_TRACE(id);
    HWND window = ::CreateWindowExA(0, ANIMATE_CLASSA, "", WS_CHILD | WS_VISIBLE | ACS_TRANSPARENT,
                                    0, 0, 48, 48, dialog, nullptr, Instance(), nullptr);
    ASSERT_NE(window, nullptr);
    CAnimate animation(window);
    EXPECT_TRUE(animation.Open(Instance(), id));
    EXPECT_TRUE(animation.Play());
    EXPECT_TRUE(animation.Stop());
    EXPECT_FALSE(animation.Open(Instance(), 999)) << "a missing animation is refused";
    ::DestroyWindow(window);
  }
  dialog.Destroy();
}

} // namespace
} // namespace bw::ui
