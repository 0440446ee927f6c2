// The host's rollouts on Windows are the system's windows: a dialog made from the plug-in's
// template 101, its controls as the template lays them out, the host's custom controls, changes the
// host makes kept from the dialog while user input reaches it, and interfaces that outlive their
// windows harmlessly. Needs a display (under Wine: xvfb-run).
#include <gtest/gtest.h>

#include <vector>

#include "../../plugin/resource.h"
#include "custcont.h"
#include "resource_script.h"
#include "support/plugin_fixture.h"
#include "user_input.h"
#include "window_host_win32.h"
#include "windows/window_display.h"

using namespace testing_support;

namespace {

struct Message {
  UINT msg;
  int id;
  unsigned code;
};

class RolloutWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_WINDOWS();
    open = OpenDialogCount();
    std::wstring why;
    dialog = CreateRolloutDialog(Plugin().Instance(), IDD_PANEL, L"Rollout", why);
    ASSERT_NE(dialog, nullptr) << MSTR(why).ToUTF8();
    SetDialogHandler(dialog, [this](HWND, UINT msg, WPARAM wParam, LPARAM) {
      if (msg == WM_COMMAND || msg == CC_SPINNER_CHANGE) messages.push_back({msg, LOWORD(wParam), HIWORD(wParam)});
      return INT_PTR(0);
    });
  }
  void TearDown() override { DestroyRolloutDialog(dialog); }

  WindowState stateOf(int id) { return DescribeWindow(GetDlgItem(dialog, id)).value_or(WindowState{}); }

  HWND dialog = nullptr;
  int open = 0;
  std::vector<Message> messages;
};

TEST_F(RolloutWindows, ControlsFollowTheTemplateInOrder) {
  const ResourceSet script = parseResourceScript(std::string(VELOMORPH_SOURCE_DIR) + "/plugin/ambiflex.rc");
  const DialogTemplate& panel = script.dialogs.at(0);
  ASSERT_EQ(panel.id, IDD_PANEL);
  std::vector<HWND> controls = DialogControls(dialog);
  ASSERT_EQ(controls.size(), panel.controls.size());
  for (size_t i = 0; i < controls.size(); ++i) {
    std::optional<WindowState> s = DescribeWindow(controls[i]);
    ASSERT_TRUE(s.has_value()) << i;
    const DialogControl& c = panel.controls[i];
    EXPECT_EQ(s->id, c.id) << i;
    EXPECT_EQ(MSTR(s->text).ToUTF8(), c.caption) << i;
    EXPECT_EQ(s->x, c.x) << i;
    EXPECT_EQ(s->y, c.y) << i;
    EXPECT_EQ(s->width, c.width) << i;
    EXPECT_EQ(s->height, c.height) << i;
  }
  EXPECT_EQ(DescribeWindow(dialog)->kind, WindowKind::Dialog);
  EXPECT_EQ(DescribeWindow(dialog)->text, L"Rollout");
  EXPECT_EQ(stateOf(IDC_TARGET_PICK).kind, WindowKind::CustButton);
  EXPECT_EQ(stateOf(IDC_TARGET_PICK).className, L"CustButton");
  EXPECT_EQ(stateOf(IDC_AXIS_OFFSET_EDIT).kind, WindowKind::CustEdit);
  EXPECT_EQ(stateOf(IDC_AXIS_OFFSET_SPIN).kind, WindowKind::Spinner);
  EXPECT_EQ(stateOf(IDC_CACHE_TARGET).kind, WindowKind::CheckBox);
  EXPECT_EQ(stateOf(IDC_AXIS_X).kind, WindowKind::RadioButton);
  EXPECT_EQ(stateOf(IDC_AXIS_OFFSET_LABEL).kind, WindowKind::StaticText);
  EXPECT_EQ(OpenDialogCount(), open + 1);
}

TEST_F(RolloutWindows, TheHostsChangesAreQuietAndUserInputIsHeard) {
  HWND edit = GetDlgItem(dialog, IDC_AXIS_OFFSET_EDIT);
  {
    QuietDialog quiet(dialog);
    SetWindowTextW(edit, L"1.5");
    SetControlChecked(GetDlgItem(dialog, IDC_CACHE_TARGET), true);
  }
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(stateOf(IDC_AXIS_OFFSET_EDIT).text, L"1.5");
  EXPECT_TRUE(stateOf(IDC_CACHE_TARGET).checked);

  ASSERT_TRUE(TypeIntoControl(dialog, IDC_AXIS_OFFSET_EDIT, L"2.5"));
  ASSERT_TRUE(ClickControl(dialog, IDC_CACHE_TARGET));
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].id, IDC_AXIS_OFFSET_EDIT);
  EXPECT_EQ(messages[0].code, unsigned(EN_CHANGE));
  EXPECT_EQ(messages[1].id, IDC_CACHE_TARGET);
  EXPECT_EQ(messages[1].code, unsigned(BN_CLICKED));
  EXPECT_EQ(stateOf(IDC_AXIS_OFFSET_EDIT).text, L"2.5");
  EXPECT_FALSE(stateOf(IDC_CACHE_TARGET).checked);

  EXPECT_EQ(EnableWindow(GetDlgItem(dialog, IDC_CACHE_TARGET), FALSE), FALSE);
  EXPECT_FALSE(ClickControl(dialog, IDC_CACHE_TARGET));
  EXPECT_EQ(messages.size(), 2u);
}

TEST_F(RolloutWindows, CustomControlsKeepTheirStateAndTellTheDialog) {
  ICustButton* button = GetICustButton(GetDlgItem(dialog, IDC_TARGET_PICK));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(GetICustButton(GetDlgItem(dialog, IDC_CACHE_TARGET)), nullptr);
  ASSERT_TRUE(ClickControl(dialog, IDC_TARGET_PICK));
  EXPECT_FALSE(stateOf(IDC_TARGET_PICK).checked);  // a push button until made a check button
  button->SetType(CBT_CHECK);
  button->SetHighlightColor(RGB(1, 2, 3));
  ASSERT_TRUE(ClickControl(dialog, IDC_TARGET_PICK));
  EXPECT_TRUE(stateOf(IDC_TARGET_PICK).checked);
  EXPECT_EQ(stateOf(IDC_TARGET_PICK).highlight, RGB(1, 2, 3));
  ReleaseICustButton(button);

  ISpinnerControl* spinner = GetISpinner(GetDlgItem(dialog, IDC_AXIS_OFFSET_SPIN));
  ASSERT_NE(spinner, nullptr);
  spinner->SetLimits(0.0f, 10.0f);
  spinner->SetValue(20.0f, TRUE);
  EXPECT_EQ(spinner->GetFVal(), 10.0f);
  ASSERT_TRUE(DragSpinner(dialog, IDC_AXIS_OFFSET_SPIN, -3.0f));
  EXPECT_EQ(stateOf(IDC_AXIS_OFFSET_SPIN).value, 0.0f);
  ReleaseISpinner(spinner);
  ASSERT_EQ(messages.size(), 4u);
  EXPECT_EQ(messages[2].msg, UINT(CC_SPINNER_CHANGE));
  EXPECT_EQ(messages[2].code, unsigned(FALSE));  // set by the program
  EXPECT_EQ(messages[3].code, unsigned(TRUE));   // dragged
}

TEST_F(RolloutWindows, InterfacesAndHandlesOutliveTheirDialogHarmlessly) {
  HWND buttonWindow = GetDlgItem(dialog, IDC_TARGET_PICK);
  ICustButton* button = GetICustButton(buttonWindow);
  ISpinnerControl* spinner = GetISpinner(GetDlgItem(dialog, IDC_AXIS_OFFSET_SPIN));
  ASSERT_NE(button, nullptr);
  ASSERT_NE(spinner, nullptr);
  DestroyRolloutDialog(dialog);
  EXPECT_FALSE(WindowExists(dialog));
  EXPECT_FALSE(WindowExists(buttonWindow));
  EXPECT_FALSE(DescribeWindow(buttonWindow).has_value());
  EXPECT_TRUE(DialogControls(dialog).empty());
  EXPECT_EQ(OpenDialogCount(), open);
  button->SetCheck(TRUE);
  button->SetText(L"gone");
  EXPECT_EQ(button->IsChecked(), FALSE);
  EXPECT_EQ(button->IsEnabled(), FALSE);
  spinner->SetValue(1.0f, TRUE);
  EXPECT_EQ(spinner->GetFVal(), 0.0f);
  EXPECT_EQ(GetICustButton(buttonWindow), nullptr);
  EXPECT_FALSE(ClickControl(dialog, IDC_TARGET_PICK));
  EXPECT_EQ(SendDialogMessage(dialog, WM_COMMAND, 0, 0), 0);
  ReleaseICustButton(button);
  ReleaseISpinner(spinner);
}

}  // namespace
