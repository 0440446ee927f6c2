// A modifier's rollout held open for a test, as the Modify panel opens it: BeginEditParams on
// construction, EndEditParams when it goes away. Reads the rollout's controls through the host's
// window model and gives input through its user-input calls.
//
// The modifier must outlive the object.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "iparamm2.h"
#include "support/plugin_fixture.h"
#include "user_input.h"
#include "window_model.h"

namespace testing_support {

class OpenRollout {
 public:
  explicit OpenRollout(Modifier* mod) : mod_(mod) {
    mod_->BeginEditParams(ip(), 0, nullptr);
    ClassDesc2* desc = ModifierDesc();
    IParamMap2* map = desc->GetParamMap(desc->GetParamBlockDesc(0));
    window_ = map != nullptr ? map->GetHWnd() : nullptr;
  }
  ~OpenRollout() { Close(); }
  OpenRollout(const OpenRollout&) = delete;
  OpenRollout& operator=(const OpenRollout&) = delete;

  void Close() {
    if (mod_ != nullptr) mod_->EndEditParams(ip(), 0, nullptr);
    mod_ = nullptr;
  }

  HWND window() const { return window_; }
  WindowState state(int id) const {
    std::optional<WindowState> s = DescribeWindow(GetDlgItem(window_, id));
    if (!s) ADD_FAILURE() << "the rollout has no control " << id;
    return s.value_or(WindowState{});
  }
  bool enabled(int id) const { return state(id).enabled; }
  bool checked(int id) const { return state(id).checked; }
  std::wstring text(int id) const { return state(id).text; }

  bool click(int id) { return ClickControl(window_, id); }
  bool drag(int id, float value) { return DragSpinner(window_, id, value); }
  bool type(int id, const std::wstring& text) { return TypeIntoControl(window_, id, text); }

  static IObjParam* ip() { return static_cast<IObjParam*>(GetCOREInterface()); }

 private:
  Modifier* mod_;
  HWND window_ = nullptr;
};

}  // namespace testing_support
