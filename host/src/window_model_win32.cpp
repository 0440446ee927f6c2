// The window model on Windows: rollouts made by the system's dialog manager from a module's dialog
// template, the host's record of each window it made, message delivery through one dialog
// procedure, and the read access of window_model.h.
#include <map>
#include <memory>
#include <vector>

#include "dialog_template_win32.h"
#include "window_host_win32.h"
#include "window_kinds.h"

namespace {

struct DialogRecord {
  HWND dialog = nullptr;
  DialogTemplate layout;
  std::vector<HWND> controls;  // in template order
  DialogHandler handler;
  int quiet = 0;  // QuietDialog objects alive for this dialog
};

struct Registry {
  std::map<HWND, std::unique_ptr<DialogRecord>> dialogs;
  std::map<HWND, WindowState> windows;  // the template's view of every window, dialogs included
};

// Never destroyed: rollouts still open when the program ends go with the process.
Registry& registry() {
  static Registry* r = new Registry();
  return *r;
}

DialogRecord* dialogRecord(HWND dialog) {
  auto it = registry().dialogs.find(dialog);
  return it != registry().dialogs.end() && IsWindow(dialog) ? it->second.get() : nullptr;
}

void forget(HWND dialog) {
  Registry& r = registry();
  auto it = r.dialogs.find(dialog);
  if (it == r.dialogs.end()) return;
  for (HWND control : it->second->controls) r.windows.erase(control);
  r.windows.erase(dialog);
  r.dialogs.erase(it);
}

// The one procedure of every rollout: the dialog's record rides in DWLP_USER from WM_INITDIALOG on.
INT_PTR CALLBACK rolloutProcedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    return FALSE;  // a rollout opening takes no keyboard focus
  }
  auto* record = reinterpret_cast<DialogRecord*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (record == nullptr) return FALSE;
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(dialog, DWLP_USER, 0);
    forget(dialog);
    return FALSE;
  }
  if (msg == WM_COMMAND && lParam != 0) {
    // Notifications of changes the host made are not the user's input; a custom edit tells only of
    // its changed text (not of focus, or of every keystroke ahead of the change).
    if (record->quiet > 0) return TRUE;
    std::optional<WindowState> from = TemplateStateOf(reinterpret_cast<HWND>(lParam));
    if (from && from->kind == WindowKind::CustEdit && HIWORD(wParam) != EN_CHANGE) return TRUE;
  }
  if (!record->handler) return FALSE;
  // The handler may destroy the dialog; it runs from a copy so the call stays valid.
  DialogHandler handler = record->handler;
  return handler(dialog, msg, wParam, lParam);
}

// The command panel that holds the rollouts: made on first use and kept, never shown.
HWND commandPanel(std::wstring& r_why) {
  static HWND panel = nullptr;
  if (panel != nullptr && IsWindow(panel)) return panel;
  panel = CreateWindowExW(0, L"STATIC", L"Command Panel", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                          CW_USEDEFAULT, 240, 720, nullptr, nullptr, HostModule(), nullptr);
  if (panel == nullptr) r_why = L"the system creates no windows here (no display)";
  return panel;
}

HRSRC findDialog(HINSTANCE module, int templateId) {
  if (module == nullptr) return nullptr;
  return FindResourceW(module, MAKEINTRESOURCEW(templateId), RT_DIALOG);
}

}  // namespace

HINSTANCE HostModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&HostModule), &module);
  return module;
}

bool ModuleHasDialog(HINSTANCE module, int templateId) { return findDialog(module, templateId) != nullptr; }

HWND CreateRolloutDialog(HINSTANCE module, int templateId, const std::wstring& title, std::wstring& r_why) {
  HRSRC resource = findDialog(module, templateId);
  HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) {
    r_why = L"its module has no dialog template " + std::to_wstring(templateId);
    return nullptr;
  }
  std::optional<DialogTemplate> layout = DecodeDialogTemplate(bytes, SizeofResource(module, resource));
  if (!layout) {
    r_why = L"its dialog template " + std::to_wstring(templateId) + L" cannot be read";
    return nullptr;
  }
  if (!RegisterCustomControlClasses()) {
    r_why = L"the host's custom controls cannot be registered";
    return nullptr;
  }
  HWND panel = commandPanel(r_why);
  if (panel == nullptr) return nullptr;

  auto record = std::make_unique<DialogRecord>();
  record->layout = std::move(*layout);
  HWND dialog = CreateDialogIndirectParamW(module, static_cast<LPCDLGTEMPLATEW>(bytes), panel, rolloutProcedure,
                                           reinterpret_cast<LPARAM>(record.get()));
  if (dialog == nullptr) {
    r_why = L"the system made no dialog of template " + std::to_wstring(templateId) + L" (error " +
            std::to_wstring(GetLastError()) + L")";
    return nullptr;
  }
  record->dialog = dialog;
  SetWindowTextW(dialog, title.c_str());

  // The dialog manager creates the controls in template order, each after the last.
  Registry& r = registry();
  const std::vector<DialogControl>& controls = record->layout.controls;
  size_t k = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr && k < controls.size();
       child = GetWindow(child, GW_HWNDNEXT), ++k) {
    record->controls.push_back(child);
    r.windows[child] = ControlStateFromTemplate(controls[k]);
  }
  WindowState self;
  self.kind = WindowKind::Dialog;
  self.x = record->layout.x;
  self.y = record->layout.y;
  self.width = record->layout.width;
  self.height = record->layout.height;
  self.style = record->layout.style;
  r.windows[dialog] = self;
  r.dialogs[dialog] = std::move(record);
  return dialog;
}

void DestroyRolloutDialog(HWND dialog) {
  if (dialogRecord(dialog) == nullptr) return;
  DestroyWindow(dialog);
  forget(dialog);
}

void SetDialogHandler(HWND dialog, DialogHandler handler) {
  if (DialogRecord* record = dialogRecord(dialog)) record->handler = std::move(handler);
}

INT_PTR SendDialogMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  return dialogRecord(dialog) != nullptr ? SendMessageW(dialog, msg, wParam, lParam) : 0;
}

HWND LiveControl(HWND dialog, int id) {
  DialogRecord* record = dialogRecord(dialog);
  if (record == nullptr) return nullptr;
  for (HWND control : record->controls) {
    auto it = registry().windows.find(control);
    if (it != registry().windows.end() && it->second.id == id) return control;
  }
  return nullptr;
}

std::optional<WindowState> TemplateStateOf(HWND window) {
  if (window == nullptr || !IsWindow(window)) return std::nullopt;
  auto it = registry().windows.find(window);
  if (it == registry().windows.end()) return std::nullopt;
  return it->second;
}

QuietDialog::QuietDialog(HWND dialog) : dialog_(dialog) {
  if (DialogRecord* record = dialogRecord(dialog_)) ++record->quiet;
}

QuietDialog::~QuietDialog() {
  if (DialogRecord* record = dialogRecord(dialog_)) --record->quiet;
}

std::wstring ControlText(HWND window) {
  std::wstring text(size_t(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(size_t(GetWindowTextW(window, text.data(), int(text.size()))));
  return text;
}

void SetControlText(HWND window, const std::wstring& text) { SetWindowTextW(window, text.c_str()); }

bool ControlChecked(HWND control) {
  if (const CustomControlState* custom = CustomStateOf(control)) return custom->checked;
  return SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetControlChecked(HWND control, bool checked) {
  if (CustomControlState* custom = CustomStateOf(control)) {
    custom->checked = checked;
    RefreshCustomControl(control);
    return;
  }
  SendMessageW(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool WindowExists(HWND window) { return TemplateStateOf(window).has_value(); }

std::optional<WindowState> DescribeWindow(HWND window) {
  std::optional<WindowState> s = TemplateStateOf(window);
  if (!s) return std::nullopt;
  wchar_t className[256];
  int n = GetClassNameW(window, className, 256);
  s->className.assign(className, size_t(n > 0 ? n : 0));
  s->text = ControlText(window);
  s->enabled = IsWindowEnabled(window) != FALSE;
  s->visible = (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
  if (s->kind == WindowKind::CheckBox || s->kind == WindowKind::RadioButton) s->checked = ControlChecked(window);
  if (const CustomControlState* custom = CustomStateOf(window)) {
    s->checked = custom->checked;
    s->checkButton = custom->checkButton;
    s->highlight = custom->highlight;
    s->value = custom->value;
    s->minimum = custom->minimum;
    s->maximum = custom->maximum;
  }
  return s;
}

std::vector<HWND> DialogControls(HWND dialog) {
  DialogRecord* record = dialogRecord(dialog);
  return record != nullptr ? record->controls : std::vector<HWND>();
}

int OpenDialogCount() {
  int n = 0;
  for (const auto& entry : registry().dialogs) n += IsWindow(entry.first) ? 1 : 0;
  return n;
}
