// The host's custom controls on Windows: the window classes "CustButton" (a push or check button
// that lights up in its highlight colour while checked), "SpinnerControl" (arrows that step a
// value within limits) and "CustEdit" (the system's edit), and the ICustButton and ISpinnerControl
// interfaces over them. Each interface keeps its window handle and checks it on every call, so an
// interface held past its rollout's life is harmless.
#include <algorithm>

#include "custcont.h"
#include "window_host_win32.h"

namespace {

constexpr wchar_t kButtonClass[] = L"CustButton";
constexpr wchar_t kSpinnerClass[] = L"SpinnerControl";
constexpr wchar_t kEditClass[] = L"CustEdit";

ATOM buttonAtom = 0, spinnerAtom = 0, editAtom = 0;
WNDPROC systemEditProcedure = nullptr;

CustomControlState* stateIn(HWND window) {
  return reinterpret_cast<CustomControlState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void notifyParent(HWND window, UINT msg, WORD code) {
  SendMessageW(GetParent(window), msg, MAKEWPARAM(WORD(GetDlgCtrlID(window)), code), reinterpret_cast<LPARAM>(window));
}

void paintButton(HWND window, const CustomControlState& s) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT r;
  GetClientRect(window, &r);
  HBRUSH fill = s.checked ? CreateSolidBrush(s.highlight) : GetSysColorBrush(COLOR_BTNFACE);
  FillRect(dc, &r, fill);
  if (s.checked) DeleteObject(fill);
  DrawEdge(dc, &r, s.checked ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  std::wstring text = ControlText(window);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(IsWindowEnabled(window) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(GetParent(window), WM_GETFONT, 0, 0)));
  DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, font);
  EndPaint(window, &paint);
}

void paintSpinner(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT r;
  GetClientRect(window, &r);
  RECT up = r, down = r;
  up.bottom = down.top = (r.top + r.bottom) / 2;
  UINT disabled = IsWindowEnabled(window) ? 0 : DFCS_INACTIVE;
  DrawFrameControl(dc, &up, DFC_SCROLL, DFCS_SCROLLUP | disabled);
  DrawFrameControl(dc, &down, DFC_SCROLL, DFCS_SCROLLDOWN | disabled);
  EndPaint(window, &paint);
}

// Both custom classes keep their state in GWLP_USERDATA for the life of the window.
LRESULT customProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, WindowKind kind) {
  CustomControlState* s = stateIn(window);
  switch (msg) {
    case WM_NCCREATE: {
      auto* state = new CustomControlState();
      state->kind = kind;
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
      break;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      delete s;
      break;
    case WM_PAINT:
      if (s == nullptr) break;
      if (kind == WindowKind::CustButton) paintButton(window, *s);
      else paintSpinner(window);
      return 0;
    case WM_ENABLE:
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcW(window, msg, wParam, lParam);
      InvalidateRect(window, nullptr, TRUE);
      return result;
    }
    case WM_LBUTTONDOWN:
      SetCapture(window);
      return 0;
    case WM_LBUTTONUP: {
      if (GetCapture() != window || s == nullptr) return 0;
      ReleaseCapture();
      RECT r;
      GetClientRect(window, &r);
      POINT at = {short(LOWORD(lParam)), short(HIWORD(lParam))};
      if (!PtInRect(&r, at)) return 0;
      if (kind == WindowKind::CustButton) {
        if (s->checkButton) s->checked = !s->checked;
        InvalidateRect(window, nullptr, TRUE);
        notifyParent(window, WM_COMMAND, BN_CLICKED);
      } else {
        // The upper arrow steps up, the lower one down.
        float step = at.y < (r.top + r.bottom) / 2 ? s->scale : -s->scale;
        s->value = std::min(std::max(s->value + step, s->minimum), s->maximum);
        notifyParent(window, CC_SPINNER_CHANGE, FALSE);
      }
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

LRESULT CALLBACK buttonProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  return customProcedure(window, msg, wParam, lParam, WindowKind::CustButton);
}

LRESULT CALLBACK spinnerProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  return customProcedure(window, msg, wParam, lParam, WindowKind::Spinner);
}

LRESULT CALLBACK editProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(systemEditProcedure, window, msg, wParam, lParam);
}

// A global class, so dialogs of any module find it by name.
ATOM registerClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = procedure;
  wc.hInstance = HostModule();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  return RegisterClassExW(&wc);
}

// The custom edit is the system's edit under the host's class name.
ATOM registerEditClass() {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(nullptr, L"EDIT", &wc)) return 0;
  systemEditProcedure = wc.lpfnWndProc;
  wc.style |= CS_GLOBALCLASS;
  wc.lpfnWndProc = editProcedure;
  wc.hInstance = HostModule();
  wc.lpszClassName = kEditClass;
  return RegisterClassExW(&wc);
}

bool isCustomClass(HWND window) {
  ATOM atom = ATOM(GetClassWord(window, GCW_ATOM));
  return atom != 0 && (atom == buttonAtom || atom == spinnerAtom);
}

class CustButton : public ICustButton {
 public:
  explicit CustButton(HWND window) : window_(window) {}
  void SetType(CustButType type) override {
    if (CustomControlState* s = CustomStateOf(window_)) s->checkButton = type == CBT_CHECK;
  }
  void SetCheck(BOOL checked) override {
    if (CustomStateOf(window_) != nullptr) SetControlChecked(window_, checked != FALSE);
  }
  BOOL IsChecked() override {
    CustomControlState* s = CustomStateOf(window_);
    return s != nullptr && s->checked ? TRUE : FALSE;
  }
  void SetHighlightColor(COLORREF color) override {
    if (CustomControlState* s = CustomStateOf(window_)) {
      s->highlight = color;
      RefreshCustomControl(window_);
    }
  }
  COLORREF GetHighlightColor() override {
    CustomControlState* s = CustomStateOf(window_);
    return s != nullptr ? s->highlight : 0;
  }
  void SetText(const MCHAR* text) override {
    if (CustomStateOf(window_) != nullptr) SetWindowTextW(window_, text != nullptr ? text : L"");
  }
  void Enable(BOOL enable) override {
    if (CustomStateOf(window_) != nullptr) EnableWindow(window_, enable);
  }
  BOOL IsEnabled() override { return CustomStateOf(window_) != nullptr && IsWindowEnabled(window_) ? TRUE : FALSE; }

 private:
  HWND window_;
};

class Spinner : public ISpinnerControl {
 public:
  explicit Spinner(HWND window) : window_(window) {}
  float GetFVal() override {
    CustomControlState* s = CustomStateOf(window_);
    return s != nullptr ? s->value : 0.0f;
  }
  int GetIVal() override { return int(GetFVal()); }
  void SetValue(float value, int notify) override {
    CustomControlState* s = CustomStateOf(window_);
    if (s == nullptr) return;
    s->value = std::min(std::max(value, s->minimum), s->maximum);
    if (notify) notifyParent(window_, CC_SPINNER_CHANGE, FALSE);
  }
  void SetLimits(float minimum, float maximum, int limitCurrent) override {
    CustomControlState* s = CustomStateOf(window_);
    if (s == nullptr) return;
    s->minimum = minimum;
    s->maximum = maximum;
    if (limitCurrent) s->value = std::min(std::max(s->value, minimum), maximum);
  }
  void SetScale(float scale) override {
    if (CustomControlState* s = CustomStateOf(window_)) s->scale = scale;
  }
  void Enable(BOOL enable) override {
    if (CustomStateOf(window_) != nullptr) EnableWindow(window_, enable);
  }
  BOOL IsEnabled() override { return CustomStateOf(window_) != nullptr && IsWindowEnabled(window_) ? TRUE : FALSE; }

 private:
  HWND window_;
};

}  // namespace

bool RegisterCustomControlClasses() {
  if (buttonAtom == 0) buttonAtom = registerClass(kButtonClass, buttonProcedure);
  if (spinnerAtom == 0) spinnerAtom = registerClass(kSpinnerClass, spinnerProcedure);
  if (editAtom == 0) editAtom = registerEditClass();
  return buttonAtom != 0 && spinnerAtom != 0 && editAtom != 0;
}

CustomControlState* CustomStateOf(HWND window) {
  if (window == nullptr || !IsWindow(window) || !isCustomClass(window)) return nullptr;
  return stateIn(window);
}

void RefreshCustomControl(HWND window) {
  if (CustomStateOf(window) != nullptr) InvalidateRect(window, nullptr, TRUE);
}

namespace {

CustomControlState* spinnerState(HWND control) {
  CustomControlState* s = CustomStateOf(control);
  return s != nullptr && s->kind == WindowKind::Spinner ? s : nullptr;
}

}  // namespace

bool SpinnerValue(HWND control, float& r_value) {
  const CustomControlState* s = spinnerState(control);
  if (s == nullptr) return false;
  r_value = s->value;
  return true;
}

bool SetSpinnerValue(HWND control, float value) {
  CustomControlState* s = spinnerState(control);
  if (s == nullptr) return false;
  s->value = value;
  RefreshCustomControl(control);
  return true;
}

bool SetSpinnerRange(HWND control, float low, float high) {
  CustomControlState* s = spinnerState(control);
  if (s == nullptr) return false;
  s->minimum = low;
  s->maximum = high;
  return true;
}

ICustButton* GetICustButton(HWND window) {
  CustomControlState* s = CustomStateOf(window);
  return s != nullptr && s->kind == WindowKind::CustButton ? new CustButton(window) : nullptr;
}

void ReleaseICustButton(ICustButton* button) { delete button; }

ISpinnerControl* GetISpinner(HWND window) {
  CustomControlState* s = CustomStateOf(window);
  return s != nullptr && s->kind == WindowKind::Spinner ? new Spinner(window) : nullptr;
}

void ReleaseISpinner(ISpinnerControl* spinner) { delete spinner; }
