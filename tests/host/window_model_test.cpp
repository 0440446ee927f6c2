// The host's window model: a dialog made from a template, the Windows calls on its controls, the
// custom-control interfaces, user input, and what becomes of handles once the dialog is gone.
#include <gtest/gtest.h>

#include <vector>

#include "custcont.h"
#include "user_input.h"
#include "window_tree.h"

namespace {

using namespace ResourceStyle;

DialogControl control(int id, const char* cls, const char* caption, std::uint32_t style, int x = 0, int y = 0) {
  DialogControl c;
  c.id = id;
  c.className = cls;
  c.caption = caption;
  c.style = kChild | kVisible | style;
  c.x = std::int16_t(x);
  c.y = std::int16_t(y);
  c.width = 40;
  c.height = 10;
  return c;
}

enum { kCheck = 10, kRadio = 11, kGroup = 12, kCentred = 13, kButton = 14, kSpinner = 15, kEdit = 16, kOff = 17 };

DialogTemplate sampleTemplate() {
  DialogTemplate t;
  t.id = 1;
  t.style = kChild | kVisible;
  t.width = 108;
  t.height = 60;
  t.controls = {
      control(kCheck, "Button", "Größe", kAutoCheckBox | kTabStop, 2, 3),
      control(kRadio, "Button", "One", kAutoRadioButton),
      control(kGroup, "button", "Group", kGroupBox),
      control(kCentred, "Static", "Credit", kStaticCenter),
      control(kButton, "CustButton", "Pick", kTabStop),
      control(kSpinner, "SpinnerControl", "", 0),
      control(kEdit, "CustEdit", "", kTabStop),
      control(kOff, "Button", "Off", kAutoCheckBox | kDisabled),
  };
  return t;
}

struct Message {
  UINT msg;
  int id;
  unsigned code;
  LPARAM lParam;
};

class WindowModel : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog = CreateDialogWindow(sampleTemplate(), L"Title");
    LiveWindow(dialog)->handler = [this](HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
      messages.push_back({msg, LOWORD(wParam), HIWORD(wParam), lParam});
      return INT_PTR(0);
    };
  }
  void TearDown() override { DestroyDialogWindow(dialog); }

  WindowState stateOf(int id) { return DescribeWindow(GetDlgItem(dialog, id)).value_or(WindowState{}); }

  HWND dialog = nullptr;
  std::vector<Message> messages;
};

TEST_F(WindowModel, ControlsFollowTheTemplate) {
  std::vector<HWND> controls = DialogControls(dialog);
  ASSERT_EQ(controls.size(), 8u);
  EXPECT_EQ(controls[0], GetDlgItem(dialog, kCheck));
  EXPECT_EQ(DescribeWindow(dialog)->text, L"Title");
  EXPECT_EQ(DescribeWindow(dialog)->kind, WindowKind::Dialog);

  WindowState check = stateOf(kCheck);
  EXPECT_EQ(check.kind, WindowKind::CheckBox);
  EXPECT_EQ(check.text, L"Größe");
  EXPECT_EQ(check.x, 2);
  EXPECT_EQ(check.y, 3);
  EXPECT_TRUE(check.enabled);
  EXPECT_TRUE(check.visible);
  EXPECT_FALSE(check.checked);

  EXPECT_EQ(stateOf(kRadio).kind, WindowKind::RadioButton);
  EXPECT_EQ(stateOf(kGroup).kind, WindowKind::GroupBox);
  EXPECT_EQ(stateOf(kCentred).alignment, TextAlignment::Centre);
  EXPECT_EQ(stateOf(kButton).kind, WindowKind::CustButton);
  EXPECT_EQ(stateOf(kSpinner).kind, WindowKind::Spinner);
  EXPECT_EQ(stateOf(kEdit).kind, WindowKind::CustEdit);
  EXPECT_FALSE(stateOf(kOff).enabled);
}

TEST_F(WindowModel, WindowCallsChangeTheControls) {
  HWND check = GetDlgItem(dialog, kCheck);
  EXPECT_EQ(EnableWindow(check, FALSE), FALSE);  // it was enabled
  EXPECT_EQ(EnableWindow(check, TRUE), TRUE);    // it was disabled
  EXPECT_TRUE(stateOf(kCheck).enabled);
  EXPECT_TRUE(SetWindowTextW(check, L"Renamed"));
  EXPECT_EQ(stateOf(kCheck).text, L"Renamed");
  EXPECT_EQ(GetDlgItem(dialog, 999), nullptr);
  EXPECT_EQ(GetDlgItem(nullptr, kCheck), nullptr);
}

TEST_F(WindowModel, ClicksChangeTheControlThenReachTheDialog) {
  ASSERT_TRUE(ClickControl(dialog, kCheck));
  EXPECT_TRUE(stateOf(kCheck).checked);
  ASSERT_TRUE(ClickControl(dialog, kRadio));
  EXPECT_TRUE(stateOf(kRadio).checked);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].msg, UINT(WM_COMMAND));
  EXPECT_EQ(messages[0].id, kCheck);
  EXPECT_EQ(messages[0].code, 0u);
  EXPECT_EQ(messages[0].lParam, reinterpret_cast<LPARAM>(GetDlgItem(dialog, kCheck)));
  ASSERT_TRUE(ClickControl(dialog, kCheck));
  EXPECT_FALSE(stateOf(kCheck).checked);
}

TEST_F(WindowModel, DisabledHiddenAndPassiveControlsTakeNoClick) {
  EXPECT_FALSE(ClickControl(dialog, kOff));
  EXPECT_FALSE(stateOf(kOff).checked);
  EXPECT_FALSE(ClickControl(dialog, kCentred));
  EXPECT_FALSE(ClickControl(dialog, kGroup));
  EXPECT_FALSE(ClickControl(dialog, 999));
  LiveControl(dialog, kCheck)->state.visible = false;
  EXPECT_FALSE(ClickControl(dialog, kCheck));
  EXPECT_TRUE(messages.empty());
}

TEST_F(WindowModel, ACustomButtonTogglesOnlyAsACheckButton) {
  ICustButton* button = GetICustButton(GetDlgItem(dialog, kButton));
  ASSERT_NE(button, nullptr);
  ASSERT_TRUE(ClickControl(dialog, kButton));
  EXPECT_FALSE(button->IsChecked());
  button->SetType(CBT_CHECK);
  button->SetHighlightColor(RGB(1, 2, 3));
  ASSERT_TRUE(ClickControl(dialog, kButton));
  EXPECT_TRUE(button->IsChecked());
  EXPECT_EQ(stateOf(kButton).highlight, RGB(1, 2, 3));
  EXPECT_EQ(messages.size(), 2u);
  ReleaseICustButton(button);
  EXPECT_EQ(GetICustButton(GetDlgItem(dialog, kCheck)), nullptr);
  EXPECT_EQ(GetISpinner(GetDlgItem(dialog, kButton)), nullptr);
}

TEST_F(WindowModel, SpinnersKeepWithinTheirLimitsAndTellTheDialog) {
  ISpinnerControl* spinner = GetISpinner(GetDlgItem(dialog, kSpinner));
  ASSERT_NE(spinner, nullptr);
  spinner->SetLimits(-1.0f, 4.0f);
  ASSERT_TRUE(DragSpinner(dialog, kSpinner, 9.0f));
  EXPECT_EQ(spinner->GetFVal(), 4.0f);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].msg, UINT(CC_SPINNER_CHANGE));
  EXPECT_EQ(messages[0].id, kSpinner);
  spinner->SetValue(-3.0f, FALSE);
  EXPECT_EQ(spinner->GetFVal(), -1.0f);
  EXPECT_EQ(messages.size(), 1u);
  spinner->SetValue(2.0f, TRUE);
  EXPECT_EQ(messages.size(), 2u);
  spinner->Enable(FALSE);
  EXPECT_FALSE(spinner->IsEnabled());
  EXPECT_FALSE(DragSpinner(dialog, kSpinner, 1.0f));
  ReleaseISpinner(spinner);
}

TEST_F(WindowModel, TypingReplacesAnEditsText) {
  ASSERT_TRUE(TypeIntoControl(dialog, kEdit, L"2.5"));
  EXPECT_EQ(stateOf(kEdit).text, L"2.5");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].code, 0x0300u);
  EXPECT_FALSE(TypeIntoControl(dialog, kCheck, L"x"));
}

TEST_F(WindowModel, HandlesGoStaleWithTheirDialog) {
  HWND check = GetDlgItem(dialog, kCheck);
  ICustButton* button = GetICustButton(GetDlgItem(dialog, kButton));
  int open = OpenDialogCount();
  DestroyDialogWindow(dialog);
  EXPECT_EQ(OpenDialogCount(), open - 1);
  EXPECT_FALSE(WindowExists(dialog));
  EXPECT_FALSE(WindowExists(check));
  EXPECT_FALSE(DescribeWindow(check).has_value());
  EXPECT_EQ(GetDlgItem(dialog, kCheck), nullptr);
  EXPECT_EQ(EnableWindow(check, TRUE), FALSE);
  EXPECT_EQ(SetWindowTextW(check, L"x"), FALSE);
  EXPECT_FALSE(ClickControl(dialog, kCheck));
  // An interface kept past its window does nothing.
  button->SetCheck(TRUE);
  EXPECT_FALSE(button->IsChecked());
  ReleaseICustButton(button);
  EXPECT_TRUE(DialogControls(dialog).empty());
  EXPECT_TRUE(messages.empty());
}

}  // namespace
