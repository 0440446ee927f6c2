// Custom buttons and spinners over the window model. Each interface keeps the handle it was made
// for and checks it on every call, so an interface held past its rollout's life is harmless.
#include <algorithm>

#include "custcont.h"
#include "window_tree.h"

namespace {

class CustButton : public ICustButton {
 public:
  explicit CustButton(HWND window) : window_(window) {}
  void SetType(CustButType type) override {
    if (HWND__* w = LiveWindow(window_)) w->state.checkButton = type == CBT_CHECK;
  }
  void SetCheck(BOOL checked) override {
    if (HWND__* w = LiveWindow(window_)) w->state.checked = checked != FALSE;
  }
  BOOL IsChecked() override {
    HWND__* w = LiveWindow(window_);
    return w != nullptr && w->state.checked ? TRUE : FALSE;
  }
  void SetHighlightColor(COLORREF color) override {
    if (HWND__* w = LiveWindow(window_)) w->state.highlight = color;
  }
  COLORREF GetHighlightColor() override {
    HWND__* w = LiveWindow(window_);
    return w != nullptr ? w->state.highlight : 0;
  }
  void SetText(const MCHAR* text) override {
    if (HWND__* w = LiveWindow(window_)) w->state.text = text != nullptr ? text : L"";
  }
  void Enable(BOOL enable) override {
    if (HWND__* w = LiveWindow(window_)) w->state.enabled = enable != FALSE;
  }
  BOOL IsEnabled() override {
    HWND__* w = LiveWindow(window_);
    return w != nullptr && w->state.enabled ? TRUE : FALSE;
  }

 private:
  HWND window_;
};

class Spinner : public ISpinnerControl {
 public:
  explicit Spinner(HWND window) : window_(window) {}
  float GetFVal() override {
    HWND__* w = LiveWindow(window_);
    return w != nullptr ? w->state.value : 0.0f;
  }
  int GetIVal() override { return int(GetFVal()); }
  void SetValue(float value, int notify) override {
    HWND__* w = LiveWindow(window_);
    if (w == nullptr) return;
    w->state.value = std::min(std::max(value, w->state.minimum), w->state.maximum);
    if (notify && w->parent != nullptr) {
      SendDialogMessage(w->parent, CC_SPINNER_CHANGE, MakeCommandParam(w->state.id, FALSE),
                        reinterpret_cast<LPARAM>(window_));
    }
  }
  void SetLimits(float minimum, float maximum, int limitCurrent) override {
    HWND__* w = LiveWindow(window_);
    if (w == nullptr) return;
    w->state.minimum = minimum;
    w->state.maximum = maximum;
    if (limitCurrent) w->state.value = std::min(std::max(w->state.value, minimum), maximum);
  }
  void SetScale(float scale) override {}
  void Enable(BOOL enable) override {
    if (HWND__* w = LiveWindow(window_)) w->state.enabled = enable != FALSE;
  }
  BOOL IsEnabled() override {
    HWND__* w = LiveWindow(window_);
    return w != nullptr && w->state.enabled ? TRUE : FALSE;
  }

 private:
  HWND window_;
};

bool isKind(HWND window, WindowKind kind) {
  HWND__* w = LiveWindow(window);
  return w != nullptr && w->state.kind == kind;
}

}  // namespace

ICustButton* GetICustButton(HWND window) {
  return isKind(window, WindowKind::CustButton) ? new CustButton(window) : nullptr;
}

void ReleaseICustButton(ICustButton* button) { delete button; }

ISpinnerControl* GetISpinner(HWND window) {
  return isKind(window, WindowKind::Spinner) ? new Spinner(window) : nullptr;
}

void ReleaseISpinner(ISpinnerControl* spinner) { delete spinner; }
