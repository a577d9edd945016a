// The window framework on real Win32 windows, under Wine: dialogs from resources keep their
// object, the control wrappers reach their controls, and the pump step routes Enter to a
// running job before anything else sees it.
#include "engine/JobControl.h"
#include "tests/wine/ui/UiTestRes.h"
#include "ui/Controls.h"
#include "ui/Dialog.h"
#include "ui/MessagePump.h"

#include <gtest/gtest.h>
#include <vector>

namespace bw::ui {
namespace {

class CTestDialog final : public CDialog {
public:
  std::vector<int> Commands;
  int Inits = 0, Oks = 0, Cancels = 0;
  bool OkAtOnce = false;

protected:
  bool OnInit() override {
    ++Inits;
    if (OkAtOnce)
      Post(WM_COMMAND, IDOK);
    return true;
  }
  bool OnCommand(int notifyCode, int id, HWND control) override {
    if (notifyCode == BN_CLICKED)
      Commands.push_back(id);
    return CDialog::OnCommand(notifyCode, id, control);
  }
  void OnOK() override {
    ++Oks;
    CDialog::OnOK();
  }
  void OnCancel() override {
    ++Cancels;
    CDialog::OnCancel();
  }
};

class CFakeJob final : public IJobControl {
public:
  bool Running = true;
  int Cancels = 0, Closes = 0;
  void OnCancel() override { ++Cancels; }
  void OnClose() override { ++Closes; }
  bool IsRunning() const override { return Running; }
};

class UiFrameworkTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS |
                                                           ICC_LISTVIEW_CLASSES |
                                                           ICC_ANIMATE_CLASS};
    ::InitCommonControlsEx(&controls);
  }
  void SetUp() override {
    ASSERT_TRUE(dialog.Create(::GetModuleHandleA(nullptr), IDD_UI_TEST));
    ASSERT_TRUE(dialog.IsValid());
  }
  void TearDown() override {
    if (dialog.IsValid())
      dialog.Destroy();
  }
  void Drain() {
    while (PumpOneMessage(nullptr)) {
      MSG peek;
      if (!::PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE))
        break;
    }
  }

  CTestDialog dialog;
};

TEST_F(UiFrameworkTest, TheDialogKeepsItsObjectAndGetsItsCommands) {
  EXPECT_EQ(dialog.Inits, 1);
  EXPECT_FALSE(dialog.IsModal());
  CButton(dialog.Item(IDC_UI_BUTTON)).Click();
  CButton(dialog.Item(IDC_UI_CHECK)).Click();
  EXPECT_EQ(dialog.Commands, (std::vector<int>{IDC_UI_BUTTON, IDC_UI_CHECK}));
  EXPECT_TRUE(CCheckBox(dialog.Item(IDC_UI_CHECK)).IsChecked()) << "an auto check box toggles";

  CButton(dialog.Item(IDCANCEL)).Click();
  EXPECT_EQ(dialog.Cancels, 1);
  EXPECT_FALSE(dialog.IsValid()) << "a modeless dialog is destroyed by End";
  EXPECT_EQ(dialog.Handle(), nullptr) << "the object lets go of its window";
}

TEST_F(UiFrameworkTest, ControlWrappersReachTheirControls) {
  CWindow text = dialog.Item(IDC_UI_TEXT);
  EXPECT_EQ(text.Text(), "Before");
  EXPECT_TRUE(text.SetText("After"));
  EXPECT_EQ(text.Text(), "After");
  EXPECT_EQ(text.ControlId(), IDC_UI_TEXT);

  CListBox list(dialog.Item(IDC_UI_LIST));
  EXPECT_EQ(list.AddString("(C:)"), 0);
  EXPECT_EQ(list.AddString("(D:)"), 1);
  list.SetItemData(1, 'D');
  list.Select(1);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Selection(), 1);
  EXPECT_EQ(list.ItemData(1), 'D');
  EXPECT_EQ(list.ItemText(0), "(C:)");
  list.Reset();
  EXPECT_EQ(list.Count(), 0);

  CComboBox combo(dialog.Item(IDC_UI_COMBO));
  combo.AddString("AM");
  combo.AddString("PM");
  combo.Select(1);
  EXPECT_EQ(combo.Count(), 2);
  EXPECT_EQ(combo.Selection(), 1);

  CProgressBar bar(dialog.Item(IDC_UI_PROGRESS));
  bar.SetRange(0, 400);
  bar.SetPos(250);
  EXPECT_EQ(bar.Pos(), 250);
  bar.SetStep(10);
  bar.Step();
  EXPECT_EQ(bar.Pos(), 260);

  CUpDown spin(dialog.Item(IDC_UI_SPIN));
  spin.SetRange(1, 12);
  spin.SetPos(7);
  EXPECT_EQ(spin.Pos(), 7);
  EXPECT_EQ(dialog.Item(IDC_UI_EDIT).Text(), "7") << "the buddy edit shows the position";

  CListView view(dialog.Item(IDC_UI_LISTVIEW));
  EXPECT_EQ(view.InsertColumn(0, "Cluster", 60), 0);
  EXPECT_EQ(view.InsertColumn(1, "Data", 60), 1);
  EXPECT_EQ(view.InsertItem(0, "1234"), 0);
  EXPECT_TRUE(view.SetItemText(0, 1, "secret"));
  EXPECT_EQ(view.Count(), 1);
  EXPECT_EQ(view.ItemText(0, 0), "1234");
  EXPECT_EQ(view.ItemText(0, 1), "secret");
}

TEST_F(UiFrameworkTest, EnterGoesToTheRunningJobFirst) {
  Drain();
  CFakeJob job;
  dialog.Post(WM_CHAR, VK_RETURN);
  EXPECT_TRUE(PumpOneMessage(&job));
  EXPECT_EQ(job.Cancels, 1) << "Enter is Cancel while the job runs";
  EXPECT_EQ(dialog.Oks, 0);

  // Once the job has ended, Enter is the dialog's own again; other keys never reach the job.
  job.Running = false;
  dialog.Post(WM_CHAR, VK_RETURN);
  dialog.Post(WM_CHAR, 'x');
  EXPECT_TRUE(PumpOneMessage(&job));
  EXPECT_TRUE(PumpOneMessage(&job));
  EXPECT_EQ(job.Cancels, 1);
  EXPECT_TRUE(PumpOneMessage(&job)) << "an empty queue is no quit";

  ::PostQuitMessage(3);
  EXPECT_FALSE(PumpOneMessage(&job)) << "WM_QUIT ends the pumping";
  MSG quit;
  ASSERT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
      << "and is left for the outer loop";
  EXPECT_EQ(quit.wParam, 3u);
}

TEST(UiModalTest, DoModalReturnsTheEndResult) {
  CTestDialog dialog;
  dialog.OkAtOnce = true;
  EXPECT_EQ(dialog.DoModal(::GetModuleHandleA(nullptr), IDD_UI_TEST), IDOK);
  EXPECT_TRUE(dialog.IsModal());
  EXPECT_EQ(dialog.Inits, 1);
  EXPECT_EQ(dialog.Oks, 1);
  EXPECT_EQ(CDialog().DoModal(::GetModuleHandleA(nullptr), 999), -1) << "no such template";
}

} // namespace
} // namespace bw::ui
