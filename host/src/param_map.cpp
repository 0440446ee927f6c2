// Parameter maps: the rollout a class descriptor opens for a parameter block description is a
// dialog made from the description's template in the class's module (rollout_dialog.h). The map
// binds each control to its parameter both ways through the controls' own state, and hands every
// message on to the plug-in's user dialog procedure after its own handling, up to and including
// WM_DESTROY. Pick-node buttons only show their node's name here: picking is the plug-in's.
#include <cstdio>
#include <cwchar>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "custcont.h"
#include "hold.h"
#include "inode.h"
#include "iparamm2.h"
#include "rollout_dialog.h"
#include "window_model.h"

namespace {

bool isFloatParam(const ParamDef& def) {
  return def.type == TYPE_FLOAT || def.type == TYPE_ANGLE || def.type == TYPE_PCNT_FRAC || def.type == TYPE_WORLD ||
         def.type == TYPE_COLOR_CHANNEL;
}

// A spinner edit's text: integers as they are; other numbers with one to three decimals.
std::wstring formatNumber(float value, bool integer) {
  char buffer[64];
  if (integer) std::snprintf(buffer, sizeof(buffer), "%d", int(value));
  else std::snprintf(buffer, sizeof(buffer), "%.3f", double(value));
  std::string text = buffer;
  if (!integer) {
    while (text.size() > 1 && text.back() == '0' && text[text.size() - 2] != '.') text.pop_back();
  }
  return std::wstring(text.begin(), text.end());
}

bool parseNumber(const std::wstring& text, float& r_value) {
  const wchar_t* start = text.c_str();
  wchar_t* end = nullptr;
  double v = std::wcstod(start, &end);
  if (end == start) return false;
  while (*end == L' ') ++end;
  if (*end != L'\0') return false;
  r_value = float(v);
  return true;
}

class ParamMap : public IParamMap2 {
 public:
  ParamMap(ParamBlockDesc2* desc, IParamBlock2* block, HWND window) : desc_(desc), block_(block), window_(window) {
    if (window_ != nullptr) {
      SetDialogHandler(window_, [this](HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
        return handle(msg, wParam, lParam);
      });
      for (int i = 0; i < desc_->Count(); ++i) prepare(desc_->GetParamDefByIndex(i));
    }
    Invalidate(-1, -1);
  }

  // The dialog receives WM_DESTROY as it goes, which the map hands on to the procedure.
  ~ParamMap() override { DestroyRolloutDialog(window_); }

  HWND GetHWnd() override { return live() ? window_ : nullptr; }
  IParamBlock2* GetParamBlock() override { return block_; }
  ParamMap2UserDlgProc* GetUserDlgProc() override { return proc_; }
  ParamBlockDesc2* Desc() const { return desc_; }

  void SetUserDlgProc(ParamMap2UserDlgProc* proc) override {
    proc_ = proc;
    // The procedure joins an open dialog: it initialises as if the dialog had just opened.
    if (proc_ != nullptr && live()) forward(WM_INITDIALOG, 0, 0);
  }

  void Invalidate(ParamID id, int tabIndex) override {
    if (!live() || block_ == nullptr) return;
    for (int i = 0; i < desc_->Count(); ++i) {
      const ParamDef& def = desc_->GetParamDefByIndex(i);
      if (def.hasUI && (id < 0 || def.ID == id)) show(def);
    }
  }

 private:
  bool live() const { return window_ != nullptr && WindowExists(window_) && !destroyed_; }
  HWND control(int id) { return LiveControl(window_, id); }

  // Spinner limits from the parameter's range, and the template caption a pick button shows while
  // no node is assigned.
  void prepare(const ParamDef& def) {
    if (!def.hasUI) return;
    if (def.ctrl_type == TYPE_SPINNER && def.ctrl_IDs.size() >= 2) {
      float low = -3.0e38f, high = 3.0e38f;
      if (def.hasRange) {
        low = isFloatParam(def) ? def.range_low.f : float(def.range_low.i);
        high = isFloatParam(def) ? def.range_high.f : float(def.range_high.i);
      }
      SetSpinnerRange(control(def.ctrl_IDs[1]), low, high);
    }
    if (def.ctrl_type == TYPE_PICKNODEBUTTON && !def.ctrl_IDs.empty()) {
      if (HWND button = control(def.ctrl_IDs[0])) emptyCaptions_[def.ID] = ControlText(button);
    }
  }

  // Controls from the block. These are the host's changes, not the user's: the controls tell the
  // dialog nothing of them.
  void show(const ParamDef& def) {
    QuietDialog quiet(window_);
    TimeValue t = GetCOREInterface()->GetTime();
    switch (def.ctrl_type) {
      case TYPE_SINGLECHEKBOX:
      case TYPE_CHECKBUTTON:
        if (HWND c = def.ctrl_IDs.empty() ? nullptr : control(def.ctrl_IDs[0]))
          SetControlChecked(c, block_->GetInt(def.ID, t) != 0);
        break;
      case TYPE_RADIO: {
        int value = block_->GetInt(def.ID, t);
        for (size_t k = 0; k < def.ctrl_IDs.size(); ++k) {
          if (HWND c = control(def.ctrl_IDs[k])) SetControlChecked(c, int(k) == value);
        }
        break;
      }
      case TYPE_SPINNER: {
        float value = isFloatParam(def) ? block_->GetFloat(def.ID, t) : float(block_->GetInt(def.ID, t));
        if (HWND edit = def.ctrl_IDs.empty() ? nullptr : control(def.ctrl_IDs[0]))
          SetControlText(edit, formatNumber(value, !isFloatParam(def)));
        if (def.ctrl_IDs.size() >= 2) SetSpinnerValue(control(def.ctrl_IDs[1]), value);
        break;
      }
      case TYPE_PICKNODEBUTTON:
        if (HWND c = def.ctrl_IDs.empty() ? nullptr : control(def.ctrl_IDs[0])) {
          INode* node = block_->GetINode(def.ID, t);
          SetControlText(c, node != nullptr ? std::wstring(node->GetName()) : emptyCaptions_[def.ID]);
        }
        break;
      default:
        break;
    }
  }

  const ParamDef* boundTo(int controlId) const {
    for (int i = 0; i < desc_->Count(); ++i) {
      const ParamDef& def = desc_->GetParamDefByIndex(i);
      if (!def.hasUI) continue;
      for (int id : def.ctrl_IDs) {
        if (id == controlId) return &def;
      }
    }
    return nullptr;
  }

  // The block from a control the user changed, as one undoable step.
  void takeFromControl(const ParamDef& def, int controlId) {
    HWND c = control(controlId);
    if (c == nullptr || block_ == nullptr) return;
    TimeValue t = GetCOREInterface()->GetTime();
    bool ownStep = !theHold.Holding();
    if (ownStep) theHold.Begin();
    switch (def.ctrl_type) {
      case TYPE_SINGLECHEKBOX:
      case TYPE_CHECKBUTTON:
        block_->SetValue(def.ID, t, ControlChecked(c) ? 1 : 0);
        break;
      case TYPE_RADIO:
        for (size_t k = 0; k < def.ctrl_IDs.size(); ++k) {
          if (def.ctrl_IDs[k] == controlId) block_->SetValue(def.ID, t, int(k));
        }
        break;
      case TYPE_SPINNER: {
        bool fromEdit = controlId == def.ctrl_IDs[0];
        float value = 0.0f;
        if (fromEdit ? parseNumber(ControlText(c), value) : SpinnerValue(c, value)) {
          if (isFloatParam(def)) block_->SetValue(def.ID, t, value);
          else block_->SetValue(def.ID, t, int(value));
        }
        break;
      }
      default:
        break;
    }
    if (ownStep) {
      static MCHAR label[] = L"Parameter Change";
      theHold.Accept(label);
    }
    show(def);
  }

  INT_PTR handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (destroyed_) return FALSE;
    // A click or an edit's new text changes a parameter; other notifications (focus) do not.
    bool changed = msg == CC_SPINNER_CHANGE ||
                   (msg == WM_COMMAND && (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == EN_CHANGE));
    if (changed) {
      int id = LOWORD(wParam);
      // A spinner reports through CC_SPINNER_CHANGE, every other control through WM_COMMAND.
      if (const ParamDef* def = boundTo(id)) {
        bool spinnerMessage = msg == CC_SPINNER_CHANGE;
        bool isSpinner = def->ctrl_type == TYPE_SPINNER && def->ctrl_IDs.size() >= 2 && def->ctrl_IDs[1] == id;
        if (spinnerMessage == isSpinner) takeFromControl(*def, id);
      }
    }
    INT_PTR result = forward(msg, wParam, lParam);
    // WM_DESTROY is the last message the procedure sees.
    if (msg == WM_DESTROY) destroyed_ = true;
    return result;
  }

  INT_PTR forward(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (proc_ == nullptr) return FALSE;
    return proc_->DlgProc(GetCOREInterface()->GetTime(), this, window_, msg, wParam, lParam);
  }

  ParamBlockDesc2* desc_;
  IParamBlock2* block_;
  HWND window_;
  bool destroyed_ = false;
  ParamMap2UserDlgProc* proc_ = nullptr;
  std::map<ParamID, std::wstring> emptyCaptions_;
};

std::vector<std::unique_ptr<ParamMap>>& openMaps() {
  static std::vector<std::unique_ptr<ParamMap>> maps;
  return maps;
}

IParamBlock2* blockOf(ReferenceMaker* obj, ParamBlockDesc2* desc) {
  for (int i = 0; i < obj->NumRefs(); ++i) {
    auto* pb = dynamic_cast<IParamBlock2*>(obj->GetReference(i));
    if (pb != nullptr && pb->GetDesc() == desc) return pb;
  }
  return nullptr;
}

std::wstring moduleString(HINSTANCE module, int id) {
  wchar_t buffer[256];
  return LoadStringW(module, UINT(id), buffer, 256) > 0 ? std::wstring(buffer) : std::wstring();
}

}  // namespace

void ClassDesc2::BeginEditParams(IObjParam* ip, ReferenceMaker* obj, ULONG flags, Animatable* prev) {
  for (ParamBlockDesc2* pbd : pbDescs_) {
    if (!(pbd->flags & P_AUTO_UI)) continue;
    IParamBlock2* block = blockOf(obj, pbd);
    HWND window = nullptr;
    std::wstring why;
    if (!ModuleHasDialog(HInstance(), pbd->dlg_template))
      why = L"its module has no dialog template " + std::to_wstring(pbd->dlg_template);
    else if (block == nullptr)
      why = L"the object has no parameter block for it";
    else
      window = CreateRolloutDialog(HInstance(), pbd->dlg_template, moduleString(HInstance(), pbd->title), why);
    if (window == nullptr) {
      // The panel stays empty; the user is told why instead of seeing nothing.
      const MCHAR* name = ClassName();
      GetCOREInterface()->Report(L"The rollout of " + std::wstring(name ? name : L"this class") +
                                 L" cannot be shown: " + why + L".");
    }
    auto map = std::make_unique<ParamMap>(pbd, block, window);
    map->SetUserDlgProc(pbd->dlgProc);
    openMaps().push_back(std::move(map));
  }
}

void ClassDesc2::EndEditParams(IObjParam* ip, ReferenceMaker* obj, ULONG flags, Animatable* next) {
  auto& maps = openMaps();
  for (size_t i = 0; i < maps.size();) {
    ParamBlockDesc2* pbd = maps[i]->Desc();
    if (pbd->cd != this) {
      ++i;
      continue;
    }
    // The window goes first (its procedure sees WM_DESTROY), then the procedure the host owns.
    maps.erase(maps.begin() + long(i));
    if (pbd->dlgProc != nullptr) {
      pbd->dlgProc->DeleteThis();
      pbd->dlgProc = nullptr;
    }
  }
}

void ClassDesc2::InvalidateUI(ParamBlockDesc2* pbd, ParamID id, int tabIndex) {
  invalidatedParams.push_back(id);
  if (IParamMap2* map = GetParamMap(pbd)) map->Invalidate(id, tabIndex);
}

IParamMap2* ClassDesc2::GetParamMap(ParamBlockDesc2* pbd, MapID id) {
  for (auto& map : openMaps()) {
    if (map->Desc() == pbd) return map.get();
  }
  return nullptr;
}
