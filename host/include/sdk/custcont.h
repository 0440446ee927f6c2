// The host's custom controls as plug-ins reach them: custom buttons (ICustButton) and spinners
// (ISpinnerControl), each an interface over one control window of a rollout. Get... hands out a new
// interface, or null when the window is not a control of that class; the caller gives it back with
// the matching Release... . An interface whose window has been destroyed does nothing and reads as
// a disabled, unchecked control.
#pragma once

#include "max_types.h"

// A spinner's value changed (low word of wParam: the spinner's id; high word: TRUE while the user
// drags; lParam: the spinner's window).
#define CC_SPINNER_CHANGE (WM_USER + 600)

enum CustButType { CBT_PUSH = 0, CBT_CHECK = 1 };

class ICustButton {
 public:
  virtual ~ICustButton() = default;
  virtual void SetType(CustButType type) = 0;
  virtual void SetCheck(BOOL checked) = 0;
  virtual BOOL IsChecked() = 0;
  virtual void SetHighlightColor(COLORREF color) = 0;
  virtual COLORREF GetHighlightColor() = 0;
  virtual void SetText(const MCHAR* text) = 0;
  virtual void Enable(BOOL enable = TRUE) = 0;
  virtual void Disable() { Enable(FALSE); }
  virtual BOOL IsEnabled() = 0;
};

ICustButton* GetICustButton(HWND window);
void ReleaseICustButton(ICustButton* button);

class ISpinnerControl {
 public:
  virtual ~ISpinnerControl() = default;
  virtual float GetFVal() = 0;
  virtual int GetIVal() = 0;
  // Sets the value (clamped to the limits); with `notify` the spinner's dialog gets
  // CC_SPINNER_CHANGE as if the user had changed it.
  virtual void SetValue(float value, int notify) = 0;
  virtual void SetValue(int value, int notify) { SetValue(float(value), notify); }
  virtual void SetLimits(float minimum, float maximum, int limitCurrent = TRUE) = 0;
  virtual void SetScale(float scale) = 0;
  virtual void Enable(BOOL enable = TRUE) = 0;
  virtual void Disable() { Enable(FALSE); }
  virtual BOOL IsEnabled() = 0;
};

ISpinnerControl* GetISpinner(HWND window);
void ReleaseISpinner(ISpinnerControl* spinner);
