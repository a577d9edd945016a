// The property sheet classes on a real sheet under Wine: the pages' objects get their notices,
// OK writes only the pages that were opened, and a page that refuses to be left keeps the
// sheet open. Each sheet is driven from inside by buttons its first page presses.
#include "ui/PropertySheet.h"

#include "tests/wine/ui/UiTestRes.h"

#include <gtest/gtest.h>

namespace bw::ui {
namespace {

class CTestPage final : public CPropertyPage {
public:
  using CPropertyPage::CPropertyPage;
  int PressAtInit = 0;    ///< PSBTN_* the page presses once it is made (0: none)
  int RefuseLeaving = 0;  ///< kill-active refusals left; each presses Cancel
  int RefuseApplying = 0; ///< apply refusals left; each presses Cancel
  int Inits = 0, KillActives = 0, Applies = 0, Resets = 0;

protected:
  bool OnInit() override {
    ++Inits;
    if (PressAtInit)
      Sheet().Post(PSM_PRESSBUTTON, static_cast<WPARAM>(PressAtInit));
    return true;
  }
  bool OnKillActive() override {
    ++KillActives;
    if (RefuseLeaving == 0)
      return true;
    --RefuseLeaving;
    Sheet().Post(PSM_PRESSBUTTON, PSBTN_CANCEL);
    return false;
  }
  bool OnApply() override {
    ++Applies;
    if (RefuseApplying == 0)
      return true;
    --RefuseApplying;
    Sheet().Post(PSM_PRESSBUTTON, PSBTN_CANCEL);
    return false;
  }
  void OnReset() override { ++Resets; }
};

INT_PTR RunSheet(CTestPage& first, CTestPage& second) {
  CPropertySheet sheet;
  sheet.AddPage(first);
  sheet.AddPage(second);
  return sheet.DoModal(::GetModuleHandleA(nullptr), nullptr, "Sheet test", PSH_NOAPPLYNOW);
}

TEST(PropertySheetTest, OkWritesOnlyThePagesThatWereOpened) {
  CTestPage first(IDD_UI_PAGE1), second(IDD_UI_PAGE2);
  first.PressAtInit = PSBTN_OK;
  EXPECT_GT(RunSheet(first, second), 0);
  EXPECT_EQ(first.Inits, 1);
  EXPECT_GE(first.KillActives, 1) << "its values are checked before OK goes through";
  EXPECT_EQ(first.Applies, 1);
  EXPECT_FALSE(second.WasShown());
  EXPECT_EQ(second.Applies, 0) << "a page never opened never writes";
  EXPECT_EQ(first.Handle(), nullptr) << "the page lets go of its window";
}

TEST(PropertySheetTest, APageThatRefusesToBeLeftKeepsTheSheetOpen) {
  CTestPage first(IDD_UI_PAGE1), second(IDD_UI_PAGE2);
  first.PressAtInit = PSBTN_OK;
  first.RefuseLeaving = 1;
  EXPECT_EQ(RunSheet(first, second), 0) << "ended by the Cancel pressed after the refusal";
  EXPECT_EQ(first.Applies, 0);
  EXPECT_EQ(first.Resets, 1);
}

TEST(PropertySheetTest, APageThatRefusesToApplyKeepsTheSheetOpen) {
  CTestPage first(IDD_UI_PAGE1), second(IDD_UI_PAGE2);
  first.PressAtInit = PSBTN_OK;
  first.RefuseApplying = 1;
  EXPECT_EQ(RunSheet(first, second), 0);
  EXPECT_EQ(first.Applies, 1);
}

} // namespace
} // namespace bw::ui
